#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reminder files as they may be found at start-up.
namespace startupfiles {

// The bytes of an SQLite file made by running statements in a fresh database.
QByteArray sqliteFile(const QStringList &statements);

// A reminder database of rows reminders ("Lembrete 0000", ...) over a year, with its day-and-title index; damaged,
// that index has one page overwritten, so its check fails and a list in day order stops midway.
QByteArray reminders(int rows, bool damaged);

// Runs statements on another program's connection (no functions of ours); false with the failing one in *failed.
bool asAnotherProgram(const QString &path, const QStringList &statements, QString *failed = nullptr);

// What an older version left: no search index and no index of title keys.
QStringList withoutNewIndexes();

} // namespace startupfiles
