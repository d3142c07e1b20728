#pragma once

#include "store/schedule.h"

#include <QDate>
#include <QString>
#include <vector>

// The entries of the reminders with a time or a repetition that a view filter
// lists: under "todos" (and any other value) one per reminder on its next
// day, under the others one per occurrence in the filter's days.
std::vector<Schedule::Entry> scheduledFor(const Schedule &schedule, const QString &filter, const QDate &today);
