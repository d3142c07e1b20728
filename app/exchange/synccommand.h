#pragma once

#include "exchange/syncengine.h"

#include <QString>

class PasswordVault;
class QSqlDatabase;
class QTextStream;
struct SyncSettings;

namespace runtime {
class Clock;
class Platform;
}

// One sync of the open reminder database with the configured collection.
SyncOutcome synchronize(const SyncSettings &settings, const QString &password, const QSqlDatabase &db,
                        const runtime::Clock &clock, const SyncEngine::Progress &progress = {},
                        int timeoutMs = 30000);

// lembrete --sincronizar: syncs without a window, progress and the outcome on
// standard error. The password comes from ZEDOZARIR_SENHA (environmentPassword)
// or else the secret service. 0 on success, 1 on failure.
int runSyncCommand(runtime::Platform &platform, PasswordVault &vault, const QString &environmentPassword,
                   QTextStream &err);

// The --sincronizar run of the program in executableFolder: the secret
// service and the environment's password.
int runSyncCommandFor(const QString &executableFolder, QTextStream &err);
