#include "alerts/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace alerts {

namespace {

const QByteArray kOpenRequest = QByteArrayLiteral("abrir\n");
// Followed by the ids of notices another run of the program showed.
const QByteArray kNoticesRequest = QByteArrayLiteral("avisos");

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

bool SingleInstance::residentAnswers(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    return socket.waitForConnected(timeoutMs);
}

bool SingleInstance::tellNoticesShown(const QList<uint> &ids, int timeoutMs) const
{
    QByteArray line = kNoticesRequest;
    for (const uint id : ids)
        line += ' ' + QByteArray::number(id);
    return send(line + '\n', timeoutMs);
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
                handle(socket->readLine());
        });
        if (socket->canReadLine())
            emit socket->readyRead();
    }
}

void SingleInstance::handle(const QByteArray &line)
{
    if (line == kOpenRequest) {
        emit activationRequested();
        return;
    }
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.first() != kNoticesRequest)
        return;
    QList<uint> ids;
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool ok = false;
        const uint id = words.at(i).toUInt(&ok);
        if (ok)
            ids.append(id);
    }
    if (!ids.isEmpty())
        emit noticesShown(ids);
}

} // namespace alerts
