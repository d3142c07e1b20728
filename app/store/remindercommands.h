#pragma once

#include "store/daytext.h"

#include <QDate>
#include <QString>

class QTextStream;
class modgeral;

namespace runtime {
class Platform;
}

// The reminder commands for scripts: lembrete --listar and lembrete --novo.
// They go through the store as the windows do; messages for the user are
// written to err, in the windows' words.
namespace remindercommands {

enum class ListFormat {
    Text, // day, days left and title, aligned for reading
    Tsv,  // day, days left (a number), title and description, tab-separated
};

// Prints the reminders of view ("todos", "hoje", "amanha", "7dias", "15dias";
// the saved view when empty) one per line, in the main window's order.
// 0 when listed (none included); 1 when the database could not be opened or
// read to the end; 2 for an unknown view.
int listReminders(modgeral &store, const runtime::Platform &platform, const QString &view, ListFormat format,
                  QTextStream &out, QTextStream &err);

// A day given on the command line: "hoje", "amanhã" (or "amanha") or a typed
// dd/mm/aaaa, read as the editor reads it.
daytext::TypedDay commandDay(const QString &text, const QDate &today);

// Adds a reminder with the editor's checks and through the store's change
// path (the day's copy first; a damaged database refused), then prints it.
// 0 when added; 1 when it could not be written; 2 for a missing or wrong day
// or an empty title, with the editor's message.
int addReminder(modgeral &store, const runtime::Platform &platform, const QString &day, const QString &title,
                const QString &description, QTextStream &out, QTextStream &err);

// A text as one tab-separated field: backslash, tab and line breaks escaped
// ("\\", "\t", "\n"; a line break kept as CR LF is one "\n", a lone CR "\r").
QString tsvField(const QString &text);

} // namespace remindercommands
