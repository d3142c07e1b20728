#include "exchange/icalrecurrence.h"

#include <algorithm>
#include <memory>
#include <tuple>

namespace icalendar::recurrence {
namespace {

struct IteratorDeleter
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

// A rule is stepped from its start; a rule that starts long before the
// window and steps by seconds would otherwise keep the import busy.
constexpr int kMaxSteps = 200000;

bool sameInstant(const icaltimetype &a, const icaltimetype &b)
{
    if (a.is_date || b.is_date)
        return dayOf(a) == dayOf(b);
    const bool aFloating = !a.zone && !icaltime_is_utc(a);
    const bool bFloating = !b.zone && !icaltime_is_utc(b);
    if (aFloating != bFloating) // nothing to convert with: compare as written
        return dayOf(a) == dayOf(b) && a.hour == b.hour && a.minute == b.minute
            && a.second == b.second;
    return icaltime_compare(a, b) == 0;
}

bool earlier(const icaltimetype &a, const icaltimetype &b)
{
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second)
        < std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

} // namespace

QDate dayOf(const icaltimetype &time)
{
    return QDate(time.year, time.month, time.day);
}

QString timeText(const icaltimetype &time)
{
    char *text = icaltime_as_ical_string_r(time);
    const QString result = QString::fromLatin1(text);
    icalmemory_free_buffer(text);
    return result;
}

Expansion::Expansion(icalcomponent *component, icalproperty *start, const Window &window,
                     qint64 *stepsLeft)
    : m_component(component), m_window(window), m_stepsLeft(stepsLeft)
{
    m_base = icalproperty_get_datetime_with_component(start, component);
}

bool Expansion::isRecurring(icalcomponent *component)
{
    return icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY)
        || icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY);
}

std::vector<icaltimetype> Expansion::occurrences(int maxOccurrences)
{
    const int wanted = maxOccurrences + icalcomponent_count_properties(m_component, ICAL_EXDATE_PROPERTY) + 1;
    addIfInWindow(m_base);
    for (icalproperty *rule = icalcomponent_get_first_property(m_component, ICAL_RRULE_PROPERTY);
         rule && !m_gaveUp; rule = icalcomponent_get_next_property(m_component, ICAL_RRULE_PROPERTY))
        expandRule(icalproperty_get_rrule(rule), wanted);
    for (icalproperty *date = icalcomponent_get_first_property(m_component, ICAL_RDATE_PROPERTY);
         date; date = icalcomponent_get_next_property(m_component, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype value = icalproperty_get_rdate(date);
        icaltimetype time = icaltime_is_null_time(value.time) ? value.period.start : value.time;
        time.zone = m_base.zone;
        addIfInWindow(time);
    }
    std::sort(m_found.begin(), m_found.end(), earlier);
    m_found.erase(std::unique(m_found.begin(), m_found.end(),
                              [](const icaltimetype &a, const icaltimetype &b) {
                                  return !earlier(a, b) && !earlier(b, a);
                              }),
                  m_found.end());
    removeExcluded();
    return m_found;
}

void Expansion::addIfInWindow(const icaltimetype &time)
{
    const QDate day = dayOf(time);
    if (day.isValid() && day >= m_window.first && day <= m_window.last)
        m_found.push_back(time);
}

void Expansion::expandRule(const icalrecurrencetype &rule, int wanted)
{
    IteratorPtr iterator(icalrecur_iterator_new(rule, m_base));
    if (!iterator) {
        m_gaveUp = true;
        return;
    }
    if (rule.count == 0 && dayOf(m_base) < m_window.first) {
        icaltimetype from = m_base;
        from.year = m_window.first.year();
        from.month = m_window.first.month();
        from.day = m_window.first.day();
        icalrecur_iterator_set_start(iterator.get(), from);
    }
    int inWindow = 0;
    for (int step = 0;; ++step) {
        if (step == kMaxSteps || *m_stepsLeft <= 0) {
            m_outOfSteps = *m_stepsLeft <= 0;
            m_gaveUp = true;
            return;
        }
        --*m_stepsLeft;
        const icaltimetype next = icalrecur_iterator_next(iterator.get());
        if (icaltime_is_null_time(next) || dayOf(next) > m_window.last)
            return;
        if (dayOf(next) >= m_window.first) {
            m_found.push_back(next);
            if (++inWindow == wanted)
                return;
        }
    }
}

// Each excluded time is looked up among the sorted occurrences of its day, so
// an item with many EXDATE values costs no more than its occurrences.
void Expansion::removeExcluded()
{
    std::vector<bool> removed(m_found.size(), false);
    for (icalproperty *property = icalcomponent_get_first_property(m_component, ICAL_EXDATE_PROPERTY);
         property; property = icalcomponent_get_next_property(m_component, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype excluded = icalproperty_get_datetime_with_component(property, m_component);
        const QDate day = dayOf(excluded);
        if (!day.isValid())
            continue;
        // Times in other zones may fall on other days as written.
        auto at = std::lower_bound(m_found.begin(), m_found.end(), day.addDays(-2),
                                   [](const icaltimetype &time, const QDate &d) { return dayOf(time) < d; });
        for (; at != m_found.end() && dayOf(*at) <= day.addDays(2); ++at)
            if (sameInstant(*at, excluded))
                removed[at - m_found.begin()] = true;
    }
    std::vector<icaltimetype> kept;
    kept.reserve(m_found.size());
    for (size_t i = 0; i < m_found.size(); ++i)
        if (!removed[i])
            kept.push_back(m_found[i]);
    m_found = std::move(kept);
}

} // namespace icalendar::recurrence
