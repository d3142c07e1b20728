#pragma once

#include <QByteArray>
#include <QString>

class QDateTime;

class QSqlDatabase;

// What sync needs of a reminder's time, repetition and kept object.
namespace icalendar {
struct Item;
}

namespace syncobject {

// The time, repetition, excluded days and warning as part of the content
// compared between syncs: empty for a day-only reminder that happens once,
// so what earlier versions agreed on still compares equal.
QString timing(const QString &time, const QString &rule, const QString &exceptions, const QString &lead);
// The same, as an SQL expression on the reminder table's alias.
QString timingSql(const QString &alias);

// The object kept for uid, patched with the series with this key and its
// occurrences rewritten on their own as they are now; empty when none is kept.
QByteArray patched(const QSqlDatabase &db, qint64 key, const QString &uid);
// A series made here (no object kept) that has occurrences rewritten on their
// own: its event, written from item, with them as RECURRENCE-ID overrides in
// the same object; empty when it has none.
QByteArray withOccurrences(const QSqlDatabase &db, qint64 key, const icalendar::Item &item, const QDateTime &stamp);

} // namespace syncobject
