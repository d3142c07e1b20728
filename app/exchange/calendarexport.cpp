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

// In day and title order; rows added together keep the order they were
// added in. Read without the index, which a damaged file may have lost.
bool readRows(const QSqlDatabase &db, QList<Row> *rows, QString *error)
{
    const bool timing = recurrencecolumns::exist(db);
    const QString columns = timing ? QStringLiteral("hora, repeticao, excecoes, antecedencia, serie, ocorrencia")
                                   : QStringLiteral("null, null, null, null, null, null");
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select rowid, data, titulo, descricao, %1, %2 from lembrete not indexed "
                                   "order by data, titulo, rowid")
                        .arg(uidcolumn::exists(db) ? QStringLiteral("uid") : QStringLiteral("null"), columns))) {
        *error = importwriting::describe(QStringLiteral("os lembretes não puderam ser lidos"), query.lastError());
        return false;
    }
    while (query.next()) {
        Row row{query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                query.value(6).toString(), query.value(7).toString(), query.value(8).toString(),
                query.value(9).toLongLong(), query.value(10).toString()};
        if (row.uid.isEmpty())
            row.uid = derivedUid(row);
        rows->append(row);
    }
    if (query.lastError().isValid()) {
        *error = importwriting::describe(
            QStringLiteral("a leitura dos lembretes parou depois de %1 deles").arg(rows->size()), query.lastError());
        return false;
    }
    return true;
}

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
    Writer(QIODevice &out, const QDateTime &stamp, Counts *counts) : m_out(out), m_stamp(stamp), m_counts(counts) {}

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
    QList<Row> rows;
    if (!readRows(db, &rows, error))
        return false;
    QSet<qint64> keys;
    QMultiHash<qint64, int> linked;
    for (int index = 0; index < rows.size(); ++index) {
        keys.insert(rows.at(index).key);
        if (rows.at(index).series != 0)
            linked.insert(rows.at(index).series, index);
    }
    const QHash<QString, QByteArray> objects = icalobjects::readAll(db);
    Writer writer(out, stamp, counts);
    bool ok = writer.put(icalendar::calendarHeader());
    for (const Row &row : std::as_const(rows)) {
        if (row.series != 0 && keys.contains(row.series))
            continue; // written with its series
        const QDate day = daytext::fromStored(row.day);
        if (!day.isValid()) {
            ++counts->unreadableDays;
            continue;
        }
        QList<icalendar::Item> occurrences;
        for (int index : linked.values(row.key)) {
            const Row &own = rows.at(index);
            const QDate ownDay = daytext::fromStored(own.day);
            icalendar::Item occurrence = itemOf(own, ownDay);
            occurrence.replaces = daytext::fromStored(own.replaces);
            if (ownDay.isValid() && occurrence.replaces.isValid())
                occurrences.append(occurrence);
        }
        ok = ok && writer.series(itemOf(row, day), occurrences, objects.value(row.uid));
    }
    ok = ok && writer.put("END:VCALENDAR\r\n");
    if (!ok)
        *error = QStringLiteral("o arquivo não pôde ser gravado (%1).").arg(out.errorString());
    return ok;
}

} // namespace calendarexport
