#pragma once

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

// The SQLite handle under a Qt connection, for the readers and builders that
// step statements through SQLite's own interface; null when the connection
// is closed or not SQLite.
inline sqlite3 *sqliteHandleOf(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}
