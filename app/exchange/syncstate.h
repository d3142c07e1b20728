#pragma once

#include <QString>

class QSqlDatabase;

// What the sync with a calendar server remembers inside the reminder
// database: for every reminder that the server holds, the object's address
// (href), its ETag, its UID and the reminder's content as last agreed with the
// server; and the server's sync token. A reminder without such a row was added
// here since; one whose content differs was edited here; a row whose reminder
// is gone was removed here.
namespace syncstate {

// Adds the tables to a reminder database that lacks them (store/synctables.h);
// the reminder table stays as it is. False when the file cannot be changed
// (read-only): the reminders can still be read, only the sync then fails.
bool ensure(const QSqlDatabase &db);

// The content of a reminder as compared between syncs.
QString content(const QString &storedDay, const QString &title, const QString &description);

} // namespace syncstate
