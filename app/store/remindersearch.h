#pragma once

#include "store/modgeral.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;

// Finding reminders by what their title or description says: every typed
// word must begin a word of either, without regard to case or accents
// ("acao" finds "Ação", "dent" finds "Dentista"), through the full-text index.
namespace remindersearch {

// At most this many reminders are listed; typing more words narrows the rest.
constexpr int kMaxListed = 1000;

// The typed words, split where SQLite's tokenizer splits them.
QStringList words(const QString &typed);

// The list statement (chave, data, titulo, in day and title order) of at most
// kMaxListed + 1 reminders having every word; an empty text when there is no word.
Statement statement(const QStringList &words);

// The same, with each word longer than the index's own beginnings (one to
// three letters) replaced by the index's words it begins, when they are few:
// a longer beginning alone would have SQLite merge the lists of all those
// words before the first row is found.
Statement statement(const QSqlDatabase &db, const QStringList &words);

} // namespace remindersearch
