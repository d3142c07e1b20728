#pragma once

#include "store/stepgate.h"

#include <functional>

class QSqlDatabase;

// lembrete_busca, the full-text index of titles and descriptions without
// regard to case or accents. Triggers that use nothing but SQLite itself keep
// it, so other programs' writes keep it too.
//
// It is filled in short steps, so the file stays open to writes meanwhile:
// while lembrete_busca_preparo names the last row indexed, the triggers keep
// only the rows up to it, and each step indexes the next rows and moves the
// mark, in one transaction. The last step puts the plain triggers in place.
namespace searchindex {

// Whether the index covers every reminder and is kept by its triggers.
bool complete(const QSqlDatabase &db);
bool exists(const QSqlDatabase &db);

// Brings the index up to date in steps through gate; progress gets the share
// done, 0 to 1. False when a step failed or the gate was stopped.
bool build(const QSqlDatabase &db, StepGate &gate, const std::function<void(double)> &progress);

// For many inserts inside the caller's transaction: the triggers then leave
// the new rows alone, and finishBulk() indexes them in one statement, far
// cheaper than one index write per row. A rollback undoes both, so the index
// always matches the rows. False, with nothing changed, when the index is not
// complete: the triggers and the build then keep it as usual.
bool beginBulk(const QSqlDatabase &db);
bool finishBulk(const QSqlDatabase &db);

} // namespace searchindex
