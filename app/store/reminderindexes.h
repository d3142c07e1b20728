#pragma once

#include <QString>

class QSqlDatabase;

// The indexes behind finding a reminder fast, set up on every new connection:
//
// - titulo_chave, the title case-folded across Unicode, indexed, so a title is
//   found without comparing every row. The program's own writes fill it (through
//   connection-only triggers that call chave_titulo()); a row another program
//   writes or retitles has it empty and is still found by the title itself.
// - lembrete_busca, a full-text index of titles and descriptions without regard
//   to case or accents, kept by triggers that use nothing but SQLite itself, so
//   other programs' writes keep it too; it is rebuilt when it no longer covers
//   every reminder (rows written while its triggers were missing).
//
// A file that cannot be written still opens: what cannot be created is done
// without (temp.lembrete_titulos then folds every title as it reads it).
namespace reminderindexes {

// Registers the functions and, when the file may be written, brings the
// indexes up to date. False, with the reason, only when the connection itself
// cannot be prepared.
bool prepare(const QSqlDatabase &connection, bool writable, QString *error);

// The title as titulo_chave holds it.
QString titleKey(const QString &title);

// Whether the full-text index is there to be searched.
bool searchable(const QSqlDatabase &connection);

} // namespace reminderindexes
