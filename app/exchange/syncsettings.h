#pragma once

#include <QString>

namespace runtime {
class SettingsAccess;
}

// Where to sync and as whom. The password is never kept here: it lives in the
// desktop's secret service (see PasswordVault).
struct SyncSettings
{
    QString address; // the calendar collection's address
    QString user;
    bool atStart = false; // "Sincronizar ao iniciar"

    static SyncSettings load(const runtime::SettingsAccess &settings);
    void save(runtime::SettingsAccess &settings) const;

    bool configured() const;
    // Names the account in the secret service and in the sync state.
    QString account() const;
};
