#pragma once

#include <QDate>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// The day's copy of the database made ahead of the day's first change, on a
// thread of its own, so that change finds it made. One copy at a time; the
// owner's destruction stops a running one and waits for it.
class DailyCopyAhead
{
public:
    DailyCopyAhead();
    ~DailyCopyAhead();
    DailyCopyAhead(const DailyCopyAhead &) = delete;
    DailyCopyAhead &operator=(const DailyCopyAhead &) = delete;

    // Starts the copy of day unless a copy is running or was made for it.
    void start(const QString &databasePath, const QDate &day);
    bool isRunning() const;

    // Waits for a running copy; true when the copy of day was made here.
    bool waitFor(const QDate &day);

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_cancel = false;
    QDate m_day;          // the day of the last copy started
    bool m_made = false;  // written by the thread, read after it ended
};
