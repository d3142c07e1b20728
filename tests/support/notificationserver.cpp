#include "notificationserver.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

NotificationServer::~NotificationServer()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
    // The last started goes first: dunst, then the bus, then the display.
    for (; !m_processes.empty(); m_processes.pop_back()) {
        m_processes.back()->terminate();
        m_processes.back()->waitForFinished(5000); // else killed as it is deleted
    }
}

bool NotificationServer::launch(const QString &program, const QStringList &arguments, QString *firstLine)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return fail(program + " is not installed (scripts/install-deps.sh installs it)");
    QProcess &process = *m_processes.emplace_back(std::make_unique<QProcess>());
    process.setProcessEnvironment(environment());
    // Should the test itself die, the servers go with it.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(path, arguments);
    if (!process.waitForStarted(10000))
        return fail(program + " did not start: " + process.errorString());
    while (firstLine && !process.canReadLine() && process.waitForReadyRead(20000))
        continue;
    if (firstLine && (*firstLine = QString::fromUtf8(process.readLine()).trimmed()).isEmpty())
        return fail(program + " printed nothing");
    return true;
}

bool NotificationServer::writeFile(const QString &name, const QByteArray &text)
{
    QFile file(m_dir.filePath(name));
    return (file.open(QIODevice::WriteOnly) && file.write(text) == text.size()
            && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
           || fail("cannot write " + file.fileName());
}

bool NotificationServer::start()
{
    // Xvfb picks a free display itself and writes its number on the given descriptor. The bus of its own starts no
    // service on demand: only the dunst started here answers, and nothing outlives the test. dunst's context menu
    // chooser picks the line naming the action invokeAction() asks for.
    const QByteArray dir = m_dir.path().toUtf8();
    if (!launch("Xvfb", QString("-displayfd 1 -nolisten tcp -screen 0 800x600x24").split(' '), &m_display)
        || !writeFile("bus.conf", "<busconfig><type>session</type><listen>unix:dir=" + dir
                                      + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                        "</policy></busconfig>\n")
        || !launch("dbus-daemon", {"--config-file=" + dir + "/bus.conf", "--nofork", "--nopidfile", "--print-address=1"},
                   &m_busAddress)
        || !writeFile("escolher", "#!/bin/sh\nexec grep -m1 -F -f '" + dir + "/escolha'\n")
        || !writeFile("dunstrc", "[global]\n    markup = full\n    history_length = 10000\n    idle_threshold = 0\n"
                                 "    sticky_history = yes\n    dmenu = " + dir + "/escolher\n")
        || !launch("dunst", {"-config", dir + "/dunstrc"}))
        return false;
    for (const QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(100)) {
        if (bus().isConnected() && bus().interface()->isServiceRegistered("org.freedesktop.Notifications"))
            return true;
    }
    return fail("dunst did not take org.freedesktop.Notifications");
}

QDBusConnection NotificationServer::bus() const
{
    const QDBusConnection connection(m_connectionName);
    return connection.isConnected() ? connection : QDBusConnection::connectToBus(m_busAddress, m_connectionName);
}

QProcessEnvironment NotificationServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", m_dir.path());
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", ':' + m_display);
    env.insert("DBUS_SESSION_BUS_ADDRESS", m_busAddress);
    return env;
}

bool NotificationServer::dunstctl(const QStringList &arguments, QByteArray *output)
{
    QProcess dunstctl;
    dunstctl.setProcessEnvironment(environment());
    dunstctl.start("dunstctl", arguments);
    if (!dunstctl.waitForFinished(20000))
        return false; // killed as it goes
    if (output)
        *output = dunstctl.readAllStandardOutput();
    return dunstctl.exitStatus() == QProcess::NormalExit && dunstctl.exitCode() == 0;
}

QList<ArrivedNotice> NotificationServer::closeAllAndReadHistory()
{
    dunstctl({"close-all"});
    QByteArray json;
    QList<ArrivedNotice> arrived;
    if (!dunstctl({"history"}, &json))
        return arrived;
    const QJsonArray notices = QJsonDocument::fromJson(json)["data"].toArray().at(0).toArray();
    const auto field = [](const QJsonValue &notice, const char *name) { return notice[QLatin1String(name)]["data"].toString(); };
    // Newest first: what came after the last forgetHistory() leads the list.
    for (qsizetype i = 0; i < notices.size() - m_forgotten; ++i)
        arrived.append({field(notices[i], "appname"), field(notices[i], "summary"), field(notices[i], "body")});
    return arrived;
}

int NotificationServer::displayedCount()
{
    QByteArray count;
    return dunstctl({"count", "displayed"}, &count) ? count.trimmed().toInt() : -1;
}
