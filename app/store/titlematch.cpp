#include "store/titlematch.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace titlematch {

namespace {

// Letters whose case folding the index and Qt surely share.
bool sureLetter(char32_t c)
{
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return c >= 0xC0 && c < 0x17F && c != 0xD7 && c != 0xF7 && c != 0x130 && c != 0x131 && c != 0x149;
}

// Titles compared on the rows the filter leaves; binds the title twice, then
// the key. Case folding keeps the number of characters, and counting them
// costs far less than folding, so most rows are passed over by their length.
const QString kSameTitle =
    QStringLiteral("length(titulo) = length(?) and titulo = ? collate unicase and rowid <> ?");

// The rows past the last one the index holds.
const QString kNotIndexed = QStringLiteral("rowid > (select coalesce(max(id), 0) from lembrete_busca_docsize)");

bool firstRow(const QSqlDatabase &db, const QString &statement, const QVariantList &values, bool *found)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return false;
    *found = query.next();
    return true;
}

} // namespace

QStringList indexWords(const QString &title)
{
    QStringList words;
    QString word;
    bool sure = true; // no doubtful character touches the word
    for (const char32_t c : title.toUcs4()) {
        if (sureLetter(c)) {
            word += QString::fromUcs4(&c, 1);
            continue;
        }
        const bool separator = c < 0x80;
        if (sure && separator && !word.isEmpty())
            words << word;
        word.clear();
        sure = separator;
    }
    if (sure && !word.isEmpty())
        words << word;
    return words;
}

Statement rows(const QString &title)
{
    return {QStringLiteral("select rowid as chave, data, titulo, descricao from lembrete "
                           "where titulo = ? collate unicase order by rowid"),
            {title}};
}

bool otherHasTitle(const QSqlDatabase &db, qint64 key, const QString &title, bool *found)
{
    const QStringList words = indexWords(title);
    if (!words.isEmpty()) {
        QStringList terms;
        for (const QString &word : words)
            terms << QLatin1Char('"') + word + QLatin1Char('"');
        const QString statement =
            QStringLiteral("select 1 from lembrete where rowid in (select rowid from lembrete_busca "
                           "where lembrete_busca match ?) and %1 "
                           "union all select 1 from lembrete where %2 and %1 limit 1")
                .arg(kSameTitle, kNotIndexed);
        if (firstRow(db, statement, {terms.join(QLatin1Char(' ')), title, title, key, title, title, key}, found))
            return true;
    }
    return firstRow(db, QStringLiteral("select 1 from lembrete where %1 limit 1").arg(kSameTitle),
                    {title, title, key}, found);
}

} // namespace titlematch
