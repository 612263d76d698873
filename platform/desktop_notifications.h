// Notifications of the desktop (org.freedesktop.Notifications on the session
// bus), each with an action that opens a folder. Where no session bus or no
// notification server answers, nothing is shown and nothing waits long.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

namespace platform {

class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifications(QObject *parent = nullptr);

    // Shows `summary` and `body`; with a `folder`, the notification offers to
    // open it (and opens it when clicked). False when no server took it.
    bool notify(const QString &summary, const QString &body, const QString &folder);

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    QHash<uint, QString> m_folders; // the folder of each notification still shown
    bool m_listening = false;
};

// Opens a folder in the desktop's file manager, by the bytes of its name.
bool openFolder(const QString &folder);

} // namespace platform
