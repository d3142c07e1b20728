#pragma once

#include <QDate>
#include <QString>

#include <libical/ical.h>

#include <vector>

// The occurrences of a recurring item, computed with libical.
namespace icalendar::recurrence {

QDate dayOf(const icaltimetype &time);

// The time as iCalendar writes it ("20260105", "20260105T090000", "...Z").
QString timeText(const icaltimetype &time);

struct Window
{
    QDate first;
    QDate last;
};

// Every occurrence of a recurring component within the window, in time
// order. Each step of a rule costs one from *stepsLeft, which the whole file
// shares, so that many rules stepping from long ago cannot keep it busy.
class Expansion
{
public:
    Expansion(icalcomponent *component, icalproperty *start, const Window &window, qint64 *stepsLeft);

    static bool isRecurring(icalcomponent *component);

    std::vector<icaltimetype> occurrences(int maxOccurrences);

    bool unreadable() const { return m_gaveUp; }
    bool outOfSteps() const { return m_outOfSteps; }

private:
    void addIfInWindow(const icaltimetype &time);
    void expandRule(const icalrecurrencetype &rule, int wanted);
    void removeExcluded();

    icalcomponent *m_component;
    Window m_window;
    qint64 *m_stepsLeft;
    icaltimetype m_base;
    std::vector<icaltimetype> m_found;
    bool m_gaveUp = false;
    bool m_outOfSteps = false;
};

} // namespace icalendar::recurrence
