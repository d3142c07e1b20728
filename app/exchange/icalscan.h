#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The first pass over calendar data from outside: one linear walk over the
// bytes, without recursion, that finds the items (VEVENT, VTODO, VJOURNAL)
// and keeps of each what a reminder needs. Only the lines libical must see
// (dates, repetition, time zones) are handed on to it, each of bounded length,
// so that neither a long line nor deep nesting reaches it.
namespace icalendar::scan {

// How deep BEGIN may nest (calendar, item, alarm and time zone parts need 4).
constexpr int maxDepth = 10;
// The longest line (after unfolding) read from the file.
constexpr qsizetype maxLineBytes = 1024 * 1024;
// The longest date or repetition line handed to libical.
constexpr qsizetype maxRuleLineBytes = 64 * 1024;
// How many excluded days (EXDATE) one item may list.
constexpr int maxExcludedDays = 5000;
// The most of one item kept whole, so that it can be written back as it came.
constexpr qsizetype maxKeptBytes = 256 * 1024;
// How much time zone text one file may bring.
constexpr qsizetype maxZoneBytes = 256 * 1024;

// A text property as written: its value, still escaped, and its CHARSET.
struct RawText
{
    QByteArray value;
    QByteArray charset;
    bool present = false;
};

struct ScannedItem
{
    int position = 0;      // 1 for the file's first item
    QByteArray kind;       // VEVENT, VTODO or VJOURNAL
    RawText summary;
    RawText description;
    RawText uid;
    QByteArray start;      // DTSTART's value, as written
    QByteArray due;        // DUE's value, as written
    QByteArray occurrence; // RECURRENCE-ID's value, as written
    bool recurring = false; // has RRULE or RDATE
    QByteArray ruleLines;  // DTSTART, DUE, RRULE, RDATE, EXDATE, RECURRENCE-ID lines for libical
    QString problem;       // why the item cannot be read, when the scan found out
    QByteArray text;       // the whole item, unfolded, alarms included; empty when past maxKeptBytes
    bool timed = false;    // DTSTART or DUE has a time, a zone or UTC
    bool alarm = false;    // holds a VALARM
    // The first alarm's TRIGGER value when it is a plain duration before the
    // start (no parameters); empty when it has another form.
    QByteArray plainTrigger;
    // Holds something a reminder's own columns do not (a place, people,
    // other alarms, a zone, parameters, properties of other programs): only
    // then is the item's text worth keeping.
    bool foreign = false;
};

struct Result
{
    std::vector<ScannedItem> items;
    QByteArray zones;         // every VTIMEZONE, as lines for libical
    bool calendar = false;    // the data begins a calendar or an item somewhere
    int deepLine = 0;         // first line where nesting outside an item went past maxDepth
};

Result scan(const QByteArray &data);

// Unescapes a TEXT value (\\ \; \, \n \N).
QByteArray unescaped(const QByteArray &value);

// "20260105", "20260105T090000" or "20260105T090000Z" (upper case), or empty
// when the value has another form.
QByteArray plainDateTime(const QByteArray &value);

} // namespace icalendar::scan
