#include "alerts/notices.h"

#include "store/modgeral.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace alerts {

QStringList DueDay::titles() const
{
    QStringList result;
    for (const DueReminder &reminder : reminders)
        result.append(reminder.title);
    return result;
}

QString summaryFor(const QDate &day, const QDate &today, qsizetype count)
{
    QString when;
    if (day == today)
        when = QStringLiteral("Hoje");
    else if (day == today.addDays(1))
        when = QStringLiteral("Amanhã");
    else
        return QString();
    const QString noun = count == 1 ? QStringLiteral("lembrete") : QStringLiteral("lembretes");
    return QStringLiteral("%1: %2 %3").arg(when).arg(count).arg(noun);
}

QList<Notice> noticesFor(const DueDay &due, const QDate &today)
{
    const QString summary = summaryFor(due.day, today, due.reminders.size());
    if (due.reminders.isEmpty() || summary.isEmpty())
        return {};
    return {Notice{due.day, summary, due.titles().join(QLatin1Char('\n'))}};
}

QList<Notice> noticesFor(const DueDay &today, const DueDay &tomorrow)
{
    return noticesFor(today, today.day) + noticesFor(tomorrow, today.day);
}

QString escapedForMarkup(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\''), QStringLiteral("&apos;"));
    return escaped;
}

QString noticesAsText(const QList<Notice> &notices)
{
    QStringList blocks;
    for (const Notice &notice : notices)
        blocks.append(notice.summary + QLatin1Char('\n') + notice.body + QLatin1Char('\n'));
    return blocks.join(QLatin1Char('\n'));
}

DueDay readDueDay(const modgeral &store, const QDate &day)
{
    DueDay due{day, {}};
    if (!store.isOpen())
        return due;
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
        due.reminders.append({query.value(0).toLongLong(), query.value(2).toString()});
    return due;
}

} // namespace alerts
