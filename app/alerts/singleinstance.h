#pragma once

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLocalSocket;

namespace alerts {

// One resident program per user. The first to start holds a lock and listens
// on a local socket in the user's runtime folder; a later one finds the lock
// taken, asks the first to open its main window and leaves. A run of
// lembrete --avisar asks it, on the same socket, to show the notices, and a
// run that added a reminder tells it to show the new list. The program with
// the main window alone takes part the same way, so one program per user has
// the reminders open.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // folder: where the lock and the socket live; the user's runtime folder by default.
    explicit SingleInstance(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    static QString defaultFolder();

    // Becomes the resident instance; false when another one holds the lock.
    bool tryBecomeResident();

    // Asks the resident instance to open its main window; false when none answered.
    bool handOver(int timeoutMs = 3000) const;

    // Tells the running instance, if any, that the reminders changed; false
    // when none listens. Does not wait for one that is still starting.
    bool tellChanged(int timeoutMs = 1000) const;

    // Asks the resident instance to announce its reminders now, provided it
    // keeps them in database: the service sends the answers to a notice's
    // actions only to the program that showed it, and the resident one stays
    // to open its window. Unset when it did not take the request; else
    // whether the notices went out.
    std::optional<bool> askToAnnounce(const QString &database, int timeoutMs = 15000) const;

    // What the resident instance does on such a request: announce when it
    // keeps database, answering whether the notices went out; unset when not.
    using AnnounceHandler = std::function<std::optional<bool>(const QString &database)>;
    void setAnnounceHandler(AnnounceHandler handler) { m_announce = std::move(handler); }

    QString socketPath() const;

signals:
    // Another start handed over to this instance.
    void activationRequested();
    // Another run changed the reminders.
    void reloadRequested();

private:
    bool send(const QByteArray &line, int timeoutMs) const;
    void readRequests();
    void handle(QLocalSocket *socket, const QByteArray &line);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    AnnounceHandler m_announce;
};

} // namespace alerts
