#pragma once

#include "store/stepgate.h"

#include <QString>
#include <functional>

class QSqlDatabase;

// The indexes behind finding a reminder fast:
//
// - lembrete_data on (data, titulo), the list's order.
// - lembrete_especiais_lista, the rows with a time or a repetition (see recurrencecolumns.h).
// - lembrete_busca, the full-text index (see searchindex.h), which also
//   narrows the look-up of a title (see titlematch.h).
//
// Setting up a connection is cheap; building what is missing may take long on
// a large file and goes in short steps (build()), on the opening thread or on
// a thread of its own. A file that cannot be written still opens: what cannot
// be created is done without.
namespace reminderindexes {

// Sets the connection up and, when the file may be written, drops the title
// key's index that earlier versions kept.
void prepare(const QSqlDatabase &connection, bool writable);

// Whether build() has nothing to do; a few catalogue and index look-ups.
bool complete(const QSqlDatabase &connection);

// Builds what is missing through gate, telling progress (0 to 100) as it goes.
// False when a step failed (a file that cannot be written) or gate stopped it.
bool build(const QSqlDatabase &connection, StepGate &gate, const std::function<void(int)> &progress);

// Whether the full-text index is there to be searched.
bool searchable(const QSqlDatabase &connection);

} // namespace reminderindexes
