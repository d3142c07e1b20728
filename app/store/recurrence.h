#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

// When a reminder happens: its first day, a repetition rule (an RFC 5545
// RRULE value computed by libical; empty for a reminder that happens once)
// and the days taken out of the series. Every function here is pure and
// works on whole days: a reminder's time of day is the same on each of them.
namespace recurrence {

struct Series
{
    QDate firstDay;
    QString rule;            // empty: once, on firstDay
    QList<QDate> exceptions; // in day order (see exceptionsFromText)

    bool repeats() const { return !rule.isEmpty(); }
};

// Whether libical reads rule as a repetition it can compute.
bool isValidRule(const QString &rule);

// The days in [from, to] on which the series happens, in order, at most limit
// of them. A rule libical cannot read yields the first day alone, so a
// reminder is never lost from the lists over a rule it cannot compute.
QList<QDate> occurrencesBetween(const Series &series, const QDate &from, const QDate &to,
                                int limit = 4000);
// The days in [from, through] and the first day after through, in order, in
// one pass of libical (its setting up of a rule is what costs).
QList<QDate> upcoming(const Series &series, const QDate &from, const QDate &through);
// The first day on or after from on which the series happens; invalid when none is left.
QDate nextOccurrence(const Series &series, const QDate &from);
// The last day of a series that ends; invalid for one that repeats for ever.
QDate lastOccurrence(const Series &series);
// Whether the series happens on day.
bool occursOn(const Series &series, const QDate &day);
// The day a reminder is listed under among all reminders: its next day from
// today, else (a series that has ended) its last one, else its first day.
QDate listedDay(const Series &series, const QDate &today);

// The stored texts. Excluded days are "yyyy/mm/dd" separated by commas; days
// that do not read are left out, the rest come back sorted and unique.
QList<QDate> exceptionsFromText(const QString &text);
QString exceptionsText(QList<QDate> days);
// A time of day is "HH:MM"; anything else (empty included) is the whole day: an invalid QTime.
QTime timeFromText(const QString &text);
QString timeText(const QTime &time);
// The warning lead in minutes: empty (at the time) and anything unreadable give 0.
int leadFromText(const QString &text);

// The repetitions offered by the editor, and how they are written as rules.
enum class Repeat { Never, Daily, Weekdays, Weekly, Monthly, Yearly, EveryNDays, Other };
enum class End { Forever, Until, Count };
struct RepeatChoice
{
    Repeat repeat = Repeat::Never;
    int interval = 1; // the N of "A cada N dias"
    End end = End::Forever;
    QDate until;
    int count = 0;
};
// The rule for a choice (empty for Repeat::Never; Repeat::Other cannot be written).
QString ruleFor(const RepeatChoice &choice);
// The choice a rule was written from; Repeat::Other for a rule the editor does
// not offer (one brought from another calendar), which it then keeps as it is.
RepeatChoice choiceFor(const QString &rule);

} // namespace recurrence
