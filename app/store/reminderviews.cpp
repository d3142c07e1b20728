#include "store/reminderviews.h"

namespace reminderviews {

QStringList names()
{
    return {QStringLiteral("todos"), QStringLiteral("hoje"), QStringLiteral("amanha"), QStringLiteral("7dias"),
            QStringLiteral("15dias")};
}

Statement statementFor(const QString &view, const QDate &today)
{
    if (view == QLatin1String("hoje"))
        return modgeral::oneDay(today);
    if (view == QLatin1String("amanha"))
        return modgeral::oneDay(today.addDays(1));
    if (view == QLatin1String("7dias"))
        return modgeral::dateRange(today, today.addDays(7));
    if (view == QLatin1String("15dias"))
        return modgeral::dateRange(today, today.addDays(15));
    return modgeral::allReminders();
}

} // namespace reminderviews
