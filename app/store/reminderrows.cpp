#include "store/reminderrows.h"

#include "store/daytext.h"

#include <algorithm>
#include <limits>

void ReminderRows::append(qint64 key, QByteArrayView storedDay, QByteArrayView title)
{
    append(key, storedDay, daytext::fromStored(storedDay), title);
}

void ReminderRows::append(qint64 key, QByteArrayView storedDay, const QDate &day, QByteArrayView title)
{
    m_keys.push_back(key);
    if (day.isValid() && day.toJulianDay() <= std::numeric_limits<qint32>::max()) {
        m_days.push_back(qint32(day.toJulianDay()));
    } else {
        m_days.push_back(qint32(-1 - m_oddDays.size()));
        m_oddDays.append(QString::fromUtf8(storedDay));
    }
    m_titles.append(title.data(), title.size());
    m_titleEnds.push_back(quint32(m_titles.size()));
}

void ReminderRows::appendScheduled(qint64 key, QByteArrayView storedDay, QByteArrayView title, int minutes,
                                   bool repeats)
{
    if (minutes >= 0 || repeats)
        m_marks.push_back({size(), qint16(minutes), repeats});
    append(key, storedDay, title);
}

void ReminderRows::appendScheduled(qint64 key, const QDate &day, QByteArrayView title, int minutes, bool repeats)
{
    // Days whose text has other than four digits of year go the long way, as any stored text does.
    static const qint64 firstFourDigits = QDate(1000, 1, 1).toJulianDay();
    static const qint64 lastFourDigits = QDate(9999, 12, 31).toJulianDay();
    if (!day.isValid() || day.toJulianDay() < firstFourDigits || day.toJulianDay() > lastFourDigits) {
        appendScheduled(key, QByteArrayView(day.isValid() ? daytext::stored(day).toUtf8() : QByteArray()), title,
                        minutes, repeats);
        return;
    }
    if (minutes >= 0 || repeats)
        m_marks.push_back({size(), qint16(minutes), repeats});
    m_keys.push_back(key);
    m_days.push_back(qint32(day.toJulianDay()));
    m_titles.append(title.data(), title.size());
    m_titleEnds.push_back(quint32(m_titles.size()));
}

const ReminderRows::Mark *ReminderRows::markOf(qsizetype row) const
{
    const auto found = std::lower_bound(m_marks.cbegin(), m_marks.cend(), row,
                                        [](const Mark &mark, qsizetype wanted) { return mark.row < wanted; });
    return found != m_marks.cend() && found->row == row ? &*found : nullptr;
}

int ReminderRows::minutes(qsizetype row) const
{
    const Mark *mark = markOf(row);
    return mark ? mark->minutes : -1;
}

bool ReminderRows::repeats(qsizetype row) const
{
    const Mark *mark = markOf(row);
    return mark && mark->repeats;
}

void ReminderRows::clear()
{
    *this = ReminderRows();
}

void ReminderRows::truncate(qsizetype count)
{
    if (count >= size())
        return;
    m_keys.resize(std::size_t(count));
    m_days.resize(std::size_t(count));
    std::erase_if(m_marks, [count](const Mark &mark) { return mark.row >= count; });
    m_titleEnds.resize(std::size_t(count));
    m_titles.truncate(count == 0 ? 0 : qsizetype(m_titleEnds.back()));
}

QDate ReminderRows::day(qsizetype row) const
{
    const qint32 value = m_days[std::size_t(row)];
    return value >= 0 ? QDate::fromJulianDay(value) : QDate();
}

QString ReminderRows::storedDay(qsizetype row) const
{
    const qint32 value = m_days[std::size_t(row)];
    return value >= 0 ? daytext::stored(QDate::fromJulianDay(value)) : m_oddDays.at(-1 - value);
}

QString ReminderRows::title(qsizetype row) const
{
    const quint32 start = row == 0 ? 0 : m_titleEnds[std::size_t(row) - 1];
    const quint32 end = m_titleEnds[std::size_t(row)];
    return QString::fromUtf8(m_titles.constData() + start, qsizetype(end - start));
}
