#include "platform/desktop_notifications.h"

#include "platform/native_path.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QUrl>
#include <QVariantMap>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kOpenAction = QStringLiteral("open-folder");
const QString kDefaultAction = QStringLiteral("default");
// A server that does not answer within this keeps the window waiting no longer.
constexpr int kCallTimeoutMs = 2000;

} // namespace

DesktopNotifications::DesktopNotifications(QObject *parent) : QObject(parent) { }

bool DesktopNotifications::notify(const QString &summary, const QString &body, const QString &folder)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!m_listening) {
        // Matched by path and interface, not by the service's owner: a server
        // started on demand by the first notification has none yet.
        bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
        m_listening = true;
    }
    QStringList actions;
    if (!folder.isEmpty())
        actions << kDefaultAction << QCoreApplication::translate("platform", "打开文件夹") << kOpenAction
                << QCoreApplication::translate("platform", "打开文件夹");
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(TARVEL_APP_ID));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral(TARVEL_APP_ID) << summary << body
         << actions << hints << int(-1);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    if (!folder.isEmpty())
        m_folders.insert(reply.arguments().constFirst().toUInt(), folder);
    return true;
}

void DesktopNotifications::actionInvoked(uint id, const QString &action)
{
    const auto found = m_folders.constFind(id);
    if (found == m_folders.constEnd() || (action != kOpenAction && action != kDefaultAction))
        return;
    openFolder(*found);
}

void DesktopNotifications::notificationClosed(uint id, uint) { m_folders.remove(id); }

bool openFolder(const QString &folder)
{
    // A name's bytes that are not UTF-8 stay as they are, percent-encoded.
    return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + nativePath(folder).toPercentEncoding("/")));
}

} // namespace platform
