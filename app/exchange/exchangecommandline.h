#pragma once

#include <QStringList>

class QTextStream;

// "lembrete --exportar ARQUIVO.ics|ARQUIVO.csv" and "lembrete --importar
// ARQUIVO" for an iCalendar file (recognised by its content; other files go
// to the old-format import). They work on the reminder database of
// programFolder without a window.
namespace exchange {

bool isExchangeCommand(const QStringList &arguments);
bool isExchangeCommand(int argc, char *argv[]);

// Prints what was done to out and failures to err. Returns the exit status:
// 0 on success, 1 when the work failed, 2 for a malformed command line.
int runExchangeCommand(const QStringList &arguments, QTextStream &out, QTextStream &err,
                       const QString &programFolder);

} // namespace exchange
