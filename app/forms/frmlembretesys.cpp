#include "forms/frmlembretesys.h"
#include "ui_frmlembretesys.h"

#include "forms/backgroundpicture.h"

#include "forms/frmprincipal.h"
#include "forms/schedulefields.h"
#include "forms/windowkeys.h"

#include <QLabel>
#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/occurrences.h"

#include <almanaqlib.h>

#include <QSqlDatabase>
#include <QSqlQuery>


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
    // The time, repetition and warning go below the description, above the buttons.
    m_when = new ScheduleFields(this);
    ui->layoutCampos->insertWidget(ui->layoutCampos->indexOf(ui->txtdesc) + 1, m_when);
    m_place = new QLabel(this);
    m_place->setObjectName(QStringLiteral("lbllocal"));
    m_place->setAccessibleName(QStringLiteral("Local"));
    m_place->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_place->setWordWrap(true);
    m_place->hide();
    ui->layoutCampos->insertWidget(ui->layoutCampos->indexOf(m_when), m_place);
    setTabOrder(ui->txtdesc, m_when);
    setTabOrder(m_when, ui->cmdacao);
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
    m_occurrence = QDate();
    m_seriesKey = 0;
    fillTiming({});
    showPlace(QString());
    ui->txtdata->setText(day);
    ui->txttitulo->setText(title);
    ui->txtdesc->setPlainText(description);
    // The calendar turns to the reminder's month with its day selected.
    const daytext::TypedDay typed = ui->txtdata->day();
    if (m_calendar && typed.ok())
        m_calendar->setProperty("SelectedDate", almanaq::toAutomationDate(typed.day));
}

void frmlembretesys::showPlace(const QString &place)
{
    m_place->setText(QStringLiteral("Local: ") + place);
    m_place->setVisible(!place.isEmpty());
}

void frmlembretesys::fillTiming(const recurrencecolumns::Timing &timing)
{
    m_storedTiming = timing;
    m_when->setValues(timing);
}

void frmlembretesys::editOccurrence(qint64 seriesKey, const QDate &occurrence)
{
    m_seriesKey = seriesKey;
    m_occurrence = occurrence;
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
    recurrencecolumns::Timing timing;
    QString error;
    if (!m_when->read(day.day, &timing, &error)) {
        reportSaveError(error);
        return;
    }
    const QString stored = daytext::stored(day.day);
    bool written;
    if (!isAddMode() && m_occurrence.isValid())
        written = detachOccurrence(stored, timing);
    else if (timing.isEmpty() && (isAddMode() || m_storedTiming.isEmpty()))
        written = (m_store.*write)(stored, ui->txttitulo->text(), description()); // a day-only reminder, as always
    else
        written = writeWithTiming(write, stored, timing);
    if (!written) {
        reportSaveError(m_store.lastError());
        return;
    }
    finishSave(successMessage);
}

// The row and its time, repetition and warning in one transaction.
bool frmlembretesys::writeWithTiming(WriteReminder write, const QString &day,
                                     const recurrencecolumns::Timing &timing)
{
    if (!m_store.beginChange())
        return false;
    QSqlDatabase db = m_store.connection();
    qint64 key = 0;
    if (!isAddMode()) {
        if (!m_store.openRecordset(m_store.editStatement()))
            return false;
        key = m_store.recordset().next() ? m_store.recordset().value(0).toLongLong() : 0;
        m_store.closeRecordset();
    }
    QString error;
    bool ok = db.transaction() && (m_store.*write)(day, ui->txttitulo->text(), description());
    if (ok && isAddMode())
        key = m_store.recordset().lastInsertId().toLongLong();
    ok = ok && recurrencecolumns::write(db, key, timing, &error) && db.commit();
    if (!ok) {
        db.rollback();
        if (!error.isEmpty())
            m_store.setLastError(error);
    }
    return ok;
}

bool frmlembretesys::detachOccurrence(const QString &day, const recurrencecolumns::Timing &timing)
{
    QString error;
    const occurrences::Detached reminder{day, ui->txttitulo->text(), description(), timing};
    if (occurrences::detach(m_store, m_seriesKey, m_occurrence, reminder, &error))
        return true;
    m_store.setLastError(error);
    return false;
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
