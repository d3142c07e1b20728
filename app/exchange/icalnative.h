#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <libical/ical.h>

// A reminder's timing read from, and written into, one iCalendar component
// as libical sees it: the start in the user's local day and time whatever
// zone it was written in, the repetition rule as it stands, the excluded days
// and the warning's lead. Nothing here expands a rule.
namespace icalendar::native {

struct Timing
{
    QDate day;               // local day of DTSTART (DUE for a to-do without start)
    QString time;            // "HH:MM" local; empty for the whole day
    QString rule;            // RRULE value; empty when it happens once
    QList<QDate> exceptions; // EXDATE days, local
    QString lead;            // minutes before the start of the warning's VALARM; empty for none
    QDate replaces;          // RECURRENCE-ID's local day, for one occurrence rewritten on its own
    bool hasRdate = false;   // RDATE cannot be kept as a rule of this program

    bool sameWhen(const Timing &other) const { return day == other.day && time == other.time; }
};

// False when the component has no start libical can read.
bool read(icalcomponent *component, Timing *timing);

// The warning's VALARM: the first one that triggers relative to the start.
icalproperty *warningTrigger(icalcomponent *component);

// Writes what differs between was (read from the component) and now into the
// component, keeping every other property and parameter; a changed start keeps
// the length of the event and the zone it was written in.
void patch(icalcomponent *component, const Timing &was, const Timing &now);

// The value of a local day and time in the zone of reference (a start
// property), or floating/date when reference is null.
icaltimetype valueFor(const QDate &day, const QString &time, icalproperty *reference, icalcomponent *component);

} // namespace icalendar::native
