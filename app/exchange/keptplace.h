#pragma once

#include <QDate>
#include <QString>

class QSqlDatabase;

// The place (LOCATION) of a reminder that came from another calendar, read
// from the object it came from; empty for every other reminder.
namespace keptplace {

QString of(const QSqlDatabase &db, qint64 key, const QDate &occurrence = QDate());

} // namespace keptplace
