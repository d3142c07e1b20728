#include "reports/reportcommands.h"

#include "buildconfig.h"
#include "reports/c_relatorios.h"
#include "reports/listsource.h"
#include "reports/reportfile.h"
#include "runtime/busypointer.h"
#include "runtime/platform.h"
#include "runtime/printersurface.h"
#include "store/modgeral.h"

#include <QGuiApplication>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QUrl>

namespace {

const QString kQuestion =
    QStringLiteral("Os dados foram salvos com sucesso para arquivo, deseja abrir o arquivo agora?");
const QString kPrintError = QStringLiteral(
    "Ocorreu um erro ao tentar imprimir, verifique se a impressora está ligada e conectada ao "
    "computador");

// Shows the window's progress bar for one report, with a range that takes the
// exporter's percentages (the list's loading leaves it at the row count).
class ProgressShown
{
public:
    explicit ProgressShown(QProgressBar *bar)
        : m_bar(bar)
    {
        if (!m_bar)
            return;
        m_bar->setRange(0, 100);
        m_bar->setValue(0);
        m_bar->show();
    }
    ~ProgressShown()
    {
        if (m_bar)
            m_bar->hide();
    }
    ProgressShown(const ProgressShown &) = delete;
    ProgressShown &operator=(const ProgressShown &) = delete;

private:
    QPointer<QProgressBar> m_bar;
};

// The locale's long time format without its time-zone part: the footer
// reads "às 14:30:00", the zone's name says nothing to the reader.
QString timeWithoutZone(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

} // namespace

ReportCommands::ReportCommands(runtime::Platform &platform, modgeral &store, QWidget *owner)
    : m_platform(platform)
    , m_store(store)
    , m_owner(owner)
{
}

QString ReportCommands::generatedAt(const runtime::Platform &platform)
{
    const runtime::Clock &clock = platform.clock();
    const QLocale locale = clock.locale();
    return QStringLiteral("Gerado ") + locale.toString(clock.today(), QLocale::LongFormat)
           + QStringLiteral(" às ") + locale.toString(clock.now().time(), timeWithoutZone(locale));
}

QString ReportCommands::webAddressWithoutScheme()
{
    const QString address = QString::fromUtf8(buildconfig::webAddress);
    const qsizetype schemeEnd = address.indexOf(QStringLiteral("://"));
    return schemeEnd < 0 ? address : address.mid(schemeEnd + 3);
}

QString ReportCommands::webDomain()
{
    const QUrl url(QString::fromUtf8(buildconfig::webAddress));
    return url.host().isEmpty() ? webAddressWithoutScheme() : url.host();
}

QString ReportCommands::creditText()
{
    return QStringLiteral("Zedozarir, seus lembretes sempre à mão");
}

QString ReportCommands::creditName()
{
    return QStringLiteral("Equipe Zedozarir");
}

void ReportCommands::salvarTXT(const ListSource &list, const QString &status,
                               QProgressBar *progressBar)
{
    const QString fileName = m_platform.saveDialog().askFileName(
        m_owner, QStringLiteral("Salvar relatório em txt"), QStringLiteral("Arquivos de texto (*.txt)"));
    if (fileName.isEmpty())
        return;

    c_relatorios exporter;
    exporter.setProgresbar(progressBar);
    const ProgressShown progress(progressBar);

    ReportFile file(cp1252::Unmappable::QuestionMark);
    if (file.open(fileName)) {
        file.writeLine(u"Sistema de Zedozarir e Alerta");
        file.writeLine(status);
        file.writeLine(QString(114, QLatin1Char('_')));
        {
            const runtime::BusyPointer busy;
            exporter.Exportar_listaparaTXT(file, list, true);
        }
        file.writeLine(u"");
        file.writeLine(generatedAt(m_platform));
        file.writeLine(u"");
        file.writeLine(QStringLiteral("Sistema de Zedozarir e Alerta - ") + webAddressWithoutScheme());
        file.writeLine(u"");
        file.writeLine(creditText());
        file.writeLine(QStringLiteral("Por ") + creditName());
        file.close();
    }
    finishSavedReport(fileName, file.errorDescription());
}

void ReportCommands::salvarHTML(const ListSource &list, const QString &status,
                                QProgressBar *progressBar)
{
    const QString fileName = m_platform.saveDialog().askFileName(
        m_owner, QStringLiteral("Salvar relatórios em html"), QStringLiteral("Arquivos HTML (*.html)"));
    if (fileName.isEmpty())
        return;

    c_relatorios exporter;
    exporter.setProgresbar(progressBar);
    const ProgressShown progress(progressBar);

    const QString title = QStringLiteral("Relatório de lembretes em HTML");
    const QString address = QString::fromUtf8(buildconfig::webAddress);
    ReportFile file(cp1252::Unmappable::CharacterReference);
    if (file.open(fileName)) {
        file.writeLine(QStringLiteral("<html>\r\n<head>\r\n<title>") + title + QStringLiteral("</title>"));
        file.writeLine(QStringLiteral("<center><b>") + title + QStringLiteral("</b><br>") + status.toHtmlEscaped()
                       + QStringLiteral("</center>"));
        file.writeLine(u"<br>");
        {
            const runtime::BusyPointer busy;
            exporter.Exportar_listaparaHTML(list, file);
        }
        file.writeLine(u"<br><center>");
        file.writeLine(generatedAt(m_platform) + QStringLiteral("<br>"));
        file.writeLine(u"<br>");
        file.writeLine(QStringLiteral("<b>Sistema de Zedozarir</b> - <a href='") + address
                       + QStringLiteral("'>") + webAddressWithoutScheme() + QStringLiteral("</a>"));
        file.writeLine(u"<br><br>");
        file.writeLine(creditText() + QStringLiteral("<br>Por: ") + creditName());
        file.writeLine(u"</center></font></p>");
        file.close();
    }
    finishSavedReport(fileName, file.errorDescription());
}

// A report that could not be written is reported, rather than offered for opening.
void ReportCommands::salvarCSV(const ListSource &list, QProgressBar *progressBar)
{
    const QString fileName = m_platform.saveDialog().askFileName(
        m_owner, QStringLiteral("Salvar relatório em csv"), QStringLiteral("Arquivos CSV (*.csv)"));
    if (fileName.isEmpty())
        return;

    c_relatorios exporter;
    exporter.setProgresbar(progressBar);
    exporter.setFieldSeparatorCSV(QStringLiteral(";"));
    const ProgressShown progress(progressBar);
    QByteArray data;
    {
        const runtime::BusyPointer busy;
        data = exporter.Exportar_listaparaCSV(list);
    }
    ReportFile file(cp1252::Unmappable::QuestionMark);
    if (file.open(fileName)) {
        file.writeBytes(data);
        file.close();
    }
    finishSavedReport(fileName, file.errorDescription());
}

void ReportCommands::finishSavedReport(const QString &fileName, const QString &error)
{
    if (!error.isEmpty()) {
        m_platform.messages().show(m_owner, runtime::MessageIcon::Critical,
                                   QStringLiteral("Ocorreu o seguinte erro: ") + error,
                                   QStringLiteral("Erro"), runtime::MessageButtons::Ok);
        return;
    }
    const runtime::MessageAnswer answer =
        m_platform.messages().show(m_owner, runtime::MessageIcon::Question, kQuestion,
                                   QStringLiteral("Visualizar"), runtime::MessageButtons::YesNo);
    if (answer == runtime::MessageAnswer::Yes)
        m_store.openDocument(fileName, m_owner);
}

void ReportCommands::imprimir(ListSource &list, const QString &status)
{
    if (!printReport(list, status))
        m_platform.messages().show(m_owner, runtime::MessageIcon::Critical, kPrintError,
                                   QStringLiteral("Erro"), runtime::MessageButtons::Ok);
}

// Prints the whole report; false as soon as a step fails, leaving the rest unprinted.
bool ReportCommands::printReport(ListSource &list, const QString &status)
{
    using runtime::PrintPiece;
    runtime::PrinterSurface &printer = m_platform.printer();
    constexpr int kValueColumn = 20;

    if (!printer.setFontSize(13))
        return false;
    for (const QString &line : {QString(), QStringLiteral("Sistema de lembretes"), status,
                                QString(87, QLatin1Char('_')), QString()}) {
        if (!printer.printLine(line))
            return false;
    }

    if (!printer.setFontSize(12))
        return false;
    const int count = list.itemCount();
    const int columns = list.columnCount();
    const QString labels[] = {QStringLiteral("Data: "), QStringLiteral("Título: "),
                              QStringLiteral("Dias restantes: ")};
    for (int i = 0; i < count; ++i) {
        list.selectItem(i);
        const int selected = list.selectedItem();
        for (int column = 0; column < 3; ++column) {
            // An item without this column cannot be printed.
            if (selected < 0 || column >= columns)
                return false;
            const QList<PrintPiece> line{{0, labels[column]},
                                         {kValueColumn, list.text(selected, column)}};
            if (!printer.printLine(line))
                return false;
        }
        if (!printer.printLine(QString(150, QLatin1Char('-'))))
            return false;
    }

    if (!printer.setFontSize(13))
        return false;
    for (const QString &line : {generatedAt(m_platform), QString(),
                                QStringLiteral("Sistema de lembretes  -  ") + webDomain(), QString(),
                                creditText(), QStringLiteral("Por: ") + creditName()}) {
        if (!printer.printLine(line))
            return false;
    }
    return printer.endDocument();
}
