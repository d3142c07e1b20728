// The days of the rows far from the counted day, as the by-day view and its
// calendar ask for them: a month at a time, kept until the rows are read
// again, so picking days and paging months does not step every rule anew.
#include "store/schedule.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

QDate monthStart(const QDate &day)
{
    return QDate(day.year(), day.month(), 1);
}

QDate monthEnd(const QDate &day)
{
    return monthStart(day).addMonths(1).addDays(-1);
}

// Beyond this many months asked about, the oldest are let go (a user paging for centuries).
constexpr size_t kMostBusyMonths = 1200;

} // namespace

// A row's days in [from, to], at most limit of them: from the days found
// ahead when they cover the range, none for a series that ended before it or
// starts after it, else from libical.
QList<QDate> Schedule::daysOf(const Row &row, const QDate &from, const QDate &to, int limit) const
{
    QList<QDate> days;
    const recurrence::Series &series = row.series;
    if (!series.firstDay.isValid() || series.firstDay > to)
        return days;
    if (series.repeats()) {
        if (row.last.isValid() && row.last < from)
            return days;
        const qint32 first = qint32(from.toJulianDay());
        const qint32 last = qint32(to.toJulianDay());
        if (row.from >= 0 && first >= row.from && last <= row.known) {
            for (auto day = std::lower_bound(row.ahead.cbegin(), row.ahead.cend(), first);
                 day != row.ahead.cend() && *day <= last && days.size() < limit; ++day)
                days.append(QDate::fromJulianDay(*day));
            return days;
        }
    }
    return recurrence::occurrencesBetween(series, from, to, limit);
}

const Schedule::Month &Schedule::month(const QDate &day) const
{
    const QDate start = monthStart(day);
    const qint32 first = qint32(start.toJulianDay());
    for (const Month &kept : m_months)
        if (kept.first == first)
            return kept;
    const QDate end = monthEnd(day);
    // One list per day, filled in row order: that is list order within a day.
    std::array<std::vector<Entry>, 31> days;
    for (size_t i = 0; i < m_rows.size(); ++i)
        for (const QDate &occurrence : daysOf(m_rows[i], start, end))
            days[size_t(occurrence.day() - 1)].push_back({int(i), occurrence});
    if (m_months.size() >= kKeptMonths)
        m_months.pop_front();
    Month &month = m_months.emplace_back();
    month.first = first;
    quint32 busy = 0;
    for (size_t offset = 0; offset < days.size(); ++offset) {
        if (!days[offset].empty())
            busy |= 1u << offset;
        month.entries.insert(month.entries.end(), days[offset].cbegin(), days[offset].cend());
    }
    m_busyMonths[first] = busy;
    return month;
}

// Finds which days the months of [from, to] not asked about before have rows
// on, stepping each rule once over all of them: setting up a rule is what costs.
void Schedule::markMonths(const QDate &from, const QDate &to) const
{
    QDate missingFrom;
    QDate missingTo;
    for (QDate start = monthStart(from); start <= to; start = start.addMonths(1)) {
        if (m_busyMonths.count(qint32(start.toJulianDay())))
            continue;
        if (!missingFrom.isValid())
            missingFrom = start;
        missingTo = monthEnd(start);
    }
    if (!missingFrom.isValid())
        return;
    if (m_busyMonths.size() > kMostBusyMonths)
        m_busyMonths.clear();
    const qint64 span = missingFrom.daysTo(missingTo) + 1;
    std::vector<bool> busy(size_t(span), false);
    qint64 marked = 0;
    for (const Row &row : m_rows) {
        if (marked == span)
            break; // every day is bold already
        for (const QDate &day : daysOf(row, missingFrom, missingTo, int(span))) {
            const size_t offset = size_t(missingFrom.daysTo(day));
            if (!busy[offset]) {
                busy[offset] = true;
                ++marked;
            }
        }
    }
    for (QDate start = missingFrom; start <= missingTo; start = start.addMonths(1)) {
        const qint64 offset = missingFrom.daysTo(start);
        quint32 bits = 0;
        for (int day = 0; day < start.daysInMonth(); ++day)
            if (busy[size_t(offset + day)])
                bits |= 1u << day;
        m_busyMonths[qint32(start.toJulianDay())] = bits;
    }
}

QList<QDate> Schedule::busyDays(const QDate &from, const QDate &to) const
{
    QList<QDate> days;
    if (!from.isValid() || !to.isValid() || to < from)
        return days;
    markMonths(from, to);
    for (QDate start = monthStart(from); start <= to; start = start.addMonths(1)) {
        for (quint32 bits = m_busyMonths.at(qint32(start.toJulianDay())); bits; bits &= bits - 1) {
            const QDate day = start.addDays(std::countr_zero(bits));
            if (day >= from && day <= to)
                days.append(day);
        }
    }
    return days;
}

// Within one month (the by-day view's day): from that month's days, found once.
std::vector<Schedule::Entry> Schedule::farBetween(const QDate &from, const QDate &to) const
{
    std::vector<Entry> entries;
    if (monthStart(from) == monthStart(to)) {
        for (const Entry &entry : month(from).entries)
            if (entry.day >= from && entry.day <= to && !m_rows[size_t(entry.row)].pending)
                entries.push_back(entry);
        return entries;
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows[i];
        if (row.pending)
            continue;
        // Counted from a day before from, a next day after to means none in range.
        if (m_counted.isValid() && m_counted <= from && (!row.next.isValid() || row.next > to))
            continue;
        for (const QDate &day : daysOf(row, from, to))
            entries.push_back({int(i), day});
    }
    sortEntries(entries);
    return entries;
}
