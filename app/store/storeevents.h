#pragma once

#include <QObject>

// Tells whoever listens in this process that the store wrote a reminder.
class StoreEvents : public QObject
{
    Q_OBJECT
signals:
    // A reminder was added, or edited, and is in the database now.
    void reminderSaved();
    // Repeating reminders left out of the lists while their days were
    // found in the background have them now: the lists load again.
    void repetitionsFound();
};
