#pragma once

#include "alerts/notices.h"

#include <QDateTime>
#include <QList>
#include <QString>

class modgeral;

namespace alerts {

// Times here are wall-clock times: the day and time the user reads on the
// clock, kept as UTC values so that adding minutes never crosses a zone's
// offset. A reminder at 14:30 rings when the clock shows 14:30, whatever zone
// the machine is in by then.
QDateTime wallTime(const QDateTime &moment);

// One day of a reminder that has a time of day.
struct TimedOccurrence
{
    qint64 key = 0;
    QString title;
    QDateTime at;        // wall-clock day and time it is for
    int leadMinutes = 0; // how long before to warn

    QDateTime due() const { return at.addSecs(-60LL * leadMinutes); }
};

// A warning lead longer than this (rows written by other programs) is cut to it.
constexpr int kLongestLeadMinutes = 7 * 24 * 60;

// The occurrences of reminders with a time whose days fall in [first, last],
// in time order; empty when the store is not open or has no such reminders.
QList<TimedOccurrence> readTimedOccurrences(const modgeral &store, const QDate &first, const QDate &last);

// The notice of one timed reminder: its title, then when it is ("Hoje às 14:30").
Notice timedNotice(const TimedOccurrence &occurrence, const QDate &today);

// The one notice of the reminders whose time passed while the program did
// not run: "Perdidos enquanto desligado: 2 lembretes", one "dd/mm hh:mm título" a line.
Notice missedNotice(const QList<TimedOccurrence> &missed, const QDate &today);

} // namespace alerts
