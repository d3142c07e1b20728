#pragma once

#include "store/recurrence.h"
#include "store/recurrencecolumns.h"

#include <QWidget>

class DateBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// The editor's fields for when a reminder happens beyond its day: "Hora",
// "Repetir" with its end, and "Avisar". Left as they open (no time, no
// repetition, warn at the time), a reminder is saved as day-only and once.
class ScheduleFields : public QWidget
{
    Q_OBJECT
public:
    using Values = recurrencecolumns::Timing;

    explicit ScheduleFields(QWidget *parent = nullptr);

    // Shows a stored reminder's values; a rule the fields do not offer is
    // kept as it is unless another repetition is chosen.
    void setValues(const Values &values);
    // Back to no time, no repetition, warn at the time.
    void clear();
    // The values to store. False, with the reason for the user in *error,
    // when a field does not read (a time that is not HH:MM, an end before firstDay).
    bool read(const QDate &firstDay, Values *values, QString *error) const;

private:
    void createFields();
    void followChoices();
    recurrence::RepeatChoice choice() const;

    QLineEdit *m_time = nullptr;
    QComboBox *m_repeat = nullptr;
    QSpinBox *m_interval = nullptr;
    QComboBox *m_end = nullptr;
    DateBox *m_until = nullptr;
    QSpinBox *m_count = nullptr;
    QComboBox *m_warn = nullptr;
    QString m_otherRule; // a rule brought from elsewhere, kept while "Outra regra" is chosen
};
