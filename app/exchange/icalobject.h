#pragma once

#include "exchange/icalnative.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

// The iCalendar object a reminder came from, kept whole, and written back
// with only what the user changed here patched in: its title, description,
// start, repetition, excluded days and the warning's alarm. Every other
// property, parameter, alarm and time zone stays as the other calendar wrote
// it, and an object nothing was changed in is written back as it came.
namespace icalendar::original {

struct Fields
{
    QString title;
    QString description;
    native::Timing timing; // timing.replaces: the day an occurrence replaces
};

// The most one kept object may hold; a larger one is not kept (the reminder
// is then written as this program writes its own).
constexpr qsizetype maxObjectBytes = 256 * 1024;

class Object
{
public:
    explicit Object(const QByteArray &text);
    ~Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    bool isValid() const { return m_main != nullptr; }
    QString uid() const;
    // The place (LOCATION) of the main component, or of the occurrence
    // rewritten on its own for day when there is one; empty when none.
    QString location(const QDate &day = QDate()) const;
    // What the main component (the one without RECURRENCE-ID) says now.
    Fields fields() const;

    // Patches the main component with master and the occurrences rewritten
    // on their own with overrides (each by timing.replaces): those already in
    // the object are patched, new ones are added, and those no longer among
    // overrides are taken out (their day stays excluded). The days of
    // overrides are not written as EXDATE. Each changed component's SEQUENCE
    // goes up by one. True when anything changed.
    bool apply(const Fields &master, const QList<Fields> &overrides);

    QByteArray text() const;
    // The components without the calendar around them, for a file holding
    // many objects; time zones already in zonesWritten are left out.
    QByteArray components(QSet<QByteArray> *zonesWritten) const;

private:
    icalcomponent *overrideFor(const QDate &day) const;
    bool patchComponent(icalcomponent *component, const Fields &now, const QList<QDate> &notExcluded);

    icalcomponent *m_root = nullptr;
    icalcomponent *m_main = nullptr;
};

// Reads fields from one item component (title, description and timing).
Fields fieldsOf(icalcomponent *component);

} // namespace icalendar::original
