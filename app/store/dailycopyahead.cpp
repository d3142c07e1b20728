#include "store/dailycopyahead.h"

#include "store/dailycopy.h"

#include <QThread>

DailyCopyAhead::DailyCopyAhead() = default;

DailyCopyAhead::~DailyCopyAhead()
{
    if (!m_thread)
        return;
    m_cancel = true; // the copy stops at its next step, under its temporary name
    m_thread->wait();
}

void DailyCopyAhead::start(const QString &databasePath, const QDate &day)
{
    if (isRunning() || (m_day == day && waitFor(day)))
        return;
    m_day = day;
    m_made = false;
    m_thread.reset(QThread::create([this, databasePath, day] {
        QString error; // a failure is told by the change that then makes the copy itself
        m_made = DailyCopy::make(databasePath, day, &error, &m_cancel);
    }));
    m_thread->setObjectName(QStringLiteral("copia-do-dia"));
    m_thread->start(QThread::LowPriority);
}

bool DailyCopyAhead::isRunning() const
{
    return m_thread && !m_thread->isFinished();
}

bool DailyCopyAhead::waitFor(const QDate &day)
{
    if (!m_thread)
        return false;
    m_thread->wait();
    return m_day == day && m_made;
}
