#include "support/fakeprinter.h"

QString PrintedLine::text() const
{
    QString line;
    for (const runtime::PrintPiece &piece : pieces) {
        if (piece.column > 0 && line.size() < piece.column - 1)
            line = line.leftJustified(piece.column - 1, QLatin1Char(' '));
        line += piece.text;
    }
    return line;
}

bool RecordingPrinter::nextCallFails()
{
    ++calls;
    return failAtCall > 0 && calls >= failAtCall;
}

bool RecordingPrinter::setFontSize(int points)
{
    if (nextCallFails())
        return false;
    m_fontSize = points;
    return true;
}

bool RecordingPrinter::printLine(const QList<runtime::PrintPiece> &pieces)
{
    if (nextCallFails())
        return false;
    if (beforeLine)
        beforeLine();
    lines.append({m_fontSize, pieces});
    return true;
}

bool RecordingPrinter::endDocument()
{
    if (nextCallFails())
        return false;
    ++endedDocuments;
    return true;
}
