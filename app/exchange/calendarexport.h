#pragma once

#include "exchange/icalobject.h"

#include <QDateTime>
#include <QString>

class QIODevice;
class QSqlDatabase;

// Writes every reminder to a calendar file, one at a time, so the memory it
// takes does not grow with the file. A reminder that came from another
// calendar is written as the object it came from with what was changed here
// patched in; the others as events of this program: timed or all-day, with
// their rule, excluded days and warning. Occurrences rewritten on their own
// go with their series (RECURRENCE-ID).
namespace calendarexport {

struct Counts
{
    int written = 0;
    int unreadableDays = 0; // rows whose stored day is no date, left out
};

// A stored reminder as the fields an object is patched with (texts as stored).
struct StoredTiming
{
    QString time;
    QString rule;
    QString exceptions;
    QString lead;
    QString replaces;
};
icalendar::original::Fields fieldsOf(const QDate &day, const QString &title, const QString &description,
                                     const StoredTiming &timing);

bool write(const QSqlDatabase &db, QIODevice &out, const QDateTime &stamp, Counts *counts, QString *error);

} // namespace calendarexport
