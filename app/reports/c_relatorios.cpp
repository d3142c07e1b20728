#include "reports/c_relatorios.h"

#include "reports/listsource.h"
#include "reports/reportfile.h"

#include <QProgressBar>
#include <QStringList>

namespace {

// The first column is capped at a fixed width, whatever Max_LetraForFields says.
constexpr int kFirstColumnCap = 35;

const QString kCellGap = QStringLiteral("  ");

// Lengths and cuts count characters, so that a character outside the basic
// plane (one "?" in the file) keeps the table's columns aligned.
int charCount(const QString &text)
{
    int count = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

QString leftChars(const QString &text, int n)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    for (int taken = 0; taken < n && i < size; ++taken) {
        if (text.at(i).isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate())
            ++i;
        ++i;
    }
    return text.left(i);
}

QString firstChar(const QString &text)
{
    return leftChars(text, 1);
}

// A cell wider than its column gets no fill: the row grows rather than
// losing any of its text.
void appendSpaces(QString &line, int n)
{
    if (n > 0)
        line.resize(line.size() + n, QLatin1Char(' '));
}

void appendCell(QString &line, const QString &text, int width, int length)
{
    line.append(text);
    appendSpaces(line, width - length);
    line.append(kCellGap);
}

} // namespace

c_relatorios::c_relatorios(QObject *parent)
    : QObject(parent)
{
}

void c_relatorios::setMax_LetraForFields(qint16 letters)
{
    m_maxLetraForFields = letters;
}

void c_relatorios::setmLetraTXT(const QString &letter)
{
    m_letraTXT = letter.isEmpty() ? QStringLiteral(" ") : firstChar(letter);
}

void c_relatorios::setFieldSeparatorCSV(const QString &separator)
{
    m_separatorCSV = firstChar(separator);
}

void c_relatorios::setFieldEncloseCSV(const QString &enclose)
{
    m_encloseCSV = firstChar(enclose);
}

void c_relatorios::setProgresbar(QObject *bar)
{
    m_hasProgressBar = IsProgressBar(bar);
    m_progressBar = m_hasProgressBar ? qobject_cast<QProgressBar *>(bar) : nullptr;
}

bool c_relatorios::IsProgressBar(const QObject *object)
{
    // The exact class, as the bar's own type name tells it; a look-alike
    // object is not driven.
    return object && qstrcmp(object->metaObject()->className(), "QProgressBar") == 0;
}

QString c_relatorios::RepetirLetra(const QString &letter, int n)
{
    return letter.repeated(qMax(n, 1));
}

int c_relatorios::MedirCampo(const QString &text, int column, int cap)
{
    const int length = charCount(text);
    int &width = larguras[column];
    if (length >= cap) {
        width = cap;
        return cap;
    }
    if (length > width)
        width = length;
    return width;
}

void c_relatorios::setProgress(int item, int count)
{
    if (!m_hasProgressBar || !m_progressBar)
        return;
    const double percent = double(item) / count * 100;
    // A bar whose range does not reach the value ignores it, as the bar would.
    m_progressBar->setValue(qRound(percent));
    emit progressChanged(percent);
}

bool c_relatorios::Exportar_listaparaTXT(ReportFile &file, const ListSource &list, bool header)
{
    const int count = list.itemCount();
    if (count <= 0)
        return false;

    const int columns = list.columnCount();
    const int cap = m_maxLetraForFields;

    // Every width must be known before the first line is written.
    larguras = QList<int>(columns + 1, 0);
    for (int c = 1; c <= columns; ++c)
        larguras[c] = charCount(list.columnHeader(c - 1));
    for (int i = 0; i < count; ++i) {
        if (columns >= 1)
            MedirCampo(list.text(i, 0), 1, kFirstColumnCap);
        for (int j = 1; j < columns; ++j)
            MedirCampo(list.text(i, j), j + 1, cap);
    }

    QString line;
    if (header) {
        for (int c = 1; c <= columns; ++c) {
            const QString title = list.columnHeader(c - 1);
            appendCell(line, title, larguras[c], charCount(title));
        }
        file.writeLine(line);

        line.clear();
        for (int c = 1; c <= columns; ++c) {
            line.append(RepetirLetra(m_letraTXT, larguras[c]));
            line.append(kCellGap);
        }
        file.writeLine(line);
    }

    for (int i = 0; i < count; ++i) {
        line.clear();
        if (columns >= 1) {
            // The first column is never cut.
            const QString first = list.text(i, 0);
            appendCell(line, first, larguras[1], charCount(first));
        }
        for (int j = 1; j < columns; ++j) {
            const int c = j + 1;
            const QString cell = list.text(i, j);
            const int length = charCount(cell);
            if (length == 0) {
                appendSpaces(line, larguras[c]);
                line.append(kCellGap);
            } else if (length >= cap) {
                line.append(leftChars(cell, cap));
                line.append(kCellGap);
            } else {
                appendCell(line, cell, larguras[c], length);
            }
        }
        file.writeLine(line);
        setProgress(i + 1, count);
    }
    return true;
}

namespace {

// A spreadsheet takes a cell that starts with one of these as a formula (a
// title such as "=cmd|' /C calc'!A0" would run a program when opened).
bool opensAsFormula(const QString &text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front());
}

} // namespace

QString c_relatorios::csvField(const QString &cell) const
{
    // A leading apostrophe makes spreadsheets show the cell as plain text.
    const QString text = opensAsFormula(cell) ? QLatin1Char('\'') + cell : cell;
    QString enclose = m_encloseCSV;
    if (enclose.isEmpty()) {
        const bool needsQuotes = text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
            || text.contains(QLatin1Char('\r'))
            || (!m_separatorCSV.isEmpty() && text.contains(m_separatorCSV));
        if (!needsQuotes)
            return text;
        enclose = QStringLiteral("\"");
    }
    QString field = text;
    field.replace(enclose, enclose + enclose);
    return enclose + field + enclose;
}

QByteArray c_relatorios::Exportar_listaparaCSV(const ListSource &list)
{
    const int count = list.itemCount();
    const int columns = list.columnCount();
    QString text;
    QStringList fields;
    const auto endLine = [&] {
        text += fields.join(m_separatorCSV) + QStringLiteral("\r\n");
        fields.clear();
    };
    for (int c = 0; c < columns; ++c)
        fields.append(csvField(list.columnHeader(c)));
    endLine();
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < columns; ++c)
            fields.append(csvField(list.text(i, c)));
        endLine();
        setProgress(i + 1, count);
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool c_relatorios::Exportar_listaparaHTML(const ListSource &list, ReportFile &file)
{
    const int count = list.itemCount();
    if (count <= 0)
        return false;

    const int columns = list.columnCount();
    file.writeLine(u"<table border='2' align='center'>\r\n");
    file.writeLine(u"<tr>");
    for (int c = 0; c < columns; ++c)
        file.writeLine(QStringLiteral("<TH nowrap bgcolor='#FFFFCC'>") + list.columnHeader(c).toHtmlEscaped()
                       + QStringLiteral("</th>"));
    file.writeLine(u"</tr>");

    // List texts are escaped: a title such as "Pagar <conta>" shows as typed,
    // and one holding "<script>" or "<!--" cannot run or hide the rest of the page.
    QString line;
    for (int i = 0; i < count; ++i) {
        file.writeLine(u"<tr>");
        for (int c = 0; c < columns; ++c) {
            line = QStringLiteral("<td nowrap>");
            line.append(list.text(i, c).toHtmlEscaped());
            line.append(QStringLiteral("&nbsp;</td>"));
            file.writeLine(line);
        }
        file.writeLine(u"</tr>");
        setProgress(i + 1, count);
    }
    file.writeLine(u"</table>");
    return true;
}
