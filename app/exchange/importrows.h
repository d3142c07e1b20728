#pragma once

#include "exchange/icalendar.h"

#include <QSqlDatabase>

// Writes the items of a calendar as reminders, inside the caller's
// transaction: each with its time, repetition, excluded days and warning;
// occurrences rewritten on their own linked to their series; the object
// each came from kept under its UID; copies an earlier version made of a
// series, one per occurrence, folded back into it.
namespace importrows {

bool insert(const QSqlDatabase &db, const QList<icalendar::Item> &items, const QByteArray &zones,
            QString *error);

// A calendar holding the item texts and the time zones they name.
QByteArray calendarOf(const QList<QByteArray> &itemTexts, const QByteArray &zones);

} // namespace importrows
