#pragma once

#include "alerts/timedreminders.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QSet>

namespace alerts {

// When the notices of reminders with a time go out, on wall-clock time (see
// wallTime): each occurrence once, when the clock first reaches its time minus
// its lead. The clock may jump (set by hand, a new time zone, summer time, a
// machine waking up): what the clock passed over is announced, what it comes
// back to is not announced again. Pure: the caller brings the clock's time
// and the occurrences, and the time it last looked is kept between runs.
class TimedSchedule
{
public:
    static constexpr int kSnoozeMinutes = 10;
    // A notice this much later than its time was missed (the machine was off
    // or asleep): it goes into the one notice of missed reminders.
    static constexpr int kLateMinutes = 5;
    // The clock went back further than any zone or summer time moves it: it
    // had been wrong, and waiting for it to catch up would miss notices.
    static constexpr int kLongestSetBackHours = 27;

    // lastLooked: the wall-clock time up to which an earlier run announced;
    // invalid on the first run, which announces nothing that already passed.
    explicit TimedSchedule(const QDateTime &lastLooked = QDateTime());

    struct Round
    {
        QList<TimedOccurrence> onTime;
        QList<TimedOccurrence> missed;
    };

    // What is due at now, each occurrence once; occurrences are today's and
    // the days around it, read afresh when the reminders change. utcOffsetSecs
    // is the zone's offset at now: a move to a zone further east passes over
    // reminders that were not missed, so they still come as on time.
    Round advance(const QDateTime &now, const QList<TimedOccurrence> &occurrences, int utcOffsetSecs);

    // Brings the occurrence back kSnoozeMinutes after now.
    void snooze(const TimedOccurrence &occurrence, const QDateTime &now);

    // The next time something falls due after now; invalid when nothing will.
    QDateTime nextDue(const QDateTime &now, const QList<TimedOccurrence> &occurrences) const;

    QDateTime lastLooked() const { return m_lastLooked; }

private:
    struct Snoozed
    {
        TimedOccurrence occurrence;
        QDateTime until;
    };

    using Identity = QPair<qint64, qint64>; // key, wall-clock time
    static Identity identity(const TimedOccurrence &occurrence);

    QDateTime m_lastLooked;
    QDateTime m_previousNow;
    int m_previousOffset = 0;
    QList<Snoozed> m_snoozed;
    QSet<Identity> m_known; // the occurrences of the last round
    bool m_started = false;
};

} // namespace alerts
