#pragma once

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

    QString socketPath() const;

signals:
    // Another start handed over to this instance.
    void activationRequested();

private:
    void readRequests();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

} // namespace alerts
