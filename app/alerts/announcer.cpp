#include "alerts/announcer.h"

#include "alerts/notifier.h"
#include "runtime/platform.h"

namespace alerts {

namespace {

QSet<qint64> keysOf(const DueDay &due)
{
    QSet<qint64> keys;
    for (const DueReminder &reminder : due.reminders)
        keys.insert(reminder.key);
    return keys;
}

} // namespace

Announcer::Announcer(const modgeral &store, const runtime::Clock &clock, Notifier &notifier)
    : m_store(store)
    , m_clock(clock)
    , m_notifier(notifier)
{
}

QList<DueDay> Announcer::dueDays() const
{
    const QDate today = m_clock.today();
    return {readDueDay(m_store, today), readDueDay(m_store, today.addDays(1))};
}

QList<Notice> Announcer::currentNotices() const
{
    const QList<DueDay> days = dueDays();
    return noticesFor(days.at(0), days.at(1));
}

bool Announcer::announce(const DueDay &due, DayState &state)
{
    state.keys = keysOf(due);
    const QList<Notice> notices = noticesFor(due, m_clock.today());
    if (notices.isEmpty())
        return true;
    const uint id = m_notifier.show(notices.first(), state.noticeId);
    if (id != 0)
        state.noticeId = id;
    return id != 0;
}

QList<Notice> Announcer::announceAll(bool *delivered)
{
    const QList<DueDay> days = dueDays();
    // Yesterday's notices are not replaced by today's: they said something else.
    m_days.clear();
    m_announcedToday = m_clock.today();
    bool all = true;
    for (const DueDay &due : days)
        all = announce(due, m_days[due.day]) && all;
    if (delivered)
        *delivered = all;
    return noticesFor(days.at(0), days.at(1));
}

QList<Notice> Announcer::announceAdded()
{
    if (m_announcedToday != m_clock.today())
        return announceAll();
    QList<Notice> sent;
    for (const DueDay &due : dueDays()) {
        DayState &state = m_days[due.day];
        QSet<qint64> added = keysOf(due);
        added.subtract(state.keys);
        if (added.isEmpty()) {
            state.keys = keysOf(due); // a removal is no news, but is remembered
            continue;
        }
        announce(due, state);
        sent += noticesFor(due, m_clock.today());
    }
    return sent;
}

} // namespace alerts
