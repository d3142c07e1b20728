#include "reports/reportcommands.h"
#include "reports/viewlistsource.h"
#include "runtime/printersurface.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"
#include "support/fakeprinter.h"

#include "reportfixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <ctime>
#include <sys/resource.h>

namespace {

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

private:
    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<modgeral> m_store;
    std::unique_ptr<QWidget> m_window;
    QProgressBar *m_bar = nullptr; // owned by m_window
    RecordingPrinter *m_printer = nullptr;

    ReportCommands commands() { return ReportCommands(m_fake->platform(), *m_store, m_window.get()); }
    QString path(const QString &name) const { return QDir(m_fake->folder()).filePath(name); }

    void saveText(QTreeWidget &tree, const QString &fileName)
    {
        m_fake->saveDialog->nextFileName = fileName;
        commands().salvarTXT(ViewListSource(&tree), kStatus, m_bar);
    }

    void saveHtml(QTreeWidget &tree, const QString &fileName)
    {
        m_fake->saveDialog->nextFileName = fileName;
        commands().salvarHTML(ViewListSource(&tree), kStatus, m_bar);
    }

    void saveCsv(QTreeWidget &tree, const QString &fileName)
    {
        m_fake->saveDialog->nextFileName = fileName;
        commands().salvarCSV(ViewListSource(&tree), m_bar);
    }

    // Every message shown so far: count, title, icon, buttons, and the text (or its start).
    void verifyMessages(qsizetype count, const QString &text, bool wholeText = true)
    {
        QCOMPARE(m_fake->messages->shown.size(), count);
        const bool question = text == kSaved;
        for (const RecordedMessage &shown : m_fake->messages->shown) {
            QVERIFY2(wholeText ? shown.text == text : shown.text.startsWith(text), qPrintable(shown.text));
            QCOMPARE(shown.title, question ? QStringLiteral("Visualizar") : QStringLiteral("Erro"));
            QCOMPARE(shown.icon, question ? runtime::MessageIcon::Question : runtime::MessageIcon::Critical);
            QCOMPARE(shown.buttons, question ? runtime::MessageButtons::YesNo : runtime::MessageButtons::Ok);
        }
    }

    QStringList printedTexts() const
    {
        QStringList texts;
        for (const PrintedLine &line : m_printer->lines)
            texts << line.text();
        return texts;
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
        auto printer = std::make_unique<RecordingPrinter>();
        m_printer = printer.get();
        m_fake->platform().setPrinterSurface(std::move(printer));
    }

    void cleanup()
    {
        m_window.reset();
        m_store.reset();
        m_fake.reset();
    }

    void textReportOfOneReminderIsWrittenByteForByte()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "5 dias"}});
        saveText(*tree, path("lembretes.txt"));

        QCOMPARE(m_fake->saveDialog->titles, QStringList{"Salvar relatório em txt"});
        QCOMPARE(m_fake->saveDialog->filters, QStringList{"Arquivos de texto (*.txt)"});
        QCOMPARE(fileBytes(path("lembretes.txt")),
                 "Sistema de Zedozarir e Alerta\r\n"
                 "Estatus: Mostrando todos os lembretes\r\n"
                     + kRule114 + "\r\n"
                     + "Data        T\xedtulo do lembrete  Dias restantes  \r\n"
                       "**********  ******************  **************  \r\n"
                       "10/03/2006  Consulta Dr         5 dias          \r\n"
                     + kTextFooter);
        verifyMessages(1, kSaved);
        QVERIFY(m_fake->shell->opened.isEmpty()); // answered No
        QVERIFY(m_bar->isHidden());
    }

    void htmlReportOfOneReminderIsWrittenByteForByte()
    {
        // An empty cell is a blank.
        auto tree = makeReminderList({{"10/03/2006", QStringLiteral("Reuni\u00e3o"), ""}});
        saveHtml(*tree, path("lembretes.html"));

        QCOMPARE(m_fake->saveDialog->titles, QStringList{"Salvar relatórios em html"});
        QCOMPARE(m_fake->saveDialog->filters, QStringList{"Arquivos HTML (*.html)"});
        QCOMPARE(fileBytes(path("lembretes.html")),
                 kHtmlHead
                     + "<table border='2' align='center'>\r\n\r\n"
                       "<tr>\r\n"
                       "<TH nowrap bgcolor='#FFFFCC'>Data</th>\r\n"
                       "<TH nowrap bgcolor='#FFFFCC'>T\xedtulo do lembrete</th>\r\n"
                       "<TH nowrap bgcolor='#FFFFCC'>Dias restantes</th>\r\n"
                       "</tr>\r\n"
                       "<tr>\r\n"
                       "<td nowrap>10/03/2006&nbsp;</td>\r\n"
                       "<td nowrap>Reuni\xe3o&nbsp;</td>\r\n"
                       "<td nowrap>&nbsp;</td>\r\n"
                       "</tr>\r\n"
                       "</table>\r\n"
                     + kHtmlFooter);
        verifyMessages(1, kSaved);
        QVERIFY(m_bar->isHidden());
    }

    void theHtmlReportShowsListTextsAsTyped_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("written");
        const QString plain = QStringLiteral("Data");
        QTest::newRow("markup in a title") << plain << "Pagar <conta> de luz" << kStatus
                                           << QByteArray("<td nowrap>Pagar &lt;conta&gt; de luz&nbsp;</td>");
        QTest::newRow("a script") << plain << "<script>alert(1)</script>" << kStatus
                                  << QByteArray("<td nowrap>&lt;script&gt;alert(1)&lt;/script&gt;&nbsp;</td>");
        QTest::newRow("a comment opener") << plain << "<!-- x" << kStatus
                                          << QByteArray("<td nowrap>&lt;!-- x&nbsp;</td>");
        QTest::newRow("a header") << "A & \"B\"" << "x" << kStatus
                                  << QByteArray("<TH nowrap bgcolor='#FFFFCC'>A &amp; &quot;B&quot;</th>");
        QTest::newRow("the status") << plain << "x" << "Estatus: <b>" << QByteArray("<br>Estatus: &lt;b&gt;</center>");
    }

    void theHtmlReportShowsListTextsAsTyped()
    {
        QFETCH(QString, header);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QFETCH(QByteArray, written);
        auto tree = makeList({header, QStringLiteral("T")}, {{QStringLiteral("10/03/2006"), title}});
        m_fake->saveDialog->nextFileName = path("e.html");
        commands().salvarHTML(ViewListSource(tree.get()), status, m_bar);
        const QByteArray bytes = fileBytes(path("e.html"));
        QVERIFY2(bytes.contains(written), bytes.constData());
        QVERIFY(bytes.endsWith(kHtmlFooter));
    }

    void csvReportHoldsTheListAsShownInUtf8()
    {
        auto tree = makeReminderList({{"10/03/2006", QStringLiteral("Reuni\u00e3o; sala \"A\""), "0 dias"}});
        saveCsv(*tree, path("lembretes.csv"));

        QCOMPARE(m_fake->saveDialog->titles, QStringList{"Salvar relatório em csv"});
        QCOMPARE(m_fake->saveDialog->filters, QStringList{"Arquivos CSV (*.csv)"});
        QCOMPARE(fileBytes(path("lembretes.csv")),
                 "\xEF\xBB\xBF" "Data;T\xC3\xADtulo do lembrete;Dias restantes\r\n"
                 "10/03/2006;\"Reuni\xC3\xA3o; sala \"\"A\"\"\";0 dias\r\n");
        verifyMessages(1, kSaved);
        QVERIFY(m_bar->isHidden());
    }

    void emptyListReportsHoldTitleAndFooterOnly()
    {
        auto tree = makeReminderList({});
        saveText(*tree, path("vazio.txt"));
        QCOMPARE(fileBytes(path("vazio.txt")),
                 "Sistema de Zedozarir e Alerta\r\n"
                 "Estatus: Mostrando todos os lembretes\r\n"
                     + kRule114 + "\r\n" + kTextFooter);

        saveHtml(*tree, path("vazio.html"));
        QCOMPARE(fileBytes(path("vazio.html")), kHtmlHead + kHtmlFooter);
        verifyMessages(2, kSaved);

        // Printed: the five head lines, the six of the footer, and the document ends.
        ViewListSource printed(tree.get());
        commands().imprimir(printed, kStatus);
        QCOMPARE(m_printer->lines.size(), 5 + 6);
        QCOMPARE(m_printer->lines.at(5).text(), QStringLiteral("Gerado sexta-feira, 10 de março de 2006 às 14:30:00"));
        QCOMPARE(m_printer->endedDocuments, 1);
    }

    void answeringYesOpensTheFileAsNamedAndReplacesAnOldOne()
    {
        const QString name = path("relatorio"); // no extension is added
        {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(5000, 'v'));
        }
        m_fake->messages->answers.enqueue(runtime::MessageAnswer::Yes);
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"}});
        saveHtml(*tree, name);

        QVERIFY(fileBytes(name).startsWith(kHtmlHead));
        QVERIFY(fileBytes(name).endsWith(kHtmlFooter));
        QVERIFY(!QFile::exists(name + QStringLiteral(".html")));
        QCOMPARE(m_fake->shell->opened, QStringList{name});
    }

    void cancellingTheDialogLeavesEverythingUntouched()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"}});
        saveText(*tree, QString());
        saveHtml(*tree, QString());
        saveCsv(*tree, QString());

        QCOMPARE(m_fake->saveDialog->titles.size(), 3);
        QVERIFY(m_fake->messages->shown.isEmpty());
        QVERIFY(m_bar->isHidden());
        QCOMPARE(m_bar->maximum(), 4);
        QStringList files = QDir(m_fake->folder()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("Zedozarir.ini"));
        QVERIFY2(files.isEmpty(), qPrintable(files.join(',')));
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
        if (fileName == QStringLiteral("/dev/full") && !QFile::exists(fileName))
            QSKIP("needs /dev/full");
        QFETCH(QByteArray, previous);
        const QString name = QDir::cleanPath(path(fileName));
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr, o bastante para passar do limite de um disco cheio", "0 dias"}});
        if (previous.isEmpty()) {
            saveText(*tree, name);
            saveHtml(*tree, name);
            saveCsv(*tree, name);
        } else {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(previous);
            old.close();
            // A file size limit makes every write past 100 bytes fail as on a full disk.
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 100;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            saveText(*tree, name);
            saveHtml(*tree, name);
            saveCsv(*tree, name);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
            QCOMPARE(fileBytes(name), previous);
            QCOMPARE(QDir(m_fake->folder()).entryList({QStringLiteral("anterior*")}, QDir::Files),
                     QStringList{QStringLiteral("anterior.txt")});
        }
        verifyMessages(3, QStringLiteral("Ocorreu o seguinte erro: ") + error, false);
        QVERIFY(m_fake->shell->opened.isEmpty());
        QVERIFY(m_bar->isHidden());
        QVERIFY(!QFile::exists(path("nao-existe")));
    }

    void aTitleOutsideWindows1252KeepsItsCharacterInHtmlAndAQuestionMarkInText()
    {
        auto tree = makeReminderList({{"10/03/2006", QStringLiteral("Caf\u00e9 \u2713 \u00e0s 8h \U0001F382"),
                                       "0 dias"}});
        saveHtml(*tree, path("u.html"));
        QVERIFY(fileBytes(path("u.html"))
                    .contains("<td nowrap>Caf\xe9 &#10003; \xe0s 8h &#127874;&nbsp;</td>\r\n"));

        saveText(*tree, path("u.txt"));
        QVERIFY(fileBytes(path("u.txt"))
                    .contains("\r\n10/03/2006  Caf\xe9 ? \xe0s 8h ?      0 dias          \r\n"));
        verifyMessages(2, kSaved);
    }

    void progressFitsTheBarWhileTheBusyPointerShows()
    {
        auto tree = makeReminderList({{"10/03/2006", "a", "0 dias"},
                                      {"11/03/2006", "b", "1 dias"},
                                      {"12/03/2006", "c", "2 dias"}});
        QList<int> values;
        int busyUpdates = 0;
        int visibleUpdates = 0;
        connect(m_bar, &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            busyUpdates += cursor && cursor->shape() == Qt::WaitCursor;
            visibleUpdates += !m_bar->isHidden();
        });

        saveText(*tree, path("p.txt"));
        QCOMPARE(values, (QList<int>{0, 33, 67, 100}));
        saveHtml(*tree, path("p.html"));
        QCOMPARE(values, (QList<int>{0, 33, 67, 100, 0, 33, 67, 100}));
        QCOMPARE(busyUpdates, 6);
        QCOMPARE(visibleUpdates, 6); // every percentage; the reset to 0 comes before showing
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(m_bar->isHidden());
    }

    void printingASmallListPrintsLabelledBlocksAtColumnTwenty()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"},
                                      {"11/03/2006", "", ""}});
        QList<int> selectedWhilePrinting;
        ViewListSource list(tree.get());
        m_printer->beforeLine = [&] { selectedWhilePrinting << list.selectedItem(); };
        commands().imprimir(list, kStatus);

        const QString rule87(87, QLatin1Char('_'));
        const QString rule150(150, QLatin1Char('-'));
        QCOMPARE(printedTexts(),
                 (QStringList{"", "Sistema de lembretes", kStatus, rule87, "",
                              QStringLiteral("Data: ").leftJustified(19) + "10/03/2006",
                              QStringLiteral("Título: ").leftJustified(19) + "Consulta Dr",
                              QStringLiteral("Dias restantes: ").leftJustified(19) + "0 dias", rule150,
                              QStringLiteral("Data: ").leftJustified(19) + "11/03/2006",
                              QStringLiteral("Título: ").leftJustified(19),
                              QStringLiteral("Dias restantes: ").leftJustified(19), rule150,
                              "Gerado sexta-feira, 10 de março de 2006 às 14:30:00", "",
                              "Sistema de lembretes  -  www.zedozarir.example", "",
                              "Zedozarir, seus lembretes sempre à mão", "Por: Equipe Zedozarir"}));

        // Each label and value are two pieces of one line, the value stepped to column 20.
        const PrintedLine &days = m_printer->lines.at(7);
        QCOMPARE(days.pieces, (QList<runtime::PrintPiece>{{0, "Dias restantes: "}, {20, "0 dias"}}));
        QList<int> sizes;
        for (const PrintedLine &line : m_printer->lines)
            sizes << line.fontSize;
        QCOMPARE(sizes, QList<int>(5, 13) + QList<int>(8, 12) + QList<int>(6, 13));

        QCOMPARE(m_printer->endedDocuments, 1);
        QVERIFY(m_fake->messages->shown.isEmpty());
        QCOMPARE(selectedWhilePrinting.mid(5, 8), (QList<int>{0, 0, 0, 0, 1, 1, 1, 1}));
        QCOMPARE(tree->currentItem(), tree->topLevelItem(1));
        QVERIFY(tree->topLevelItem(1)->isSelected());
    }

    void aFailingPrinterShowsTheMessageAndStopsWhereItFailed()
    {
        auto tree = makeReminderList({{"10/03/2006", "Consulta Dr", "0 dias"}});
        ViewListSource list(tree.get());

        m_printer->failAtCall = 1; // no printer at all
        commands().imprimir(list, kStatus);
        QVERIFY(m_printer->lines.isEmpty());

        // Calls: font, five lines, font, then the block: it fails on "Título: ".
        m_printer->calls = 0;
        m_printer->failAtCall = 9;
        commands().imprimir(list, kStatus);
        QCOMPARE(m_printer->lines.size(), 6);
        QCOMPARE(m_printer->lines.last().pieces.constFirst().text, QStringLiteral("Data: "));

        QCOMPARE(m_printer->endedDocuments, 0);
        verifyMessages(2, kPrintError);
    }

    void anItemWithoutItsDaysColumnCannotBePrinted()
    {
        auto tree = makeList({"Data", "Título do lembrete"}, {{"10/03/2006", "Consulta Dr"}});
        ViewListSource list(tree.get());
        commands().imprimir(list, kStatus);
        QCOMPARE(m_printer->lines.size(), 5 + 2);
        QCOMPARE(m_printer->endedDocuments, 0);
        verifyMessages(1, kPrintError);
    }

    void theQtPrinterStartsNewPagesByItselfAndCanPrintAgainAfterwards()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
        runtime::QtPrinterSurface printer(pdf);
        auto countPages = [&] { return fileBytes(pdf).count("/Type /Page\n"); };

        QVERIFY(printer.setFontSize(12));
        for (int i = 0; i < 10; ++i)
            QVERIFY(printer.printLine({{0, QStringLiteral("Data: ")}, {20, QStringLiteral("10/03/2006")}}));
        QVERIFY(printer.endDocument());
        QCOMPARE(countPages(), 1);

        QVERIFY(printer.setFontSize(12));
        for (int i = 0; i < 300; ++i)
            QVERIFY(printer.printLine(QStringLiteral("linha %1").arg(i)));
        QVERIFY(printer.endDocument());
        QVERIFY2(countPages() >= 3, qPrintable(QString::number(countPages())));

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
        ViewListSource list(tree.get());
        commands().imprimir(list, kStatus);
        verifyMessages(1, kPrintError);
    }
};

QTEST_MAIN(tst_reportcommands)
#include "tst_reportcommands.moc"
