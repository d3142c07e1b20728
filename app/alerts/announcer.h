#pragma once

#include "alerts/notices.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>

class modgeral;

namespace runtime {
class Clock;
}

namespace alerts {

class Notifier;

// Announces today's and tomorrow's reminders of the store through a notifier,
// and remembers what it announced so that only news is announced again.
class Announcer
{
public:
    Announcer(const modgeral &store, const runtime::Clock &clock, Notifier &notifier);

    // Today's and tomorrow's notices as they stand now.
    QList<Notice> currentNotices() const;

    // Announces both days afresh (start, "Avisar agora", a new day). Returns
    // the notices meant; delivered is false when the service did not take one.
    QList<Notice> announceAll(bool *delivered = nullptr);

    // Announces again a day that gained a reminder since it was last announced,
    // replacing that day's earlier notice. Returns the notices sent.
    QList<Notice> announceAdded();

private:
    struct DayState
    {
        QSet<qint64> keys;
        uint noticeId = 0;
    };

    QList<DueDay> dueDays() const;
    bool announce(const DueDay &due, DayState &state);

    const modgeral &m_store;
    const runtime::Clock &m_clock;
    Notifier &m_notifier;
    QDate m_announcedToday;
    QHash<QDate, DayState> m_days;
};

} // namespace alerts
