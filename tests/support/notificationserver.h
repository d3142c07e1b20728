#pragma once

#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// One notification as the server kept it.
struct ArrivedNotice
{
    QString appName, summary, body;
};

// A real notification service: Debian's dunst on a private session bus and X display (Xvfb), stopped with the object.
class NotificationServer
{
public:
    NotificationServer() = default;
    ~NotificationServer();
    Q_DISABLE_COPY(NotificationServer)

    // Starts the display, the bus and dunst; false with error() set when a program is missing or does not come up.
    bool start();
    QString error() const { return m_error; }
    QDBusConnection bus() const;
    // The environment a program started by the test needs to reach the server.
    QProcessEnvironment environment() const;

    // Closes what is on screen (the history then holds all) and returns what came since forgetHistory(), newest first.
    QList<ArrivedNotice> closeAllAndReadHistory();
    // Runs the default action of the newest notice on screen.
    bool invokeDefaultAction() { return dunstctl({"action", "0"}); }
    // Chooses the action with this label in the context menu of what is on screen, as a user would.
    bool invokeAction(const QString &label) { return writeFile("escolha", label.toUtf8() + '\n') && dunstctl({"context"}); }
    // How many notices are on screen; -1 when dunst did not answer.
    int displayedCount();
    // Leaves what arrived so far out of the next readings.
    void forgetHistory() { m_forgotten += closeAllAndReadHistory().size(); }

private:
    // Starts program; with firstLine, waits for the first line it prints.
    bool launch(const QString &program, const QStringList &arguments, QString *firstLine = nullptr);
    bool writeFile(const QString &name, const QByteArray &text);
    bool dunstctl(const QStringList &arguments, QByteArray *output = nullptr);
    // Keeps the first reason the start failed.
    bool fail(const QString &error) { return (m_error = m_error.isEmpty() ? error : m_error, false); }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QString m_busAddress, m_display, m_error;
    const QString m_connectionName = QStringLiteral("notificationserver-%1").arg(quintptr(this));
    qsizetype m_forgotten = 0;
};
