#include "forms/frmpormes.h"
#include "ui_frmpormes.h"

#include "forms/backgroundpicture.h"
#include "forms/listenterkey.h"
#include "forms/reminderlistmodel.h"
#include "forms/windowkeys.h"

#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "runtime/windowplacement.h"
#include "settings/settingsstore.h"
#include "store/daytext.h"
#include "store/listreader.h"
#include "store/modgeral.h"

#include <almanaqlib.h>

#include <QHeaderView>
#include <QSqlQuery>

#include <algorithm>

frmpormes::frmpormes(runtime::Platform &platform, modgeral &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmpormes>())
    , m_platform(platform)
    , m_store(store)
    , m_rows(new ReminderListModel(this))
{
    ui->setupUi(this);
    ui->lstlista->setModel(m_rows);
    fitColumns();
    ListEnterKey::install(*ui->lstlista, [this](const QModelIndex &index) { lstlista_DblClick(index); });
    connect(ui->lstlista, &QAbstractItemView::doubleClicked, this, &frmpormes::lstlista_DblClick);
    createCalendar();
    WindowKeys::install(*this, nullptr, true);
    // The designed size is the smallest; the list takes the room gained.
    setMinimumSize(sizeHint());
    resize(sizeHint());
    runtime::windowplacement::restore(*this, settings::read(platform.settings(), settings::keys::JanelaPorData));
    Form_Load();
}

frmpormes::~frmpormes() = default;

void frmpormes::closeEvent(QCloseEvent *event)
{
    settings::write(m_platform.settings(), settings::keys::JanelaPorData, runtime::windowplacement::remember(*this));
    QWidget::closeEvent(event);
}

// The day column fits a whole date in the list's bold font and the last one
// its whole header; the title column takes whatever the list has left, so
// the three fit it with no sideways scrolling.
void frmpormes::fitColumns()
{
    QTreeView *list = ui->lstlista;
    QHeaderView *header = list->header();
    const int dayWidth = list->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ReminderListModel::TitleColumn, QHeaderView::Stretch);
    list->setColumnWidth(ReminderListModel::DayColumn, std::max(80, dayWidth));
    list->setColumnWidth(ReminderListModel::DaysLeftColumn,
                         std::max(95, header->sectionSizeHint(ReminderListModel::DaysLeftColumn)));
}

// The calendar starts on today, so the first list is today's reminders.
void frmpormes::createCalendar()
{
    m_calendar = runtime::ControlHost(m_platform).createCalendar(
        ui->areacalendario, m_platform.clock().today(), this, SLOT(calendario_Click()));
}

void frmpormes::Form_Load()
{
    m_picture = applyBackgroundPicture(*this, m_platform);
    // A closed database has been reported by the main window already.
    if (!carregarlista() && m_store.isOpen())
        m_platform.messages().show(this, runtime::MessageIcon::Critical,
                                   QStringLiteral("Ocorreu o seguinte erro: ") + m_lastError,
                                   QStringLiteral("Erro"));
}

QDate frmpormes::selectedDay() const
{
    if (!m_calendar)
        return m_platform.clock().today();
    return almanaq::automationDateDay(m_calendar->property("SelectedDate").toDouble());
}

void frmpormes::calendario_Click()
{
    if (!carregarlista()) {
        m_platform.messages().show(this, runtime::MessageIcon::Critical,
                                   QStringLiteral("Ocorreu o seguinte erro: ") + m_lastError,
                                   QStringLiteral("Erro"));
    }
}

void frmpormes::lstlista_DblClick(const QModelIndex &index)
{
    if (index.isValid())
        emit abrirLembrete(m_rows->key(index.row()));
}

bool frmpormes::fail(const QString &description)
{
    m_lastError = description;
    return false;
}

bool frmpormes::carregarlista()
{
    m_rows->clear();
    const QDate day = selectedDay();
    if (!day.isValid())
        return fail(QStringLiteral("o calendário não tem uma data selecionada."));
    // Reads through the connection the main window keeps open.
    ReminderRows rows;
    ListReader reader(m_store.connection());
    // Without the reminders that have a time or repeat (a failed read) the day's others still show.
    m_store.refreshSchedule();
    const Schedule &schedule = m_store.schedule();
    const bool complete = reader.read(modgeral::oneDay(day), rows, schedule, schedule.between(day, day));
    const qsizetype untitled = reader.firstRowWithoutTitle();
    if (untitled >= 0)
        rows.truncate(untitled);
    m_rows->setRows(std::move(rows), m_platform.clock().today());
    m_rows->showMore(m_rows->rowsTaken());
    if (untitled >= 0)
        return fail(QStringLiteral("um lembrete do dia %1 não tem data ou título válidos.")
                            .arg(daytext::shown(day)));
    if (!reader.started())
        return fail(reader.error());
    if (!complete)
        return fail(modgeral::incompleteList(reader.error(), m_rows->rowCount()));
    markDaysWithReminders(day);
    return true;
}

// The calendar shows in bold the days that have reminders, a year either side
// of the chosen day: as far as the month arrows usually go.
void frmpormes::markDaysWithReminders(const QDate &around)
{
    if (!m_calendar)
        return;
    QSqlQuery query(m_store.connection());
    query.prepare(QStringLiteral("select distinct data from lembrete where data between ? and ?"));
    query.addBindValue(daytext::stored(around.addYears(-1)));
    query.addBindValue(daytext::stored(around.addYears(1)));
    QList<QDate> busy = m_store.schedule().busyDays(around.addYears(-1), around.addYears(1));
    if (query.exec()) {
        while (query.next()) {
            const QDate day = daytext::fromStored(query.value(0).toString());
            if (day.isValid())
                busy.append(day);
        }
    }
    std::sort(busy.begin(), busy.end());
    busy.erase(std::unique(busy.begin(), busy.end()), busy.end());
    QVariantList days;
    for (const QDate &day : busy)
        days.append(almanaq::toAutomationDate(day));
    m_calendar->setProperty("BoldDays", days);
}
