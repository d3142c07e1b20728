#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class modgeral;

// Reminders in and out of the open reminder database: the iCalendar export
// and import and the separated-values export of every reminder. The menu
// commands and the command line both call these.
namespace exchange {

struct ExportResult
{
    bool ok = false;
    int written = 0;
    int unreadableDays = 0; // rows whose stored day is no date, left out
    bool uidsNotStored = false; // the database could not keep the UIDs given to its reminders
    QString error;          // on failure, in words for the user
};

// Gives every reminder without a UID a new one and stores it (after the
// day's copy). False, with *error, when the database cannot keep them.
bool storeMissingUids(modgeral &store, QString *error);

// Writes every reminder as an all-day event, in day and title order. A
// reminder without a UID gets a new one, stored before the file is written,
// so it keeps it across exports and edits.
ExportResult exportCalendar(modgeral &store, const QString &path, const QDateTime &stamp);

// Writes every reminder as "Data;Título;Descrição" lines, in day and title order.
ExportResult exportCsv(modgeral &store, const QString &path);

struct ImportResult
{
    bool ok = false;
    int imported = 0;
    int alreadyPresent = 0; // items whose UID (and occurrence) the database already holds
    int setAside = 0;
    int recurring = 0;      // reminders made from occurrences of recurring items
    int capped = 0;         // recurring items cut at the occurrence limit
    QDate windowFirst;      // the days recurring items were expanded over
    QDate windowLast;
    QString rejectFile;     // the items set aside and why, when there are any
    QString error;
};

// Adds the calendar file's items to the database in one transaction. Items
// set aside are written, with the reason, to a text file in rejectFolder.
ImportResult importCalendar(modgeral &store, const QString &path, const QDate &today,
                            const QString &rejectFolder);

// Said after an export whose UIDs could not be stored.
QString uidsNotStoredNote();

// The sentences that tell the user how an import went.
QString summary(const ImportResult &result, const QString &path);

// True when the file's content is iCalendar (whatever its name).
bool isCalendarFile(const QString &path);

} // namespace exchange
