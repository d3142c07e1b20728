#include "alerts/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace alerts {

namespace {

const QByteArray kOpenRequest = QByteArrayLiteral("abrir\n");
const QByteArray kReloadRequest = QByteArrayLiteral("recarregar\n");
// Followed by the database's path; answered with one of the three replies.
const QByteArray kAnnounceRequest = QByteArrayLiteral("avisar ");
const QByteArray kDelivered = QByteArrayLiteral("avisado\n");
const QByteArray kNotDelivered = QByteArrayLiteral("sem-servico\n");
const QByteArray kNotMine = QByteArrayLiteral("outro-banco\n");

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
    return send(kOpenRequest, timeoutMs);
}

bool SingleInstance::tellChanged(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kReloadRequest);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

std::optional<bool> SingleInstance::askToAnnounce(const QString &database, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(std::min(timeoutMs, 1000)))
        return std::nullopt;
    socket.write(kAnnounceRequest + database.toUtf8().toPercentEncoding() + '\n');
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
            return std::nullopt;
    }
    const QByteArray reply = socket.readLine();
    if (reply == kDelivered)
        return true;
    if (reply == kNotDelivered)
        return false;
    return std::nullopt;
}

bool SingleInstance::send(const QByteArray &line, int timeoutMs) const
{
    // The resident instance may still be starting: it takes the lock before it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(line);
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
            while (socket->canReadLine())
                handle(socket, socket->readLine());
        });
        if (socket->canReadLine())
            emit socket->readyRead();
    }
}

void SingleInstance::handle(QLocalSocket *socket, const QByteArray &line)
{
    if (line == kOpenRequest) {
        emit activationRequested();
        return;
    }
    if (line == kReloadRequest) {
        emit reloadRequested();
        return;
    }
    if (!line.startsWith(kAnnounceRequest))
        return;
    const QString database = QString::fromUtf8(QByteArray::fromPercentEncoding(
        line.mid(kAnnounceRequest.size()).trimmed()));
    const std::optional<bool> delivered = m_announce ? m_announce(database) : std::nullopt;
    socket->write(!delivered ? kNotMine : *delivered ? kDelivered : kNotDelivered);
    socket->flush();
}

} // namespace alerts
