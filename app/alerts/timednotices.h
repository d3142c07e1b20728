#pragma once

#include "alerts/clockchangewatch.h"
#include "alerts/timedschedule.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTimer>

class modgeral;

namespace runtime {
class Clock;
class SettingsAccess;
}

namespace alerts {

class Notifier;

// The notices of reminders with a time, in the resident program: each at its
// time minus its lead, with "Adiar 10 minutos"; at start, one notice of those
// whose time passed while the program did not run. The time up to which it
// announced is kept in the settings, so a notice is given once across runs.
class TimedNotices : public QObject
{
    Q_OBJECT
public:
    // The clock is asked again at least this often: a zone can change with no
    // word to the program, and a timer does not run while the machine sleeps.
    static constexpr int kRecheckMs = 20 * 1000;

    TimedNotices(const modgeral &store, const runtime::Clock &clock, runtime::SettingsAccess &settings,
                 Notifier &notifier, int recheckMs = kRecheckMs, QObject *parent = nullptr);
    ~TimedNotices() override;

    // Reads the reminders, announces what was missed and what is due, and waits for the next.
    void start();

public slots:
    // Reads the reminders again (one was added, changed or removed) and looks.
    void reload();
    // Looks at the clock now: announces what fell due and waits for the next.
    void check();

private:
    void read(const QDateTime &now);
    void show(const TimedOccurrence &occurrence, const QDate &today);
    void onSnoozeRequested(uint id);
    void remember(bool now);
    QDateTime wallNow() const;

    const modgeral &m_store;
    const runtime::Clock &m_clock;
    runtime::SettingsAccess &m_settings;
    Notifier &m_notifier;
    int m_recheckMs;
    TimedSchedule m_schedule;
    QList<TimedOccurrence> m_occurrences;
    QDate m_readFor;
    QList<QPair<uint, TimedOccurrence>> m_shown; // the latest notices, for their "Adiar"
    QDateTime m_saved;
    QTimer m_timer;
    ClockChangeWatch m_clockChanges;
    bool m_started = false;
};

} // namespace alerts
