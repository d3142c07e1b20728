#include "alerts/timedschedule.h"

#include <algorithm>

namespace alerts {

TimedSchedule::TimedSchedule(const QDateTime &lastLooked)
    : m_lastLooked(lastLooked)
{
}

TimedSchedule::Identity TimedSchedule::identity(const TimedOccurrence &occurrence)
{
    return {occurrence.key, occurrence.at.toMSecsSinceEpoch()};
}

TimedSchedule::Round TimedSchedule::advance(const QDateTime &now, const QList<TimedOccurrence> &occurrences,
                                            int utcOffsetSecs)
{
    Round round;
    if (!m_lastLooked.isValid() || m_lastLooked > now.addSecs(3600LL * kLongestSetBackHours))
        m_lastLooked = now;
    // A clock set back keeps a snooze's wait as it was.
    if (m_previousNow.isValid() && now < m_previousNow) {
        const qint64 back = now.msecsTo(m_previousNow);
        for (Snoozed &snoozed : m_snoozed)
            snoozed.until = snoozed.until.addMSecs(-back);
    }
    const int movedEast = m_started ? std::max(utcOffsetSecs - m_previousOffset, 0) : 0;
    const QDateTime lateLimit = now.addSecs(-60LL * kLateMinutes - movedEast);
    for (const TimedOccurrence &occurrence : occurrences) {
        const QDateTime due = occurrence.due();
        const bool reached = due > m_lastLooked && due <= now;
        // A reminder entered (or moved) after its warning time still warns
        // until its own time.
        const bool addedLate = m_started && !m_known.contains(identity(occurrence)) && due <= m_lastLooked && now <= occurrence.at;
        if (reached && due < lateLimit)
            round.missed.append(occurrence);
        else if (reached || addedLate)
            round.onTime.append(occurrence);
    }
    for (auto it = m_snoozed.begin(); it != m_snoozed.end();) {
        if (it->until <= now) {
            round.onTime.append(it->occurrence);
            it = m_snoozed.erase(it);
        } else {
            ++it;
        }
    }
    m_lastLooked = std::max(m_lastLooked, now);
    m_previousNow = now;
    m_previousOffset = utcOffsetSecs;
    m_known.clear();
    for (const TimedOccurrence &occurrence : occurrences)
        m_known.insert(identity(occurrence));
    m_started = true;
    return round;
}

void TimedSchedule::snooze(const TimedOccurrence &occurrence, const QDateTime &now)
{
    m_snoozed.append({occurrence, now.addSecs(60LL * kSnoozeMinutes)});
}

QDateTime TimedSchedule::nextDue(const QDateTime &now, const QList<TimedOccurrence> &occurrences) const
{
    QDateTime next;
    const QDateTime after = std::max(now, m_lastLooked.isValid() ? m_lastLooked : now);
    for (const TimedOccurrence &occurrence : occurrences) {
        const QDateTime due = occurrence.due();
        if (due > after && (!next.isValid() || due < next))
            next = due;
    }
    for (const Snoozed &snoozed : m_snoozed) {
        if (snoozed.until > now && (!next.isValid() || snoozed.until < next))
            next = snoozed.until;
    }
    return next;
}

} // namespace alerts
