#pragma once

#include <QString>

// Files that a write under a temporary name leaves behind when its process is
// killed midway: a new database an import was building, a partial day's copy.
// Each run removes those whose writer is gone, never one still being written.
namespace leftovers {

// Marks the open file fd as being written by this process for as long as it
// stays open (an advisory lock, released by the system however the process
// ends). False when the lock could not be taken.
bool holdWhileOpen(int fd);

// The name pattern of the new databases an import builds beside databaseName:
// databaseName + ".XXXXXX.novo".
QString unfinishedImportTemplate(const QString &databaseName);

// Removes from folder the new databases of imports that no longer run, with
// their journals.
void removeUnfinishedImports(const QString &folder, const QString &databaseName);

// Removes from folder the partial day's copies (dados-aaaa-mm-dd.mdb.parcial-PID)
// of processes that no longer run, with their journals.
void removeUnfinishedCopies(const QString &folder);

} // namespace leftovers
