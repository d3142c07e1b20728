#include "alerts/timednotices.h"

#include "alerts/notifier.h"
#include "runtime/platform.h"
#include "settings/settingsstore.h"

namespace alerts {

namespace {

const QString kStoredFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// How far back the notice of missed reminders reaches after a long absence.
constexpr int kLongestAbsenceDays = 31;
// Notices kept for their "Adiar": far more than a screen shows at once.
constexpr qsizetype kMostShown = 100;
// The stored time is written at least this often while nothing is announced.
constexpr int kSaveEverySecs = 5 * 60;

QDateTime storedTime(const runtime::SettingsAccess &settings)
{
    const QDateTime time = QDateTime::fromString(settings::read(settings, settings::keys::AvisadoAte),
                                                 kStoredFormat);
    return time.isValid() ? wallTime(time) : QDateTime();
}

} // namespace

TimedNotices::TimedNotices(const modgeral &store, const runtime::Clock &clock,
                           runtime::SettingsAccess &settings, Notifier &notifier, int recheckMs,
                           QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(clock)
    , m_settings(settings)
    , m_notifier(notifier)
    , m_recheckMs(recheckMs)
    , m_schedule(storedTime(settings))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TimedNotices::check);
    connect(&m_clockChanges, &ClockChangeWatch::changed, this, &TimedNotices::check);
    connect(&m_notifier, &Notifier::snoozeRequested, this, &TimedNotices::onSnoozeRequested);
}

TimedNotices::~TimedNotices()
{
    if (m_started)
        remember(true);
}

QDateTime TimedNotices::wallNow() const
{
    return wallTime(m_clock.now());
}

void TimedNotices::start()
{
    m_started = true;
    reload();
}

void TimedNotices::reload()
{
    if (!m_started)
        return;
    m_readFor = QDate();
    check();
}

void TimedNotices::read(const QDateTime &now)
{
    // From the time last looked, to catch what was missed, to the furthest
    // reminder whose warning can fall due before the day changes again.
    QDateTime from = m_schedule.lastLooked().isValid() ? m_schedule.lastLooked() : now;
    from = std::clamp(from, now.addDays(-kLongestAbsenceDays), now);
    const QDate last = now.date().addDays(1 + kLongestLeadMinutes / (24 * 60));
    m_occurrences = readTimedOccurrences(m_store, from.date(), last);
    m_readFor = now.date();
}

void TimedNotices::check()
{
    if (!m_started)
        return;
    const QDateTime clock = m_clock.now();
    const QDateTime now = wallTime(clock);
    if (now.date() != m_readFor)
        read(now);
    const TimedSchedule::Round round = m_schedule.advance(now, m_occurrences, clock.offsetFromUtc());
    if (!round.missed.isEmpty())
        m_notifier.show(missedNotice(round.missed, now.date()));
    for (const TimedOccurrence &occurrence : round.onTime)
        show(occurrence, now.date());
    remember(!round.missed.isEmpty() || !round.onTime.isEmpty());

    const QDateTime next = m_schedule.nextDue(now, m_occurrences);
    const qint64 wait = next.isValid() ? now.msecsTo(next) : m_recheckMs;
    m_timer.start(int(std::clamp<qint64>(wait, 0, m_recheckMs)));
}

void TimedNotices::show(const TimedOccurrence &occurrence, const QDate &today)
{
    const uint id = m_notifier.show(timedNotice(occurrence, today));
    if (id == 0)
        return;
    m_shown.append({id, occurrence});
    if (m_shown.size() > kMostShown)
        m_shown.removeFirst();
}

void TimedNotices::onSnoozeRequested(uint id)
{
    for (const auto &[shownId, occurrence] : std::as_const(m_shown)) {
        if (shownId != id)
            continue;
        m_schedule.snooze(occurrence, wallNow());
        check();
        return;
    }
}

void TimedNotices::remember(bool now)
{
    const QDateTime looked = m_schedule.lastLooked();
    if (!looked.isValid() || looked == m_saved)
        return;
    if (!now && m_saved.isValid() && std::abs(m_saved.secsTo(looked)) < kSaveEverySecs)
        return;
    settings::write(m_settings, settings::keys::AvisadoAte, looked.toString(kStoredFormat));
    m_saved = looked;
}

} // namespace alerts
