// Times the reading of calendar data of awkward shapes, about 10 MB each
// (a file without line breaks, one long line, deep nesting, many small or
// recurring items, NUL bytes): one line per shape with the time, the items
// read and the items set aside. Reading is linear in the size, so each should
// take well under a second.
#include "exchange/icalendar.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr qsizetype kSize = 10 * 1024 * 1024;

QByteArray calendarOf(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//b//b//PT\r\n" + body + "END:VCALENDAR\r\n";
}

QByteArray repeatedUpTo(const std::function<QByteArray(int)> &piece)
{
    QByteArray body;
    body.reserve(kSize + 1024);
    for (int i = 0; body.size() < kSize; ++i)
        body += piece(i);
    return body;
}

QByteArray shape(int which)
{
    const QByteArray start = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART;VALUE=DATE:20260301\r\n";
    switch (which) {
    case 0:
        return "BEGIN:VCALENDAR" + QByteArray(kSize, 'x');
    case 1:
        return start + "SUMMARY:" + QByteArray(kSize, 'a');
    case 2:
        return calendarOf("BEGIN:VEVENT\r\nUID:x\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:S\r\nDESCRIPTION:"
                          + QByteArray(kSize, 'a') + "\r\nEND:VEVENT\r\n");
    case 3:
        return calendarOf("BEGIN:VEVENT\r\nUID:x\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:S\r\nDESCRIPTION:"
                          + repeatedUpTo([](int) { return QByteArray(70, 'a') + "\r\n "; }) + "\r\nEND:VEVENT\r\n");
    case 4:
        return QByteArray("BEGIN:VCALENDAR\r\n").repeated(kSize / 17);
    case 5:
        return calendarOf(repeatedUpTo([](int i) {
            return "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "\r\nDTSTART:20260301\r\nSUMMARY:S\r\nEND:VEVENT\r\n";
        }));
    case 6:
        return calendarOf(repeatedUpTo([](int i) {
            return "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "\r\nDTSTART:19700101T000000\r\n"
                   "RRULE:FREQ=SECONDLY\r\nSUMMARY:Tique\r\nEND:VEVENT\r\n";
        }));
    case 7:
        return calendarOf(repeatedUpTo([](int i) {
            return "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "\r\nDTSTART:19700101T000000\r\n"
                   "RRULE:FREQ=SECONDLY;COUNT=100000000\r\nSUMMARY:Tique\r\nEND:VEVENT\r\n";
        }));
    case 8:
        return calendarOf(QByteArray(kSize, '\0'));
    case 9:
        return calendarOf("BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20260301T090000\r\nRRULE:FREQ=DAILY\r\nSUMMARY:S\r\nEXDATE:"
                          + repeatedUpTo([](int i) { return QByteArray::number(20260302 + i % 28) + "T090000,"; })
                          + "20260301T090000\r\nEND:VEVENT\r\n");
    default:
        return QByteArray(kSize, '\n');
    }
}

const char *const kNames[] = {
    "10 MB without a line break",    "an item whose SUMMARY runs 10 MB to the end",
    "one 10 MB DESCRIPTION line",    "one 10 MB DESCRIPTION line, folded",
    "10 MB of nested VCALENDAR",     "10 MB of small events",
    "10 MB of events every second",  "10 MB of events every second, COUNT from 1970",
    "10 MB of NUL inside a calendar", "an item with 10 MB of EXDATE",
    "10 MB of empty lines",
};

} // namespace

// With a number, only that shape (0 is the first).
int main(int argc, char **argv)
{
    const QDate today(2026, 3, 10);
    const int only = argc > 1 ? std::atoi(argv[1]) : -1;
    for (int which = 0; which < int(std::size(kNames)); ++which) {
        if (only >= 0 && which != only)
            continue;
        const QByteArray data = shape(which);
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const icalendar::ParseResult result = icalendar::parse(data, today);
        const double cpu = double(std::clock() - cpuStart) * 1000 / CLOCKS_PER_SEC;
        const qint64 elapsed = timer.elapsed();
        // On a busy machine the processor time is the fairer figure.
        std::printf("%-48s %5.1f MB %6lld ms (%6.0f ms CPU) %7lld lidos %7lld deixados de lado%s\n", kNames[which],
                    data.size() / 1048576.0, static_cast<long long>(elapsed), cpu,
                    static_cast<long long>(result.items.size()), static_cast<long long>(result.setAside.size()),
                    result.error.isEmpty() ? "" : "  (não é calendário)");
        std::fflush(stdout);
    }
    return 0;
}
