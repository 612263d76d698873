#include "platform/notifier.h"

#include "platform/desktop_notifications.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

QString title() { return QCoreApplication::translate("platform", "提示", "the title of every notice"); }

const QScreen *screenOf(const QWidget *owner)
{
    if (owner && owner->screen())
        return owner->screen();
    return QGuiApplication::primaryScreen();
}

// Room the box keeps beside its text: its margins and the icon's column.
constexpr int kBesideText = 120;

} // namespace

int noticeLineWidth(const QWidget *owner)
{
    const QScreen *screen = screenOf(owner);
    const int screenWidth = screen ? screen->availableGeometry().width() : 800;
    // A message box grows no wider than the whole of a screen up to 1024
    // pixels wide, or than the screen less 480 pixels (at most 1000) on a
    // wider one.
    const int widest = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
    return std::max(100, widest - kBesideText);
}

namespace {

// The box is made as wide as its longest line, up to noticeLineWidth: by
// itself it wraps every line past half the screen or 500 pixels.
void widenToLines(QMessageBox &box, const QWidget *owner)
{
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString &line : box.text().split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(std::min(widest + 2, noticeLineWidth(owner)));
}

} // namespace

QtNotifier::QtNotifier(QWidget *owner) : m_owner(owner) { }

QtNotifier::~QtNotifier() = default;

void QtNotifier::information(const QString &text)
{
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_owner);
    widenToLines(box, m_owner);
    box.exec();
}

void QtNotifier::detailedInformation(const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_owner);
    widenToLines(box, m_owner);
    box.setDetailedText(details);
    box.setDefaultButton(QMessageBox::Ok);
    const QScreen *screen = screenOf(m_owner);
    // The unfolded list scrolls within what the screen has left below the text.
    if (auto *list = box.findChild<QTextEdit *>()) {
        const int room = screen ? screen->availableGeometry().height() - box.sizeHint().height() - 48 : 100;
        list->setFixedHeight(std::clamp(room, 48, 160));
    }
    // Unfolding grows the box downwards; it moves up as far as the screen needs.
    for (QAbstractButton *button : box.buttons()) {
        if (box.buttonRole(button) != QMessageBox::ActionRole || !screen)
            continue;
        QObject::connect(button, &QAbstractButton::clicked, &box, [&box, screen] {
            QTimer::singleShot(0, &box, [&box, screen] {
                const QRect area = screen->availableGeometry();
                const QRect frame = box.frameGeometry();
                const int overhang = frame.bottom() - area.bottom();
                if (overhang > 0)
                    box.move(box.x(), std::max(area.top(), box.y() - overhang));
            });
        });
    }
    box.exec();
}

void QtNotifier::selfClosingInformation(const QString &text, std::chrono::milliseconds timeout)
{
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_owner);
    QTimer::singleShot(timeout, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
}

bool QtNotifier::question(const QString &text)
{
    return QMessageBox::question(m_owner, title(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void QtNotifier::desktopNotification(const QString &text, const QString &folder)
{
    if (!m_desktop)
        m_desktop = std::make_unique<DesktopNotifications>();
    const QString summary = m_owner ? m_owner->windowTitle() : QCoreApplication::applicationName();
    m_desktop->notify(summary, text, folder);
}

} // namespace platform
