#include "forms/frmlembretesys.h"
#include "ui_frmlembretesys.h"

#include "forms/backgroundpicture.h"

#include "forms/frmprincipal.h"
#include "forms/windowkeys.h"
#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <almanaqlib.h>



namespace {

const QString kAddCaption = QStringLiteral("Adicionar lembrete");
// Shown greyed while the box is empty; never stored, since descriptions
// travel to other programs and devices.
const QString kDescriptionPrompt = QStringLiteral("Digite aqui uma descrição para seu lembrete");

} // namespace

frmlembretesys::frmlembretesys(runtime::Platform &platform, modgeral &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmlembretesys>())
    , m_platform(platform)
    , m_store(store)
{
    ui->setupUi(this);
    ui->txtdesc->setPlaceholderText(kDescriptionPrompt);
    connect(ui->cmdacao, &QPushButton::clicked, this, &frmlembretesys::cmdacao_Click);
    connect(ui->cmdcancelar, &QPushButton::clicked, this, &frmlembretesys::cmdcancelar_Click);
    WindowKeys::install(*this, ui->cmdacao, false);
    createCalendar();
    setFixedSize(sizeHint());
    Form_Load();
}

frmlembretesys::~frmlembretesys() = default;

frmlembretesys *frmlembretesys::showFor(frmprincipal &mainWindow, runtime::Platform &platform,
                                        modgeral &store)
{
    return platform.windows().show<frmlembretesys>([&] {
        auto *editor = new frmlembretesys(platform, store, &mainWindow);
        connect(editor, &frmlembretesys::saved, &mainWindow, &frmprincipal::carregarlista);
        return editor;
    });
}

void frmlembretesys::Form_Load()
{
    // A missing or unreadable picture leaves the window plain.
    m_picture = applyBackgroundPicture(*this, m_platform);
    ui->txtdata->setDay(m_platform.clock().today());
    m_store.abrirbanco();
}

// The calendar comes from its own library; without it the date is typed.
void frmlembretesys::createCalendar()
{
    m_calendar = runtime::ControlHost(m_platform).createCalendar(
        ui->areacalendario, m_platform.clock().today(), this, SLOT(calendario_Click()));
}

bool frmlembretesys::isAddMode() const
{
    return windowTitle().toLower() == kAddCaption.toLower();
}

void frmlembretesys::setActionCaption(const QString &caption)
{
    ui->cmdacao->setText(caption);
    ui->cmdacao->setAccessibleName(caption);
}

void frmlembretesys::fill(const QString &day, const QString &title, const QString &description)
{
    ui->txtdata->setText(day);
    ui->txttitulo->setText(title);
    ui->txtdesc->setPlainText(description);
    // The calendar turns to the reminder's month with its day selected.
    const daytext::TypedDay typed = ui->txtdata->day();
    if (m_calendar && typed.ok())
        m_calendar->setProperty("SelectedDate", almanaq::toAutomationDate(typed.day));
}

void frmlembretesys::calendario_Click()
{
    if (!m_calendar)
        return;
    const QDate day = almanaq::automationDateDay(m_calendar->property("SelectedDate").toDouble());
    if (day.isValid())
        ui->txtdata->setDay(day);
}

void frmlembretesys::cmdacao_Click()
{
    const QString warningTitle = QStringLiteral("Aviso");
    if (ui->txtdata->text().trimmed().isEmpty()) {
        m_platform.messages().show(this, runtime::MessageIcon::Warning,
                                   QStringLiteral("O campo data é de preenchimento obrigatório!"),
                                   warningTitle);
        return;
    }
    if (ui->txttitulo->text().trimmed().isEmpty()) {
        m_platform.messages().show(this, runtime::MessageIcon::Warning,
                                   QStringLiteral("O campo título é de preenchimento obrigatório!"),
                                   warningTitle);
        return;
    }
    if (isAddMode())
        adicionar();
    else
        editar();
}

void frmlembretesys::cmdcancelar_Click()
{
    close();
}

// The text box shows line breaks as "\n"; reminders keep them as CR LF, the
// form in which descriptions brought over from older files are stored too.
QString frmlembretesys::description() const
{
    QString text = ui->txtdesc->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmlembretesys::adicionar()
{
    save(&modgeral::appendReminder, QStringLiteral("Lembrete cadastrado com sucesso!"));
}

void frmlembretesys::editar()
{
    // The update fails, writing nothing, when the reminder was removed after
    // the edit began.
    save(&modgeral::updateReminder, QStringLiteral("Lembrete editado com sucesso!"));
}

void frmlembretesys::save(WriteReminder write, const QString &successMessage)
{
    m_store.abrirbanco();
    // Nothing is written unless the date is a day that exists.
    const daytext::TypedDay day = ui->txtdata->day();
    if (!day.ok()) {
        reportSaveError(day.error);
        return;
    }
    if (!(m_store.*write)(daytext::stored(day.day), ui->txttitulo->text(), description())) {
        reportSaveError(m_store.lastError());
        return;
    }
    finishSave(successMessage);
}

// A failed save keeps the window open with what the user typed; pressing the
// button again repeats the whole save.
void frmlembretesys::reportSaveError(const QString &description)
{
    m_platform.messages().show(this, runtime::MessageIcon::Critical,
                               QStringLiteral("Ocorreu o seguinte erro: ") + description,
                               QStringLiteral("Erro"));
}

void frmlembretesys::finishSave(const QString &message)
{
    m_platform.messages().show(this, runtime::MessageIcon::Information, message,
                               QStringLiteral("cadastrado"));
    emit saved();
    close();
}
