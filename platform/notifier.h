// The program's notices: the information box, the one that closes itself, a
// yes/no question, a box with a longer list to unfold, and the desktop's own
// notification for a run that ends while the window is in the background.
// Workflows talk to this interface so tests can record the notices instead of
// showing them.
#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QWidget;

namespace platform {

class DesktopNotifications;

class Notifier {
public:
    virtual ~Notifier() = default;
    // Modal box titled "提示" with the information icon and an OK button.
    virtual void information(const QString &text) = 0;
    // The same box with `details` (a long list, say) behind a button that
    // unfolds them in a scrolling, selectable field.
    virtual void detailedInformation(const QString &text, const QString &details) = 0;
    // The same box, closing itself after `timeout` unless the user closes it first.
    virtual void selfClosingInformation(const QString &text, std::chrono::milliseconds timeout) = 0;
    // Modal question titled "提示" with Yes and No; true for Yes.
    virtual bool question(const QString &text) = 0;
    // A notification of the desktop, with an action that opens `folder` when
    // it is not empty. Nothing where no notification server answers.
    virtual void desktopNotification(const QString &text, const QString &folder) = 0;
};

// Notices shown with Qt message boxes over an owner window; desktop
// notifications through org.freedesktop.Notifications on the session bus.
class QtNotifier final : public Notifier {
public:
    explicit QtNotifier(QWidget *owner = nullptr);
    ~QtNotifier() override;
    void setOwner(QWidget *owner) { m_owner = owner; }
    void information(const QString &text) override;
    void detailedInformation(const QString &text, const QString &details) override;
    void selfClosingInformation(const QString &text, std::chrono::milliseconds timeout) override;
    bool question(const QString &text) override;
    void desktopNotification(const QString &text, const QString &folder) override;

private:
    QWidget *m_owner;
    std::unique_ptr<DesktopNotifications> m_desktop;
};

inline constexpr std::chrono::milliseconds kSelfClosingTimeout{1500};

// How wide a line of a notice's text may be, in pixels of `owner`'s screen,
// before the box wraps it: lines kept within it leave the box one line each.
int noticeLineWidth(const QWidget *owner);

} // namespace platform
