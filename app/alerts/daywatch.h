#pragma once

#include <QDate>
#include <QObject>
#include <QTimer>

namespace runtime {
class Clock;
}

namespace alerts {

// Notices a new day by asking the clock on a short timer: a single long wait
// until midnight would miss the change when the machine sleeps across it.
class DayWatch : public QObject
{
    Q_OBJECT
public:
    explicit DayWatch(const runtime::Clock &clock, int intervalMs = 60 * 1000,
                      QObject *parent = nullptr);

    QDate day() const { return m_day; }

public slots:
    // Compares the clock's day with the one last seen.
    void check();

signals:
    void dayChanged(const QDate &day);
    // Every round of the timer, after the day check.
    void ticked();

private:
    const runtime::Clock &m_clock;
    QDate m_day;
    QTimer m_timer;
};

} // namespace alerts
