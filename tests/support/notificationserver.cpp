#include "notificationserver.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace {

QString firstLine(QProcess *process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process->canReadLine() && !deadline.hasExpired()) {
        if (!process->waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
            break;
    }
    return QString::fromUtf8(process->readLine()).trimmed();
}

} // namespace

NotificationServer::NotificationServer()
    : m_connectionName(QStringLiteral("notificationserver-%1").arg(quintptr(this)))
{
}

NotificationServer::~NotificationServer()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
    // The last started goes first: dunst, then the bus, then the display.
    for (; !m_processes.empty(); m_processes.pop_back()) {
        QProcess *process = m_processes.back().get();
        process->terminate();
        if (!process->waitForFinished(5000))
            process->kill(), process->waitForFinished(5000);
    }
}

QProcess *NotificationServer::launch(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return fail(program + QStringLiteral(" is not installed (scripts/install-deps.sh installs it)")), nullptr;
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    // Should the test itself die, the servers go with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(path, arguments);
    if (!process->waitForStarted(10000))
        return fail(program + QStringLiteral(" did not start: ") + process->errorString()), nullptr;
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

bool NotificationServer::writeFile(const QString &name, const QByteArray &text)
{
    QFile file(m_dir.filePath(name));
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size()
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return true;
    return fail(QStringLiteral("cannot write ") + file.fileName());
}

bool NotificationServer::start()
{
    // Xvfb picks a free display itself and writes its number on the given descriptor.
    QProcess *xvfb = launch(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -nolisten tcp -screen 0 800x600x24")
                                                        .split(QLatin1Char(' ')));
    m_display = xvfb ? QLatin1Char(':') + firstLine(xvfb, 20000) : QString();
    if (m_display.size() < 2)
        return fail(QStringLiteral("Xvfb gave no display"));

    // A bus of its own that starts no service on demand: only the dunst started
    // here answers, and nothing outlives the test.
    if (!writeFile(QStringLiteral("bus.conf"),
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8()
                       + "</listen><auth>EXTERNAL</auth>"
                         "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n"))
        return false;
    QProcess *daemon = launch(QStringLiteral("dbus-daemon"),
                              {QStringLiteral("--config-file=") + m_dir.filePath(QStringLiteral("bus.conf")),
                               QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                               QStringLiteral("--print-address=1")});
    m_busAddress = daemon ? firstLine(daemon, 20000) : QString();
    if (m_busAddress.isEmpty())
        return fail(QStringLiteral("dbus-daemon gave no address"));

    // The context menu's chooser picks the line naming the action invokeAction() asks for.
    if (!writeFile(QStringLiteral("escolher"),
                   "#!/bin/sh\nexec grep -m1 -F -f '" + m_dir.filePath(QStringLiteral("escolha")).toUtf8() + "'\n")
        || !writeFile(QStringLiteral("dunstrc"),
                      "[global]\n    markup = full\n    history_length = 10000\n    idle_threshold = 0\n"
                      "    sticky_history = yes\n    dmenu = " + m_dir.filePath(QStringLiteral("escolher")).toUtf8()
                          + "\n")
        || !launch(QStringLiteral("dunst"), {QStringLiteral("-config"), m_dir.filePath(QStringLiteral("dunstrc"))}))
        return false;
    for (const QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(100)) {
        const QDBusConnection connection = bus();
        if (connection.isConnected()
            && connection.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")))
            return true;
    }
    return fail(QStringLiteral("dunst did not take org.freedesktop.Notifications"));
}

QDBusConnection NotificationServer::bus() const
{
    const QDBusConnection connection(m_connectionName);
    return connection.isConnected() ? connection : QDBusConnection::connectToBus(m_busAddress, m_connectionName);
}

QProcessEnvironment NotificationServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!m_display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), m_display);
    if (!m_busAddress.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return env;
}

bool NotificationServer::dunstctl(const QStringList &arguments, QByteArray *output)
{
    QProcess dunstctl;
    dunstctl.setProcessEnvironment(environment());
    dunstctl.start(QStringLiteral("dunstctl"), arguments);
    if (!dunstctl.waitForFinished(20000))
        return dunstctl.kill(), dunstctl.waitForFinished(), false;
    if (output)
        *output = dunstctl.readAllStandardOutput();
    return dunstctl.exitStatus() == QProcess::NormalExit && dunstctl.exitCode() == 0;
}

QList<ArrivedNotice> NotificationServer::closeAllAndReadHistory()
{
    dunstctl({QStringLiteral("close-all")});
    QByteArray json;
    QList<ArrivedNotice> arrived;
    if (!dunstctl({QStringLiteral("history")}, &json))
        return arrived;
    const QJsonArray notices = QJsonDocument::fromJson(json)["data"].toArray().at(0).toArray();
    const auto field = [](const QJsonValue &notice, const char *name) { return notice[QLatin1String(name)]["data"].toString(); };
    // Newest first: what came after the last forgetHistory() leads the list.
    for (qsizetype i = 0; i < notices.size() - m_forgotten; ++i)
        arrived.append({field(notices[i], "appname"), field(notices[i], "summary"), field(notices[i], "body")});
    return arrived;
}

bool NotificationServer::invokeAction(const QString &label)
{
    return writeFile(QStringLiteral("escolha"), label.toUtf8() + '\n') && dunstctl({QStringLiteral("context")});
}

int NotificationServer::displayedCount()
{
    QByteArray count;
    return dunstctl({QStringLiteral("count"), QStringLiteral("displayed")}, &count) ? count.trimmed().toInt() : -1;
}
