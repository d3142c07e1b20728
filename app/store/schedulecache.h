#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// The days a repeating reminder happens on soon, kept in the table
// lembrete_proxima so a start need not step every rule through libical
// again. Each entry holds what one pass found from a day on, and a signature
// of the texts it was found from: an entry whose signature no longer matches
// the row (edited here or by another program) is ignored and found again.
namespace schedulecache {

struct Entry
{
    qint64 key = 0;
    quint64 signature = 0;
    qint32 from = 0;       // day number the days were found from
    quint64 days = 0;      // bit i: the series happens on from + i (up to 63 days)
    qint32 after = -1;     // the first day past those; -1: the series has no more
    qint32 last = -1;      // the last day of a series that has ended; -1: not known
};

// The signature of a row's first day, rule and excluded days, as stored.
quint64 signature(QByteArrayView storedDay, QByteArrayView rule, QByteArrayView exceptions);

// Makes the table when it is missing. False when the file cannot be written.
bool ensure(const QSqlDatabase &db);
bool exists(sqlite3 *db);

// Every usable entry, by key. Read apart from the rows, in the table's own
// order: a join would seek the table once per row, which costs more than
// reading the rows themselves. Entries the file holds garbled are left out.
std::vector<Entry> readAll(sqlite3 *db);
// The entry for key in entries (as readAll() gives them), or null.
const Entry *find(const std::vector<Entry> &entries, qint64 key);

// Writes the entries in one transaction and, with dropGone, drops those of
// rows that are gone. False, with the reason, when the file refuses them.
bool write(sqlite3 *db, const std::vector<Entry> &entries, bool dropGone, QString *error);

} // namespace schedulecache
