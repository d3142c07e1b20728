#include "exchange/icalscan.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <iterator>

namespace icalendar::scan {
namespace {

// Control characters other than TAB have no place in calendar text (NUL would
// also end libical's reading); line ends are taken apart before this.
bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7f;
}

void appendClean(QByteArray &to, QByteArrayView from)
{
    for (const char c : from)
        if (!isControl(c))
            to.append(c);
}

bool is(QByteArrayView name, QByteArrayView wanted)
{
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

bool isItemKind(const QByteArray &name)
{
    return name == "VEVENT" || name == "VTODO" || name == "VJOURNAL";
}

// A content line taken apart: NAME;PARAM=...:VALUE.
struct Line
{
    QByteArrayView name;
    QByteArrayView params; // from the first ';' to the value's ':' (may be empty)
    QByteArrayView value;
};

Line split(QByteArrayView text)
{
    Line line;
    qsizetype nameEnd = 0;
    while (nameEnd < text.size() && text[nameEnd] != ';' && text[nameEnd] != ':')
        ++nameEnd;
    line.name = text.first(nameEnd).trimmed();
    bool quoted = false;
    qsizetype colon = nameEnd;
    for (; colon < text.size(); ++colon) {
        if (text[colon] == '"')
            quoted = !quoted;
        else if (text[colon] == ':' && !quoted)
            break;
    }
    line.params = text.sliced(nameEnd, colon - nameEnd);
    line.value = colon < text.size() ? text.sliced(colon + 1) : QByteArrayView();
    return line;
}

QByteArray parameter(QByteArrayView params, QByteArrayView wanted)
{
    bool quoted = false;
    qsizetype from = 0;
    for (qsizetype at = 0; at <= params.size(); ++at) {
        if (at < params.size() && params[at] == '"')
            quoted = !quoted;
        if (at < params.size() && (quoted || params[at] != ';'))
            continue;
        const QByteArrayView part = params.sliced(from, at - from);
        const qsizetype equals = part.indexOf('=');
        if (equals > 0 && part.first(equals).trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            QByteArray value = part.sliced(equals + 1).trimmed().toByteArray();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
        from = at + 1;
    }
    return QByteArray();
}

class Scanner
{
public:
    explicit Scanner(const QByteArray &data) : m_data(data) {}

    Result run()
    {
        QByteArray logical;
        bool overlong = false;
        int logicalLine = 0; // where the line being gathered began
        int physicalLines = 0;
        for (qsizetype at = 0; at < m_data.size();) {
            const char *begin = m_data.constData() + at;
            const char *end = m_data.constData() + m_data.size();
            const char *stop = begin;
            while (stop < end && *stop != '\n' && *stop != '\r')
                ++stop;
            const QByteArrayView physical(begin, stop - begin);
            if (stop < end && *stop == '\r')
                ++stop;
            if (stop < end && *stop == '\n')
                ++stop;
            at = stop - m_data.constData();
            ++physicalLines;
            const bool continued = !physical.isEmpty() && (physical.front() == ' ' || physical.front() == '\t');
            if (!continued) {
                if (logicalLine > 0)
                    take(logical, overlong, logicalLine);
                logical.clear();
                overlong = false;
                logicalLine = physicalLines;
            }
            const QByteArrayView part = continued ? physical.sliced(1) : physical;
            const qsizetype room = qMax<qsizetype>(0, maxLineBytes - logical.size());
            overlong = overlong || part.size() > room;
            appendClean(logical, part.first(qMin(room, part.size())));
        }
        if (logicalLine > 0)
            take(logical, overlong, logicalLine);
        if (m_item >= 0) {
            noteProblem(QStringLiteral("o arquivo acaba antes do fim do item (falta END:%1).")
                            .arg(QString::fromLatin1(item().kind)));
            m_item = -1;
        }
        return std::move(m_result);
    }

private:
    ScannedItem &item() { return m_result.items[m_item]; }

    void take(const QByteArray &text, bool overlong, int lineNumber)
    {
        if (text.isEmpty())
            return;
        m_lineNumber = lineNumber;
        const Line line = split(text);
        if (is(line.name, "BEGIN")) {
            const QByteArray component = line.value.trimmed().toByteArray().toUpper();
            begin(component, text);
            if (m_item >= 0 && m_skipped == 0) {
                keep(text, overlong);
                item().alarm = item().alarm || component == "VALARM";
                item().foreign = item().foreign || (m_stack.size() > m_itemDepth && component != "VALARM")
                    || m_stack.size() > m_itemDepth + 1;
            }
            return;
        }
        if (is(line.name, "END")) {
            if (m_item >= 0 && m_skipped == 0)
                keep(text, overlong);
            end(text);
            return;
        }
        if (m_skipped > 0)
            return;
        if (m_item >= 0 && m_zoneDepth == 0) {
            keep(text, overlong);
            noteForeign(line);
            if (m_stack.size() == m_itemDepth + 1 && m_stack.last() == "VALARM" && is(line.name, "TRIGGER")
                && m_triggerSeen != m_item) {
                m_triggerSeen = m_item;
                if (line.params.isEmpty())
                    item().plainTrigger = line.value.trimmed().toByteArray();
            }
        }
        if (m_zoneDepth > 0) {
            if (!overlong && text.size() <= maxRuleLineBytes)
                addZoneLine(text);
        } else if (m_item >= 0 && m_stack.size() == m_itemDepth) {
            overlong ? noteProblem(QStringLiteral("a linha %1 do item passa de 1 MB.")
                                       .arg(QString::fromLatin1(line.name.toByteArray().toUpper())))
                     : property(line, text);
        }
    }

    void begin(const QByteArray &component, const QByteArray &text)
    {
        if (m_skipped > 0 || m_stack.size() == maxDepth) {
            if (m_skipped++ == 0) {
                if (m_item >= 0)
                    noteProblem(QStringLiteral("o item tem componentes aninhados em mais de %1 níveis.").arg(maxDepth));
                else if (m_result.deepLine == 0)
                    m_result.deepLine = m_lineNumber;
            }
            return;
        }
        m_stack.append(component);
        if (m_stack.size() == 1 && (component == "VCALENDAR" || isItemKind(component)))
            m_result.calendar = true;
        if (m_item < 0 && m_zoneDepth == 0 && isItemKind(component)) {
            ScannedItem &scanned = m_result.items.emplace_back();
            scanned.position = int(m_result.items.size());
            scanned.kind = component;
            m_item = int(m_result.items.size()) - 1;
            m_itemDepth = int(m_stack.size());
            m_excluded = 0;
        } else if (m_item < 0 && m_zoneDepth == 0 && component == "VTIMEZONE") {
            m_zoneDepth = int(m_stack.size());
            m_zone.clear();
        }
        if (m_zoneDepth > 0)
            addZoneLine(text);
    }

    void end(const QByteArray &text)
    {
        if (m_skipped > 0) {
            --m_skipped;
            return;
        }
        if (m_stack.isEmpty())
            return;
        // A mismatched END still closes the open component: the file's own
        // count of BEGIN and END decides where an item stops.
        if (m_zoneDepth > 0) {
            addZoneLine(text);
            if (m_stack.size() == m_zoneDepth) {
                if (m_result.zones.size() + m_zone.size() <= maxZoneBytes)
                    m_result.zones.append(m_zone);
                m_zoneDepth = 0;
            }
        }
        if (m_item >= 0 && m_stack.size() == m_itemDepth)
            m_item = -1;
        m_stack.removeLast();
    }

    void addZoneLine(const QByteArray &text)
    {
        m_zone.append(text);
        m_zone.append("\r\n");
    }

    void noteForeign(const Line &line)
    {
        static const QByteArrayView own[] = {"UID", "DTSTAMP", "DTSTART", "DTEND", "SUMMARY", "DESCRIPTION",
                                             "RRULE", "EXDATE"};
        static const QByteArrayView alarm[] = {"ACTION", "DESCRIPTION", "TRIGGER"};
        ScannedItem &scanned = item();
        if (scanned.foreign)
            return;
        const bool plainParams = line.params.isEmpty() || is(line.params, ";VALUE=DATE");
        bool known = false;
        if (m_stack.size() == m_itemDepth)
            known = std::any_of(std::begin(own), std::end(own), [&](QByteArrayView name) { return is(line.name, name); });
        else if (m_stack.size() == m_itemDepth + 1 && m_stack.last() == "VALARM")
            known = std::any_of(std::begin(alarm), std::end(alarm), [&](QByteArrayView name) { return is(line.name, name); });
        scanned.foreign = !known || !plainParams;
    }

    void keep(const QByteArray &text, bool overlong)
    {
        ScannedItem &scanned = item();
        if (m_dropped == m_item)
            return;
        if (overlong || scanned.text.size() + text.size() + 2 > maxKeptBytes) {
            scanned.text.clear();
            m_dropped = m_item;
            return;
        }
        scanned.text.append(text).append("\r\n");
    }

    void noteProblem(const QString &problem)
    {
        if (item().problem.isEmpty())
            item().problem = problem;
    }

    static void keepText(RawText &to, const Line &line)
    {
        if (to.present)
            return;
        to.present = true;
        to.value = line.value.toByteArray();
        to.charset = parameter(line.params, "CHARSET");
    }

    static QByteArray startValue(ScannedItem &scanned, const Line &line)
    {
        const QByteArray value = line.value.trimmed().toByteArray();
        scanned.timed = scanned.timed || value.contains('T') || value.contains('t')
            || !parameter(line.params, "TZID").isEmpty();
        return value;
    }

    void property(const Line &line, const QByteArray &text)
    {
        ScannedItem &scanned = item();
        const QByteArrayView name = line.name;
        const bool isText = is(name, "SUMMARY") || is(name, "DESCRIPTION") || is(name, "UID");
        if (is(name, "SUMMARY"))
            keepText(scanned.summary, line);
        else if (is(name, "DESCRIPTION"))
            keepText(scanned.description, line);
        else if (is(name, "UID"))
            keepText(scanned.uid, line);
        else if (is(name, "DTSTART") && scanned.start.isEmpty())
            scanned.start = startValue(scanned, line);
        else if (is(name, "DUE") && scanned.due.isEmpty())
            scanned.due = startValue(scanned, line);
        else if (is(name, "RECURRENCE-ID") && scanned.occurrence.isEmpty())
            scanned.occurrence = line.value.trimmed().toByteArray();
        else if (is(name, "RRULE") || is(name, "RDATE"))
            scanned.recurring = true;
        else if (!is(name, "EXDATE"))
            return;
        if (is(name, "EXDATE")) {
            m_excluded += int(line.value.count(',')) + 1;
            if (m_excluded > maxExcludedDays)
                noteProblem(QStringLiteral("o item exclui mais de %1 dias (EXDATE).").arg(maxExcludedDays));
        }
        if (text.size() > maxRuleLineBytes)
            noteProblem(QStringLiteral("a linha %1 do item é longa demais.")
                            .arg(QString::fromLatin1(name.toByteArray().toUpper())));
        else if (!isText)
            scanned.ruleLines.append(text).append("\r\n");
    }

    const QByteArray &m_data;
    Result m_result;
    QList<QByteArray> m_stack;
    int m_skipped = 0;   // BEGINs open beyond maxDepth
    int m_item = -1;     // index of the open item
    int m_itemDepth = 0;
    int m_zoneDepth = 0; // depth of the open VTIMEZONE
    int m_excluded = 0;  // excluded days of the open item
    int m_dropped = -1;  // the item whose text grew too long to keep
    int m_triggerSeen = -1; // the item whose first alarm's trigger was seen
    int m_lineNumber = 0; // of the line being taken
    QByteArray m_zone;
};

bool allDigits(QByteArrayView text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.isEmpty();
}

} // namespace

Result scan(const QByteArray &data)
{
    return Scanner(data).run();
}

QByteArray unescaped(const QByteArray &value)
{
    if (!value.contains('\\'))
        return value;
    QByteArray text;
    text.reserve(value.size());
    for (qsizetype at = 0; at < value.size(); ++at) {
        if (value.at(at) != '\\' || at + 1 == value.size()) {
            text.append(value.at(at));
            continue;
        }
        const char next = value.at(++at);
        text.append(next == 'n' || next == 'N' ? '\n' : next);
    }
    return text;
}

QByteArray plainDateTime(const QByteArray &value)
{
    const QByteArray upper = value.toUpper();
    if (upper.size() == 8 && allDigits(upper))
        return upper;
    if ((upper.size() == 15 || (upper.size() == 16 && upper.endsWith('Z'))) && allDigits(upper.first(8))
        && upper.at(8) == 'T' && allDigits(upper.sliced(9, 6)))
        return upper;
    return QByteArray();
}

} // namespace icalendar::scan
