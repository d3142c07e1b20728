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

} // namespace searchindex
