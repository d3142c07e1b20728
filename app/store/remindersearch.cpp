#include "store/remindersearch.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace remindersearch {

namespace {

// The longest beginning the index keeps lists for (prefix='1 2 3').
constexpr int kIndexedPrefix = 3;
// More words than this and one merged list is the cheaper way.
constexpr int kMostWords = 64;

QString quoted(QString word)
{
    return QLatin1Char('"') + word.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool plainWord(const QString &word)
{
    return std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

// The word as the index holds it, for a word whose letters are ASCII or
// carry only the combining accents the index drops (ç, ã, é); empty for any
// other, whose folding here could differ from the index's.
QString folded(const QString &word)
{
    QString out;
    for (const QChar c : word.normalized(QString::NormalizationForm_D)) {
        if (c.unicode() >= 0x300 && c.unicode() <= 0x36F)
            continue;
        if (c.unicode() >= 0x80 || !c.isLetterOrNumber())
            return {};
        out += c.toLower();
    }
    return out;
}

// The index's words that begin with beginning; empty when there are too many
// or they cannot be listed.
QStringList wordsBeginning(const QSqlDatabase &db, const QString &beginning)
{
    QSqlQuery query(db);
    if (beginning.isEmpty()
        || !query.exec(QStringLiteral("create virtual table if not exists temp.lembrete_busca_termos "
                                      "using fts5vocab(main, lembrete_busca, row)"))
        || !query.prepare(QStringLiteral("select term from temp.lembrete_busca_termos "
                                         "where term >= ? and term < ? limit %1").arg(kMostWords + 1)))
        return {};
    query.addBindValue(beginning);
    query.addBindValue(beginning + QString::fromUcs4(U"\U0010FFFF"));
    QStringList found;
    if (!query.exec())
        return {};
    while (query.next()) {
        const QString word = query.value(0).toString();
        if (!plainWord(word) || found.size() == kMostWords)
            return {};
        found << word;
    }
    return found;
}

Statement listOf(const QStringList &terms)
{
    // Materialized, so the limit applies before the sort: otherwise SQLite
    // folds the two together and sorts every match first.
    return {QStringLiteral("with achados as materialized ("
                           "select l.rowid as chave, l.data, l.titulo from lembrete_busca "
                           "join lembrete l on l.rowid = lembrete_busca.rowid "
                           "where lembrete_busca match ? limit %1) "
                           "select chave, data, titulo from achados order by data, titulo")
                .arg(kMaxListed + 1),
            {terms.join(QLatin1String(" AND "))}};
}

} // namespace

QStringList words(const QString &typed)
{
    QStringList found;
    QList<char32_t> word;
    const auto endWord = [&] {
        if (!word.isEmpty())
            found << QString::fromUcs4(word.constData(), word.size());
        word.clear();
    };
    for (const uint codePoint : typed.toUcs4()) {
        // Letters, digits and private-use characters make words, as in the index.
        if (QChar::isLetterOrNumber(codePoint) || QChar::category(codePoint) == QChar::Other_PrivateUse)
            word.append(char32_t(codePoint));
        else
            endWord();
    }
    endWord();
    return found;
}

Statement statement(const QStringList &words)
{
    if (words.isEmpty())
        return {};
    // Each word a quoted prefix term: nothing typed is read as query syntax.
    QStringList terms;
    for (const QString &word : words)
        terms << quoted(word) + QLatin1Char('*');
    return listOf(terms);
}

Statement statement(const QSqlDatabase &db, const QStringList &words)
{
    if (words.isEmpty())
        return {};
    QStringList terms;
    for (const QString &word : words) {
        const QStringList begun = word.size() > kIndexedPrefix ? wordsBeginning(db, folded(word)) : QStringList();
        if (begun.isEmpty()) {
            terms << quoted(word) + QLatin1Char('*');
            continue;
        }
        QStringList any;
        for (const QString &whole : begun)
            any << quoted(whole);
        terms << QLatin1Char('(') + any.join(QLatin1String(" OR ")) + QLatin1Char(')');
    }
    return listOf(terms);
}

} // namespace remindersearch
