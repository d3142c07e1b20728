#include "daterules.h"

#include <QDate>

#include <cmath>

namespace almanaq {

bool IsLeapYear(qint16 year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

qint16 DaysInMonth(qint16 month, qint16 year)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return IsLeapYear(year) ? 29 : 28;
    default:
        return 31;
    }
}

qint16 FirstWeekday(qint16 month, qint16 year)
{
    // Qt counts Monday = 1 .. Sunday = 7.
    return qint16(QDate(year, month, 1).dayOfWeek() % 7 + 1);
}

QString ProperCase(const QString &text)
{
    QString result = text.toLower();
    bool wordStart = true;
    for (QChar &c : result) {
        if (c.isSpace()) {
            wordStart = true;
        } else {
            if (wordStart)
                c = c.toUpper();
            wordStart = false;
        }
    }
    return result;
}

double RoundHalfEven(double value)
{
    const double nearest = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5)
        return 2.0 * std::round(value / 2.0);
    return nearest;
}

} // namespace almanaq
