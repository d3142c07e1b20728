#include "reports/cp1252.h"

#include <QChar>

namespace cp1252 {

namespace {

// Bytes 0x80 to 0x9F of the code page; 0 marks the five bytes it leaves undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 98-9F
};

void appendUnmappable(QByteArray &out, char32_t codePoint, Unmappable unmappable)
{
    if (unmappable == Unmappable::QuestionMark) {
        out.append('?');
        return;
    }
    out.append("&#");
    out.append(QByteArray::number(quint32(codePoint)));
    out.append(';');
}

} // namespace

int byteFor(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return int(codePoint);
    // U+0080 to U+009F are controls that no Portuguese text holds; the code
    // page's bytes 0x80-0x9F stand for the typographic characters below.
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint)
            return 0x80 + i;
    }
    return -1;
}

void append(QByteArray &out, QStringView text, Unmappable unmappable)
{
    const qsizetype size = text.size();
    const char16_t *units = text.utf16();
    out.reserve(out.size() + size);
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            out.append(char(unit));
            continue;
        }
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            codePoint = QChar::surrogateToUcs4(unit, units[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            codePoint = QChar::ReplacementCharacter; // half a pair is no character
        }
        const int byte = byteFor(codePoint);
        if (byte >= 0)
            out.append(char(byte));
        else
            appendUnmappable(out, codePoint, unmappable);
    }
}

QByteArray encode(QStringView text, Unmappable unmappable)
{
    QByteArray out;
    append(out, text, unmappable);
    return out;
}

} // namespace cp1252
