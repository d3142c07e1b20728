#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>

// Day texts: a day shown to or typed by the user is "dd/mm/yyyy"; a day kept
// in the table or put in a statement is "yyyy/mm/dd".
namespace daytext {

QString shown(const QDate &day);  // "dd/mm/yyyy"
QString stored(const QDate &day); // "yyyy/mm/dd"

// Reads a stored "yyyy/mm/dd"; an invalid QDate when the text is not one.
QDate fromStored(const QString &text);
// The same for the stored text as SQLite hands it over (UTF-8).
QDate fromStored(QByteArrayView text);

// The result of reading a typed date as day, month, year.
struct TypedDay
{
    QDate day;     // valid only when the text converts
    QString error; // a sentence in Portuguese saying why it does not
    bool ok() const { return day.isValid(); }
};

// Reads a typed date "d/m/yyyy" (also with "-" or "." between the parts) as
// day, month, year. Blanks around it are ignored.
TypedDay fromTyped(const QString &text);

// The reminder's day minus today in whole days, then " dias": "12 dias", "-3 dias".
QString daysLeft(const QDate &day, const QDate &today);

} // namespace daytext
