#pragma once

#include "exchange/icalendar.h"

#include <QSqlDatabase>

// Earlier versions made one reminder per occurrence of a repeating item,
// each under the UID "UID/occurrence". When the series comes again, those
// copies are folded into its one repeating reminder: copies left as they
// came go, copies edited here become occurrences of their own, and days
// whose copy was removed here become excluded days.
namespace expandedcopies {

// The series was just written as the reminder with key seriesKey.
bool fold(const QSqlDatabase &db, qint64 seriesKey, const icalendar::Item &series, QString *error);

} // namespace expandedcopies
