// One running copy per user. The first start holds a lock file in the user's
// runtime folder and listens on a local socket beside it; a later start hands
// its arguments over through the socket and ends.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;

namespace platform {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // Takes the lock named `name` in the runtime folder (or the temporary
    // folder when there is none). A lock left by a process that died is taken
    // over, and so is its socket.
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // False when another running process holds the lock.
    bool isFirst() const { return m_first; }

    // The first copy: listens for later starts. False when the socket could
    // not be made (later starts then simply end).
    bool listen();

    // A later copy: gives the first its arguments (absolute paths, or none)
    // and says whether the first took them, within `timeoutMs`.
    bool handOver(const QStringList &arguments, int timeoutMs = 5000);

signals:
    // A later start's arguments, on the first copy's thread, from an event of
    // its own: a receiver may wait in a modal loop.
    void handedOver(const QStringList &arguments);

private:
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_first = false;
};

} // namespace platform
