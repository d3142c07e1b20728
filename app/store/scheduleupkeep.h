#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QSqlDatabase;
class Schedule;

// Keeps a schedule's days found ahead of need between loads of the lists:
// takes in what its background pass found, steps the rules soon to run out
// of days in short slices on the owner's thread, and writes what was found
// to the file once it may be written.
class ScheduleUpkeep : public QObject
{
    Q_OBJECT
public:
    // Whether the file may take the days found: now, after the start-up
    // work, or never this run (damaged, read-only, or the write failed).
    enum class Writing { Now, Later, Never };

    ScheduleUpkeep(Schedule &schedule, std::function<QSqlDatabase()> connection,
                   std::function<Writing()> writing, QObject *parent = nullptr);

    // After the schedule was refreshed: starts the slices when there is work.
    void wake();

signals:
    // Rows left out of the lists got their days in the background.
    void found();

private:
    void slice();

    Schedule &m_schedule;
    std::function<QSqlDatabase()> m_connection;
    std::function<Writing()> m_writing;
    QTimer m_timer;
    bool m_writeFailed = false;
};
