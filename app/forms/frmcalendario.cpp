#include "forms/frmcalendario.h"
#include "ui_frmcalendario.h"
#include "forms/windowkeys.h"

#include "runtime/controlhost.h"

#include <almanaqlib.h>

frmcalendario::frmcalendario(runtime::Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmcalendario>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui->setupUi(this);
    WindowKeys::install(*this, nullptr, true);
    // The window keeps no saved properties for its calendar: every one takes its default.
    m_dayboard1 = runtime::ControlHost(platform).create(QString::fromLatin1(almanaq::ProgId),
                                                         QStringLiteral("Dayboard1"),
                                                         ui->Dayboard1Site);
}

frmcalendario::~frmcalendario() = default;
