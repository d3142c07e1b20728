#include "alerts/clockchangewatch.h"

#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace alerts {

namespace {

// The system's zone; replaced as a whole when the zone is changed.
const QString kZoneFile = QStringLiteral("/etc/localtime");

} // namespace

ClockChangeWatch::ClockChangeWatch(QObject *parent)
    : QObject(parent)
{
#ifdef Q_OS_LINUX
    // A timer that never expires but is cancelled whenever the clock is set.
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0 && arm()) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ClockChangeWatch::onClockSet);
    } else if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    if (QFileInfo::exists(kZoneFile))
        m_zoneFile.addPath(kZoneFile);
    connect(&m_zoneFile, &QFileSystemWatcher::fileChanged, this, &ClockChangeWatch::onZoneFileChanged);
}

ClockChangeWatch::~ClockChangeWatch()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

bool ClockChangeWatch::arm()
{
#ifdef Q_OS_LINUX
    itimerspec far{};
    far.it_value.tv_sec = ::time(nullptr) + 100LL * 365 * 24 * 3600;
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
#else
    return false;
#endif
}

void ClockChangeWatch::onClockSet()
{
#ifdef Q_OS_LINUX
    quint64 expirations = 0;
    const ssize_t got = ::read(m_fd, &expirations, sizeof expirations);
    if (got < 0 && errno != ECANCELED)
        return;
    arm(); // cancelled by a clock set, or (a clock set a century ahead) expired
    emit changed();
#endif
}

void ClockChangeWatch::onZoneFileChanged()
{
    // A file replaced as a whole drops out of the watch.
    if (!m_zoneFile.files().contains(kZoneFile) && QFileInfo::exists(kZoneFile))
        m_zoneFile.addPath(kZoneFile);
    emit changed();
}

} // namespace alerts
