#include "alerts/notices.h"

namespace alerts {

QStringList DueDay::titles() const
{
    QStringList result;
    for (const DueReminder &reminder : reminders)
        result.append(reminder.time.isEmpty() ? reminder.title
                                              : reminder.time + QLatin1Char(' ') + reminder.title);
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

} // namespace alerts
