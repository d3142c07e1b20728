#include "runtime/printersurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace runtime {

QtPrinterSurface::QtPrinterSurface(const QString &pdfFileName)
    : m_pdfFileName(pdfFileName)
{
}

QtPrinterSurface::~QtPrinterSurface()
{
    // A document never ended is not sent half-done.
    if (m_painter)
        dropDocument();
}

bool QtPrinterSurface::setFontSize(int points)
{
    m_fontSize = points;
    if (!beginDocument())
        return false;
    applyFontSize();
    return true;
}

bool QtPrinterSurface::printLine(const QList<PrintPiece> &pieces)
{
    if (!beginDocument())
        return false;

    const QFontMetricsF metrics(m_painter->font(), m_printer.get());
    const qreal lineHeight = metrics.lineSpacing();
    const qreal columnWidth = metrics.averageCharWidth();
    if (!startLine(lineHeight))
        return false;

    qreal x = 0;
    for (const PrintPiece &piece : pieces) {
        if (piece.column > 0) {
            const qreal target = (piece.column - 1) * columnWidth;
            if (target < x) {
                // Already past that column: it is taken up on the next line.
                m_y += lineHeight;
                if (!startLine(lineHeight))
                    return false;
            }
            x = target;
        }
        if (!piece.text.isEmpty()) {
            m_painter->drawText(QPointF(x, m_y + metrics.ascent()), piece.text);
            x += metrics.horizontalAdvance(piece.text);
        }
    }
    m_y += lineHeight;
    return !printerFailed() || dropDocument();
}

bool QtPrinterSurface::endDocument()
{
    if (!beginDocument())
        return false;
    const bool ended = m_painter->end() && m_printer->printerState() != QPrinter::Error;
    m_painter.reset();
    m_printer.reset();
    m_y = 0;
    return ended;
}

bool QtPrinterSurface::beginDocument()
{
    if (m_painter)
        return true;
    if (m_pdfFileName.isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull())
            return false;
        m_printer = std::make_unique<QPrinter>(defaultPrinter, QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfFileName);
    }
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_printer.get()))
        return dropDocument();
    m_y = 0;
    applyFontSize();
    return true;
}

// Makes room for one more line, on a new page when it does not fit.
bool QtPrinterSurface::startLine(qreal lineHeight)
{
    if (m_y > 0 && m_y + lineHeight > m_printer->height()) {
        if (!m_printer->newPage())
            return dropDocument();
        m_y = 0;
    }
    return !printerFailed() || dropDocument();
}

bool QtPrinterSurface::printerFailed() const
{
    return m_printer->printerState() == QPrinter::Error;
}

void QtPrinterSurface::applyFontSize()
{
    if (!m_painter || m_fontSize <= 0)
        return;
    QFont font = m_painter->font();
    font.setPointSize(m_fontSize);
    m_painter->setFont(font);
}

// Throws away the document in progress; always false, for the caller to return.
bool QtPrinterSurface::dropDocument()
{
    if (m_printer)
        m_printer->abort();
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_printer.reset();
    m_y = 0;
    return false;
}

} // namespace runtime
