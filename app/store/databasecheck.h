#pragma once

#include <QString>

class QSqlDatabase;

// What the open routine checks in a file before it takes it as the reminder
// database. Both return an empty text when the file passes, else what is wrong
// in words for the user; neither writes to the file.
namespace databasecheck {

enum class Shape { Reminders, NoTables, Foreign };

// Only a database without any table may become a reminder database; one with
// a table this program does not make (beside lembrete or without it), or a
// lembrete without the reminder columns, belongs to someone else.
Shape shapeOf(const QSqlDatabase &db, QString *problem);

// SQLite's own check of the file's structure (the quick form: it reads every
// page once, which a list of a million reminders can afford at start-up).
QString damageOf(const QSqlDatabase &db);

} // namespace databasecheck
