#include "alerts/timedreminders.h"

#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/recurrence.h"
#include "store/recurrencecolumns.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>

namespace alerts {

namespace {

// What the notices need of a row of lembrete.
struct Row
{
    qint64 key = 0;
    QDate firstDay;
    QString title;
    QString time;
    QString rule;
    QString exceptions;
    int leadMinutes = 0;
};

// The days in [first, last] on which a row happens.
QList<QDate> daysOf(const Row &row, const QDate &first, const QDate &last)
{
    const recurrence::Series series{row.firstDay, row.rule, recurrence::exceptionsFromText(row.exceptions)};
    return recurrence::occurrencesBetween(series, first, last);
}

// Rows that can happen in [first, last]: those whose first day is in it and
// the repeating ones begun by then; only those with a time when timedOnly.
// Title order, as the list's.
QList<Row> readRows(const modgeral &store, const QDate &first, const QDate &last, bool timedOnly)
{
    QList<Row> rows;
    if (!store.isOpen())
        return rows;
    // The condition of the index of rows with a time or a repetition comes
    // first, so that SQLite reads them through it.
    const QString select = QStringLiteral("select rowid, data, titulo, hora, repeticao, excecoes, antecedencia "
                                          "from lembrete where ");
    const QString special = recurrencecolumns::specialCondition();
    const QString text = timedOnly
        ? select + special
              + QStringLiteral(" and hora <> '' and (data between ? and ? or repeticao <> '' and data <= ?)"
                               " order by titulo")
        : select + QStringLiteral("data between ? and ? union ") + select + special
              + QStringLiteral(" and repeticao <> '' and data <= ? order by titulo");
    QSqlQuery query(store.connection());
    query.setForwardOnly(true);
    if (!query.prepare(text))
        return rows;
    query.addBindValue(daytext::stored(first));
    query.addBindValue(daytext::stored(last));
    query.addBindValue(daytext::stored(last));
    if (!query.exec())
        return rows;
    while (query.next()) {
        Row row{query.value(0).toLongLong(), daytext::fromStored(query.value(1).toString()),
                query.value(2).toString(), query.value(3).toString(), query.value(4).toString(),
                query.value(5).toString(),
                std::min(recurrence::leadFromText(query.value(6).toString()), kLongestLeadMinutes)};
        if (row.firstDay.isValid())
            rows.append(row);
    }
    return rows;
}

// The day's rows as the notices read them before reminders had times.
DueDay readDayOnly(const modgeral &store, const QDate &day)
{
    DueDay due{day, {}};
    const Statement statement = modgeral::oneDay(day);
    QSqlQuery query(store.connection());
    query.setForwardOnly(true);
    if (!query.prepare(statement.text))
        return due;
    for (const QVariant &value : statement.values)
        query.addBindValue(value);
    if (!query.exec())
        return due;
    while (query.next())
        due.reminders.append({query.value(0).toLongLong(), query.value(2).toString(), QString()});
    return due;
}

QString whenText(const QDateTime &at, const QDate &today)
{
    QString day;
    if (at.date() == today)
        day = QStringLiteral("Hoje");
    else if (at.date() == today.addDays(1))
        day = QStringLiteral("Amanhã");
    else
        day = daytext::shown(at.date());
    return day + QStringLiteral(" às ") + at.time().toString(QStringLiteral("HH:mm"));
}

} // namespace

QDateTime wallTime(const QDateTime &moment)
{
    return QDateTime(moment.date(), moment.time(), Qt::UTC);
}

QList<TimedOccurrence> readTimedOccurrences(const modgeral &store, const QDate &first, const QDate &last)
{
    QList<TimedOccurrence> occurrences;
    for (const Row &row : readRows(store, first, last, true)) {
        const QTime time = recurrence::timeFromText(row.time);
        if (!time.isValid())
            continue;
        for (const QDate &day : daysOf(row, first, last))
            occurrences.append({row.key, row.title, QDateTime(day, time, Qt::UTC), row.leadMinutes});
    }
    std::stable_sort(occurrences.begin(), occurrences.end(),
                     [](const TimedOccurrence &a, const TimedOccurrence &b) { return a.at < b.at; });
    return occurrences;
}

DueDay readDueDay(const modgeral &store, const QDate &day)
{
    if (!store.isOpen())
        return {day, {}};
    if (!recurrencecolumns::exist(store.connection()))
        return readDayOnly(store, day);
    DueDay due{day, {}};
    for (const Row &row : readRows(store, day, day, false)) {
        if (daysOf(row, day, day).isEmpty())
            continue;
        const QTime time = recurrence::timeFromText(row.time);
        due.reminders.append({row.key, row.title,
                              time.isValid() ? time.toString(QStringLiteral("HH:mm")) : QString()});
    }
    // "HH:MM" sorts as text; the whole day's (empty) come first, still in title order.
    std::stable_sort(due.reminders.begin(), due.reminders.end(),
                     [](const DueReminder &a, const DueReminder &b) { return a.time < b.time; });
    return due;
}

Notice timedNotice(const TimedOccurrence &occurrence, const QDate &today)
{
    Notice notice{occurrence.at.date(), occurrence.title, whenText(occurrence.at, today)};
    notice.offersSnooze = true;
    return notice;
}

Notice missedNotice(const QList<TimedOccurrence> &missed, const QDate &today)
{
    // A long absence with a daily reminder must not make a notice no screen can show.
    constexpr qsizetype kMostLines = 10;
    QStringList lines;
    for (qsizetype i = 0; i < missed.size() && i < kMostLines; ++i) {
        const TimedOccurrence &occurrence = missed.at(i);
        lines.append(occurrence.at.toString(QStringLiteral("dd/MM HH:mm ")) + occurrence.title);
    }
    if (missed.size() > kMostLines)
        lines.append(QStringLiteral("e mais %1").arg(missed.size() - kMostLines));
    const QString noun = missed.size() == 1 ? QStringLiteral("lembrete") : QStringLiteral("lembretes");
    return {today, QStringLiteral("Perdidos enquanto desligado: %1 %2").arg(missed.size()).arg(noun),
            lines.join(QLatin1Char('\n'))};
}

} // namespace alerts
