#pragma once

#include "store/recurrencecolumns.h"

#include <QDate>
#include <QString>

class modgeral;

// Changes to one day of a repeating reminder, leaving the rest of its series
// as it is. Each is one transaction: on failure nothing is written and *error
// says why in words for the user.
namespace occurrences {

// Takes day out of the series with this key (its excluded days); *previous
// receives the excluded days as they were, to put them back on undo.
bool exclude(modgeral &store, qint64 key, const QDate &day, QString *previous, QString *error);
// Puts back the excluded days of the series with this key as they were.
bool restoreExclusions(modgeral &store, qint64 key, const QString &text, QString *error);

// What a reminder made from one day of a series holds.
struct Detached
{
    QString storedDay; // "yyyy/mm/dd"
    QString title;
    QString description;
    recurrencecolumns::Timing timing;
};
// Makes the day occurrence of the series seriesKey a reminder of its own,
// linked to the series by its key and that day (serie, ocorrencia), and takes
// the day out of the series.
bool detach(modgeral &store, qint64 seriesKey, const QDate &occurrence, const Detached &reminder,
            QString *error);

} // namespace occurrences
