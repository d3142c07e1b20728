#include "exchange/passwordvault.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Zedozarir");

class KeychainVault final : public PasswordVault
{
public:
    bool read(const QString &account, QString *password, QString *error) override
    {
        QKeychain::ReadPasswordJob job(kService);
        job.setAutoDelete(false);
        job.setInsecureFallback(false);
        job.setKey(account);
        if (!wait(job, error))
            return false;
        *password = job.textData();
        return true;
    }

    bool write(const QString &account, const QString &password, QString *error) override
    {
        QKeychain::WritePasswordJob job(kService);
        job.setAutoDelete(false);
        job.setInsecureFallback(false);
        job.setKey(account);
        job.setTextData(password);
        return wait(job, error);
    }

private:
    static bool wait(QKeychain::Job &job, QString *error)
    {
        // The job may finish inside start() when there is no secret service.
        QEventLoop loop;
        bool finished = false;
        QObject::connect(&job, &QKeychain::Job::finished, &loop, [&]() {
            finished = true;
            loop.quit();
        });
        job.start();
        if (!finished)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (job.error() == QKeychain::NoError)
            return true;
        if (job.error() == QKeychain::EntryNotFound)
            *error = QStringLiteral("nenhuma senha guardada para esta conta");
        else if (job.error() == QKeychain::AccessDenied)
            *error = QStringLiteral("o acesso ao serviço de senhas do sistema foi negado");
        else
            *error = QStringLiteral("o serviço de senhas do sistema não está disponível");
        return false;
    }
};

} // namespace

std::unique_ptr<PasswordVault> makeSystemVault()
{
    return std::make_unique<KeychainVault>();
}
