#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

// The rows of a reminder list, kept compactly: each row's key, its day as a
// day number and every title in one UTF-8 buffer, so a million reminders cost
// tens of bytes each. A day text that is not "yyyy/mm/dd" (a file edited by hand) is kept
// as it is, to be shown as it is.
class ReminderRows
{
public:
    qsizetype size() const { return qsizetype(m_days.size()); }
    bool isEmpty() const { return m_days.empty(); }

    void append(qint64 key, QByteArrayView storedDay, QByteArrayView title);
    // The same with the day already read from storedDay.
    void append(qint64 key, QByteArrayView storedDay, const QDate &day, QByteArrayView title);
    // A row of a reminder with a time of day (minutes after midnight, or -1)
    // or a repetition, on one of its days.
    void appendScheduled(qint64 key, QByteArrayView storedDay, QByteArrayView title, int minutes, bool repeats);
    // The same on a valid day, without going through its text.
    void appendScheduled(qint64 key, const QDate &day, QByteArrayView title, int minutes, bool repeats);
    void clear();
    // Keeps the first count rows.
    void truncate(qsizetype count);

    // The row's day; invalid when its text is not a day.
    QDate day(qsizetype row) const;
    // The row's day text as stored.
    QString storedDay(qsizetype row) const;
    QString title(qsizetype row) const;
    // The row's time of day in minutes after midnight; -1 for the whole day.
    int minutes(qsizetype row) const;
    // Whether the row is one day of a repeating reminder.
    bool repeats(qsizetype row) const;
    // Whether any row has a time or repeats.
    bool hasScheduled() const { return !m_marks.empty(); }
    // The row's key in the table (its rowid): what commands on the row act on.
    qint64 key(qsizetype row) const { return m_keys[std::size_t(row)]; }

private:
    std::vector<qint64> m_keys;
    // A day number (Julian day) when not negative; otherwise -1 - index into m_oddDays.
    std::vector<qint32> m_days;
    // Where each title ends in m_titles; a title starts where the previous one ends.
    std::vector<quint32> m_titleEnds;
    QByteArray m_titles;
    QStringList m_oddDays;
    // Only the rows with a time or a repetition, in row order: day-only rows cost nothing more.
    struct Mark
    {
        qsizetype row;
        qint16 minutes;
        bool repeats;
    };
    std::vector<Mark> m_marks;
    const Mark *markOf(qsizetype row) const;
};
