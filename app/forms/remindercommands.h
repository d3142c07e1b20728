#pragma once

#include "store/removalundo.h"

#include <QDate>
#include <QString>

class QWidget;
class frmprincipal;
class modgeral;

namespace runtime {
class Platform;
}

// The commands on one chosen reminder: edit, remove and the undo of the last
// removal. Each finds its reminder by the row's key, never by its title, so
// reminders sharing a title (a weekly meeting brought in from a calendar)
// stay apart.
class ReminderCommands
{
public:
    ReminderCommands(runtime::Platform &platform, modgeral &store);

    // Opens the editor on the reminder with this key. When no row has that
    // key any more (another program removed it) the user is told and the
    // list is read again; nothing else changes.
    // With occurrence valid, the editor opens on that day of the repeating
    // reminder, to make it a reminder of its own.
    void edit(frmprincipal &mainWindow, qint64 key, const QDate &occurrence = QDate());
    // Asks first, naming the day too when another reminder has the same
    // title. False when the answer was no; a failed removal is told here.
    // With occurrence valid, only that day of the repeating reminder is removed.
    bool remove(QWidget *owner, qint64 key, const QString &title, const QString &storedDay,
                const QDate &occurrence = QDate());
    // Puts back the row the last removal took; a failure is told here.
    void undo(QWidget *owner);
    bool canUndo() const { return m_removal.canUndo(); }

private:
    QString removalQuestion(qint64 key, const QString &title, const QString &storedDay);
    void showError(QWidget *owner, const QString &description);

    runtime::Platform &m_platform;
    modgeral &m_store;
    RemovalUndo m_removal;
};
