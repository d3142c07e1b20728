#include "store/scheduleupkeep.h"

#include "store/schedule.h"

#include <QSqlDatabase>
#include <QtDebug>

namespace {

// A slice is short enough for typing to go on meanwhile.
constexpr int kSliceMilliseconds = 15;
constexpr int kBetweenSlices = 10;
constexpr int kWaitForWriting = 250;
constexpr int kWaitForFinding = 100;
// Rows whose days one write takes: a few milliseconds, so typing goes on between writes.
constexpr size_t kSaveAtOnce = 2000;

} // namespace

ScheduleUpkeep::ScheduleUpkeep(Schedule &schedule, std::function<QSqlDatabase()> connection,
                               std::function<Writing()> writing, QObject *parent)
    : QObject(parent)
    , m_schedule(schedule)
    , m_connection(std::move(connection))
    , m_writing(std::move(writing))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScheduleUpkeep::slice);
}

void ScheduleUpkeep::wake()
{
    if (!m_timer.isActive())
        m_timer.start(kBetweenSlices);
}

void ScheduleUpkeep::slice()
{
    if (m_schedule.takeFound())
        emit found();
    if (m_schedule.stepSome(kSliceMilliseconds)) {
        m_timer.start(kBetweenSlices);
        return;
    }
    if (m_schedule.finding()) {
        m_timer.start(kWaitForFinding);
        return;
    }
    if (m_writeFailed || !m_schedule.hasUnsaved())
        return;
    switch (m_writing()) {
    case Writing::Never:
        return; // the days stay in memory, found again next run
    case Writing::Later:
        m_timer.start(kWaitForWriting);
        return;
    case Writing::Now:
        break;
    }
    QString error;
    if (m_schedule.save(m_connection(), &error, kSaveAtOnce)) {
        if (m_schedule.hasUnsaved())
            m_timer.start(kBetweenSlices);
    } else {
        // Only time is lost: the next start steps the rules again.
        m_writeFailed = true;
        qWarning() << "dias seguintes dos lembretes repetidos não gravados:" << error;
    }
}
