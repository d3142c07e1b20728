#include "exchange/icalendar.h"

#include <QSet>
#include <QStringDecoder>
#include <QUuid>

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

namespace icalendar {
namespace {

const char kProductId[] = "-//Zedozarir//Lembrete//PT-BR";

struct ComponentDeleter
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct IteratorDeleter
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

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

icalcomponent *newAlarm(const QByteArray &title)
{
    icalcomponent *alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(title.constData()));
    // All-day events start at midnight, so a zero offset is the start of the day.
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(0);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    return alarm;
}

icalcomponent *newEvent(const Item &item, const icaltimetype &stamp)
{
    const QByteArray title = item.title.toUtf8();
    icalcomponent *event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(storedUid(item).toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event, icalproperty_new_dtstart(dateValue(item.day)));
    icalcomponent_add_property(event, icalproperty_new_dtend(dateValue(item.day.addDays(1))));
    icalcomponent_add_property(event, icalproperty_new_summary(title.constData()));
    icalcomponent_add_property(event,
                               icalproperty_new_description(item.description.toUtf8().constData()));
    icalcomponent_add_component(event, newAlarm(title));
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

QString decodedText(const char *bytes, icalproperty *property)
{
    if (!bytes)
        return QString();
    const QByteArray raw(bytes);
    if (icalparameter *charset = icalproperty_get_first_parameter(property, ICAL_CHARSET_PARAMETER)) {
        QStringDecoder declared(icalparameter_get_charset(charset));
        if (declared.isValid()) {
            const QString text = declared.decode(raw);
            if (!declared.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return text;
    // Files that declare nothing and are not UTF-8 come from Windows programs.
    QStringDecoder windows("windows-1252");
    return windows.isValid() ? QString(windows.decode(raw)) : QString::fromLatin1(raw);
}

QString textOf(icalcomponent *component, icalproperty_kind kind)
{
    icalproperty *property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return QString();
    icalvalue *value = icalproperty_get_value(property);
    if (!value)
        return QString();
    const char *text = icalvalue_isa(value) == ICAL_TEXT_VALUE
        ? icalvalue_get_text(value)
        : icalproperty_get_value_as_string(property);
    return decodedText(text, property);
}

QString timeText(const icaltimetype &time)
{
    char *text = icaltime_as_ical_string_r(time);
    const QString result = QString::fromLatin1(text);
    icalmemory_free_buffer(text);
    return result;
}

QDate dayOf(const icaltimetype &time)
{
    return QDate(time.year, time.month, time.day);
}

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

// The property the item's day comes from: DTSTART for events, DUE (else
// DTSTART) for to-dos.
icalproperty *dayProperty(icalcomponent *component)
{
    if (icalcomponent_isa(component) == ICAL_VTODO_COMPONENT)
        if (icalproperty *due = icalcomponent_get_first_property(component, ICAL_DUE_PROPERTY))
            return due;
    return icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY);
}

struct Window
{
    QDate first;
    QDate last;
};

// Every occurrence of a recurring component within the window, in time order.
class Expansion
{
public:
    Expansion(icalcomponent *component, icalproperty *start, const Window &window)
        : m_component(component), m_window(window)
    {
        m_base = icalproperty_get_datetime_with_component(start, component);
    }

    static bool isRecurring(icalcomponent *component)
    {
        return icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY)
            || icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY);
    }

    std::vector<icaltimetype> occurrences()
    {
        const int wanted = maxOccurrences + excluded() + 1;
        addIfInWindow(m_base);
        for (icalproperty *rule = icalcomponent_get_first_property(m_component, ICAL_RRULE_PROPERTY);
             rule; rule = icalcomponent_get_next_property(m_component, ICAL_RRULE_PROPERTY))
            expandRule(icalproperty_get_rrule(rule), wanted);
        for (icalproperty *date = icalcomponent_get_first_property(m_component, ICAL_RDATE_PROPERTY);
             date; date = icalcomponent_get_next_property(m_component, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype value = icalproperty_get_rdate(date);
            icaltimetype time = icaltime_is_null_time(value.time) ? value.period.start : value.time;
            time.zone = m_base.zone;
            addIfInWindow(time);
        }
        removeExcluded();
        std::sort(m_found.begin(), m_found.end(), earlier);
        m_found.erase(std::unique(m_found.begin(), m_found.end(),
                                  [](const icaltimetype &a, const icaltimetype &b) {
                                      return !earlier(a, b) && !earlier(b, a);
                                  }),
                      m_found.end());
        return m_found;
    }

    bool unreadable() const { return m_gaveUp; }

private:
    // A rule is stepped from its start; a rule that starts long before the
    // window and steps by seconds would otherwise keep the import busy.
    static constexpr int kMaxSteps = 200000;

    int excluded() const
    {
        return icalcomponent_count_properties(m_component, ICAL_EXDATE_PROPERTY);
    }

    void addIfInWindow(const icaltimetype &time)
    {
        const QDate day = dayOf(time);
        if (day.isValid() && day >= m_window.first && day <= m_window.last)
            m_found.push_back(time);
    }

    void expandRule(const icalrecurrencetype &rule, int wanted)
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
            if (step == kMaxSteps) {
                m_gaveUp = true;
                return;
            }
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

    void removeExcluded()
    {
        for (icalproperty *property = icalcomponent_get_first_property(m_component, ICAL_EXDATE_PROPERTY);
             property; property = icalcomponent_get_next_property(m_component, ICAL_EXDATE_PROPERTY)) {
            const icaltimetype excluded = icalproperty_get_datetime_with_component(property, m_component);
            std::erase_if(m_found, [&](const icaltimetype &time) { return sameInstant(time, excluded); });
        }
    }

    icalcomponent *m_component;
    Window m_window;
    icaltimetype m_base;
    std::vector<icaltimetype> m_found;
    bool m_gaveUp = false;
};

class Reader
{
public:
    Reader(const QDate &today) : m_window{today.addYears(-yearsBack), today.addYears(yearsAhead)} {}

    // Reads one parsed calendar, or one piece of one.
    void read(icalcomponent *root)
    {
        m_components.clear();
        collect(root);
        noteOverrides();
        for (icalcomponent *component : m_components)
            readComponent(component);
    }

    // Occurrences rewritten on their own (with RECURRENCE-ID) replace the
    // ones their recurring item gives, wherever in the file they were.
    ParseResult finish()
    {
        QList<Item> kept;
        kept.reserve(m_result.items.size());
        for (qsizetype i = 0; i < m_result.items.size(); ++i) {
            const Item &item = m_result.items.at(i);
            if (!m_expanded.at(i) || !m_overrides.contains(overrideKey(item.uid, item.occurrence)))
                kept.append(item);
        }
        m_result.items = std::move(kept);
        return std::move(m_result);
    }

private:
    void collect(icalcomponent *component)
    {
        switch (icalcomponent_isa(component)) {
        case ICAL_XROOT_COMPONENT:
        case ICAL_VCALENDAR_COMPONENT:
            for (icalcomponent *child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
                 child; child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
                collect(child);
            break;
        case ICAL_VEVENT_COMPONENT:
        case ICAL_VTODO_COMPONENT:
            m_components.push_back(component);
            break;
        case ICAL_VJOURNAL_COMPONENT:
            setAside(component, QStringLiteral("é uma anotação (VJOURNAL), não um evento nem uma tarefa."));
            break;
        default: // time zones, free/busy and the like carry no reminder
            break;
        }
    }

    void noteOverrides()
    {
        for (icalcomponent *component : m_components)
            if (icalproperty *id = icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY))
                m_overrides.insert(overrideKey(textOf(component, ICAL_UID_PROPERTY),
                                               timeText(icalproperty_get_recurrenceid(id))));
    }

    static QString overrideKey(const QString &uid, const QString &occurrence)
    {
        return uid + QLatin1Char('\n') + occurrence;
    }

    void setAside(icalcomponent *component, const QString &reason)
    {
        QString summary = textOf(component, ICAL_SUMMARY_PROPERTY);
        if (summary.isEmpty())
            summary = textOf(component, ICAL_UID_PROPERTY);
        m_result.setAside.append({summary, reason});
    }

    void readComponent(icalcomponent *component)
    {
        Item item;
        item.title = textOf(component, ICAL_SUMMARY_PROPERTY);
        item.description = textOf(component, ICAL_DESCRIPTION_PROPERTY);
        item.uid = textOf(component, ICAL_UID_PROPERTY);
        if (item.title.trimmed().isEmpty()) {
            setAside(component, QStringLiteral("o item não tem título (SUMMARY)."));
            return;
        }
        icalproperty *start = dayProperty(component);
        const icaltimetype time = start ? icalproperty_get_datetime_with_component(start, component)
                                        : icaltime_null_time();
        if (!start || icaltime_is_null_time(time) || !dayOf(time).isValid()) {
            setAside(component, start ? QStringLiteral("a data do item não pôde ser lida.")
                                      : QStringLiteral("o item não tem data (DTSTART ou DUE)."));
            return;
        }
        if (icalproperty *id = icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY)) {
            item.occurrence = timeText(icalproperty_get_recurrenceid(id));
        } else if (Expansion::isRecurring(component)) {
            expand(component, start, item);
            return;
        }
        item.day = dayOf(time);
        m_result.items.append(item);
        m_expanded.push_back(false);
    }

    void expand(icalcomponent *component, icalproperty *start, const Item &item)
    {
        Expansion expansion(component, start, m_window);
        std::vector<icaltimetype> occurrences = expansion.occurrences();
        if (occurrences.empty()) {
            setAside(component,
                     expansion.unreadable()
                         ? QStringLiteral("a repetição do item não pôde ser lida.")
                         : QStringLiteral("o item se repete, mas nenhuma vez entre %1 e %2.")
                               .arg(m_window.first.toString(QStringLiteral("dd/MM/yyyy")),
                                    m_window.last.toString(QStringLiteral("dd/MM/yyyy"))));
            return;
        }
        if (occurrences.size() > size_t(maxOccurrences)) {
            occurrences.resize(maxOccurrences);
            ++m_result.cappedRecurrences;
        }
        for (const icaltimetype &time : occurrences) {
            Item occurrence = item;
            occurrence.day = dayOf(time);
            occurrence.occurrence = timeText(time);
            m_result.items.append(occurrence);
            m_expanded.push_back(true);
        }
    }

    Window m_window;
    std::vector<icalcomponent *> m_components;
    QSet<QString> m_overrides;
    std::vector<bool> m_expanded; // per item: an occurrence of a recurring item
    ParseResult m_result;
};

// A calendar file cut into pieces of at most kPieceSize components, each
// piece with its calendar's own lines and time zones, so that libical never
// holds the whole file at once: a large file reads about a third faster.
// Empty when the text is not laid out as this expects; it is then read whole.
class Pieces
{
public:
    static constexpr int kPieceSize = 500;

    explicit Pieces(const QByteArray &text) : m_text(text) { m_ok = split(); }

    bool ok() const { return m_ok && !m_pieces.isEmpty(); }
    qsizetype count() const { return m_pieces.size(); }

    QByteArray piece(qsizetype index) const
    {
        const Piece &piece = m_pieces.at(index);
        QByteArray text = piece.header;
        for (const Span &span : piece.components)
            text.append(QByteArrayView(m_text).sliced(span.from, span.to - span.from));
        text.append("END:VCALENDAR\r\n");
        return text;
    }

private:
    struct Span
    {
        qsizetype from;
        qsizetype to;
    };
    struct Piece
    {
        QByteArray header;
        QList<Span> components;
    };

    static QByteArray nameAfter(QByteArrayView line, QByteArrayView keyword)
    {
        if (line.size() < keyword.size()
            || qstrnicmp(line.data(), keyword.size(), keyword.data(), keyword.size()) != 0)
            return QByteArray();
        return line.sliced(keyword.size()).trimmed().toByteArray().toUpper();
    }

    void closeCalendar(const QByteArray &header, const QList<Span> &components)
    {
        for (qsizetype first = 0; first < components.size(); first += kPieceSize)
            m_pieces.append({header, components.mid(first, kPieceSize)});
    }

    bool split()
    {
        QByteArray header;
        QList<Span> components;
        int depth = 0;
        qsizetype componentStart = 0;
        bool inZone = false;
        for (qsizetype at = 0; at < m_text.size();) {
            qsizetype end = m_text.indexOf('\n', at);
            end = end < 0 ? m_text.size() : end + 1;
            const QByteArrayView raw = QByteArrayView(m_text).sliced(at, end - at);
            const bool continued = raw.front() == ' ' || raw.front() == '\t';
            const QByteArrayView line = raw.trimmed();
            const QByteArray begins = continued ? QByteArray() : nameAfter(line, "BEGIN:");
            const QByteArray ends = continued ? QByteArray() : nameAfter(line, "END:");
            if (!begins.isEmpty()) {
                if (depth == 0 && begins != "VCALENDAR")
                    return false;
                if (depth == 0)
                    header = raw.toByteArray();
                if (depth == 1) {
                    componentStart = at;
                    inZone = begins == "VTIMEZONE";
                }
                ++depth;
            } else if (!ends.isEmpty()) {
                if (--depth < 0)
                    return false;
                if (depth == 1) {
                    if (inZone)
                        header.append(QByteArrayView(m_text).sliced(componentStart, end - componentStart));
                    else
                        components.append({componentStart, end});
                } else if (depth == 0) {
                    closeCalendar(header, components);
                    components.clear();
                }
            } else if (depth == 1) {
                header.append(raw); // the calendar's own lines
            } else if (depth == 0 && !line.isEmpty()) {
                return false;
            }
            at = end;
        }
        return depth == 0;
    }

    const QByteArray &m_text;
    QList<Piece> m_pieces;
    bool m_ok = false;
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
    ParseResult result;
    // libical reads up to the first NUL; what follows one is no calendar text.
    const QByteArray text = withoutByteOrderMark(data);
    Reader reader(today);
    const Pieces pieces(text);
    if (pieces.ok()) {
        for (qsizetype i = 0; i < pieces.count(); ++i) {
            const QByteArray piece = pieces.piece(i);
            if (ComponentPtr root{icalparser_parse_string(piece.constData())})
                reader.read(root.get());
        }
        return reader.finish();
    }
    ComponentPtr root(icalparser_parse_string(text.constData()));
    if (!root) {
        result.error = QStringLiteral("o arquivo não contém um calendário iCalendar.");
        return result;
    }
    reader.read(root.get());
    result = reader.finish();
    if (result.items.isEmpty() && result.setAside.isEmpty()
        && icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT
        && icalcomponent_isa(root.get()) != ICAL_XROOT_COMPONENT)
        result.error = QStringLiteral("o arquivo não contém um calendário iCalendar.");
    return result;
}

bool looksLikeCalendar(const QByteArray &data)
{
    return withoutByteOrderMark(data).trimmed().left(15).toUpper() == "BEGIN:VCALENDAR";
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
