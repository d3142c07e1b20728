#include "reports/reportcommands.h"
#include "reports/viewlistsource.h"
#include "runtime/printersurface.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include "reportfixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <ctime>
#include <functional>
#include <sys/resource.h>

namespace {

// A printer that records its document: each line's pieces, its text on a grid of
// print columns, and the font size in force. The call numbered failAtCall (from 1)
// and every later one fail, as on a printer switched off.
class RecordingPrinter final : public runtime::PrinterSurface
{
public:
    struct Line
    {
        int fontSize;
        QList<runtime::PrintPiece> pieces;
        QString text;
    };
    bool setFontSize(int points) override { return (m_fontSize = points, works()); }
    bool printLine(const QList<runtime::PrintPiece> &pieces) override
    {
        if (!works())
            return false;
        beforeLine(); // to look at the world while printing
        QString text;
        for (const runtime::PrintPiece &piece : pieces)
            text = (piece.column > 0 ? text.leftJustified(piece.column - 1) : text) + piece.text;
        lines.append({m_fontSize, pieces, text});
        return true;
    }
    bool endDocument() override { return works() && ++endedDocuments; }

    QList<Line> lines;
    int endedDocuments = 0, failAtCall = 0, calls = 0;
    std::function<void()> beforeLine = [] {};

private:
    bool works() { return ++calls < failAtCall || failAtCall <= 0; }
    int m_fontSize = 0;
};

std::unique_ptr<QTreeWidget> makeReminderList(const QList<QStringList> &rows)
{
    return makeList({QStringLiteral("Data"), QStringLiteral("Título do lembrete"), QStringLiteral("Dias restantes")},
                    rows);
}

const QString kStatus = QStringLiteral("Estatus: Mostrando todos os lembretes");
const QByteArray kRule114(114, '_');

// The footers, for 10/03/2006 at 14:30:00 in Brasília.
const QByteArray kTextFooter = "\r\n"
                               "Gerado sexta-feira, 10 de mar\xe7o de 2006 \xe0s 14:30:00\r\n"
                               "\r\n"
                               "Sistema de Zedozarir e Alerta - www.zedozarir.example\r\n"
                               "\r\n"
                               "Zedozarir, seus lembretes sempre \xe0 m\xe3o\r\n"
                               "Por Equipe Zedozarir\r\n";

const QByteArray kHtmlHead = "<html>\r\n<head>\r\n<title>Relat\xf3rio de lembretes em HTML</title>\r\n"
                             "<center><b>Relat\xf3rio de lembretes em HTML</b><br>"
                             "Estatus: Mostrando todos os lembretes</center>\r\n"
                             "<br>\r\n";

const QByteArray kHtmlFooter =
    "<br><center>\r\n"
    "Gerado sexta-feira, 10 de mar\xe7o de 2006 \xe0s 14:30:00<br>\r\n"
    "<br>\r\n"
    "<b>Sistema de Zedozarir</b> - <a href='https://www.zedozarir.example'>www.zedozarir.example</a>\r\n"
    "<br><br>\r\n"
    "Zedozarir, seus lembretes sempre \xe0 m\xe3o<br>Por: Equipe Zedozarir\r\n"
    "</center></font></p>\r\n";

const QString kSaved =
    QStringLiteral("Os dados foram salvos com sucesso para arquivo, deseja abrir o arquivo agora?");
const QString kPrintError = QStringLiteral("Ocorreu um erro ao tentar imprimir, verifique se a "
                                           "impressora está ligada e conectada ao computador");

} // namespace

class tst_reportcommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<modgeral> m_store;
    std::unique_ptr<QWidget> m_window;
    QProgressBar *m_bar = nullptr; // owned by m_window
    RecordingPrinter *m_printer = nullptr;

    ReportCommands commands() { return ReportCommands(m_fake->platform(), *m_store, m_window.get()); }
    QString path(const QString &name) const { return QDir(m_fake->folder()).filePath(name); }

    // Saves the list through the dialog answering fileName, as "txt", "html" or "csv".
    void save(const QString &format, QTreeWidget &tree, const QString &fileName, const QString &status = kStatus)
    {
        m_fake->saveDialog->nextFileName = fileName;
        const ViewListSource list(&tree);
        if (format == QLatin1String("txt"))
            commands().salvarTXT(list, status, m_bar);
        else if (format == QLatin1String("html"))
            commands().salvarHTML(list, status, m_bar);
        else
            commands().salvarCSV(list, m_bar);
    }
    void saveAll(QTreeWidget &tree, const QString &fileName)
    {
        for (const char *format : {"txt", "html", "csv"})
            save(QLatin1String(format), tree, fileName);
    }

    // Every message shown so far: count, title, icon, buttons, and the text (or its start).
    void verifyMessages(qsizetype count, const QString &text, bool wholeText = true)
    {
        QCOMPARE(m_fake->messages->shown.size(), count);
        const bool question = text == kSaved;
        for (const RecordedMessage &shown : m_fake->messages->shown) {
            QVERIFY2(wholeText ? shown.text == text : shown.text.startsWith(text), qPrintable(shown.text));
            QVERIFY(shown.title == (question ? "Visualizar" : "Erro")
                    && shown.icon == (question ? runtime::MessageIcon::Question : runtime::MessageIcon::Critical)
                    && shown.buttons == (question ? runtime::MessageButtons::YesNo : runtime::MessageButtons::Ok));
        }
    }

private slots:
    void initTestCase()
    {
        // The reports are checked as written in Brasília; the footer's time names no zone.
        qputenv("TZ", "America/Sao_Paulo");
        tzset();
    }

    void init()
    {
        m_fake = std::make_unique<FakePlatform>();
        m_store = std::make_unique<modgeral>(m_fake->platform());
        m_window = std::make_unique<QWidget>();
        m_bar = new QProgressBar(m_window.get());
        m_bar->setRange(0, 4); // as the list's loading leaves it for three rows
        m_bar->hide();
        m_fake->platform().setPrinterSurface(std::unique_ptr<RecordingPrinter>(m_printer = new RecordingPrinter));
    }

    void cleanup()
    {
        m_window.reset();
        m_store.reset();
        m_fake.reset();
    }

    // Each format byte for byte, with the dialog's title and filter; then the question.
    void eachReportIsWrittenByteForByte_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("dialog"); // title|filter
        QTest::addColumn<QByteArray>("written");
        const QByteArray textHead = "Sistema de Zedozarir e Alerta\r\nEstatus: Mostrando todos os lembretes\r\n"
                                    + kRule114 + "\r\n";
        const QString txtDialog = "Salvar relatório em txt|Arquivos de texto (*.txt)";
        const QString htmlDialog = "Salvar relatórios em html|Arquivos HTML (*.html)";
        QTest::newRow("text") << "txt" << QList<QStringList>{{"10/03/2006", "Consulta Dr", "5 dias"}} << txtDialog
                              << textHead + "Data        T\xedtulo do lembrete  Dias restantes  \r\n"
                                            "**********  ******************  **************  \r\n"
                                            "10/03/2006  Consulta Dr         5 dias          \r\n" + kTextFooter;
        QTest::newRow("text, empty list") << "txt" << QList<QStringList>{} << txtDialog << textHead + kTextFooter;
        QTest::newRow("text, outside the code page")
            << "txt" << QList<QStringList>{{"10/03/2006", "Caf\u00e9 \u2713 \u00e0s 8h \U0001F382", "0 dias"}}
            << txtDialog << textHead + "Data        T\xedtulo do lembrete  Dias restantes  \r\n"
                                       "**********  ******************  **************  \r\n"
                                       "10/03/2006  Caf\xe9 ? \xe0s 8h ?      0 dias          \r\n" + kTextFooter;
        // An empty cell is a blank; a character outside the code page a reference.
        QTest::newRow("html") << "html" << QList<QStringList>{{"10/03/2006", "Reuni\u00e3o \u2713", ""}} << htmlDialog
                              << kHtmlHead + "<table border='2' align='center'>\r\n\r\n<tr>\r\n"
                                             "<TH nowrap bgcolor='#FFFFCC'>Data</th>\r\n"
                                             "<TH nowrap bgcolor='#FFFFCC'>T\xedtulo do lembrete</th>\r\n"
                                             "<TH nowrap bgcolor='#FFFFCC'>Dias restantes</th>\r\n"
                                             "</tr>\r\n<tr>\r\n"
                                             "<td nowrap>10/03/2006&nbsp;</td>\r\n"
                                             "<td nowrap>Reuni\xe3o &#10003;&nbsp;</td>\r\n"
                                             "<td nowrap>&nbsp;</td>\r\n"
                                             "</tr>\r\n</table>\r\n" + kHtmlFooter;
        QTest::newRow("html, empty list") << "html" << QList<QStringList>{} << htmlDialog << kHtmlHead + kHtmlFooter;
        QTest::newRow("csv in utf-8")
            << "csv" << QList<QStringList>{{"10/03/2006", "Reuni\u00e3o; sala \"A\"", "0 dias"}}
            << "Salvar relatório em csv|Arquivos CSV (*.csv)"
            << QByteArray("\xEF\xBB\xBF" "Data;T\xC3\xADtulo do lembrete;Dias restantes\r\n"
                          "10/03/2006;\"Reuni\xC3\xA3o; sala \"\"A\"\"\";0 dias\r\n");
    }
    void eachReportIsWrittenByteForByte()
    {
        QFETCH(QString, format);
        QFETCH(QList<QStringList>, rows);
        auto tree = makeReminderList(rows);
        save(format, *tree, path("lembretes"));
        QTEST(m_fake->saveDialog->titles.join('|') + '|' + m_fake->saveDialog->filters.join('|'), "dialog");
        QTEST(fileBytes(path("lembretes")), "written");
        QVERIFY(!QFile::exists(path("lembretes.") + format)); // no extension is added
        verifyMessages(1, kSaved);
        QVERIFY(m_fake->shell->opened.isEmpty() && m_bar->isHidden()); // answered No
    }

    void theHtmlReportShowsListTextsAsTyped_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("markup in a title") << "Data" << "Pagar <conta> de luz" << kStatus
                                           << QByteArray("<td nowrap>Pagar &lt;conta&gt; de luz&nbsp;</td>");
        QTest::newRow("a script") << "Data" << "<script>alert(1)</script>" << kStatus
                                  << QByteArray("<td nowrap>&lt;script&gt;alert(1)&lt;/script&gt;&nbsp;</td>");
        QTest::newRow("a comment opener") << "Data" << "<!-- x" << kStatus << QByteArray("<td nowrap>&lt;!-- x&nbsp;</td>");
        QTest::newRow("a header") << "A & \"B\"" << "x" << kStatus
                                  << QByteArray("<TH nowrap bgcolor='#FFFFCC'>A &amp; &quot;B&quot;</th>");
        QTest::newRow("the status") << "Data" << "x" << "Estatus: <b>" << QByteArray("<br>Estatus: &lt;b&gt;</center>");
    }
    void theHtmlReportShowsListTextsAsTyped()
    {
        QFETCH(QString, header);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QFETCH(QByteArray, written);
        auto tree = makeList({header, QStringLiteral("T")}, {{QStringLiteral("10/03/2006"), title}});
        save(QStringLiteral("html"), *tree, path("e.html"), status);
        const QByteArray bytes = fileBytes(path("e.html"));
        QVERIFY2(bytes.contains(written), bytes.constData());
        QVERIFY(bytes.endsWith(kHtmlFooter));
    }

    // Yes opens the file as named and replaces an old one; a cancelled dialog leaves everything untouched.
    void answeringYesOpensTheFileAndCancellingTouchesNothing()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"}});
        saveAll(*tree, QString());
        QCOMPARE(m_fake->saveDialog->titles.size(), 3);
        QVERIFY(m_fake->messages->shown.isEmpty() && m_bar->isHidden() && m_bar->maximum() == 4);
        QStringList files = QDir(m_fake->folder()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("Zedozarir.ini"));
        QVERIFY2(files.isEmpty(), qPrintable(files.join(',')));

        const QString name = path("relatorio");
        QFile old(name);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(5000, 'v')) == 5000);
        old.close();
        m_fake->messages->answers.enqueue(runtime::MessageAnswer::Yes);
        save(QStringLiteral("html"), *tree, name);
        QVERIFY(fileBytes(name).startsWith(kHtmlHead) && fileBytes(name).endsWith(kHtmlFooter));
        QCOMPARE(m_fake->shell->opened, QStringList{name});
    }

    void aFileThatCannotBeSavedIsReportedInsteadOfOffered_data()
    {
        QTest::addColumn<QString>("fileName"); // relative to the program's folder
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("previous"); // an earlier report of that name, kept as it was
        QTest::newRow("missing folder") << "nao-existe/lembretes.txt" << "Não foi possível criar o arquivo"
                                        << QByteArray();
        QTest::newRow("a folder") << "." << "Não foi possível criar o arquivo" << QByteArray();
        QTest::newRow("a device that refuses every write") << "/dev/full" << "Não foi possível gravar o arquivo"
                                                           << QByteArray();
        QTest::newRow("a full disk over an earlier report")
            << "anterior.txt" << "Não foi possível gravar o arquivo" << QByteArray(5000, 'v');
    }
    void aFileThatCannotBeSavedIsReportedInsteadOfOffered()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, error);
        QFETCH(QByteArray, previous);
        const QString name = QDir::cleanPath(path(fileName));
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr, o bastante para passar do limite de um disco cheio", "0 dias"}});
        if (previous.isEmpty()) {
            saveAll(*tree, name);
        } else {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(previous) == previous.size());
            old.close();
            // A file size limit makes every write past 100 bytes fail as on a full disk.
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{100, saved.rlim_max};
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            saveAll(*tree, name);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
            QCOMPARE(fileBytes(name), previous);
            QCOMPARE(QDir(m_fake->folder()).entryList({QStringLiteral("anterior*")}, QDir::Files),
                     QStringList{QStringLiteral("anterior.txt")});
        }
        verifyMessages(3, QStringLiteral("Ocorreu o seguinte erro: ") + error, false);
        QVERIFY(m_fake->shell->opened.isEmpty() && m_bar->isHidden() && !QFile::exists(path("nao-existe")));
    }

    void progressFitsTheBarWhileTheBusyPointerShows()
    {
        auto tree = makeReminderList({{"10/03/2006", "a", "0 dias"}, {"11/03/2006", "b", "1 dias"},
                                      {"12/03/2006", "c", "2 dias"}});
        QList<int> values;
        int busyUpdates = 0, visibleUpdates = 0;
        connect(m_bar, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            busyUpdates += cursor && cursor->shape() == Qt::WaitCursor;
            visibleUpdates += !m_bar->isHidden();
        });
        save(QStringLiteral("txt"), *tree, path("p.txt"));
        save(QStringLiteral("html"), *tree, path("p.html"));
        QCOMPARE(values, (QList<int>{0, 33, 67, 100, 0, 33, 67, 100}));
        // Every percentage while busy and shown; the reset to 0 comes before showing.
        QCOMPARE((QList<int>{busyUpdates, visibleUpdates}), (QList<int>{6, 6}));
        QVERIFY(!QGuiApplication::overrideCursor() && m_bar->isHidden());
    }

    // Labelled blocks with values at column 20, each item selected while printed.
    void printingPrintsLabelledBlocksAtColumnTwenty()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"}, {"11/03/2006", "", ""}});
        QList<int> selectedWhilePrinting;
        ViewListSource list(tree.get());
        m_printer->beforeLine = [&] { selectedWhilePrinting << list.selectedItem(); };
        commands().imprimir(list, kStatus);

        const QString rule150(150, QLatin1Char('-'));
        const auto labelled = [](const QString &label, const QString &value) { return label.leftJustified(19) + value; };
        QStringList printed;
        QList<int> sizes;
        for (const RecordingPrinter::Line &line : m_printer->lines)
            printed << line.text, sizes << line.fontSize;
        QCOMPARE(printed, (QStringList{"", "Sistema de lembretes", kStatus, QString(87, '_'), "",
                                       labelled("Data: ", "10/03/2006"), labelled("Título: ", "Consulta Dr"),
                                       labelled("Dias restantes: ", "0 dias"), rule150,
                                       labelled("Data: ", "11/03/2006"), labelled("Título: ", ""),
                                       labelled("Dias restantes: ", ""), rule150,
                                       "Gerado sexta-feira, 10 de março de 2006 às 14:30:00", "",
                                       "Sistema de lembretes  -  www.zedozarir.example", "",
                                       "Zedozarir, seus lembretes sempre à mão", "Por: Equipe Zedozarir"}));
        QCOMPARE(m_printer->lines.at(7).pieces, (QList<runtime::PrintPiece>{{0, "Dias restantes: "}, {20, "0 dias"}}));
        QCOMPARE(sizes, QList<int>(5, 13) + QList<int>(8, 12) + QList<int>(6, 13));
        QCOMPARE(m_printer->endedDocuments, 1);
        QVERIFY(m_fake->messages->shown.isEmpty());
        QCOMPARE(selectedWhilePrinting.mid(5, 8), (QList<int>{0, 0, 0, 0, 1, 1, 1, 1}));
        QVERIFY(tree->currentItem() == tree->topLevelItem(1) && tree->topLevelItem(1)->isSelected());
        // An empty list: the five head lines, the six of the footer, and the document ends.
        auto empty = makeReminderList({});
        ViewListSource emptyList(empty.get());
        commands().imprimir(emptyList, kStatus);
        QCOMPARE(m_printer->lines.size(), 19 + 5 + 6);
        QCOMPARE(m_printer->lines.at(19 + 5).text, printed.at(13));
        QCOMPARE(m_printer->endedDocuments, 2);
    }

    // A printer that fails, or an item without its days column, stops the document with the message.
    void aFailedPrintingStopsWhereItFailed_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("failAtCall");
        QTest::addColumn<int>("printed");
        const QStringList all{"Data", "Título do lembrete", "Dias restantes"};
        QTest::newRow("no printer at all") << all << 1 << 0;
        // Calls: font, five lines, font, then the block: it fails on "Título: ".
        QTest::newRow("switched off while printing") << all << 9 << 6;
        QTest::newRow("no days column") << all.mid(0, 2) << 0 << 5 + 2;
    }
    void aFailedPrintingStopsWhereItFailed()
    {
        QFETCH(QStringList, headers);
        QFETCH(int, printed);
        QFETCH(int, failAtCall);
        m_printer->failAtCall = failAtCall;
        auto tree = makeList(headers, {{"10/03/2006", "Consulta Dr", "0 dias"}});
        ViewListSource treeList(tree.get());
        commands().imprimir(treeList, kStatus);
        QCOMPARE((QList<qsizetype>{m_printer->lines.size(), m_printer->endedDocuments}), (QList<qsizetype>{printed, 0}));
        verifyMessages(1, kPrintError);
    }

    void theQtPrinterStartsNewPagesByItselfAndCanPrintAgainAfterwards()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
        runtime::QtPrinterSurface printer(pdf);
        auto countPages = [&] { return fileBytes(pdf).count("/Type /Page\n"); };

        QList<qsizetype> pages;
        for (int lines : {10, 300}) { // the second document on the same printer
            QVERIFY(printer.setFontSize(12));
            for (int i = 0; i < lines; ++i)
                QVERIFY(printer.printLine({{0, QStringLiteral("Data: ")}, {20, QString::number(i)}}));
            QVERIFY(printer.endDocument());
            pages << countPages();
        }
        QVERIFY2(pages[0] == 1 && pages[1] >= 3, qPrintable(QString::number(pages[1])));

        runtime::QtPrinterSurface nowhere(dir.filePath(QStringLiteral("nao-existe/lista.pdf")));
        QVERIFY(!nowhere.setFontSize(12));
    }

    void theSystemPrinterFailsWhenThereIsNoDefaultPrinter()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer; nothing is sent to it from a test");
        runtime::QtPrinterSurface printer;
        QVERIFY(!printer.setFontSize(13));
        QVERIFY(!printer.printLine(QStringLiteral("Sistema de lembretes")));
        QVERIFY(!printer.endDocument());

        m_fake->platform().setPrinterSurface(std::make_unique<runtime::QtPrinterSurface>());
        auto tree = makeReminderList({});
        ViewListSource treeList(tree.get());
        commands().imprimir(treeList, kStatus);
        verifyMessages(1, kPrintError);
    }
};

QTEST_MAIN(tst_reportcommands)
#include "tst_reportcommands.moc"
