#include "store/recurrence.h"

#include "store/daytext.h"

#include <QHash>
#include <QMutex>
#include <QStringList>
#include <algorithm>
#include <libical/ical.h>
#include <memory>
#include <optional>

namespace recurrence {

namespace {

// A rule is stepped a day or more at a time; a rule that never yields a day
// (the 30th of February) or yields very many must not keep the list busy.
constexpr int kMaxSteps = 100000;

struct IteratorDeleter
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

// Days go to libical as midnight, not as dates: this libical steps date-only
// starts wrongly (a daily rule repeats its first day, a monthly one drifts).
icaltimetype dateValue(const QDate &day)
{
    icaltimetype value = icaltime_null_time();
    value.year = day.year();
    value.month = day.month();
    value.day = day.day();
    return value;
}

QDate dayOf(const icaltimetype &time)
{
    return icaltime_is_null_time(time) ? QDate() : QDate(time.year, time.month, time.day);
}

// Rules repeat across thousands of reminders ("FREQ=WEEKLY"), so each text is
// read by libical once. Only rules with a frequency of days or longer are
// taken: a reminder happens on days.
std::optional<icalrecurrencetype> parsed(const QString &rule)
{
    static QMutex mutex;
    static QHash<QString, std::optional<icalrecurrencetype>> cache;
    const QMutexLocker lock(&mutex);
    const auto found = cache.constFind(rule);
    if (found != cache.constEnd())
        return *found;
    // libical would abort the process on a malformed rule from another program.
    static const bool nonFatal = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    Q_UNUSED(nonFatal);
    std::optional<icalrecurrencetype> result;
    if (rule.size() <= 1000) {
        icalrecurrencetype value = icalrecurrencetype_from_string(rule.toUtf8().constData());
        icalerror_clear_errno();
        const bool daily = value.freq == ICAL_DAILY_RECURRENCE || value.freq == ICAL_WEEKLY_RECURRENCE
            || value.freq == ICAL_MONTHLY_RECURRENCE || value.freq == ICAL_YEARLY_RECURRENCE;
        if (daily && !value.rscale) {
            // A last day given as a date holds for the whole of that day.
            if (!icaltime_is_null_time(value.until) && value.until.is_date) {
                value.until.is_date = 0;
                value.until.hour = 23;
                value.until.minute = 59;
                value.until.second = 59;
            }
            result = value;
        }
        free(value.rscale);
    }
    if (cache.size() > 10000)
        cache.clear(); // every rule its own text: the cache would only grow
    cache.insert(rule, result);
    return result;
}

bool excluded(const Series &series, const QDate &day)
{
    return std::binary_search(series.exceptions.cbegin(), series.exceptions.cend(), day);
}

// Steps through the series' days from from on (the first day when from is
// earlier), giving each to visit until it returns false. A rule libical cannot
// read is the first day alone.
template<class Visit>
void walk(const Series &series, const QDate &from, Visit visit)
{
    if (!series.firstDay.isValid())
        return;
    const std::optional<icalrecurrencetype> rule = series.repeats() ? parsed(series.rule) : std::nullopt;
    if (!rule) {
        if (series.firstDay >= from && !excluded(series, series.firstDay))
            visit(series.firstDay);
        return;
    }
    IteratorPtr iterator(icalrecur_iterator_new(*rule, dateValue(series.firstDay)));
    if (!iterator)
        return;
    // A rule with a count must be counted from its start; any other may start
    // at from, which spares stepping through years of past days.
    if (rule->count == 0 && from > series.firstDay)
        icalrecur_iterator_set_start(iterator.get(), dateValue(from));
    for (int step = 0; step < kMaxSteps; ++step) {
        const QDate day = dayOf(icalrecur_iterator_next(iterator.get()));
        if (!day.isValid())
            return;
        if (day < from || excluded(series, day))
            continue;
        if (!visit(day))
            return;
    }
}

} // namespace

bool isValidRule(const QString &rule)
{
    return !rule.isEmpty() && parsed(rule).has_value();
}

QList<QDate> occurrencesBetween(const Series &series, const QDate &from, const QDate &to, int limit)
{
    QList<QDate> days;
    if (!from.isValid() || !to.isValid() || to < from || limit <= 0)
        return days;
    walk(series, from, [&](const QDate &day) {
        if (day > to)
            return false;
        days.append(day);
        return days.size() < limit;
    });
    return days;
}

QList<QDate> upcoming(const Series &series, const QDate &from, const QDate &through)
{
    QList<QDate> days;
    if (!from.isValid() || !through.isValid())
        return days;
    walk(series, from, [&](const QDate &day) {
        days.append(day);
        return day <= through;
    });
    return days;
}

QDate nextOccurrence(const Series &series, const QDate &from)
{
    QDate next;
    walk(series, from, [&](const QDate &day) {
        next = day;
        return false;
    });
    return next;
}

QDate lastOccurrence(const Series &series)
{
    if (!series.repeats() || !parsed(series.rule))
        return excluded(series, series.firstDay) ? QDate() : series.firstDay;
    const icalrecurrencetype rule = *parsed(series.rule);
    if (rule.count == 0 && icaltime_is_null_time(rule.until))
        return QDate(); // for ever
    QDate last;
    walk(series, series.firstDay, [&](const QDate &day) {
        last = day;
        return true;
    });
    return last;
}

bool occursOn(const Series &series, const QDate &day)
{
    return day.isValid() && nextOccurrence(series, day) == day;
}

QDate listedDay(const Series &series, const QDate &today)
{
    if (!series.repeats())
        return series.firstDay;
    const QDate next = nextOccurrence(series, std::max(today, series.firstDay));
    if (next.isValid())
        return next;
    const QDate last = lastOccurrence(series);
    return last.isValid() ? last : series.firstDay;
}

QList<QDate> exceptionsFromText(const QString &text)
{
    QList<QDate> days;
    for (const QStringView part : QStringView(text).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QDate day = daytext::fromStored(part.trimmed().toString());
        if (day.isValid())
            days.append(day);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

QString exceptionsText(QList<QDate> days)
{
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    QStringList texts;
    for (const QDate &day : days)
        if (day.isValid())
            texts.append(daytext::stored(day));
    return texts.join(QLatin1Char(','));
}

QTime timeFromText(const QString &text)
{
    if (text.size() != 5 || text.at(2) != QLatin1Char(':'))
        return QTime();
    return QTime::fromString(text, QStringLiteral("HH:mm"));
}

QString timeText(const QTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm")) : QString();
}

int leadFromText(const QString &text)
{
    bool ok = false;
    const int minutes = text.trimmed().toInt(&ok);
    return ok && minutes > 0 ? minutes : 0;
}

} // namespace recurrence
