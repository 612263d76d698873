#include "platform/single_instance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace platform {

namespace {

constexpr char kAcknowledged = '\x06';

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_socketPath = QDir(folder).filePath(name + QStringLiteral(".socket"));
    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // A running holder never goes stale; only a dead one's lock is taken over.
    m_lock->setStaleLockTime(0);
    m_first = m_lock->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen()
{
    if (!m_first)
        return false;
    // Holding the lock, any socket already there was left by a copy that died.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                QDataStream in(socket);
                in.setVersion(QDataStream::Qt_6_4);
                in.startTransaction();
                QStringList arguments;
                in >> arguments;
                if (!in.commitTransaction())
                    return; // the rest is still on its way
                socket->write(&kAcknowledged, 1);
                socket->flush();
                // Told once this handler has returned: a receiver may show a
                // notice, whose event loop would free the socket (the later
                // start has gone) while its own signal still runs.
                QMetaObject::invokeMethod(
                    this, [this, arguments] { emit handedOver(arguments); }, Qt::QueuedConnection);
            });
        }
    });
    return m_server->listen(m_socketPath);
}

bool SingleInstance::handOver(const QStringList &arguments, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first copy may still be starting: try until it listens.
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 0))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << arguments;
    socket.write(message);
    if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 0))))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0))))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAcknowledged;
}

} // namespace platform
