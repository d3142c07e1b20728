#include "exchange/calendarexport.h"

#include "exchange/icalendar.h"
#include "exchange/icalobject.h"
#include "store/daytext.h"
#include "store/icalobjects.h"
#include "store/importwriting.h"
#include "store/recurrence.h"
#include "store/recurrencecolumns.h"
#include "store/uidcolumn.h"

#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace calendarexport {
namespace {

struct Row
{
    qint64 key = 0;
    QString day; // as stored
    QString title;
    QString description;
    QString uid;
    QString time;
    QString rule;
    QString exceptions;
    QString lead;
    qint64 series = 0;
    QString replaces; // as stored
};

// The same row of the same file gets the same UID in every export.
QString derivedUid(const Row &row)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &part : {row.day, row.title, row.description}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return QStringLiteral("%1-%2@zedozarir").arg(row.key).arg(QString::fromLatin1(hash.result().left(8).toHex()));
}

// Reads the rows in day and title order (rows added together keep the order
// they were added in), one at a time, without the index, which a damaged file
// may have lost; with each row the object it came from, when one was kept.
class RowReader
{
public:
    explicit RowReader(const QSqlDatabase &db) : m_db(db), m_query(db) { m_query.setForwardOnly(true); }

    // where narrows the rows read (an SQL condition on table l, or empty).
    bool start(const QString &where, QString *error)
    {
        const bool timing = recurrencecolumns::exist(m_db);
        if (!timing && !where.isEmpty())
            return true; // without the columns there are no series, so no rows
        const bool uids = uidcolumn::exists(m_db);
        const bool objects = uids && icalobjects::exists(m_db);
        const QString columns = timing ? QStringLiteral("l.hora, l.repeticao, l.excecoes, l.antecedencia, l.serie, "
                                                        "l.ocorrencia")
                                       : QStringLiteral("null, null, null, null, null, null");
        const QString sql =
            QStringLiteral("select l.rowid, l.data, l.titulo, l.descricao, %1, %2, %3 from lembrete l not indexed %4 "
                           "%5 order by l.data, l.titulo, l.rowid")
                .arg(uids ? QStringLiteral("l.uid") : QStringLiteral("null"), columns,
                     objects ? QStringLiteral("o.objeto") : QStringLiteral("null"),
                     objects ? QStringLiteral("left join lembrete_ical o on o.uid = l.uid") : QString(),
                     where.isEmpty() ? where : QStringLiteral("where ") + where);
        m_started = m_query.exec(sql);
        if (!m_started)
            *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser lidos"), m_query.lastError());
        return m_started;
    }

    // False at the end or on an error (see failed()).
    bool next(Row *row, QByteArray *object)
    {
        while (m_started && m_query.next()) {
            const qint64 key = m_query.value(0).toLongLong();
            if (m_count > 0 && key == m_lastKey)
                continue; // a second object under the same UID in a damaged file
            m_lastKey = key;
            ++m_count;
            *row = Row{key, m_query.value(1).toString(), m_query.value(2).toString(), m_query.value(3).toString(),
                       m_query.value(4).toString(), m_query.value(5).toString(), m_query.value(6).toString(),
                       m_query.value(7).toString(), m_query.value(8).toString(), m_query.value(9).toLongLong(),
                       m_query.value(10).toString()};
            if (row->uid.isEmpty())
                row->uid = derivedUid(*row);
            *object = m_query.value(11).toByteArray();
            return true;
        }
        return false;
    }

    bool failed(QString *error) const
    {
        if (!m_query.lastError().isValid())
            return false;
        *error = importwriting::describe(
            QStringLiteral("a leitura dos lembretes parou depois de %1 deles").arg(m_count), m_query.lastError());
        return true;
    }

private:
    QSqlDatabase m_db;
    QSqlQuery m_query;
    bool m_started = false;
    qint64 m_lastKey = 0;
    qint64 m_count = 0;
};

// The occurrences rewritten on their own, by the key of their series (the
// most recently read first), and which of those series still exist. Only
// these rows are held while the others are written one by one.
struct Occurrences
{
    QMultiHash<qint64, Row> bySeries;
    QSet<qint64> livingSeries;

    bool read(const QSqlDatabase &db, QString *error)
    {
        RowReader reader(db);
        if (!reader.start(QStringLiteral("l.serie is not null"), error))
            return false;
        Row row;
        QByteArray object;
        while (reader.next(&row, &object))
            if (row.series != 0)
                bySeries.insert(row.series, row);
        if (reader.failed(error))
            return false;
        QSqlQuery exists(db);
        exists.prepare(QStringLiteral("select 1 from lembrete where rowid = ?"));
        for (const qint64 series : bySeries.uniqueKeys()) {
            exists.bindValue(0, series);
            if (!exists.exec()) {
                *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser lidos"),
                                                 exists.lastError());
                return false;
            }
            if (exists.next())
                livingSeries.insert(series);
        }
        return true;
    }
};

icalendar::Item itemOf(const Row &row, const QDate &day)
{
    icalendar::Item item{day, row.title, row.description, row.uid, QString()};
    item.time = recurrence::timeFromText(row.time).isValid() ? row.time : QString();
    item.rule = row.rule;
    item.exceptions = recurrence::exceptionsFromText(row.exceptions);
    item.lead = recurrence::leadFromText(row.lead) > 0 ? QString::number(recurrence::leadFromText(row.lead))
                                                        : QString();
    return item;
}

icalendar::original::Fields fieldsOfItem(const icalendar::Item &item)
{
    return {item.title, item.description,
            {item.day, item.time, item.rule, item.exceptions, item.lead, item.replaces, false}};
}

class Writer
{
public:
    // The stamp in UTC: a local one would look the zone up again for every event.
    Writer(QIODevice &out, const QDateTime &stamp, Counts *counts)
        : m_out(out), m_stamp(stamp.toUTC()), m_counts(counts)
    {
    }

    bool series(const icalendar::Item &master, QList<icalendar::Item> occurrences, const QByteArray &object)
    {
        if (!object.isEmpty()) {
            icalendar::original::Object kept(object);
            if (kept.isValid() && kept.uid() == master.uid) {
                QList<icalendar::original::Fields> own;
                for (const icalendar::Item &occurrence : occurrences)
                    own.append(fieldsOfItem(occurrence));
                kept.apply(fieldsOfItem(master), own);
                m_counts->written += 1 + int(occurrences.size());
                return put(kept.components(&m_zones));
            }
        }
        icalendar::Item plain = master;
        for (icalendar::Item &occurrence : occurrences) {
            plain.exceptions.removeAll(occurrence.replaces);
            occurrence.uid = master.uid;
            occurrence.occurrence = occurrence.replaces.toString(QStringLiteral("yyyyMMdd"))
                + (master.time.isEmpty() ? QString() : QStringLiteral("T%1%200").arg(master.time.left(2), master.time.mid(3, 2)));
        }
        bool ok = put(icalendar::eventComponent(plain, m_stamp));
        for (const icalendar::Item &occurrence : std::as_const(occurrences))
            ok = ok && put(icalendar::eventComponent(occurrence, m_stamp));
        m_counts->written += 1 + int(occurrences.size());
        return ok;
    }

    bool put(const QByteArray &text) { return m_out.write(text) == text.size(); }

private:
    QIODevice &m_out;
    QDateTime m_stamp;
    Counts *m_counts;
    QSet<QByteArray> m_zones;
};

} // namespace

icalendar::original::Fields fieldsOf(const QDate &day, const QString &title, const QString &description,
                                     const StoredTiming &timing)
{
    Row row;
    row.title = title;
    row.description = description;
    row.time = timing.time;
    row.rule = timing.rule;
    row.exceptions = timing.exceptions;
    row.lead = timing.lead;
    icalendar::Item item = itemOf(row, day);
    item.replaces = daytext::fromStored(timing.replaces);
    return fieldsOfItem(item);
}

bool write(const QSqlDatabase &db, QIODevice &out, const QDateTime &stamp, Counts *counts, QString *error)
{
    Occurrences linked;
    RowReader reader(db);
    if (!linked.read(db, error) || !reader.start(QString(), error))
        return false;
    Writer writer(out, stamp, counts);
    bool ok = writer.put(icalendar::calendarHeader());
    Row row;
    QByteArray object;
    while (ok && reader.next(&row, &object)) {
        if (row.series != 0 && linked.livingSeries.contains(row.series))
            continue; // written with its series
        const QDate day = daytext::fromStored(row.day);
        if (!day.isValid()) {
            ++counts->unreadableDays;
            continue;
        }
        QList<icalendar::Item> occurrences;
        for (const Row &own : linked.bySeries.values(row.key)) {
            const QDate ownDay = daytext::fromStored(own.day);
            icalendar::Item occurrence = itemOf(own, ownDay);
            occurrence.replaces = daytext::fromStored(own.replaces);
            if (ownDay.isValid() && occurrence.replaces.isValid())
                occurrences.append(occurrence);
        }
        ok = writer.series(itemOf(row, day), occurrences, object);
    }
    if (reader.failed(error))
        return false;
    ok = ok && writer.put("END:VCALENDAR\r\n");
    if (!ok)
        *error = QStringLiteral("o arquivo não pôde ser gravado (%1).").arg(out.errorString());
    return ok;
}

} // namespace calendarexport
