#include "exchange/synccontroller.h"

#include "exchange/passwordvault.h"
#include "exchange/synccommand.h"
#include "runtime/platform.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QProgressDialog>

namespace {

const QString kTitle = QStringLiteral("Sincronização");

class PasswordDialog final : public PasswordPrompt
{
public:
    bool ask(QWidget *owner, const QString &account, QString *password) override
    {
        bool accepted = false;
        *password = QInputDialog::getText(owner, kTitle,
                                          QStringLiteral("Senha da sincronização para %1:").arg(account),
                                          QLineEdit::Password, QString(), &accepted);
        return accepted && !password->isEmpty();
    }
};

} // namespace

std::unique_ptr<PasswordPrompt> makePasswordDialog()
{
    return std::make_unique<PasswordDialog>();
}

SyncController::SyncController(runtime::Platform &platform, modgeral &store,
                               std::unique_ptr<PasswordVault> vault, std::unique_ptr<PasswordPrompt> prompt,
                               QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_store(store)
    , m_vault(std::move(vault))
    , m_prompt(std::move(prompt))
{
}

SyncController::~SyncController() = default;

SyncSettings SyncController::settings() const
{
    return SyncSettings::load(m_platform.settings());
}

QString SyncController::save(const SyncSettings &settings, const QString &password)
{
    settings.save(m_platform.settings());
    if (password.isEmpty())
        return QString();
    QString why;
    if (m_vault->write(settings.account(), password, &why)) {
        m_runPassword.clear();
        return QString();
    }
    m_runPassword = password;
    return QStringLiteral("A senha não pôde ser guardada no serviço de senhas do sistema (%1). Ela vale "
                          "só até o programa ser fechado e será pedida de novo na próxima vez.")
        .arg(why);
}

bool SyncController::passwordFor(QWidget *owner, const SyncSettings &settings, QString *password)
{
    if (!m_runPassword.isEmpty()) {
        *password = m_runPassword;
        return true;
    }
    QString why;
    if (m_vault->read(settings.account(), password, &why) && !password->isEmpty())
        return true;
    if (!m_prompt->ask(owner, settings.account(), password))
        return false;
    m_runPassword = *password; // asked once per run
    return true;
}

SyncOutcome SyncController::syncNow(QWidget *owner)
{
    SyncOutcome outcome;
    if (m_running)
        return outcome;
    const SyncSettings current = settings();
    if (!current.configured()) {
        outcome.message = QStringLiteral("A sincronização não está configurada. Informe o endereço da "
                                         "coleção de calendário em Principal > Sincronização...");
        m_platform.messages().show(owner, runtime::MessageIcon::Information, outcome.message, kTitle);
        return outcome;
    }
    QString password;
    if (!passwordFor(owner, current, &password)) {
        outcome.message = QStringLiteral("Sincronização cancelada.");
        return outcome;
    }
    m_running = true;
    QProgressDialog progress(QStringLiteral("Conectando ao servidor..."), QString(), 0, 0, owner);
    progress.setObjectName(QStringLiteral("progressosincronizacao"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();
    outcome = synchronize(current, password, m_store.connection(), m_platform.clock(),
                          [&progress](const QString &step) { progress.setLabelText(step); });
    progress.close();
    m_running = false;
    if (outcome.credentialsRefused)
        m_runPassword.clear(); // asked again next time
    emit synchronized();
    m_platform.messages().show(owner, outcome.ok ? runtime::MessageIcon::Information : runtime::MessageIcon::Critical,
                               outcome.message, kTitle);
    return outcome;
}

void SyncController::tell(QWidget *owner, const QString &text) const
{
    m_platform.messages().show(owner, runtime::MessageIcon::Information, text, kTitle);
}
