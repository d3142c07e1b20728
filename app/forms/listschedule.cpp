#include "forms/listschedule.h"

std::vector<Schedule::Entry> scheduledFor(const Schedule &schedule, const QString &filter, const QDate &today)
{
    if (filter == QLatin1String("hoje"))
        return schedule.between(today, today);
    if (filter == QLatin1String("amanha"))
        return schedule.between(today.addDays(1), today.addDays(1));
    if (filter == QLatin1String("7dias"))
        return schedule.between(today, today.addDays(7));
    if (filter == QLatin1String("15dias"))
        return schedule.between(today, today.addDays(15));
    return schedule.listed();
}
