#include "store/remindersearch.h"

namespace remindersearch {

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
    for (QString word : words)
        terms << QLatin1Char('"') + word.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QStringLiteral("\"*");
    // Materialized, so the limit applies before the sort: otherwise SQLite
    // folds the two together and sorts every match first.
    return {QStringLiteral("with achados as materialized ("
                           "select l.rowid as chave, l.data, l.titulo from lembrete_busca "
                           "join lembrete l on l.rowid = lembrete_busca.rowid "
                           "where lembrete_busca match ? limit %1) "
                           "select chave, data, titulo from achados order by data, titulo")
                .arg(kMaxListed + 1),
            {terms.join(QLatin1Char(' '))}};
}

} // namespace remindersearch
