#pragma once

#include "store/modgeral.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Finding the reminders with a given title, without regard to letter case
// across all of Unicode ("ótimo" and "ÓTIMO", not "otimo"), without reading
// every row: the full-text index narrows the rows to those having the title's
// words, and the title itself is compared only there.
namespace titlematch {

// The words of title that the index surely holds exactly as written here
// (Latin letters and digits between plain ASCII separators); any other word
// is left out, which only widens the rows compared. Empty when none is sure.
QStringList indexWords(const QString &title);

// chave, data, titulo, descricao of the rows with this title, by key.
Statement rows(const QString &title);

// Whether a reminder other than the one with this key has this title. Rows the
// index does not hold yet (while it is being built) are compared one by one;
// where the index cannot answer, every row is.
bool otherHasTitle(const QSqlDatabase &db, qint64 key, const QString &title, bool *found);

} // namespace titlematch
