#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

class QSqlDatabase;

// Table lembrete_ical: the iCalendar object (a calendar holding the item, the
// occurrences rewritten on their own and the time zones they name) each
// reminder from a file or a server came from, under the reminder's UID.
namespace icalobjects {

bool ensure(const QSqlDatabase &db);
bool exists(const QSqlDatabase &db);

// Stores (or replaces) the object kept for uid.
bool write(const QSqlDatabase &db, const QString &uid, const QByteArray &object);
// The object kept for uid; empty when none.
QByteArray read(const QSqlDatabase &db, const QString &uid);
// Every object, by UID (for an export).
QHash<QString, QByteArray> readAll(const QSqlDatabase &db);
bool remove(const QSqlDatabase &db, const QString &uid);

} // namespace icalobjects
