#pragma once

#include <QByteArray>
#include <QStringView>

// Report files are written in the Windows-1252 code page. Qt's own converters
// only offer it through ICU, so the table lives here.
namespace cp1252 {

// What becomes of a character the code page cannot hold.
enum class Unmappable {
    QuestionMark,       // "?", one per character: plain text keeps its columns
    CharacterReference, // "&#NNNN;": an HTML page keeps the character itself
};

// The code page's byte for a Unicode code point, or -1 when it has none.
int byteFor(char32_t codePoint);

// Appends text to out in Windows-1252. Surrogate pairs count as one character.
void append(QByteArray &out, QStringView text, Unmappable unmappable);

QByteArray encode(QStringView text, Unmappable unmappable);

} // namespace cp1252
