#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>

class modgeral;

// Removes every reminder with a title (as the remove command always did) and
// keeps the rows it took, every column and the key included, so that the last
// removal of the run can be put back exactly as it was.
class RemovalUndo
{
public:
    // False, removing nothing, with *error saying why in words for the user.
    bool remove(modgeral &store, const QString &title, QString *error);
    bool canUndo() const { return !m_rows.isEmpty(); }
    // Puts the rows back in one transaction; on failure nothing is written and
    // the rows stay ready for another try.
    bool undo(modgeral &store, QString *error);

private:
    QList<QSqlRecord> m_rows;
};
