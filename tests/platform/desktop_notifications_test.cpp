// The desktop's notifications, sent to a notification server of the test's
// own on a session bus of its own (the test runs under dbus-run-session).
#include "platform/desktop_notifications.h"

#include "platform/native_path.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

// org.freedesktop.Notifications as a desktop offers it, answering on a
// thread of its own while the program waits for its reply.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        QString summary, body;
        QStringList actions;
    };
    QList<Shown> shown() const
    {
        QMutexLocker lock(&m_mutex);
        return m_shown;
    }

public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        QMutexLocker lock(&m_mutex);
        m_shown.push_back({summary, body, actions});
        return uint(m_shown.size());
    }

private:
    mutable QMutex m_mutex;
    QList<Shown> m_shown;
};

// Where the desktop would open a folder.
class FolderOpener : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

TEST(DesktopNotifications, ShownByTheServerAndItsActionOpensTheFolder)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "runs under dbus-run-session";
    platform::DesktopNotifications notifications;
    // No server yet: nothing is shown, and that is all.
    EXPECT_FALSE(notifications.notify("Tarvel", "done", "/tmp"));

    QThread serverThread;
    auto *server = new NotificationServer;
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    QDBusConnection serverBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notification-server");
    ASSERT_TRUE(serverBus.registerObject("/org/freedesktop/Notifications", server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serverBus.registerService("org.freedesktop.Notifications"));

    FolderOpener opener;
    QDesktopServices::setUrlHandler("file", &opener, "open");
    // A folder name whose bytes are not UTF-8 keeps them.
    const QString folder = platform::pathFromNative("/tmp/out\xB5");
    EXPECT_TRUE(notifications.notify(QStringLiteral("Tarvel"), QStringLiteral(u"转换成功"), folder));
    EXPECT_TRUE(notifications.notify(QStringLiteral("Tarvel"), QStringLiteral("no folder"), QString()));
    const QList<NotificationServer::Shown> shown = server->shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].summary, "Tarvel");
    EXPECT_EQ(shown[0].body, QStringLiteral(u"转换成功"));
    EXPECT_TRUE(shown[0].actions.contains("open-folder")) << shown[0].actions.join(',').toStdString();
    EXPECT_TRUE(shown[1].actions.isEmpty());

    // The user picks the action of the first; the second's does nothing.
    for (uint id : {1u, 2u}) {
        QDBusMessage invoked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications", "ActionInvoked");
        invoked << id << QStringLiteral("open-folder");
        serverBus.send(invoked);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opener.opened.isEmpty(); }, 5000));
    QTest::qWait(200);
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0].toEncoded(), QByteArray("file:///tmp/out%B5"));

    QDesktopServices::unsetUrlHandler("file");
    serverBus.unregisterService("org.freedesktop.Notifications");
    serverBus.unregisterObject("/org/freedesktop/Notifications");
    serverThread.quit();
    serverThread.wait();
}

#include "desktop_notifications_test.moc"
