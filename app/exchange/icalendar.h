#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// The mapping between reminders and iCalendar (RFC 5545) data, written and
// read with libical. A reminder is an all-day event on its day.
namespace icalendar {

struct Item
{
    QDate day;
    QString title;
    QString description;
    QString uid;
    // Empty, or the occurrence's RECURRENCE-ID text (as written, for example
    // "20260105" or "20260105T090000") for one occurrence of a recurring item.
    QString occurrence;
    // Read natively (not for occurrences of an expanded item): the start's
    // local time ("HH:MM", empty for the whole day), the RRULE value, the
    // excluded days, the warning's lead in minutes and, for an occurrence
    // rewritten on its own, the day it replaces.
    QString time;
    QString rule;
    QList<QDate> exceptions;
    QString lead;
    QDate replaces;
    // The item's own text as it came (alarms included), empty when it was
    // not kept; the object written back is made from it.
    QByteArray object;
};

// An item of the file that did not become a reminder, and why (in Portuguese).
struct SetAside
{
    QString summary;
    QString reason;
};

struct ParseResult
{
    QList<Item> items;
    QList<SetAside> setAside;
    int cappedRecurrences = 0; // recurring items cut at maxOccurrences
    QString error;             // set when the data is no calendar at all
    QByteArray zones;          // the file's VTIMEZONEs, for the objects kept
};

// How far recurring items are expanded around today, and how many
// occurrences one item may give at most.
constexpr int yearsBack = 1;
constexpr int yearsAhead = 2;
constexpr int maxOccurrences = 1000;
// How many reminders the recurring items of one file may give in all; the
// items past it are set aside with the reason.
constexpr int maxOccurrencesPerFile = 20000;

// One VCALENDAR holding one all-day VEVENT: DTSTART;VALUE=DATE, DTEND the next
// day, SUMMARY, DESCRIPTION, UID, DTSTAMP and a display VALARM at the start of
// its day.
QByteArray eventObject(const Item &item, const QDateTime &stamp);

// One VEVENT without its calendar (a reminder with a time, a repetition or a
// warning gets them; one occurrence of a series, replaces set, gets the
// series' UID and RECURRENCE-ID occurrence), and the lines a calendar file
// begins with (it ends with END:VCALENDAR).
QByteArray eventComponent(const Item &item, const QDateTime &stamp);
QByteArray calendarHeader();

// A whole calendar of many reminders, in the order given (the export file).
QByteArray calendarFile(const QList<Item> &items, const QDateTime &stamp);

// Reads a calendar file or object, with or without its VCALENDAR: VEVENT (its
// start day as written, so in the event's own time zone) and VTODO (DUE,
// else DTSTART); folded lines, escaped texts, a CHARSET parameter or UTF-8.
// Texts keep their blanks and lose control characters. RRULE, RDATE and
// EXDATE are kept as they are (a rule, excluded days) and occurrences with
// RECURRENCE-ID are items of their own; only items with RDATE, which a rule
// cannot hold, are expanded from today - yearsBack to today + yearsAhead, at most
// maxOccurrences per item and maxOccurrencesPerFile in all. Every item ends
// in items or setAside, in the file's order; time and memory grow with the
// data's size only.
ParseResult parse(const QByteArray &data, const QDate &today);

// True when data looks like iCalendar (starts with BEGIN:VCALENDAR, or a bare
// BEGIN:VEVENT, VTODO or VJOURNAL, blanks and a byte-order mark aside).
bool looksLikeCalendar(const QByteArray &data);

// The UID an item is exported with and remembered under: its own UID, with
// the occurrence after a "/" for one occurrence of a recurring item. Kept in
// the reminder table's uid column.
QString storedUid(const Item &item);

// A new globally unique UID for a reminder that has none yet.
QString newUid();

} // namespace icalendar
