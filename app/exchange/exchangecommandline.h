#pragma once

#include <QString>

class QTextStream;

// The command-line side of the exchange, without a window, on the reminder
// database of the program in executableFolder. Each prints what was done to
// out and failures to err, and returns the exit status: 0 on success, 1 when
// the work failed, 2 for a file name it cannot take.
namespace exchange {

// "lembrete --exportar ARQUIVO.ics" or "ARQUIVO.csv": every reminder.
int runExportCommand(const QString &file, const QString &executableFolder, QTextStream &out,
                     QTextStream &err);

// "lembrete --importar ARQUIVO" for a file whose content is iCalendar.
int runCalendarImportCommand(const QString &file, const QString &executableFolder, QTextStream &out,
                             QTextStream &err);

} // namespace exchange
