#pragma once

// What the old-format reader writes on its standard output and the program
// reads back. Both sides include this header; it needs Qt Core only.
//
// The reply starts with kHeader. Then records, each a letter followed by its
// fields, every field written as "<decimal byte count>:<bytes>":
//   R  day-kind day title description   one row of table lembrete, in order
//   X  day-kind day title reason        a row that could not be read whole, in
//                                       its place: what could be read, and why
//   E  message                          the file cannot be read; nothing follows
//   F  row-count                        the end, after all R and X records
// Day kinds: N (no day), T (text; day holds it), D (date/time; day holds the
// eight bytes of the stored double). Texts are UTF-8. Anything else, a reply
// cut short or bytes after the last record, makes the whole reply malformed.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>

#include <cstring>

namespace oldformat {

inline constexpr char kHeader[] = "LEMBRETE-FORMATO-ANTIGO 1\n";

enum class DayKind : char { None = 'N', Text = 'T', DateTime = 'D' };

struct Row
{
    DayKind dayKind = DayKind::None;
    QString dayText;       // DayKind::Text
    double dayValue = 0.0; // DayKind::DateTime: days since 30/12/1899
    QString title;
    QString description;
    // Why the row could not be read whole; then description is empty and a
    // day or title that could not be read is empty too.
    QString damage;
};

struct Reply
{
    QList<Row> rows;
    QString error; // set when the reader found the file unreadable
};

namespace detail {

inline void appendField(QByteArray &out, const QByteArray &field)
{
    out += QByteArray::number(field.size());
    out += ':';
    out += field;
}

class Cursor
{
public:
    explicit Cursor(const QByteArray &data) : m_data(data) {}

    bool atEnd() const { return m_at == m_data.size(); }
    bool take(char expected)
    {
        if (atEnd() || m_data.at(m_at) != expected)
            return false;
        ++m_at;
        return true;
    }
    bool letter(char *out)
    {
        if (atEnd())
            return false;
        *out = m_data.at(m_at++);
        return true;
    }
    bool field(QByteArray *out)
    {
        qint64 size = 0;
        int digits = 0;
        while (!atEnd() && m_data.at(m_at) >= '0' && m_data.at(m_at) <= '9') {
            if (++digits > 10)
                return false;
            size = size * 10 + (m_data.at(m_at++) - '0');
        }
        if (digits == 0 || !take(':') || size > m_data.size() - m_at)
            return false;
        *out = m_data.mid(m_at, size);
        m_at += size;
        return true;
    }
    bool text(QString *out)
    {
        QByteArray bytes;
        if (!field(&bytes))
            return false;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        *out = utf8.decode(bytes);
        return !utf8.hasError();
    }

private:
    const QByteArray &m_data;
    qsizetype m_at = 0;
};

} // namespace detail

inline QByteArray rowRecord(const Row &row)
{
    const bool damaged = !row.damage.isEmpty();
    QByteArray out(damaged ? "X" : "R");
    detail::appendField(out, QByteArray(1, char(row.dayKind)));
    if (row.dayKind == DayKind::DateTime)
        detail::appendField(out, QByteArray(reinterpret_cast<const char *>(&row.dayValue), sizeof(double)));
    else
        detail::appendField(out, row.dayText.toUtf8());
    detail::appendField(out, row.title.toUtf8());
    detail::appendField(out, (damaged ? row.damage : row.description).toUtf8());
    return out;
}

inline QByteArray errorRecord(const QString &message)
{
    QByteArray out("E");
    detail::appendField(out, message.toUtf8());
    return out;
}

inline QByteArray endRecord(qsizetype rows)
{
    QByteArray out("F");
    detail::appendField(out, QByteArray::number(rows));
    return out;
}

// Reads a whole reply; false when it is malformed in any way.
inline bool parse(const QByteArray &data, Reply *reply)
{
    *reply = Reply();
    if (!data.startsWith(kHeader))
        return false;
    detail::Cursor cursor(data);
    for (const char *c = kHeader; *c; ++c)
        cursor.take(*c);
    char letter = 0;
    while (cursor.letter(&letter)) {
        if (letter == 'R' || letter == 'X') {
            Row row;
            QByteArray kind;
            QByteArray day;
            if (!cursor.field(&kind) || kind.size() != 1 || !cursor.field(&day)
                || !cursor.text(&row.title) || !cursor.text(letter == 'R' ? &row.description : &row.damage)
                || (letter == 'X' && row.damage.isEmpty()))
                return false;
            row.dayKind = DayKind(kind.at(0));
            if (row.dayKind == DayKind::DateTime) {
                if (day.size() != sizeof(double))
                    return false;
                std::memcpy(&row.dayValue, day.constData(), sizeof(double));
            } else if (row.dayKind == DayKind::Text) {
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                row.dayText = utf8.decode(day);
                if (utf8.hasError())
                    return false;
            } else if (row.dayKind != DayKind::None || !day.isEmpty()) {
                return false;
            }
            reply->rows.append(row);
        } else if (letter == 'E') {
            return cursor.text(&reply->error) && !reply->error.isEmpty() && cursor.atEnd();
        } else if (letter == 'F') {
            QByteArray count;
            return cursor.field(&count) && count == QByteArray::number(reply->rows.size())
                && cursor.atEnd();
        } else {
            return false;
        }
    }
    return false; // cut short: no end record
}

} // namespace oldformat
