#include "exchange/icalendar.h"

#include "exchange/icalrecurrence.h"
#include "exchange/icalnative.h"
#include "exchange/icalscan.h"
#include "runtime/plaintext.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QUuid>

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace icalendar {
namespace {

const char kProductId[] = "-//Zedozarir//Lembrete//PT-BR";

struct ComponentDeleter
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

// libical aborts the process on some errors unless told otherwise; a damaged
// file must only be reported.
void keepErrorsNonFatal()
{
    static const bool done = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    Q_UNUSED(done);
}

// ---------------------------------------------------------------- writing

icaltimetype dateValue(const QDate &day)
{
    icaltimetype value = icaltime_null_date();
    value.year = day.year();
    value.month = day.month();
    value.day = day.day();
    return value;
}

icaltimetype stampValue(const QDateTime &stamp)
{
    return icaltime_from_timet_with_zone(stamp.toSecsSinceEpoch(), 0,
                                         icaltimezone_get_utc_timezone());
}

icalcomponent *newCalendar()
{
    icalcomponent *calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid(kProductId));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
    return calendar;
}

icalcomponent *newAlarm(const QByteArray &title, int lead)
{
    icalcomponent *alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(title.constData()));
    // All-day events start at midnight, so a zero offset is the start of the day.
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-lead * 60);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    return alarm;
}

// Control characters are not allowed in calendar text; stored reminders may
// hold some (typed, or from an older import), so they are left out here.
QByteArray calendarText(const QString &text)
{
    return runtime::withoutControls(text).toUtf8();
}

// A reminder's time is the user's local time, written as such (floating),
// so a repeating one keeps its hour across daylight-saving changes.
icaltimetype startValue(const QDate &day, const QString &time)
{
    return native::valueFor(day, time, nullptr, nullptr);
}

icalcomponent *newEvent(const Item &item, const icaltimetype &stamp)
{
    const QByteArray title = calendarText(item.title);
    const bool occurrence = item.replaces.isValid();
    icalcomponent *event = icalcomponent_new_vevent();
    icalcomponent_add_property(
        event, icalproperty_new_uid(calendarText(occurrence ? item.uid : storedUid(item)).constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    const icaltimetype start = startValue(item.day, item.time);
    icalcomponent_add_property(event, icalproperty_new_dtstart(start));
    if (item.time.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_dtend(dateValue(item.day.addDays(1))));
    if (occurrence)
        icalcomponent_add_property(
            event, icalproperty_new_recurrenceid(icaltime_from_string(item.occurrence.toLatin1().constData())));
    if (!item.rule.isEmpty())
        icalcomponent_add_property(
            event, icalproperty_new_rrule(icalrecurrencetype_from_string(item.rule.toUtf8().constData())));
    for (const QDate &day : item.exceptions)
        icalcomponent_add_property(event, icalproperty_new_exdate(startValue(day, item.time)));
    icalcomponent_add_property(event, icalproperty_new_summary(title.constData()));
    // An empty DESCRIPTION is no text at all to readers (libical drops it).
    if (!calendarText(item.description).isEmpty())
        icalcomponent_add_property(event,
                                   icalproperty_new_description(calendarText(item.description).constData()));
    icalcomponent_add_component(event, newAlarm(title, item.lead.toInt()));
    return event;
}

QByteArray serialised(icalcomponent *component)
{
    char *text = icalcomponent_as_ical_string_r(component);
    QByteArray result(text);
    icalmemory_free_buffer(text);
    return result;
}

// ---------------------------------------------------------------- reading

using recurrence::dayOf;
using recurrence::Expansion;
using recurrence::timeText;
using recurrence::Window;

// A charset that does not write "BEGIN:;" as ASCII cannot be the charset of
// a line in a calendar file, whatever the file says.
bool fitsCalendarLines(const QByteArray &charset)
{
    QStringEncoder encoder(charset.constData());
    return encoder.isValid() && QByteArray(encoder.encode(u"BEGIN:;,=\\ az09")) == "BEGIN:;,=\\ az09";
}

// The text of a property: its declared charset when that reads the bytes
// cleanly, else UTF-8, else Windows-1252 (what Windows programs write).
QString decodedText(const scan::RawText &raw, QString *problem)
{
    const QByteArray bytes = scan::unescaped(raw.value);
    if (!raw.charset.isEmpty() && fitsCalendarLines(raw.charset)) {
        QStringDecoder declared(raw.charset.constData());
        const QString text = declared.decode(bytes);
        if (!declared.hasError())
            return runtime::withoutControls(text);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return runtime::withoutControls(text);
    // Windows-1252 leaves five bytes undefined; they come out as C1 controls.
    QStringDecoder windows("windows-1252");
    text = windows.isValid() ? QString(windows.decode(bytes)) : QString::fromLatin1(bytes);
    const bool undefined = std::any_of(text.cbegin(), text.cend(),
                                       [](QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9f; });
    if (!windows.isValid() || windows.hasError() || undefined)
        *problem = raw.charset.isEmpty()
            ? QStringLiteral("um texto do item não está em UTF-8 nem em Windows-1252.")
            : QStringLiteral("um texto do item não está no conjunto de caracteres declarado (%1), "
                             "nem em UTF-8 ou Windows-1252.")
                  .arg(QString::fromLatin1(raw.charset));
    return runtime::withoutControls(text);
}

// The property the item's day comes from: DTSTART for events, DUE (else
// DTSTART) for to-dos.
icalproperty *dayProperty(icalcomponent *component)
{
    if (icalcomponent_isa(component) == ICAL_VTODO_COMPONENT)
        if (icalproperty *due = icalcomponent_get_first_property(component, ICAL_DUE_PROPERTY))
            return due;
    return icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
}

// The day of a value plainDateTime() accepted (QDate::fromString is slow for
// a file of many items).
QDate plainDay(const QByteArray &plain)
{
    if (plain.isEmpty())
        return QDate();
    const auto number = [&plain](int from, int length) {
        int value = 0;
        for (int at = from; at < from + length; ++at)
            value = value * 10 + (plain.at(at) - '0');
        return value;
    };
    return QDate(number(0, 4), number(4, 2), number(6, 2));
}

// The warning's lead of an alarm whose trigger is a plain duration (most
// are), read without handing the item to libical.
bool plainLead(const QByteArray &trigger, QString *lead)
{
    if (trigger.isEmpty())
        return false;
    const icaldurationtype duration = icaldurationtype_from_string(trigger.constData());
    if (icaldurationtype_is_bad_duration(duration))
        return false;
    const int minutes = -icaldurationtype_as_int(duration) / 60;
    *lead = minutes > 0 ? QString::number(minutes) : QString();
    return true;
}

// What an item is read from: the scanned texts decoded, and its place.
struct Pending
{
    const scan::ScannedItem *scanned = nullptr;
    Item item;
};

class Reader
{
public:
    explicit Reader(const QDate &today) : m_window{today.addYears(-yearsBack), today.addYears(yearsAhead)} {}

    ParseResult read(const scan::Result &scanned)
    {
        m_outcomes.resize(scanned.items.size());
        QList<Pending> batch;
        qsizetype batchBytes = 0;
        m_result.zones = scanned.zones;
        for (const scan::ScannedItem &item : scanned.items) {
            Pending pending{&item, Item()};
            if (!prepare(pending))
                continue;
            batch.append(pending);
            batchBytes += item.text.size() + item.ruleLines.size();
            if (batch.size() == kBatchSize || batchBytes > kBatchBytes) {
                batchBytes = 0;
                readRecurring(batch, scanned.zones);
                batch.clear();
            }
        }
        readRecurring(batch, scanned.zones);
        if (scanned.deepLine > 0)
            m_deep = {QStringLiteral("trecho a partir da linha %1").arg(scanned.deepLine),
                      QStringLiteral("os componentes do arquivo estão aninhados em mais de %1 níveis; o "
                                     "que está dentro deles não foi lido.")
                          .arg(scan::maxDepth)};
        return finish(scanned.deepLine > 0);
    }

private:
    // Recurring items are read by libical in batches of this size.
    static constexpr int kBatchSize = 500;
    static constexpr qsizetype kBatchBytes = 4 * 1024 * 1024;
    // The rule steps one file may take in all: a step of a rule by seconds
    // costs libical several microseconds, and a rule with COUNT is stepped
    // from its start, however long ago.
    static constexpr qint64 kMaxStepsPerFile = 250000;

    struct Outcome
    {
        QList<Item> items;
        bool expanded = false;
        std::optional<SetAside> setAside;
    };

    // Reads what needs no libical; false when the item is done with (read or
    // set aside), true when its repetition is still to be read.
    bool prepare(Pending &pending)
    {
        const scan::ScannedItem &scanned = *pending.scanned;
        Item &item = pending.item;
        QString problem = scanned.problem;
        item.title = decodedText(scanned.summary, &problem);
        item.description = decodedText(scanned.description, &problem);
        item.uid = decodedText(scanned.uid, &problem);
        if (scanned.kind == "VJOURNAL")
            return setAside(pending, QStringLiteral("é uma anotação (VJOURNAL), não um evento nem uma tarefa."));
        if (!problem.isEmpty())
            return setAside(pending, problem);
        if (item.title.trimmed().isEmpty())
            return setAside(pending, QStringLiteral("o item não tem título (SUMMARY)."));
        const QByteArray &startValue = scanned.kind == "VTODO" && !scanned.due.isEmpty() ? scanned.due : scanned.start;
        if (startValue.isEmpty())
            return setAside(pending, QStringLiteral("o item não tem data (DTSTART ou DUE)."));
        // What the reminder's columns hold whole needs no object kept.
        item.object = scanned.foreign ? scanned.text : QByteArray();
        if (!scanned.occurrence.isEmpty()) {
            const QByteArray plain = scan::plainDateTime(scanned.occurrence);
            item.occurrence = QString::fromLatin1(plain.isEmpty() ? scanned.occurrence.toUpper() : plain);
            m_overrides.insert(overrideKey(item.uid, item.occurrence));
            return true;
        } else if (scanned.recurring) {
            if (m_stepsLeft <= 0)
                return setAside(pending, tooMuchWork());
            return true;
        }
        if (scanned.timed || (scanned.alarm && !plainLead(scanned.plainTrigger, &item.lead)))
            return true;
        item.day = plainDay(scan::plainDateTime(startValue));
        if (!item.day.isValid())
            return setAside(pending, QStringLiteral("a data do item não pôde ser lida."));
        outcome(pending).items.append(item);
        return false;
    }

    void readRecurring(const QList<Pending> &batch, const QByteArray &zones)
    {
        if (batch.isEmpty())
            return;
        QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + zones;
        for (const Pending &pending : batch) {
            const QByteArray kind = pending.scanned->kind;
            const QByteArray position = kPositionProperty + QByteArray(":")
                + QByteArray::number(pending.scanned->position) + "\r\n";
            const QByteArray &whole = pending.scanned->text;
            if (whole.isEmpty())
                text += "BEGIN:" + kind + "\r\n" + position + pending.scanned->ruleLines + "END:" + kind + "\r\n";
            else
                text += whole.first(whole.indexOf('\n') + 1) + position + whole.sliced(whole.indexOf('\n') + 1);
        }
        text += "END:VCALENDAR\r\n";
        ComponentPtr root(icalparser_parse_string(text.constData()));
        QHash<int, icalcomponent *> byPosition;
        for (icalcomponent *component = root ? icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT)
                                             : nullptr;
             component; component = icalcomponent_get_next_component(root.get(), ICAL_ANY_COMPONENT))
            byPosition.insert(positionOf(component), component);
        for (const Pending &pending : batch) {
            icalcomponent *component = byPosition.value(pending.scanned->position);
            if (component && !expands(component, pending))
                readNative(component, pending);
            else if (m_recurringLeft <= 0)
                setAside(pending, capReason());
            else if (component)
                expand(component, pending);
            else
                setAside(pending, QStringLiteral("a data ou a repetição do item não pôde ser lida."));
        }
    }

    // Only RDATE, which no rule of this program holds, rules finer than a
    // day (a reminder happens at most once a day), and an item whose text was
    // too long to keep, still become one reminder per occurrence.
    static bool expands(icalcomponent *component, const Pending &pending)
    {
        if (!pending.scanned->occurrence.isEmpty() || !pending.scanned->recurring)
            return false;
        if (pending.scanned->text.isEmpty() || icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY))
            return true;
        icalproperty *rule = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY);
        const icalrecurrencetype_frequency frequency =
            rule ? icalproperty_get_rrule(rule).freq : ICAL_NO_RECURRENCE;
        return frequency == ICAL_SECONDLY_RECURRENCE || frequency == ICAL_MINUTELY_RECURRENCE
            || frequency == ICAL_HOURLY_RECURRENCE;
    }

    void readNative(icalcomponent *component, const Pending &pending)
    {
        native::Timing timing;
        if (!native::read(component, &timing) || (!timing.rule.isEmpty() && !timing.day.isValid())) {
            setAside(pending, QStringLiteral("a data do item não pôde ser lida."));
            return;
        }
        Item item = pending.item;
        item.day = timing.day;
        item.time = timing.time;
        item.rule = timing.rule;
        item.exceptions = timing.exceptions;
        item.lead = timing.lead;
        item.replaces = timing.replaces;
        outcome(pending).items.append(item);
    }

    static int positionOf(icalcomponent *component)
    {
        for (icalproperty *property = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); property;
             property = icalcomponent_get_next_property(component, ICAL_X_PROPERTY))
            if (qstrcmp(icalproperty_get_x_name(property), kPositionProperty) == 0)
                return QByteArray(icalproperty_get_x(property)).toInt();
        return 0;
    }

    void expand(icalcomponent *component, const Pending &pending)
    {
        icalproperty *start = dayProperty(component);
        const icaltimetype time = start ? icalproperty_get_datetime_with_component(start, component)
                                        : icaltime_null_time();
        if (!start || icaltime_is_null_time(time) || !dayOf(time).isValid()) {
            setAside(pending, QStringLiteral("a data do item não pôde ser lida."));
            return;
        }
        Expansion expansion(component, start, m_window, &m_stepsLeft);
        std::vector<icaltimetype> occurrences = expansion.occurrences(maxOccurrences);
        if (expansion.outOfSteps()) {
            setAside(pending, tooMuchWork());
            return;
        }
        if (occurrences.empty()) {
            setAside(pending,
                     expansion.unreadable()
                         ? QStringLiteral("a repetição do item não pôde ser lida.")
                         : QStringLiteral("o item se repete, mas nenhuma vez entre %1 e %2.")
                               .arg(m_window.first.toString(QStringLiteral("dd/MM/yyyy")),
                                    m_window.last.toString(QStringLiteral("dd/MM/yyyy"))));
            --m_recurringLeft;
            return;
        }
        if (occurrences.size() > size_t(maxOccurrences)) {
            occurrences.resize(maxOccurrences);
            ++m_result.cappedRecurrences;
        }
        if (qsizetype(occurrences.size()) > m_recurringLeft) {
            m_recurringLeft = 0;
            setAside(pending, capReason());
            return;
        }
        m_recurringLeft -= qsizetype(occurrences.size());
        Outcome &result = outcome(pending);
        result.expanded = true;
        for (const icaltimetype &occurrenceTime : occurrences) {
            Item occurrence = pending.item;
            occurrence.day = dayOf(occurrenceTime);
            occurrence.occurrence = timeText(occurrenceTime);
            result.items.append(occurrence);
        }
    }

    static QString capReason()
    {
        static const QString reason =
            QStringLiteral("o arquivo já deu %1 lembretes de itens que se repetem, o máximo de uma "
                           "importação; este item não foi trazido.")
                .arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString(maxOccurrencesPerFile));
        return reason;
    }

    static QString tooMuchWork()
    {
        return QStringLiteral("a repetição do item pede cálculo demais depois das outras do arquivo; ele não "
                              "foi trazido.");
    }

    // Occurrences rewritten on their own (with RECURRENCE-ID) replace the
    // ones their recurring item gives, wherever in the file they were.
    ParseResult finish(bool deep)
    {
        for (Outcome &outcome : m_outcomes) {
            if (outcome.setAside)
                m_result.setAside.append(*outcome.setAside);
            for (const Item &item : std::as_const(outcome.items))
                if (!outcome.expanded || !m_overrides.contains(overrideKey(item.uid, item.occurrence)))
                    m_result.items.append(item);
        }
        if (deep)
            m_result.setAside.append(m_deep);
        return std::move(m_result);
    }

    static QString overrideKey(const QString &uid, const QString &occurrence)
    {
        return uid + QLatin1Char('\n') + occurrence;
    }

    Outcome &outcome(const Pending &pending) { return m_outcomes[pending.scanned->position - 1]; }

    // Named by its title, else its UID, else its start, else its place in the file.
    bool setAside(const Pending &pending, const QString &reason)
    {
        const scan::ScannedItem &scanned = *pending.scanned;
        QString name = pending.item.title.trimmed().isEmpty() ? pending.item.uid : pending.item.title;
        const QByteArray start = scanned.start.isEmpty() ? scanned.due : scanned.start;
        if (name.trimmed().isEmpty() && !start.isEmpty()) {
            const QDate day = plainDay(scan::plainDateTime(start));
            name = day.isValid() ? QStringLiteral("item de %1").arg(day.toString(QStringLiteral("dd/MM/yyyy")))
                                 : QStringLiteral("item de %1").arg(QString::fromLatin1(start.left(40)));
        }
        if (name.trimmed().isEmpty())
            name = QStringLiteral("item %1 do arquivo").arg(scanned.position);
        if (name.size() > kMaxNameLength)
            name = name.left(kMaxNameLength) + QChar(0x2026);
        outcome(pending).setAside = SetAside{name, reason};
        return false;
    }

    static constexpr char kPositionProperty[] = "X-ZEDOZARIR-POSICAO";
    static constexpr int kMaxNameLength = 80; // of a set-aside item's heading

    Window m_window;
    std::vector<Outcome> m_outcomes;
    QSet<QString> m_overrides;
    qsizetype m_recurringLeft = maxOccurrencesPerFile;
    qint64 m_stepsLeft = kMaxStepsPerFile;
    SetAside m_deep;
    ParseResult m_result;
};

QByteArray withoutByteOrderMark(const QByteArray &data)
{
    return data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
}

} // namespace

QByteArray eventObject(const Item &item, const QDateTime &stamp)
{
    keepErrorsNonFatal();
    ComponentPtr calendar(newCalendar());
    icalcomponent_add_component(calendar.get(), newEvent(item, stampValue(stamp)));
    return serialised(calendar.get());
}

QByteArray eventComponent(const Item &item, const QDateTime &stamp)
{
    keepErrorsNonFatal();
    ComponentPtr event(newEvent(item, stampValue(stamp)));
    return serialised(event.get());
}

QByteArray calendarHeader()
{
    keepErrorsNonFatal();
    ComponentPtr calendar(newCalendar());
    const QByteArray envelope = serialised(calendar.get());
    return envelope.chopped(QByteArrayLiteral("END:VCALENDAR\r\n").size());
}

QByteArray calendarFile(const QList<Item> &items, const QDateTime &stamp)
{
    keepErrorsNonFatal();
    const icaltimetype stampTime = stampValue(stamp);
    // Each event is built, written and freed in turn, then placed inside the
    // calendar's own lines: about twice as fast as one tree of every event.
    ComponentPtr calendar(newCalendar());
    const QByteArray envelope = serialised(calendar.get());
    const QByteArray end = QByteArrayLiteral("END:VCALENDAR\r\n");
    Q_ASSERT(envelope.endsWith(end));
    QByteArray result = envelope.chopped(end.size());
    result.reserve(result.size() + items.size() * 400);
    for (const Item &item : items) {
        ComponentPtr event(newEvent(item, stampTime));
        char *text = icalcomponent_as_ical_string_r(event.get());
        result.append(text);
        icalmemory_free_buffer(text);
    }
    result.append(end);
    return result;
}

ParseResult parse(const QByteArray &data, const QDate &today)
{
    keepErrorsNonFatal();
    const scan::Result scanned = scan::scan(withoutByteOrderMark(data));
    if (!scanned.calendar) {
        ParseResult result;
        result.error = QStringLiteral("o arquivo não contém um calendário iCalendar.");
        return result;
    }
    return Reader(today).read(scanned);
}

bool looksLikeCalendar(const QByteArray &data)
{
    const QByteArray text = withoutByteOrderMark(data).trimmed();
    qsizetype end = 0;
    while (end < text.size() && text.at(end) != '\r' && text.at(end) != '\n')
        ++end;
    const QByteArray first = text.first(end).trimmed().toUpper();
    return first == "BEGIN:VCALENDAR" || first == "BEGIN:VEVENT" || first == "BEGIN:VTODO"
        || first == "BEGIN:VJOURNAL";
}

QString storedUid(const Item &item)
{
    return item.occurrence.isEmpty() ? item.uid : item.uid + QLatin1Char('/') + item.occurrence;
}

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral("@zedozarir");
}

} // namespace icalendar
