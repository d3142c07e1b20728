#pragma once

#include <QFileSystemWatcher>
#include <QObject>

class QSocketNotifier;

namespace alerts {

// Tells at once when the system clock is set (by hand, by time
// synchronisation, or on waking from sleep) and when the time zone changes,
// so that timers waiting for a wall-clock time are worked out again.
class ClockChangeWatch : public QObject
{
    Q_OBJECT
public:
    explicit ClockChangeWatch(QObject *parent = nullptr);
    ~ClockChangeWatch() override;

    // Whether the system tells this process about clock changes.
    bool watchesClock() const { return m_fd >= 0; }

signals:
    void changed();

private:
    bool arm();
    void onClockSet();
    void onZoneFileChanged();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher m_zoneFile;
};

} // namespace alerts
