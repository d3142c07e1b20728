#pragma once

class QSqlDatabase;

// The reminder table's uid column: the iCalendar UID (with the occurrence of
// a recurring item) a reminder was imported with or exported under. Rows
// written by other programs have none (NULL) until they are exported.
namespace uidcolumn {

// Adds the column to a table lembrete that lacks it, leaving every other
// column and row as it is. False when the table cannot be changed (a
// read-only file): the reminders can still be read without it.
bool ensure(const QSqlDatabase &db);

bool exists(const QSqlDatabase &db);

} // namespace uidcolumn
