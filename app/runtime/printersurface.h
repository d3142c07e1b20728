#pragma once

#include <QList>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;

namespace runtime {

// One piece of a printed line. With a column the text starts at that print
// column (counted from 1, each as wide as an average character of the current
// font); with column 0 it follows the previous piece, or starts the line.
struct PrintPiece
{
    int column = 0;
    QString text;

    bool operator==(const PrintPiece &other) const = default;
};

// The default printer as a document of lines. Each call returns false when
// the printer failed; the document in progress is then dropped, so the next
// call starts a new one. A new page starts by itself when a line does not fit.
class PrinterSurface
{
public:
    virtual ~PrinterSurface() = default;

    virtual bool setFontSize(int points) = 0;
    virtual bool printLine(const QList<PrintPiece> &pieces) = 0;
    // Sends the document to the printer.
    virtual bool endDocument() = 0;

    bool printLine(const QString &text) { return printLine(QList<PrintPiece>{{0, text}}); }
};

// Prints with QPrinter on the system's default printer, in the printer's
// own font and page layout. Nothing touches the printer before the first call.
// Given a file name it prints into that PDF file instead, so the layout can be
// checked where there is no printer.
class QtPrinterSurface final : public PrinterSurface
{
public:
    explicit QtPrinterSurface(const QString &pdfFileName = QString());
    ~QtPrinterSurface() override;

    bool setFontSize(int points) override;
    bool printLine(const QList<PrintPiece> &pieces) override;
    bool endDocument() override;
    using PrinterSurface::printLine;

private:
    bool beginDocument();
    bool startLine(qreal lineHeight);
    bool printerFailed() const;
    void applyFontSize();
    bool dropDocument();

    QString m_pdfFileName;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    int m_fontSize = 0;
    qreal m_y = 0;
};

} // namespace runtime
