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

QString field(const QJsonObject &notice, const char *name)
{
    return notice.value(QLatin1String(name)).toObject().value(QStringLiteral("data")).toString();
}

} // namespace

NotificationServer::NotificationServer()
    : m_connectionName(QStringLiteral("notificationserver-%1").arg(quintptr(this)))
{
}

NotificationServer::~NotificationServer()
{
    stop();
}

QProcess *NotificationServer::launch(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        m_error = program + QStringLiteral(" is not installed (scripts/install-deps.sh installs it)");
        return nullptr;
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setProcessChannelMode(QProcess::SeparateChannels);
    // Should the test itself die, the servers go with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(path, arguments);
    if (!process->waitForStarted(10000)) {
        m_error = program + QStringLiteral(" did not start: ") + process->errorString();
        return nullptr;
    }
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

bool NotificationServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // Xvfb picks a free display itself and writes its number on the given descriptor.
    QProcess *xvfb = launch(QStringLiteral("Xvfb"),
                            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("800x600x24")});
    if (!xvfb)
        return false;
    const QString number = firstLine(xvfb, 20000);
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb gave no display");
        return false;
    }
    m_display = QLatin1Char(':') + number;

    // A bus of its own that starts no service on demand: only the dunst started
    // here answers, and nothing outlives the test.
    QFile busConfig(m_dir.filePath(QStringLiteral("bus.conf")));
    if (!busConfig.open(QIODevice::WriteOnly)
        || busConfig.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig><type>session</type><listen>unix:dir="
                           + m_dir.path().toUtf8() + "</listen><auth>EXTERNAL</auth>"
                           "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
               < 0) {
        m_error = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    busConfig.close();
    QProcess *daemon = launch(QStringLiteral("dbus-daemon"),
                              {QStringLiteral("--config-file=") + busConfig.fileName(),
                               QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                               QStringLiteral("--print-address=1")});
    if (!daemon)
        return false;
    m_busAddress = firstLine(daemon, 20000);
    if (m_busAddress.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon gave no address");
        return false;
    }

    // The context menu's chooser picks the line naming the action invokeAction() asks for.
    QFile chooser(m_dir.filePath(QStringLiteral("escolher")));
    if (!chooser.open(QIODevice::WriteOnly)
        || chooser.write("#!/bin/sh\nexec grep -m1 -F -f '" + m_dir.filePath(QStringLiteral("escolha")).toUtf8()
                         + "'\n") < 0
        || !chooser.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        m_error = QStringLiteral("cannot write the context menu's chooser");
        return false;
    }
    chooser.close();
    QFile config(m_dir.filePath(QStringLiteral("dunstrc")));
    if (!config.open(QIODevice::WriteOnly)
        || config.write("[global]\n    markup = full\n    history_length = 10000\n"
                        "    idle_threshold = 0\n    sticky_history = yes\n"
                        "    dmenu = " + chooser.fileName().toUtf8() + "\n") < 0) {
        m_error = QStringLiteral("cannot write the dunst configuration");
        return false;
    }
    config.close();
    if (!launch(QStringLiteral("dunst"), {QStringLiteral("-config"), config.fileName()}))
        return false;
    if (!waitForService(20000)) {
        m_error = QStringLiteral("dunst did not take org.freedesktop.Notifications");
        return false;
    }
    return true;
}

QDBusConnection NotificationServer::bus() const
{
    QDBusConnection connection(m_connectionName);
    if (connection.isConnected())
        return connection;
    return QDBusConnection::connectToBus(m_busAddress, m_connectionName);
}

QProcessEnvironment NotificationServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    if (!m_display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!m_busAddress.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return env;
}

bool NotificationServer::waitForService(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QDBusConnection connection = bus();
        if (connection.isConnected()
            && connection.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")))
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool NotificationServer::runDunstctl(const QStringList &arguments, QByteArray *output)
{
    QProcess dunstctl;
    dunstctl.setProcessEnvironment(environment());
    dunstctl.start(QStringLiteral("dunstctl"), arguments);
    if (!dunstctl.waitForFinished(20000)) {
        dunstctl.kill();
        dunstctl.waitForFinished();
        return false;
    }
    if (output)
        *output = dunstctl.readAllStandardOutput();
    return dunstctl.exitStatus() == QProcess::NormalExit && dunstctl.exitCode() == 0;
}

QList<ArrivedNotice> NotificationServer::closeAllAndReadHistory()
{
    runDunstctl({QStringLiteral("close-all")});
    QByteArray json;
    QList<ArrivedNotice> arrived;
    if (!runDunstctl({QStringLiteral("history")}, &json))
        return arrived;
    const QJsonArray notices = QJsonDocument::fromJson(json).object().value(QStringLiteral("data"))
                                   .toArray().at(0).toArray();
    // Newest first: what came after the last forgetHistory() leads the list.
    for (qsizetype i = 0; i < notices.size() - m_forgotten; ++i) {
        const QJsonValue value = notices.at(i);
        const QJsonObject notice = value.toObject();
        arrived.append({field(notice, "appname"), field(notice, "summary"), field(notice, "body"),
                        field(notice, "icon_path")});
    }
    return arrived;
}

bool NotificationServer::invokeDefaultAction()
{
    return runDunstctl({QStringLiteral("action"), QStringLiteral("0")});
}

bool NotificationServer::invokeAction(const QString &label)
{
    QFile choice(m_dir.filePath(QStringLiteral("escolha")));
    if (!choice.open(QIODevice::WriteOnly) || choice.write(label.toUtf8() + '\n') < 0)
        return false;
    choice.close();
    return runDunstctl({QStringLiteral("context")});
}

int NotificationServer::displayedCount()
{
    QByteArray count;
    if (!runDunstctl({QStringLiteral("count"), QStringLiteral("displayed")}, &count))
        return -1;
    return count.trimmed().toInt();
}

void NotificationServer::forgetHistory()
{
    m_forgotten += closeAllAndReadHistory().size();
}

void NotificationServer::stop()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
    // The last started goes first: dunst, then the bus, then the display.
    while (!m_processes.empty()) {
        QProcess *process = m_processes.back().get();
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
        m_processes.pop_back();
    }
}
