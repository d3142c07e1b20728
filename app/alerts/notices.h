#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class modgeral;

namespace alerts {

// One reminder as the announcements see it.
struct DueReminder
{
    qint64 key = 0;
    QString title;
    QString time; // "HH:MM"; empty for a reminder of the whole day
};

// The reminders of one day: those of the whole day in the list's title order,
// then those with a time, by time.
struct DueDay
{
    QDate day;
    QList<DueReminder> reminders;

    // One a line, a timed one after its time: "14:30 Dentista".
    QStringList titles() const;
};

// What one notification says: the summary is plain text, the body holds one
// title a line, also plain; the notifier escapes it where the service reads markup.
struct Notice
{
    QDate day;
    QString summary;
    QString body;
    bool offersSnooze = false; // "Adiar 10 minutos", for a reminder at its time
};

// "Hoje: 2 lembretes", "Amanhã: 1 lembrete". Empty for any other day.
QString summaryFor(const QDate &day, const QDate &today, qsizetype count);

// The notice for a day's reminders; none (an empty list) when the day has none.
QList<Notice> noticesFor(const DueDay &due, const QDate &today);

// Today's notice, then tomorrow's, leaving out a day with nothing to say.
QList<Notice> noticesFor(const DueDay &today, const DueDay &tomorrow);

// The text made safe for the service's markup: & < > and quotes become entities.
QString escapedForMarkup(const QString &text);

// The notices as printed when no notification service answers.
QString noticesAsText(const QList<Notice> &notices);

// Reads a day's reminders from the store's open connection, repeating ones
// included on the days they happen; empty when it is not open.
DueDay readDueDay(const modgeral &store, const QDate &day);

} // namespace alerts
