// The background pass of a schedule: the days of many repeating reminders
// found on threads of their own, so the window need not wait for libical.
#include "store/schedule.h"

#include "store/schedulerows.h"

#include <algorithm>
#include <atomic>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// A pass over copies of the rows, so the lists and edits go on with the
// rows themselves meanwhile; matched back by key and signature.
struct Schedule::Finding
{
    QDate day;
    std::vector<Row> rows; // by key
    std::atomic<bool> stop = false;
    std::atomic<bool> done = false;
};

Schedule::~Schedule()
{
    stopFinding();
}

void Schedule::stopFinding()
{
    if (m_finding)
        m_finding->stop = true;
    if (m_finder.joinable())
        m_finder.join();
    m_finding.reset();
}

// One pass at a time; rows a running pass does not hold wait for the next.
void Schedule::startFinding()
{
    if (m_finding && !m_finding->done)
        return;
    if (m_finder.joinable())
        m_finder.join();
    auto finding = std::make_shared<Finding>();
    finding->day = m_counted;
    for (const Row &row : m_rows) {
        if (!row.pending)
            continue;
        Row copy;
        copy.key = row.key;
        copy.signature = row.signature;
        copy.series = row.series;
        finding->rows.push_back(std::move(copy));
    }
    if (finding->rows.empty())
        return;
    std::sort(finding->rows.begin(), finding->rows.end(), [](const Row &a, const Row &b) { return a.key < b.key; });
    m_finding = finding;
    m_finder = std::thread([finding] {
        // Behind the window's own work on a machine with few cores; the
        // thread forEachRow() starts inherits this.
        setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
        schedulerows::forEachRow(finding->rows, [&](Row &row) {
            if (!finding->stop.load(std::memory_order_relaxed))
                countRow(row, finding->day);
        });
        finding->done = true;
    });
}

// Gives the pending rows what an ended pass found for the same texts,
// counted again when the day listed changed meanwhile.
bool Schedule::applyFound()
{
    if (!m_finding || !m_finding->done)
        return false;
    m_finder.join();
    const std::shared_ptr<Finding> finding = std::move(m_finding);
    bool applied = false;
    for (Row &row : m_rows) {
        if (!row.pending)
            continue;
        const Row *found = sameRow(finding->rows, row);
        if (!found)
            continue;
        takeDaysAhead(row, *found);
        row.next = found->next;
        row.soon = found->soon;
        row.pending = false;
        --m_pending;
        if (m_counted.isValid() && m_counted != finding->day)
            countRow(row, m_counted);
        applied = true;
    }
    return applied;
}

bool Schedule::takeFound()
{
    if (!m_read || !applyFound())
        return false;
    startFinding(); // for rows read after the pass began
    return true;
}

bool Schedule::finding() const
{
    return m_pending > 0;
}
