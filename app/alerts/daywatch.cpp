#include "alerts/daywatch.h"

#include "runtime/platform.h"

namespace alerts {

DayWatch::DayWatch(const runtime::Clock &clock, int intervalMs, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_day(clock.today())
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        check();
        emit ticked();
    });
    m_timer.start();
}

void DayWatch::check()
{
    const QDate today = m_clock.today();
    if (today == m_day)
        return;
    m_day = today;
    emit dayChanged(today);
}

} // namespace alerts
