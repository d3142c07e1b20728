#include "exchange/icalnative.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>

namespace icalendar::native {
namespace {

struct Local
{
    QDate day;
    QString time;
};

// A value in the user's local day and time: dates stay as they are, floating
// times are local already, times in a zone (or UTC) are converted.
Local localOf(const icaltimetype &value)
{
    if (icaltime_is_null_time(value))
        return {};
    if (value.is_date)
        return {QDate(value.year, value.month, value.day), QString()};
    if (value.zone) {
        const QDateTime local =
            QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(value, value.zone)).toLocalTime();
        return {local.date(), local.time().toString(QStringLiteral("HH:mm"))};
    }
    return {QDate(value.year, value.month, value.day),
            QTime(value.hour, value.minute).toString(QStringLiteral("HH:mm"))};
}

icalproperty *startProperty(icalcomponent *component)
{
    if (icalproperty *start = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY))
        return start;
    return icalcomponent_get_first_property(component, ICAL_DUE_PROPERTY);
}

void removeAll(icalcomponent *component, icalproperty_kind kind)
{
    while (icalproperty *property = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

void setValue(icalproperty *property, const icaltimetype &value)
{
    if (value.is_date)
        icalproperty_remove_parameter_by_kind(property, ICAL_TZID_PARAMETER);
    icalproperty_set_value(property, icalvalue_new_datetime(value));
    if (value.is_date)
        icalproperty_set_value(property, icalvalue_new_date(value));
}

void setStart(icalcomponent *component, const Timing &was, const Timing &now)
{
    icalproperty *start = startProperty(component);
    icalproperty *end = icalcomponent_get_first_property(component, ICAL_DTEND_PROPERTY);
    const icaltimetype oldStart = icalproperty_get_datetime_with_component(start, component);
    const icaltimetype value = valueFor(now.day, now.time, start, component);
    setValue(start, value);
    if (!end)
        return;
    if (was.time.isEmpty() != now.time.isEmpty()) {
        // From the whole day to a time or back: the old length means nothing.
        if (now.time.isEmpty())
            setValue(end, icaltime_add(value, icaldurationtype_from_int(24 * 3600)));
        else {
            icalcomponent_remove_property(component, end);
            icalproperty_free(end);
        }
        return;
    }
    const icaltimetype oldEnd = icalproperty_get_datetime_with_component(end, component);
    icaltimetype newEnd = icaltime_add(value, icaltime_subtract(oldEnd, oldStart));
    newEnd.zone = oldEnd.zone;
    setValue(end, newEnd);
}

void setExceptions(icalcomponent *component, const Timing &now)
{
    removeAll(component, ICAL_EXDATE_PROPERTY);
    icalproperty *start = startProperty(component);
    for (const QDate &day : now.exceptions) {
        icalproperty *excluded = icalproperty_new_exdate(valueFor(day, now.time, start, component));
        if (!now.time.isEmpty())
            if (icalparameter *zone = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER))
                icalproperty_add_parameter(excluded, icalparameter_new_clone(zone));
        icalcomponent_add_property(component, excluded);
    }
}

void setLead(icalcomponent *component, const QString &lead)
{
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-lead.toInt() * 60);
    if (icalproperty *property = warningTrigger(component)) {
        icalproperty_set_trigger(property, trigger);
        return;
    }
    icalcomponent *alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    const char *summary = icalcomponent_get_summary(component);
    icalcomponent_add_property(alarm, icalproperty_new_description(summary ? summary : ""));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(component, alarm);
}

} // namespace

icalproperty *warningTrigger(icalcomponent *component)
{
    for (icalcomponent *alarm = icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(component, ICAL_VALARM_COMPONENT)) {
        icalproperty *property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!property)
            continue;
        const icaltriggertype trigger = icalproperty_get_trigger(property);
        icalparameter *related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
        if (icaltime_is_null_time(trigger.time)
            && (!related || icalparameter_get_related(related) == ICAL_RELATED_START))
            return property;
    }
    return nullptr;
}

bool read(icalcomponent *component, Timing *timing)
{
    icalproperty *start = startProperty(component);
    if (!start)
        return false;
    const Local first = localOf(icalproperty_get_datetime_with_component(start, component));
    if (!first.day.isValid())
        return false;
    timing->day = first.day;
    timing->time = first.time;
    if (icalproperty *rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype value = icalproperty_get_rrule(rule);
        char *text = icalrecurrencetype_as_string_r(&value);
        timing->rule = QString::fromUtf8(text ? text : "");
        icalmemory_free_buffer(text);
    }
    for (icalproperty *excluded = icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY); excluded;
         excluded = icalcomponent_get_next_property(component, ICAL_EXDATE_PROPERTY)) {
        const Local day = localOf(icalproperty_get_datetime_with_component(excluded, component));
        if (day.day.isValid() && !timing->exceptions.contains(day.day))
            timing->exceptions.append(day.day);
    }
    std::sort(timing->exceptions.begin(), timing->exceptions.end());
    timing->hasRdate = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY) != nullptr;
    if (icalproperty *occurrence = icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY))
        timing->replaces = localOf(icalproperty_get_datetime_with_component(occurrence, component)).day;
    if (icalproperty *trigger = warningTrigger(component)) {
        const int minutes = -icaldurationtype_as_int(icalproperty_get_trigger(trigger).duration) / 60;
        if (minutes > 0)
            timing->lead = QString::number(minutes);
    }
    return true;
}

icaltimetype valueFor(const QDate &day, const QString &time, icalproperty *reference, icalcomponent *component)
{
    icaltimetype value = icaltime_null_date();
    value.year = day.year();
    value.month = day.month();
    value.day = day.day();
    if (time.isEmpty())
        return value; // the whole day, as most reminders are (reading no time is not free)
    const QTime clock = QTime::fromString(time, QStringLiteral("HH:mm"));
    if (!clock.isValid())
        return value;
    const icaltimetype shape = reference ? icalproperty_get_datetime_with_component(reference, component)
                                         : icaltime_null_time();
    if (!shape.is_date && shape.zone) {
        const qint64 secs = QDateTime(day, clock).toSecsSinceEpoch();
        icaltimetype converted = icaltime_from_timet_with_zone(secs, 0, const_cast<icaltimezone *>(shape.zone));
        // The fields are in the zone; the property's TZID says which (UTC is written with Z).
        if (shape.zone != icaltimezone_get_utc_timezone())
            converted.zone = nullptr;
        return converted;
    }
    value.is_date = 0;
    value.hour = clock.hour();
    value.minute = clock.minute();
    value.second = 0;
    return value;
}

void patch(icalcomponent *component, const Timing &was, const Timing &now)
{
    if (!was.sameWhen(now) && startProperty(component))
        setStart(component, was, now);
    if (was.rule != now.rule) {
        removeAll(component, ICAL_RRULE_PROPERTY);
        if (!now.rule.isEmpty())
            icalcomponent_add_property(component, icalproperty_new_rrule(
                                                      icalrecurrencetype_from_string(now.rule.toUtf8().constData())));
    }
    if (was.exceptions != now.exceptions || !was.sameWhen(now))
        if (!now.exceptions.isEmpty() || !was.exceptions.isEmpty())
            setExceptions(component, now);
    if (was.lead != now.lead)
        setLead(component, now.lead);
}

} // namespace icalendar::native
