#pragma once

#include "runtime/printersurface.h"

#include <QList>
#include <functional>

// One line as the recording printer received it, with the font size in force.
struct PrintedLine
{
    int fontSize = 0;
    QList<runtime::PrintPiece> pieces;

    // The line as characters on a grid of print columns.
    QString text() const;
};

// A printer that records its document. failAtCall makes the call with that
// number (counting every call from 1) fail, as a printer that is switched off.
class RecordingPrinter final : public runtime::PrinterSurface
{
public:
    bool setFontSize(int points) override;
    bool printLine(const QList<runtime::PrintPiece> &pieces) override;
    bool endDocument() override;
    using runtime::PrinterSurface::printLine;

    QList<PrintedLine> lines;
    int endedDocuments = 0;
    int failAtCall = 0;
    int calls = 0;
    // Runs before each line is recorded, to look at the world while printing.
    std::function<void()> beforeLine;

private:
    bool nextCallFails();
    int m_fontSize = 0;
};
