#include "store/recurrence.h"

#include <QHash>
#include <QStringList>

// The editor's repetitions as rule texts. Only the texts written here are
// read back as a choice; every other rule stays as it came.
namespace recurrence {

namespace {

const QString kWeekdays = QStringLiteral("MO,TU,WE,TH,FR");

QString untilText(const QDate &day)
{
    return day.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace

QString ruleFor(const RepeatChoice &choice)
{
    QString rule;
    switch (choice.repeat) {
    case Repeat::Never:
    case Repeat::Other:
        return QString();
    case Repeat::Daily:
        rule = QStringLiteral("FREQ=DAILY");
        break;
    case Repeat::Weekdays:
        rule = QStringLiteral("FREQ=WEEKLY;BYDAY=") + kWeekdays;
        break;
    case Repeat::Weekly:
        rule = QStringLiteral("FREQ=WEEKLY");
        break;
    case Repeat::Monthly:
        rule = QStringLiteral("FREQ=MONTHLY");
        break;
    case Repeat::Yearly:
        rule = QStringLiteral("FREQ=YEARLY");
        break;
    case Repeat::EveryNDays:
        rule = QStringLiteral("FREQ=DAILY");
        if (choice.interval > 1)
            rule += QStringLiteral(";INTERVAL=%1").arg(choice.interval);
        break;
    }
    if (choice.end == End::Until && choice.until.isValid())
        rule += QStringLiteral(";UNTIL=") + untilText(choice.until);
    else if (choice.end == End::Count && choice.count > 0)
        rule += QStringLiteral(";COUNT=%1").arg(choice.count);
    return rule;
}

RepeatChoice choiceFor(const QString &rule)
{
    RepeatChoice choice;
    if (rule.isEmpty())
        return choice;
    choice.repeat = Repeat::Other;
    QHash<QString, QString> parts;
    for (const QString &part : rule.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals <= 0 || parts.contains(part.left(equals)))
            return choice;
        parts.insert(part.left(equals), part.mid(equals + 1));
    }
    RepeatChoice read;
    if (parts.contains(QStringLiteral("UNTIL"))) {
        read.end = End::Until;
        read.until = QDate::fromString(parts.take(QStringLiteral("UNTIL")), QStringLiteral("yyyyMMdd"));
        if (!read.until.isValid())
            return choice;
    } else if (parts.contains(QStringLiteral("COUNT"))) {
        read.end = End::Count;
        read.count = parts.take(QStringLiteral("COUNT")).toInt();
        if (read.count <= 0)
            return choice;
    }
    const QString frequency = parts.take(QStringLiteral("FREQ"));
    const QString byDay = parts.take(QStringLiteral("BYDAY"));
    const QString interval = parts.take(QStringLiteral("INTERVAL"));
    if (!parts.isEmpty())
        return choice;
    if (frequency == QLatin1String("DAILY") && byDay.isEmpty()) {
        read.interval = interval.isEmpty() ? 1 : interval.toInt();
        if (read.interval < 1)
            return choice;
        read.repeat = read.interval == 1 && interval.isEmpty() ? Repeat::Daily : Repeat::EveryNDays;
    } else if (!interval.isEmpty()) {
        return choice;
    } else if (frequency == QLatin1String("WEEKLY") && byDay == kWeekdays) {
        read.repeat = Repeat::Weekdays;
    } else if (!byDay.isEmpty()) {
        return choice;
    } else if (frequency == QLatin1String("WEEKLY")) {
        read.repeat = Repeat::Weekly;
    } else if (frequency == QLatin1String("MONTHLY")) {
        read.repeat = Repeat::Monthly;
    } else if (frequency == QLatin1String("YEARLY")) {
        read.repeat = Repeat::Yearly;
    } else {
        return choice;
    }
    return read;
}

} // namespace recurrence
