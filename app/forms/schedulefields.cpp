#include "forms/schedulefields.h"

#include "forms/datebox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using recurrence::End;
using recurrence::Repeat;

namespace {

struct RepeatItem
{
    const char *caption;
    Repeat repeat;
};

const RepeatItem kRepeats[] = {
    {"Não se repete", Repeat::Never},   {"Todos os dias", Repeat::Daily}, {"Todos os dias úteis", Repeat::Weekdays},
    {"Toda semana", Repeat::Weekly},    {"Todo mês", Repeat::Monthly},    {"Todo ano", Repeat::Yearly},
    {"A cada N dias", Repeat::EveryNDays},
};

struct WarnItem
{
    const char *caption;
    int minutes;
};

const WarnItem kWarnings[] = {
    {"na hora", 0},           {"5 minutos antes", 5}, {"15 minutos antes", 15},
    {"30 minutos antes", 30}, {"1 hora antes", 60},   {"1 dia antes", 1440},
};

QLabel *label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    return caption;
}

} // namespace

ScheduleFields::ScheduleFields(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("camposquando"));
    createFields();
    clear();
}

void ScheduleFields::createFields()
{
    m_time = new QLineEdit(this);
    m_time->setObjectName(QStringLiteral("txthora"));
    m_time->setAccessibleName(QStringLiteral("Hora"));
    m_time->setPlaceholderText(QStringLiteral("HH:MM"));
    m_time->setMaxLength(5);
    m_time->setFixedWidth(64);
    m_repeat = new QComboBox(this);
    m_repeat->setObjectName(QStringLiteral("cborepetir"));
    m_repeat->setAccessibleName(QStringLiteral("Repetir"));
    for (const RepeatItem &item : kRepeats)
        m_repeat->addItem(QString::fromUtf8(item.caption), int(item.repeat));
    m_interval = new QSpinBox(this);
    m_interval->setObjectName(QStringLiteral("txtintervalo"));
    m_interval->setAccessibleName(QStringLiteral("A cada N dias"));
    m_interval->setRange(2, 999);
    m_interval->setSuffix(QStringLiteral(" dias"));
    m_end = new QComboBox(this);
    m_end->setObjectName(QStringLiteral("cbofim"));
    m_end->setAccessibleName(QStringLiteral("Fim da repetição"));
    m_end->addItem(QStringLiteral("para sempre"), int(End::Forever));
    m_end->addItem(QStringLiteral("até"), int(End::Until));
    m_end->addItem(QStringLiteral("N vezes"), int(End::Count));
    m_until = new DateBox(this);
    m_until->setObjectName(QStringLiteral("txtate"));
    m_until->setAccessibleName(QStringLiteral("Até"));
    m_until->setFixedWidth(96);
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("txtvezes"));
    m_count->setAccessibleName(QStringLiteral("N vezes"));
    m_count->setRange(1, 9999);
    m_count->setSuffix(QStringLiteral(" vezes"));
    m_warn = new QComboBox(this);
    m_warn->setObjectName(QStringLiteral("cboavisar"));
    m_warn->setAccessibleName(QStringLiteral("Avisar"));
    for (const WarnItem &item : kWarnings)
        m_warn->addItem(QString::fromUtf8(item.caption), item.minutes);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(label(QStringLiteral("Hora:"), m_time, this), 0, 0);
    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(m_time);
    timeRow->addWidget(label(QStringLiteral("Avisar:"), m_warn, this));
    timeRow->addWidget(m_warn);
    timeRow->addStretch();
    grid->addLayout(timeRow, 0, 1);
    grid->addWidget(label(QStringLiteral("Repetir:"), m_repeat, this), 1, 0);
    auto *repeatRow = new QHBoxLayout;
    repeatRow->addWidget(m_repeat);
    repeatRow->addWidget(m_interval);
    repeatRow->addStretch();
    grid->addLayout(repeatRow, 1, 1);
    auto *endRow = new QHBoxLayout;
    endRow->addWidget(m_end);
    endRow->addWidget(m_until);
    endRow->addWidget(m_count);
    endRow->addStretch();
    grid->addLayout(endRow, 2, 1);
    grid->setColumnStretch(1, 1);

    connect(m_repeat, &QComboBox::currentIndexChanged, this, &ScheduleFields::followChoices);
    connect(m_end, &QComboBox::currentIndexChanged, this, &ScheduleFields::followChoices);
}

// Only what the choices use is offered; the rest stays in place, disabled,
// so the window does not change its size.
void ScheduleFields::followChoices()
{
    const auto repeat = Repeat(m_repeat->currentData().toInt());
    const auto end = End(m_end->currentData().toInt());
    const bool repeats = repeat != Repeat::Never;
    m_interval->setEnabled(repeat == Repeat::EveryNDays);
    m_end->setEnabled(repeats && repeat != Repeat::Other);
    m_until->setEnabled(m_end->isEnabled() && end == End::Until);
    m_count->setEnabled(m_end->isEnabled() && end == End::Count);
}

void ScheduleFields::clear()
{
    m_time->clear();
    m_otherRule.clear();
    const int other = m_repeat->findData(int(Repeat::Other));
    if (other >= 0)
        m_repeat->removeItem(other);
    m_repeat->setCurrentIndex(0);
    m_interval->setValue(2);
    m_end->setCurrentIndex(0);
    m_until->clear();
    m_count->setValue(10);
    m_warn->setCurrentIndex(0);
    followChoices();
}

void ScheduleFields::setValues(const Values &values)
{
    clear();
    m_time->setText(values.hora);
    const recurrence::RepeatChoice read = recurrence::choiceFor(values.repeticao);
    if (read.repeat == Repeat::Other) {
        m_otherRule = values.repeticao;
        m_repeat->addItem(QStringLiteral("Outra regra (mantida como veio)"), int(Repeat::Other));
    }
    m_repeat->setCurrentIndex(m_repeat->findData(int(read.repeat)));
    if (read.repeat == Repeat::EveryNDays)
        m_interval->setValue(read.interval);
    m_end->setCurrentIndex(m_end->findData(int(read.end)));
    if (read.end == End::Until)
        m_until->setDay(read.until);
    if (read.end == End::Count)
        m_count->setValue(read.count);
    const int warn = m_warn->findData(recurrence::leadFromText(values.antecedencia));
    m_warn->setCurrentIndex(std::max(warn, 0));
    followChoices();
}

recurrence::RepeatChoice ScheduleFields::choice() const
{
    recurrence::RepeatChoice choice;
    choice.repeat = Repeat(m_repeat->currentData().toInt());
    choice.interval = m_interval->value();
    choice.end = End(m_end->currentData().toInt());
    choice.until = m_until->day().day;
    choice.count = m_count->value();
    return choice;
}

bool ScheduleFields::read(const QDate &firstDay, Values *values, QString *error) const
{
    const QString time = m_time->text().trimmed();
    if (!time.isEmpty() && !recurrence::timeFromText(time).isValid()) {
        *error = QStringLiteral("a hora \"%1\" não é válida: escreva-a como HH:MM, por exemplo 14:30, "
                                "ou deixe o campo vazio para o dia todo.")
                     .arg(time);
        return false;
    }
    const recurrence::RepeatChoice chosen = choice();
    if (chosen.repeat != Repeat::Never && chosen.repeat != Repeat::Other && chosen.end == End::Until) {
        const daytext::TypedDay until = m_until->day();
        if (!until.ok()) {
            *error = QStringLiteral("a data final da repetição não é válida: ") + until.error;
            return false;
        }
        if (until.day < firstDay) {
            *error = QStringLiteral("a data final da repetição é anterior à data do lembrete.");
            return false;
        }
    }
    values->hora = time;
    values->repeticao = chosen.repeat == Repeat::Other ? m_otherRule : recurrence::ruleFor(chosen);
    const int lead = m_warn->currentData().toInt();
    values->antecedencia = lead > 0 ? QString::number(lead) : QString();
    return true;
}
