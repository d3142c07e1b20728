#pragma once

#include "exchange/syncengine.h"
#include "exchange/syncsettings.h"

#include <QObject>
#include <memory>

class PasswordVault;
class QWidget;
class modgeral;

namespace runtime {
class Platform;
}

// Asks the user for the sync password. Tests replace it with a double.
class PasswordPrompt
{
public:
    virtual ~PasswordPrompt() = default;
    // False when the user cancels.
    virtual bool ask(QWidget *owner, const QString &account, QString *password) = 0;
};

std::unique_ptr<PasswordPrompt> makePasswordDialog();

// The sync as the windows use it: the settings, the password (secret
// service; without one, asked once per run) and "Sincronizar agora" with its
// progress and outcome shown to the user.
class SyncController : public QObject
{
    Q_OBJECT
public:
    SyncController(runtime::Platform &platform, modgeral &store, std::unique_ptr<PasswordVault> vault,
                   std::unique_ptr<PasswordPrompt> prompt, QObject *parent = nullptr);
    ~SyncController() override;

    SyncSettings settings() const;
    // Keeps the settings, and the password when one is given. Returns a notice
    // for the user when the password could only be kept for this run.
    QString save(const SyncSettings &settings, const QString &password);

    SyncOutcome syncNow(QWidget *owner);
    // A notice about the sync, in a message box.
    void tell(QWidget *owner, const QString &text) const;

signals:
    // A sync ran: the reminder list should be read again.
    void synchronized();

private:
    bool passwordFor(QWidget *owner, const SyncSettings &settings, QString *password);

    runtime::Platform &m_platform;
    modgeral &m_store;
    std::unique_ptr<PasswordVault> m_vault;
    std::unique_ptr<PasswordPrompt> m_prompt;
    QString m_runPassword; // for this run only, when there is no secret service
    bool m_running = false;
};
