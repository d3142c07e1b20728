#include "alerts/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace alerts {

namespace {

const QByteArray kOpenRequest = QByteArrayLiteral("abrir\n");

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequests);
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

QString SingleInstance::defaultFolder()
{
    // XDG_RUNTIME_DIR belongs to the user alone, so the key needs no user name;
    // Qt falls back to a private folder under /tmp where it is unset.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("zedozarir-lembrete.socket"));
}

bool SingleInstance::tryBecomeResident()
{
    QDir().mkpath(m_folder);
    auto lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(QStringLiteral("zedozarir-lembrete.lock")));
    lock->setStaleLockTime(0); // a lock left by a program that died is taken over
    if (!lock->tryLock())
        return false;
    m_lock = std::move(lock);
    // Only the lock holder listens, so a socket file still there was left behind.
    QLocalServer::removeServer(socketPath());
    return m_server.listen(socketPath());
}

bool SingleInstance::handOver(int timeoutMs) const
{
    // The resident instance may still be starting: it takes the lock before it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(kOpenRequest);
            const bool written = socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1)));
            socket.disconnectFromServer();
            return written;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
}

void SingleInstance::readRequests()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kOpenRequest)
                    emit activationRequested();
            }
        });
        if (socket->canReadLine())
            emit socket->readyRead();
    }
}

} // namespace alerts
