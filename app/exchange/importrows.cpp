#include "exchange/importrows.h"

#include "exchange/expandedcopies.h"
#include "store/daytext.h"
#include "store/icalobjects.h"
#include "store/importwriting.h"
#include "store/recurrence.h"
#include "store/recurrencecolumns.h"
#include "store/searchindex.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace importrows {
namespace {

// From this many items on, the search index takes the new rows at the end,
// all in one statement.
constexpr qsizetype kBulkItems = 1000;

QVariant nullWhenEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

bool isOverride(const icalendar::Item &item)
{
    return !item.occurrence.isEmpty() && item.replaces.isValid();
}

// The series already in the database, by UID.
qint64 keyOf(const QSqlDatabase &db, const QString &uid)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select rowid from lembrete where uid = ? order by rowid limit 1"));
    query.addBindValue(uid);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

class Writer
{
public:
    explicit Writer(const QSqlDatabase &db) : m_db(db), m_query(db)
    {
        m_query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao, uid, hora, repeticao, "
                                       "excecoes, antecedencia, serie, ocorrencia) "
                                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    }

    qint64 insert(const icalendar::Item &item, const QList<QDate> &exceptions, qint64 series, QString *error)
    {
        m_query.addBindValue(daytext::stored(item.day));
        m_query.addBindValue(item.title);
        m_query.addBindValue(item.description.isNull() ? QStringLiteral("") : item.description);
        m_query.addBindValue(icalendar::storedUid(item));
        m_query.addBindValue(nullWhenEmpty(item.time));
        m_query.addBindValue(nullWhenEmpty(item.rule));
        m_query.addBindValue(nullWhenEmpty(recurrence::exceptionsText(exceptions)));
        m_query.addBindValue(nullWhenEmpty(item.lead));
        m_query.addBindValue(series > 0 ? QVariant(series) : QVariant());
        m_query.addBindValue(series > 0 ? QVariant(daytext::stored(item.replaces)) : QVariant());
        if (!m_query.exec()) {
            *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser gravados"),
                                             m_query.lastError());
            return 0;
        }
        return m_query.lastInsertId().toLongLong();
    }

private:
    QSqlDatabase m_db;
    QSqlQuery m_query;
};

} // namespace

QByteArray calendarOf(const QList<QByteArray> &itemTexts, const QByteArray &zones)
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Zedozarir//Lembrete//PT-BR\r\n";
    for (qsizetype from = zones.indexOf("BEGIN:VTIMEZONE"); from >= 0;) {
        const qsizetype next = zones.indexOf("BEGIN:VTIMEZONE", from + 1);
        const QByteArray zone = zones.mid(from, next < 0 ? -1 : next - from);
        const qsizetype idAt = zone.indexOf("\nTZID:");
        const QByteArray id = idAt < 0 ? QByteArray() : zone.mid(idAt + 6, zone.indexOf('\r', idAt) - idAt - 6);
        if (!id.isEmpty()
            && std::any_of(itemTexts.cbegin(), itemTexts.cend(),
                           [&](const QByteArray &item) { return item.contains("TZID=" + id); }))
            text += zone;
        from = next;
    }
    for (const QByteArray &item : itemTexts)
        text += item;
    return text + "END:VCALENDAR\r\n";
}

bool insert(const QSqlDatabase &db, const QList<icalendar::Item> &items, const QByteArray &zones, QString *error)
{
    if (!recurrencecolumns::ensure(db) || !icalobjects::ensure(db)) {
        *error = importwriting::describe(QStringLiteral("o banco de dados de lembretes não pôde receber as "
                                                        "colunas de hora e repetição"),
                                         db.lastError());
        return false;
    }
    QMultiHash<QString, const icalendar::Item *> overrides;
    for (const icalendar::Item &item : items)
        if (isOverride(item))
            overrides.insert(item.uid, &item);
    const bool bulk = items.size() >= kBulkItems && searchindex::beginBulk(db);
    Writer writer(db);
    QHash<QString, qint64> series;
    for (const icalendar::Item &item : items) {
        if (isOverride(item))
            continue;
        QList<QDate> exceptions = item.exceptions;
        const QList<const icalendar::Item *> own = overrides.values(item.uid);
        for (const icalendar::Item *occurrence : own)
            if (!exceptions.contains(occurrence->replaces))
                exceptions.append(occurrence->replaces);
        const qint64 key = writer.insert(item, exceptions, 0, error);
        if (key == 0)
            return false;
        if (!item.occurrence.isEmpty() || item.object.isEmpty())
            continue;
        series.insert(item.uid, key);
        QList<QByteArray> texts{item.object};
        for (const icalendar::Item *occurrence : own)
            if (!occurrence->object.isEmpty())
                texts.append(occurrence->object);
        if (!icalobjects::write(db, item.uid, calendarOf(texts, zones))
            || (item.rule.isEmpty() ? false : !expandedcopies::fold(db, key, item, error))) {
            if (error->isEmpty())
                *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser gravados"),
                                                 db.lastError());
            return false;
        }
    }
    for (const icalendar::Item &item : items) {
        if (!isOverride(item))
            continue;
        const qint64 master = series.contains(item.uid) ? series.value(item.uid) : keyOf(db, item.uid);
        if (writer.insert(item, {}, master, error) == 0)
            return false;
    }
    if (bulk && !searchindex::finishBulk(db)) {
        *error = importwriting::describe(QStringLiteral("o índice de busca não pôde receber os lembretes"),
                                         db.lastError());
        return false;
    }
    return true;
}

} // namespace importrows
