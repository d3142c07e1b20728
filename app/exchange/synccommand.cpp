#include "exchange/synccommand.h"

#include "exchange/passwordvault.h"
#include "exchange/syncsettings.h"
#include "runtime/consolemessages.h"
#include "runtime/platform.h"
#include "store/jetimport.h"
#include "store/modgeral.h"

#include <QSqlDatabase>
#include <QTextStream>

SyncOutcome synchronize(const SyncSettings &settings, const QString &password, const QSqlDatabase &db,
                        const runtime::Clock &clock, const SyncEngine::Progress &progress, int timeoutMs)
{
    caldav::Client client({QUrl(settings.address), settings.user, password}, timeoutMs);
    SyncEngine engine(db, client, settings.account(), clock.today(), clock.now(), progress);
    return engine.run();
}

int runSyncCommand(runtime::Platform &platform, PasswordVault &vault, const QString &environmentPassword,
                   QTextStream &err)
{
    const SyncSettings settings = SyncSettings::load(platform.settings());
    if (!settings.configured()) {
        err << "Erro: a sincronização não está configurada. Informe o endereço da coleção de calendário "
               "em Principal > Sincronização...\n";
        err.flush();
        return 1;
    }
    QString password = environmentPassword;
    if (password.isEmpty()) {
        QString why;
        if (!vault.read(settings.account(), &password, &why)) {
            err << "Erro: a senha da sincronização não foi encontrada (" << why
                << "). Defina a variável de ambiente ZEDOZARIR_SENHA.\n";
            err.flush();
            return 1;
        }
    }
    platform.setMessageBoxes(std::make_unique<runtime::ConsoleMessages>(err));
    modgeral store(platform);
    store.setOpenFallback(olderEngineImportOffer(platform));
    store.abrirbanco();
    if (!store.isOpen())
        return 1;
    const SyncOutcome outcome = synchronize(settings, password, store.connection(), platform.clock(),
                                            [&err](const QString &step) {
                                                err << step << '\n';
                                                err.flush();
                                            });
    err << (outcome.ok ? "" : "Erro: ") << outcome.message << '\n';
    err.flush();
    return outcome.ok ? 0 : 1;
}

int runSyncCommandFor(const QString &executableFolder, QTextStream &err)
{
    runtime::Platform platform(executableFolder);
    const std::unique_ptr<PasswordVault> vault = makeSystemVault();
    return runSyncCommand(platform, *vault, qEnvironmentVariable("ZEDOZARIR_SENHA"), err);
}
