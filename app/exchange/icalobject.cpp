#include "exchange/icalobject.h"

#include "runtime/plaintext.h"

namespace icalendar::original {
namespace {

bool isItem(icalcomponent *component)
{
    const icalcomponent_kind kind = icalcomponent_isa(component);
    return kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT;
}

QString textOf(const char *text)
{
    return runtime::withoutControls(QString::fromUtf8(text ? text : ""));
}

QByteArray serialised(icalcomponent *component)
{
    char *text = icalcomponent_as_ical_string_r(component);
    QByteArray result(text ? text : "");
    icalmemory_free_buffer(text);
    return result;
}

void setText(icalcomponent *component, icalproperty_kind kind, const QString &text)
{
    icalproperty *property = icalcomponent_get_first_property(component, kind);
    const QByteArray value = runtime::withoutControls(text).toUtf8();
    if (!property) {
        if (value.isEmpty())
            return;
        property = icalproperty_new(kind);
        icalcomponent_add_property(component, property);
    }
    icalproperty_set_value(property, icalvalue_new_text(value.constData()));
}

void raiseSequence(icalcomponent *component)
{
    if (icalproperty *sequence = icalcomponent_get_first_property(component, ICAL_SEQUENCE_PROPERTY))
        icalproperty_set_sequence(sequence, icalproperty_get_sequence(sequence) + 1);
    else
        icalcomponent_add_property(component, icalproperty_new_sequence(1));
}

// libical notes what it could not read (an empty property, say) as
// X-LIC-ERROR; those notes are its own, not the other calendar's.
void removeReadingNotes(icalcomponent *component)
{
    QList<icalcomponent *> pending{component};
    while (!pending.isEmpty()) {
        icalcomponent *current = pending.takeLast();
        while (icalproperty *note = icalcomponent_get_first_property(current, ICAL_XLICERROR_PROPERTY)) {
            icalcomponent_remove_property(current, note);
            icalproperty_free(note);
        }
        for (icalcomponent *child = icalcomponent_get_first_component(current, ICAL_ANY_COMPONENT); child;
             child = icalcomponent_get_next_component(current, ICAL_ANY_COMPONENT))
            pending.append(child);
    }
}

} // namespace

Fields fieldsOf(icalcomponent *component)
{
    Fields fields;
    fields.title = textOf(icalcomponent_get_summary(component));
    fields.description = textOf(icalcomponent_get_description(component));
    native::read(component, &fields.timing);
    return fields;
}

Object::Object(const QByteArray &text)
{
    if (text.size() > maxObjectBytes)
        return;
    m_root = icalparser_parse_string(text.constData());
    if (!m_root)
        return;
    removeReadingNotes(m_root);
    if (isItem(m_root)) {
        m_main = m_root; // an item without its calendar
        return;
    }
    for (icalcomponent *item = icalcomponent_get_first_component(m_root, ICAL_ANY_COMPONENT); item;
         item = icalcomponent_get_next_component(m_root, ICAL_ANY_COMPONENT))
        if (isItem(item) && !icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY)) {
            m_main = item;
            break;
        }
}

Object::~Object()
{
    if (m_root)
        icalcomponent_free(m_root);
}

QString Object::uid() const
{
    return m_main ? textOf(icalcomponent_get_uid(m_main)) : QString();
}

QString Object::location(const QDate &day) const
{
    icalcomponent *item = day.isValid() ? overrideFor(day) : nullptr;
    if (!item)
        item = m_main;
    return item ? textOf(icalcomponent_get_location(item)) : QString();
}

Fields Object::fields() const
{
    return m_main ? fieldsOf(m_main) : Fields();
}

icalcomponent *Object::overrideFor(const QDate &day) const
{
    if (m_root == m_main)
        return nullptr;
    for (icalcomponent *item = icalcomponent_get_first_component(m_root, ICAL_ANY_COMPONENT); item;
         item = icalcomponent_get_next_component(m_root, ICAL_ANY_COMPONENT))
        if (item != m_main && isItem(item) && fieldsOf(item).timing.replaces == day)
            return item;
    return nullptr;
}

bool Object::patchComponent(icalcomponent *component, const Fields &now, const QList<QDate> &notExcluded)
{
    const Fields was = fieldsOf(component);
    native::Timing timing = now.timing;
    timing.exceptions.removeIf([&](const QDate &day) { return notExcluded.contains(day); });
    timing.replaces = was.timing.replaces;
    bool changed = false;
    if (was.title != now.title) {
        setText(component, ICAL_SUMMARY_PROPERTY, now.title);
        changed = true;
    }
    if (was.description != now.description) {
        setText(component, ICAL_DESCRIPTION_PROPERTY, now.description);
        changed = true;
    }
    const native::Timing &old = was.timing;
    if (!old.sameWhen(timing) || old.rule != timing.rule || old.exceptions != timing.exceptions
        || old.lead != timing.lead) {
        native::patch(component, old, timing);
        changed = true;
    }
    if (changed)
        raiseSequence(component);
    return changed;
}

bool Object::apply(const Fields &master, const QList<Fields> &overrides)
{
    if (!m_main)
        return false;
    QList<QDate> overridden;
    for (const Fields &occurrence : overrides)
        overridden.append(occurrence.timing.replaces);
    bool changed = patchComponent(m_main, master, overridden);
    if (m_root != m_main) {
        // Occurrences no longer rewritten on their own: their day stays excluded.
        QList<icalcomponent *> stale;
        for (icalcomponent *item = icalcomponent_get_first_component(m_root, ICAL_ANY_COMPONENT); item;
             item = icalcomponent_get_next_component(m_root, ICAL_ANY_COMPONENT))
            if (item != m_main && isItem(item) && !overridden.contains(fieldsOf(item).timing.replaces))
                stale.append(item);
        for (icalcomponent *item : std::as_const(stale)) {
            icalcomponent_remove_component(m_root, item);
            icalcomponent_free(item);
            changed = true;
        }
    }
    for (const Fields &occurrence : overrides) {
        icalcomponent *item = overrideFor(occurrence.timing.replaces);
        if (!item && m_root != m_main) {
            // A new occurrence of its own: the series' object without its
            // repetition, at the day it replaces.
            item = icalcomponent_new_clone(m_main);
            for (icalproperty_kind kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY})
                while (icalproperty *property = icalcomponent_get_first_property(item, kind)) {
                    icalcomponent_remove_property(item, property);
                    icalproperty_free(property);
                }
            icalproperty *start = icalcomponent_get_first_property(item, ICAL_DTSTART_PROPERTY);
            icalproperty *id = icalproperty_new_recurrenceid(
                native::valueFor(occurrence.timing.replaces, master.timing.time, start, item));
            if (start)
                if (icalparameter *zone = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER))
                    if (!master.timing.time.isEmpty())
                        icalproperty_add_parameter(id, icalparameter_new_clone(zone));
            icalcomponent_add_property(item, id);
            icalcomponent_add_component(m_root, item);
            changed = true;
        }
        if (item)
            changed = patchComponent(item, occurrence, {}) || changed;
    }
    return changed;
}

QByteArray Object::text() const
{
    return m_root ? serialised(m_root) : QByteArray();
}

QByteArray Object::components(QSet<QByteArray> *zonesWritten) const
{
    if (!m_root)
        return QByteArray();
    if (m_root == m_main)
        return serialised(m_main);
    QByteArray result;
    for (icalcomponent *item = icalcomponent_get_first_component(m_root, ICAL_ANY_COMPONENT); item;
         item = icalcomponent_get_next_component(m_root, ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(item) == ICAL_VTIMEZONE_COMPONENT) {
            icalproperty *id = icalcomponent_get_first_property(item, ICAL_TZID_PROPERTY);
            const QByteArray name = id ? QByteArray(icalproperty_get_tzid(id)) : QByteArray();
            if (zonesWritten->contains(name))
                continue;
            zonesWritten->insert(name);
        }
        result += serialised(item);
    }
    return result;
}

} // namespace icalendar::original
