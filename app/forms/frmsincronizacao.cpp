#include "forms/frmsincronizacao.h"
#include "ui_frmsincronizacao.h"

#include "exchange/synccontroller.h"

#include <QPushButton>

frmsincronizacao::frmsincronizacao(SyncController &controller, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::frmsincronizacao>())
    , m_controller(controller)
{
    ui->setupUi(this);
    const SyncSettings settings = controller.settings();
    ui->txtendereco->setText(settings.address);
    ui->txtusuario->setText(settings.user);
    ui->chkiniciar->setChecked(settings.atStart);
    ui->botoes->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdok"));
    ui->botoes->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdcancelar"));
    connect(ui->botoes, &QDialogButtonBox::accepted, this, &frmsincronizacao::cmdok_Click);
    connect(ui->botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->cmdsincronizar, &QPushButton::clicked, this, &frmsincronizacao::cmdsincronizar_Click);
}

frmsincronizacao::~frmsincronizacao() = default;

bool frmsincronizacao::saveSettings()
{
    SyncSettings settings;
    settings.address = ui->txtendereco->text().trimmed();
    settings.user = ui->txtusuario->text().trimmed();
    settings.atStart = ui->chkiniciar->isChecked();
    if (!settings.address.isEmpty() && !settings.configured()) {
        m_controller.tell(this, QStringLiteral("O endereço da coleção deve começar com https:// ou http:// "
                                               "e incluir o nome do servidor."));
        ui->txtendereco->setFocus();
        return false;
    }
    const QString notice = m_controller.save(settings, ui->txtsenha->text());
    ui->txtsenha->clear();
    if (!notice.isEmpty())
        m_controller.tell(this, notice);
    return true;
}

void frmsincronizacao::cmdok_Click()
{
    if (saveSettings())
        accept();
}

void frmsincronizacao::cmdsincronizar_Click()
{
    if (saveSettings())
        m_controller.syncNow(this);
}
