#pragma once

#include <QString>
#include <QtGlobal>

// The calendar's date arithmetic, free of any widget.
namespace almanaq {

bool IsLeapYear(qint16 year);

// 28..31 for month 1..12 of year.
qint16 DaysInMonth(qint16 month, qint16 year);

// Weekday of the first day of the month, Sunday = 1 .. Saturday = 7, whatever
// the locale's first day of the week.
qint16 FirstWeekday(qint16 month, qint16 year);

// First letter of each word upper case, the other letters lower case.
QString ProperCase(const QString &text);

// Rounds to the nearest whole number, halves to the even one.
double RoundHalfEven(double value);

} // namespace almanaq
