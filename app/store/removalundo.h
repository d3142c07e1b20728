#pragma once

#include <QDate>
#include <QList>
#include <QSqlRecord>
#include <QString>

class modgeral;

// Removes one reminder, found by its key, and keeps the row it took, every
// column and the key included, so that the last removal of the run can be
// put back exactly as it was.
class RemovalUndo
{
public:
    // False, removing nothing, with *error saying why in words for the user;
    // also when no row has this key any more (another program removed it),
    // and the last removal then stays the one to undo.
    bool remove(modgeral &store, qint64 key, QString *error);
    // Takes one day out of the repeating reminder with this key; its undo
    // puts the series' excluded days back as they were.
    bool removeOccurrence(modgeral &store, qint64 key, const QDate &day, QString *error);
    bool canUndo() const { return !m_rows.isEmpty() || m_occurrenceSeries != 0; }
    // Puts the row back in one transaction; on failure nothing is written and
    // the rows stay ready for another try.
    bool undo(modgeral &store, QString *error);

private:
    bool undoOccurrence(modgeral &store, QString *error);

    QList<QSqlRecord> m_rows;
    qint64 m_occurrenceSeries = 0; // the series whose day the last removal took, or 0
    QString m_exclusionsBefore;
};
