#pragma once

#include "store/stepgate.h"

#include <QString>
#include <functional>

class QSqlDatabase;

// The indexes behind finding a reminder fast:
//
// - lembrete_data on (data, titulo), the list's order.
// - lembrete_especiais_lista, the rows with a time or a repetition (see recurrencecolumns.h).
// - titulo_chave, the title case-folded across Unicode, indexed, so a title is
//   found without comparing every row. The program's own writes fill it (through
//   connection-only triggers that call chave_titulo()); a row another program
//   writes or retitles has it empty and is still found by the title itself.
// - lembrete_busca, the full-text index (see searchindex.h).
//
// Setting up a connection is cheap; building what is missing may take long on
// a large file and goes in short steps (build()), on the opening thread or on
// a thread of its own. A file that cannot be written still opens: what cannot
// be created is done without (temp.lembrete_titulos then folds every title as
// it reads it).
namespace reminderindexes {

// Registers the functions and the title view and, when the file may be
// written, adds the key column and what keeps it. False, with the reason,
// only when the connection itself cannot be prepared.
bool prepare(const QSqlDatabase &connection, bool writable, QString *error);

// chave_titulo() alone, for a connection that only builds.
bool registerFunctions(const QSqlDatabase &connection);

// Whether build() has nothing to do; a few catalogue and index look-ups.
bool complete(const QSqlDatabase &connection);

// Builds what is missing through gate, telling progress (0 to 100) as it goes.
// False when a step failed (a file that cannot be written) or gate stopped it.
bool build(const QSqlDatabase &connection, StepGate &gate, const std::function<void(int)> &progress);

// The title as titulo_chave holds it.
QString titleKey(const QString &title);

// Whether the full-text index is there to be searched.
bool searchable(const QSqlDatabase &connection);

} // namespace reminderindexes
