#pragma once

// Doubles of the program's platform for the tests that load the calendar
// library through the control host: a message box that records and answers
// OK, and a clock pinned to 10/03/2006.

#include "runtime/platform.h"

#include <QList>

struct ShownMessage
{
    runtime::MessageIcon icon;
    QString text;
    QString title;
};

class RecordingMessages final : public runtime::MessageBoxes
{
public:
    explicit RecordingMessages(QList<ShownMessage> *log) : m_log(log) {}

    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon icon, const QString &text,
                                const QString &title, runtime::MessageButtons) override
    {
        m_log->append({icon, text, title});
        return runtime::MessageAnswer::Ok;
    }

private:
    QList<ShownMessage> *m_log;
};

class PinnedClock final : public runtime::Clock
{
public:
    QDate today() const override { return QDate(2006, 3, 10); }
    QDateTime now() const override { return QDateTime(today(), QTime(9, 30)); }
    QLocale locale() const override { return QLocale(QLocale::Portuguese, QLocale::Brazil); }
};

// A platform whose program folder is folder, with the doubles above.
inline std::unique_ptr<runtime::Platform> testPlatform(const QString &folder, QList<ShownMessage> *log)
{
    auto platform = std::make_unique<runtime::Platform>(folder);
    platform->setMessageBoxes(std::make_unique<RecordingMessages>(log));
    platform->setClock(std::make_unique<PinnedClock>());
    return platform;
}
