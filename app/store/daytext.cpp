#include "store/daytext.h"

#include <QRegularExpression>

namespace daytext {

namespace {

void appendDigits(QString &out, int value, int width)
{
    QChar digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
    out.append(digits, width);
}

char16_t unit(QChar c) { return c.unicode(); }
char16_t unit(char c) { return char16_t(uchar(c)); }

template<class Text>
int readDigits(const Text &text, qsizetype from, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = unit(text[from + i]);
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

template<class Text>
QDate readStored(const Text &text)
{
    if (text.size() != 10 || unit(text[4]) != u'/' || unit(text[7]) != u'/')
        return QDate();
    const int year = readDigits(text, 0, 4);
    const int month = readDigits(text, 5, 2);
    const int day = readDigits(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return QDate();
    return QDate(year, month, day);
}

} // namespace

QString shown(const QDate &day)
{
    if (!day.isValid())
        return QString();
    QString text;
    text.reserve(10);
    appendDigits(text, day.day(), 2);
    text.append(u'/');
    appendDigits(text, day.month(), 2);
    text.append(u'/');
    appendDigits(text, day.year(), 4);
    return text;
}

QString stored(const QDate &day)
{
    if (!day.isValid())
        return QString();
    QString text;
    text.reserve(10);
    appendDigits(text, day.year(), 4);
    text.append(u'/');
    appendDigits(text, day.month(), 2);
    text.append(u'/');
    appendDigits(text, day.day(), 2);
    return text;
}

QDate fromStored(const QString &text)
{
    return readStored(QStringView(text));
}

QDate fromStored(QByteArrayView text)
{
    return readStored(text);
}

TypedDay fromTyped(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{4})$"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {QDate(), QStringLiteral("Nenhuma data foi digitada.")};
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch())
        return {QDate(), QStringLiteral("A data \"%1\" não está no formato dd/mm/aaaa.").arg(trimmed)};
    const QDate day(match.captured(3).toInt(), match.captured(2).toInt(),
                    match.captured(1).toInt());
    if (!day.isValid())
        return {QDate(), QStringLiteral("A data \"%1\" não existe no calendário.").arg(trimmed)};
    return {day, QString()};
}

QString daysLeft(const QDate &day, const QDate &today)
{
    return QString::number(today.daysTo(day)) + QStringLiteral(" dias");
}

} // namespace daytext
