#pragma once

#include "store/recurrence.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <thread>
#include <vector>

class QSqlDatabase;

// The reminders with a time of day or a repetition, kept apart from the
// day-only ones: read once per change of the file, their next days counted
// once per day, so the lists add them to the day-only rows that SQLite reads
// in order without stepping through a hundred thousand rules every time.
class Schedule
{
public:
    struct Row
    {
        qint64 key = 0;
        QByteArray title;     // UTF-8, as stored
        QByteArray storedDay; // the first day's text as stored
        int minutes = -1;     // the time of day in minutes after midnight; -1 for the whole day
        recurrence::Series series;
        QDate next;           // the next day on or after the counted day; invalid when none
        QDate last;           // the last day of a series that ended before the counted day
        quint32 soon = 0;     // bit i: happens on the counted day + i
        // The days found ahead when the rule was last stepped through, so
        // the next days need not ask libical again: every day the series
        // happens on up to known (all of them once the series has ended).
        std::vector<qint32> ahead; // day numbers, in order
        qint32 from = -1;          // day number the days ahead were found from; -1: none yet
        qint32 known = -1;         // day number up to which every day of the series is in ahead
        bool ended = false;        // the series has no days after those in ahead
        quint64 signature = 0;     // of the texts the days are found from (see schedulecache)
        bool unsaved = false;      // days found here that the file does not hold yet
        bool pending = false;      // its days are being found in the background: not listed yet
    };
    // One line of a list: a row on one of its days.
    struct Entry
    {
        int row;  // index into rows()
        QDate day; // invalid only for a first day that does not read, listed as stored
    };

    // How many days from the counted day on the soon bits cover: the longest range listed.
    static constexpr int kSoonDays = 16;
    // How far ahead the rules are stepped at once: stepping is what costs
    // (libical), so a change of day within this reuses the days found.
    static constexpr int kAheadDays = 40;
    // Rules whose days found run out within this many days past those listed
    // are stepped again bit by bit beforehand, so no day finds them all due at once.
    static constexpr int kMarginDays = 10;
    // More repeating rows than this without usable days found (the first
    // start after an upgrade, or weeks unused) are stepped on threads of
    // their own, so the window need not wait for libical; fewer are stepped at once.
    static constexpr size_t kStepAtOnce = 2000;

    Schedule() = default;
    ~Schedule();
    Schedule(const Schedule &) = delete;
    Schedule &operator=(const Schedule &) = delete;

    // Reads the rows again when the file changed since they were read (its
    // size or time of change, or changes the program made), and counts their
    // days again when today is another day. False, keeping nothing, when the
    // rows cannot be read; a table without the columns has no such rows.
    bool refresh(const QSqlDatabase &db, const QString &path, const QDate &today, QString *error);
    // Forgets the rows: the next refresh reads them again (keeping the days
    // found for those whose first day, rule and excluded days stay the same).
    void invalidate();

    // Steps again, for about this long, the rules soon to run out of days
    // found. True while some are left.
    bool stepSome(int milliseconds);
    // Whether some days found are not in the file yet, or are still being found.
    bool hasUnsaved() const;
    // Whether rows are left out of the lists while their days are found in the background.
    bool finding() const;
    // Takes in what the background pass found, once it has ended. True when
    // rows got their days, so the lists should be loaded again.
    bool takeFound();
    // Writes the days found to the file (table lembrete_proxima, which must
    // exist), so the next start reads them instead of stepping the rules: at
    // most most rows' days at a time, hasUnsaved() telling whether more are left.
    bool save(const QSqlDatabase &db, QString *error, size_t most = std::numeric_limits<size_t>::max());

    const std::vector<Row> &rows() const { return m_rows; }
    // Whether the row with this key is one of these (and so not listed as a day-only row).
    bool contains(qint64 key) const;

    // One entry per row, on its next day from the counted day (or its last,
    // or its first), in list order: day, the whole day before times, time, title.
    std::vector<Entry> listed() const;
    // One entry per day in [from, to] a row happens on, in list order.
    std::vector<Entry> between(const QDate &from, const QDate &to) const;

    // The days in [from, to] on which any row happens, in order.
    QList<QDate> busyDays(const QDate &from, const QDate &to) const;

    // Whether entry goes before a day-only row listed with this stored day
    // and UTF-8 title (as SQLite orders them: by day text, then title bytes).
    bool before(const Entry &entry, const QDate &day, QByteArrayView storedDay, QByteArrayView title) const;

private:
    struct Stamp
    {
        QString path;
        qint64 size = -1;
        qint64 changed = -1;
        qint64 journalSize = -1;
        qint64 journalChanged = -1;
        bool operator==(const Stamp &) const = default;
    };
    static Stamp stampOf(const QString &path);
    bool read(const QSqlDatabase &db, QString *error);
    void count(const QDate &today);
    static void countRow(Row &row, const QDate &today);
    static void stepAhead(Row &row, const QDate &today);
    void reusePrevious(Row &row) const;
    // The row of rows (in key order) with row's key and texts; null when none.
    static const Row *sameRow(const std::vector<Row> &rows, const Row &row);
    // Gives row the days another count of the same texts found ahead.
    static void takeDaysAhead(Row &row, const Row &counted);
    void sortEntries(std::vector<Entry> &entries) const;
    QList<QDate> daysOf(const Row &row, const QDate &from, const QDate &to, int limit = 4000) const;
    std::vector<Entry> farBetween(const QDate &from, const QDate &to) const;
    struct Month
    {
        qint32 first = 0;           // day number of its first day
        std::vector<Entry> entries; // every row's days in it (pending rows too), in list order
    };
    const Month &month(const QDate &day) const;
    void markMonths(const QDate &from, const QDate &to) const;
    struct Finding;
    bool applyFound();
    void startFinding();
    void stopFinding();

    std::vector<Row> m_rows;
    std::vector<qint64> m_keys; // sorted
    // One bit per key up to the largest, when keys are small enough for it:
    // the lists ask about every row they read.
    std::vector<bool> m_keyBits;
    std::vector<Row> m_previous; // the rows before an invalidate(), by key, until the next read
    size_t m_stepCursor = 0;
    size_t m_pending = 0; // rows left out of the lists until the background pass has found their days
    Stamp m_stamp;
    QDate m_counted;
    bool m_read = false;
    // What the by-day view asks far from the counted day, found once until
    // the rows are read again: the days of the last months listed, and which
    // days of each month asked about any row happens on (bit i: its day i + 1).
    static constexpr size_t kKeptMonths = 3;
    mutable std::deque<Month> m_months;
    mutable std::map<qint32, quint32> m_busyMonths; // by the day number of the month's first day
    std::shared_ptr<Finding> m_finding;
    std::thread m_finder;
};
