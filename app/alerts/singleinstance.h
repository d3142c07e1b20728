#pragma once

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace alerts {

// One resident program per user. The first to start holds a lock and listens
// on a local socket in the user's runtime folder; a later one finds the lock
// taken, asks the first to open its main window and leaves.
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

    // Whether a resident instance listens now.
    bool residentAnswers(int timeoutMs = 500) const;
    // Tells the resident instance about notices shown by another run (lembrete
    // --avisar), so that their "Abrir" reaches it.
    bool tellNoticesShown(const QList<uint> &ids, int timeoutMs = 3000) const;

    QString socketPath() const;

signals:
    // Another start handed over to this instance.
    void activationRequested();
    // Another run showed these notices.
    void noticesShown(const QList<uint> &ids);

private:
    bool send(const QByteArray &line, int timeoutMs) const;
    void readRequests();
    void handle(const QByteArray &line);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

} // namespace alerts
