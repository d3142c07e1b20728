#pragma once

class QSqlDatabase;

// The tables in which the sync with a calendar server keeps what it
// remembers inside the reminder database (see exchange/syncstate.h). They are
// made here, where the database's other columns and tables are made, so the
// open routine needs nothing from the sync.
namespace synctables {

// Adds the tables to a reminder database that lacks them; the reminder table
// stays as it is. False when the file cannot be changed (read-only): the
// reminders can still be read, only the sync then fails with a message.
bool ensure(const QSqlDatabase &db);

} // namespace synctables
