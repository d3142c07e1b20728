#include "forms/frmpormes.h"
#include "ui_frmpormes.h"

#include "forms/backgroundpicture.h"

#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <almanaqlib.h>

#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>

frmpormes::frmpormes(runtime::Platform &platform, modgeral &store, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::frmpormes>())
    , m_platform(platform)
    , m_store(store)
{
    ui->setupUi(this);
    // The day column fits a whole date in the list's bold font; the title
    // column, the widest, takes what the other two leave.
    const int dayWidth = ui->lstlista->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    ui->lstlista->setColumnWidth(0, std::max(80, dayWidth));
    ui->lstlista->setColumnWidth(1, 285 - std::max(80, dayWidth));
    ui->lstlista->setColumnWidth(2, 95);
    createCalendar();
    setFixedSize(sizeHint());
    Form_Load();
}

frmpormes::~frmpormes() = default;

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

bool frmpormes::fail(const QString &description)
{
    m_lastError = description;
    return false;
}

bool frmpormes::carregarlista()
{
    ui->lstlista->clear();
    const QDate day = selectedDay();
    if (!day.isValid())
        return fail(QStringLiteral("o calendário não tem uma data selecionada."));
    // Reads through the connection the main window keeps open.
    if (!m_store.openRecordset(modgeral::oneDay(day)))
        return fail(m_store.lastError());

    QSqlQuery &recordset = m_store.recordset();
    while (recordset.next()) {
        const QDate today = m_platform.clock().today();
        const QDate stored = daytext::fromStored(recordset.value(1).toString());
        const QString title = recordset.value(2).toString();
        if (!stored.isValid() || recordset.value(2).isNull())
            return fail(QStringLiteral("um lembrete do dia %1 não tem data ou título válidos.")
                                .arg(daytext::shown(day)));
        ui->lstlista->addTopLevelItem(new QTreeWidgetItem(
                QStringList{daytext::shown(stored), title, daytext::daysLeft(stored, today)}));
    }
    if (recordset.lastError().isValid())
        return fail(modgeral::incompleteList(recordset.lastError().text(), ui->lstlista->topLevelItemCount()));
    return true;
}
