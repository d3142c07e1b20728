#include "exchange/expandedcopies.h"

#include "store/daytext.h"
#include "store/importwriting.h"
#include "store/recurrence.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace expandedcopies {
namespace {

struct Copy
{
    qint64 key = 0;
    QDate day;        // the occurrence it was made from
    bool edited = false;
};

QDate occurrenceDay(const QString &uid, const QString &storedDay)
{
    const QString occurrence = uid.section(QLatin1Char('/'), -1);
    const QDate day = QDate::fromString(occurrence.left(8), QStringLiteral("yyyyMMdd"));
    return day.isValid() ? day : daytext::fromStored(storedDay);
}

bool failed(const QSqlQuery &query, QString *error)
{
    *error = importwriting::describe(QStringLiteral("as cópias antigas da série não puderam ser juntadas"),
                                     query.lastError());
    return false;
}

} // namespace

bool fold(const QSqlDatabase &db, qint64 seriesKey, const icalendar::Item &series, QString *error)
{
    QSqlQuery query(db);
    const QString prefix = series.uid + QLatin1Char('/');
    query.prepare(QStringLiteral("select rowid, uid, data, titulo, coalesce(descricao, '') from lembrete "
                                 "where substr(uid, 1, ?) = ? and serie is null"));
    query.addBindValue(prefix.size());
    query.addBindValue(prefix);
    if (!query.exec())
        return failed(query, error);
    QList<Copy> copies;
    while (query.next()) {
        Copy copy{query.value(0).toLongLong(), occurrenceDay(query.value(1).toString(), query.value(2).toString())};
        copy.edited = query.value(3).toString() != series.title || query.value(4).toString() != series.description
            || daytext::fromStored(query.value(2).toString()) != copy.day;
        copies.append(copy);
    }
    if (copies.isEmpty())
        return true;
    QDate first = copies.constFirst().day, last = first;
    QList<QDate> kept;
    for (const Copy &copy : std::as_const(copies)) {
        first = qMin(first, copy.day);
        last = qMax(last, copy.day);
        kept.append(copy.day);
    }
    recurrence::Series rule{series.day, series.rule, series.exceptions};
    QList<QDate> exceptions = series.exceptions;
    // A day of the series between the copies without a copy was removed here.
    for (const QDate &day : recurrence::occurrencesBetween(rule, first, last, 100000))
        if (!kept.contains(day) && !exceptions.contains(day))
            exceptions.append(day);
    QSqlQuery change(db);
    for (const Copy &copy : std::as_const(copies)) {
        if (copy.edited) {
            // Copies were written without the series' time and warning; they get them back.
            change.prepare(QStringLiteral("update lembrete set serie = ?, ocorrencia = ?, "
                                          "hora = case when coalesce(hora, '') = '' then ? else hora end, "
                                          "antecedencia = case when coalesce(antecedencia, '') = '' then ? "
                                          "else antecedencia end where rowid = ?"));
            change.addBindValue(seriesKey);
            change.addBindValue(daytext::stored(copy.day));
            change.addBindValue(series.time.isEmpty() ? QVariant() : QVariant(series.time));
            change.addBindValue(series.lead.isEmpty() ? QVariant() : QVariant(series.lead));
            if (!exceptions.contains(copy.day))
                exceptions.append(copy.day);
        } else {
            change.prepare(QStringLiteral("delete from lembrete where rowid = ?"));
        }
        change.addBindValue(copy.key);
        if (!change.exec())
            return failed(change, error);
    }
    change.prepare(QStringLiteral("update lembrete set excecoes = ? where rowid = ?"));
    change.addBindValue(recurrence::exceptionsText(exceptions));
    change.addBindValue(seriesKey);
    return change.exec() || failed(change, error);
}

} // namespace expandedcopies
