#include "forms/frmcalculardias.h"
#include "ui_frmcalculardias.h"

#include "forms/backgroundpicture.h"
#include "forms/windowkeys.h"

#include "runtime/platform.h"

#include <QPixmap>

namespace {

const QString kInvalidDate = QStringLiteral("A data digitada é invalida!");

} // namespace

frmcalculardias::frmcalculardias(runtime::Platform &platform, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::frmcalculardias>())
    , m_platform(platform)
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    connect(ui->cmdcalcular, &QPushButton::clicked, this, &frmcalculardias::cmdcalcular_Click);
    WindowKeys::install(*this, ui->cmdcalcular, true);
    Form_Load();
}

frmcalculardias::~frmcalculardias() = default;

void frmcalculardias::Form_Load()
{
    applyBackgroundPicture(*this, m_platform);
}

void frmcalculardias::cmdcalcular_Click()
{
    // The first date that does not convert stops the count; the previous
    // result stays in place.
    const daytext::TypedDay start = ui->txtinicio->day();
    if (!start.ok()) {
        m_platform.messages().show(this, runtime::MessageIcon::Warning, kInvalidDate, QStringLiteral("Erro"));
        return;
    }
    const daytext::TypedDay end = ui->txtfim->day();
    if (!end.ok()) {
        m_platform.messages().show(this, runtime::MessageIcon::Warning, kInvalidDate, QStringLiteral("Erro"));
        return;
    }
    ui->txtdias->setText(QString::number(start.day.daysTo(end.day)) + QStringLiteral(" dias"));
}
