#include "exchange/importrows.h"

#include "exchange/expandedcopies.h"
#include "exchange/icalobject.h"
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

// The time zones of zones that the item texts name and that are not in had.
QByteArray zonesNamed(const QList<QByteArray> &itemTexts, const QByteArray &zones, const QByteArray &had = {})
{
    QByteArray text;
    for (qsizetype from = zones.indexOf("BEGIN:VTIMEZONE"); from >= 0;) {
        const qsizetype next = zones.indexOf("BEGIN:VTIMEZONE", from + 1);
        const QByteArray zone = zones.mid(from, next < 0 ? -1 : next - from);
        const qsizetype idAt = zone.indexOf("\nTZID:");
        const QByteArray id = idAt < 0 ? QByteArray() : zone.mid(idAt + 6, zone.indexOf('\r', idAt) - idAt - 6);
        if (!id.isEmpty() && !had.contains("\nTZID:" + id + "\r")
            && std::any_of(itemTexts.cbegin(), itemTexts.cend(),
                           [&](const QByteArray &item) { return item.contains("TZID=" + id); }))
            text += zone;
        from = next;
    }
    return text;
}

// An occurrence rewritten on its own whose series came in an earlier file:
// its day leaves the series, and it joins the object kept for the series.
bool joinEarlierSeries(const QSqlDatabase &db, qint64 master, const icalendar::Item &item,
                       const QByteArray &zones, QString *error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select coalesce(excecoes, '') from lembrete where rowid = ?"));
    query.addBindValue(master);
    if (!query.exec() || !query.next())
        return true;
    QList<QDate> exceptions = recurrence::exceptionsFromText(query.value(0).toString());
    if (!exceptions.contains(item.replaces)) {
        exceptions.append(item.replaces);
        std::sort(exceptions.begin(), exceptions.end());
        query.prepare(QStringLiteral("update lembrete set excecoes = ? where rowid = ?"));
        query.addBindValue(recurrence::exceptionsText(exceptions));
        query.addBindValue(master);
        if (!query.exec()) {
            *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser gravados"),
                                             query.lastError());
            return false;
        }
    }
    const QByteArray kept = icalobjects::read(db, item.uid);
    const qsizetype end = kept.lastIndexOf("END:VCALENDAR");
    if (item.object.isEmpty() || end < 0)
        return true;
    const QByteArray joined = kept.left(end) + zonesNamed({item.object}, zones, kept) + item.object + kept.mid(end);
    if (joined.size() <= icalendar::original::maxObjectBytes && !icalobjects::write(db, item.uid, joined)) {
        *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser gravados"), db.lastError());
        return false;
    }
    return true;
}

} // namespace

QByteArray calendarOf(const QList<QByteArray> &itemTexts, const QByteArray &zones)
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Zedozarir//Lembrete//PT-BR\r\n";
    text += zonesNamed(itemTexts, zones);
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
        const bool earlier = !series.contains(item.uid);
        const qint64 master = earlier ? keyOf(db, item.uid) : series.value(item.uid);
        if (writer.insert(item, {}, master, error) == 0
            || (earlier && master > 0 && !joinEarlierSeries(db, master, item, zones, error)))
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
