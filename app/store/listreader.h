#pragma once

#include "store/schedule.h"

#include <QSqlDatabase>
#include <QString>
#include <vector>

class ReminderRows;
struct Statement;

// Reads a list statement of the catalogue (chave, data, titulo) straight
// through SQLite into compact rows: a list of a million reminders then costs
// little more than SQLite's own reading of them.
class ListReader
{
public:
    explicit ListReader(const QSqlDatabase &connection);

    // Appends the statement's rows. False, with the reason in error() and the
    // rows read until then kept, when the statement cannot be run or stops.
    bool read(const Statement &statement, ReminderRows &rows);
    // The same, leaving out the statement's rows that are schedule's and
    // putting entries (in list order) among the others where they belong.
    bool read(const Statement &statement, ReminderRows &rows, const Schedule &schedule,
              const std::vector<Schedule::Entry> &entries);

    QString error() const { return m_error; }
    // Whether the statement could be run at all (its rows may still stop midway).
    bool started() const { return m_started; }
    // The first row read whose title is missing (NULL), or -1.
    qsizetype firstRowWithoutTitle() const { return m_firstRowWithoutTitle; }

private:
    bool run(const Statement &statement, ReminderRows &rows, const Schedule *schedule,
             const std::vector<Schedule::Entry> &entries);

    QSqlDatabase m_connection;
    QString m_error;
    qsizetype m_firstRowWithoutTitle = -1;
    bool m_started = false;
};
