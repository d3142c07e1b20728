// The reports: the list writers (text tables, HTML and CSV cells, the code page), the commands that
// save and print them, and the printers. Expected files live in data/.

#include "reports/c_relatorios.h"
#include "reports/cp1252.h"
#include "reports/reportcommands.h"
#include "reports/reportfile.h"
#include "reports/viewlistsource.h"
#include "runtime/printersurface.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

// A printer that records its document: each line's pieces, its text on a grid of
// print columns, and the font size in force. The call numbered failAtCall (from 1)
// and every later one fail, as on a printer switched off.
class RecordingPrinter final : public runtime::PrinterSurface
{
public:
    bool setFontSize(int points) override { return (fontSize = points, works()); }
    bool printLine(const QList<runtime::PrintPiece> &linePieces) override
    {
        if (!works())
            return false;
        beforeLine(); // to look at the world while printing
        QString text;
        for (const runtime::PrintPiece &piece : linePieces)
            text = (piece.column > 0 ? text.leftJustified(piece.column - 1) : text) + piece.text;
        lines.append(text);
        pieces.append(linePieces);
        sizes.append(fontSize);
        return true;
    }
    bool endDocument() override { return works() && ++endedDocuments; }

    QStringList lines;
    QList<QList<runtime::PrintPiece>> pieces;
    QList<int> sizes;
    int endedDocuments = 0, failAtCall = 0, calls = 0, fontSize = 0;
    std::function<void()> beforeLine = [] {};
    bool works() { return ++calls < failAtCall || failAtCall <= 0; }
};

// A list such as the main window's: column headers, then one row per item.
std::unique_ptr<QTreeWidget> makeList(const QList<QStringList> &rows,
                                      const QStringList &headers = {"Data", "Título do lembrete", "Dias restantes"})
{
    auto tree = std::make_unique<QTreeWidget>();
    tree->setColumnCount(int(headers.size()));
    tree->setHeaderLabels(headers);
    for (const QStringList &row : rows)
        new QTreeWidgetItem(tree.get(), row); // owned by the tree
    return tree;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing file>");
}

const QString kStatus = QStringLiteral("Estatus: Mostrando todos os lembretes");
const QString kSaved = QStringLiteral("Os dados foram salvos com sucesso para arquivo, deseja abrir o arquivo agora?");
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
    int m_serial = 0;

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

    // Runs one list writer on a fresh report file and returns the bytes written.
    QByteArray exportList(c_relatorios &exporter, QTreeWidget &tree, bool html, bool header, bool *result)
    {
        const QString name = path(QString::number(++m_serial));
        ReportFile file(html ? cp1252::Unmappable::CharacterReference : cp1252::Unmappable::QuestionMark);
        file.open(name);
        const ViewListSource list(&tree);
        *result = html ? exporter.Exportar_listaparaHTML(list, file) : exporter.Exportar_listaparaTXT(file, list, header);
        file.close();
        return fileBytes(name);
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
    void init()
    {
        m_window.reset(); // before the store and the platform it uses
        m_store.reset();
        m_fake = std::make_unique<FakePlatform>();
        m_store = std::make_unique<modgeral>(m_fake->platform());
        m_window = std::make_unique<QWidget>();
        m_bar = new QProgressBar(m_window.get());
        m_bar->setRange(0, 4); // as the list's loading leaves it for three rows
        m_bar->hide();
        m_fake->platform().setPrinterSurface(std::unique_ptr<RecordingPrinter>(m_printer = new RecordingPrinter));
    }

    // Widths start from the headers; sub-items are cut at the letter limit, the first
    // column capped at 35 but never cut; underlines repeat the letter, one for an empty column.
    void textTablesAreLaidOutInPaddedColumns_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("limit"); // letters for sub-items; 0: the default
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QByteArray>("written");
        const QString x35(35, 'x');
        QTest::newRow("no header, widths still from it")
            << QStringList{"Cabecalho", "B"} << QList<QStringList>{{"a", "b"}, {"cc", ""}} << false << 0 << "*"
            << "a" + QByteArray(10, ' ') + "b  \r\ncc" + QByteArray(12, ' ') + "\r\n";
        QTest::newRow("a smaller limit, a longer header")
            << QStringList{"D", "Titulo"} << QList<QStringList>{{"1", "abcdefgh"}, {"2", "ab"}} << true << 3 << "*"
            << QByteArray("D  Titulo  \r\n*  ***  \r\n1  abc  \r\n2  ab   \r\n");
        QTest::newRow("first column of 35")
            << QStringList{"D", "T"} << QList<QStringList>{{x35, "a"}, {"curto", "b"}} << true << 0 << "*"
            << "D" + QByteArray(34, ' ') + "  T  \r\n" + QByteArray(35, '*') + "  *  \r\n" + x35.toLatin1()
                   + "  a  \r\ncurto" + QByteArray(30, ' ') + "  b  \r\n";
        QTest::newRow("first column past 35 grows the row")
            << QStringList{"D", "T"} << QList<QStringList>{{QString(40, 'y'), "a"}, {"curto", "b"}} << false << 0
            << "*" << QByteArray(40, 'y') + "  a  \r\ncurto" + QByteArray(30, ' ') + "  b  \r\n";
        QTest::newRow("empty column") << QStringList{"A", "", "C"} << QList<QStringList>{{"a", "", "c"}, {"b", "", ""}}
                                      << true << 0 << "*"
                                      << "A    C  \r\n*  *  *  \r\na    c  \r\nb" + QByteArray(7, ' ') + "\r\n";
        QTest::newRow("first letter only") << QStringList{"Ab", "C"} << QList<QStringList>{{"x", "y"}} << true << 0
                                           << "=-#" << QByteArray("Ab  C  \r\n==  =  \r\nx   y  \r\n");
        QTest::newRow("no letter") << QStringList{"Ab", "C"} << QList<QStringList>{{"x", "y"}} << true << 0 << ""
                                   << QByteArray("Ab  C  \r\n       \r\nx   y  \r\n");
        QTest::newRow("empty list: nothing") << QStringList{"A"} << QList<QStringList>{} << true << 0 << "*" << QByteArray();
    }
    void textTablesAreLaidOutInPaddedColumns()
    {
        QFETCH(QStringList, headers);
        QFETCH(QList<QStringList>, rows);
        QFETCH(bool, header);
        QFETCH(int, limit);
        QFETCH(QString, letter);
        auto tree = makeList(rows, headers);
        c_relatorios exporter;
        if (limit)
            exporter.setMax_LetraForFields(qint16(limit));
        exporter.setmLetraTXT(letter);
        bool result = rows.isEmpty();
        QTEST(exportList(exporter, *tree, false, header, &result), "written");
        QCOMPARE(result, !rows.isEmpty()); // an empty list reports false
        QCOMPARE(exportList(exporter, *tree, true, header, &result).isEmpty(), rows.isEmpty());
    }

    // Enclosed only when needed unless an encloser is set; cells that would open as formulas are text.
    // The cells are both the header and the one row.
    void csvFieldsAreEnclosedWhenNeededAndNeverFormulas_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("enclose");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << ";" << "" << QStringList{"Consulta Dr", "a=b"} << "Consulta Dr;a=b";
        QTest::newRow("enclosed when needed") << ";" << "" << QStringList{"a;b", "diz \"oi\"", "um\ndois", "um\rdois"}
                                              << "\"a;b\";\"diz \"\"oi\"\"\";\"um\ndois\";\"um\rdois\"";
        QTest::newRow("other separator") << "," << "" << QStringList{"a;b,c", "d"} << "\"a;b,c\",d";
        QTest::newRow("encloser set") << ";" << "'" << QStringList{"d'agua", "x"} << "'d''agua';'x'";
        QTest::newRow("formulas") << ";" << "" << QStringList{"=cmd|' /C calc'!A0", "+1+1", "-2", "@SOMA(A1)", "\t=1"}
                                  << "'=cmd|' /C calc'!A0;'+1+1;'-2;'@SOMA(A1);'\t=1";
        QTest::newRow("formulas enclosed") << ";" << "" << QStringList{"\r=1", "=HIPERLINK(\"http://x\")"}
                                           << "\"'\r=1\";\"'=HIPERLINK(\"\"http://x\"\")\"";
    }
    void csvFieldsAreEnclosedWhenNeededAndNeverFormulas()
    {
        QFETCH(QString, separator);
        QFETCH(QString, enclose);
        QFETCH(QStringList, cells);
        QFETCH(QString, written);
        auto tree = makeList({cells}, cells);
        c_relatorios exporter;
        exporter.setFieldSeparatorCSV(separator);
        exporter.setFieldEncloseCSV(enclose);
        QCOMPARE(exporter.Exportar_listaparaCSV(ViewListSource(tree.get())),
                 "\xEF\xBB\xBF" + (written + "\r\n").repeated(2).toUtf8());
    }

    void charactersOutsideTheCodePageBecomeReferencesOrQuestionMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("reference");
        QTest::addColumn<QByteArray>("question");
        QTest::newRow("mixed") << QStringLiteral("\u20ac a\u00e7\u00e3o \u201cok\u201d \u2013 \u2713 \U0001F382 \u0153")
                               << QByteArray("\x80 a\xe7\xe3o \x93ok\x94 \x96 &#10003; &#127874; \x9c")
                               << QByteArray("\x80 a\xe7\xe3o \x93ok\x94 \x96 ? ? \x9c");
        QTest::newRow("table ends") << QStringLiteral("\u0161\u0178\u00ff") << QByteArray("\x9a\x9f\xff")
                                    << QByteArray("\x9a\x9f\xff");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("&#65533;") << QByteArray("?");
    }
    void charactersOutsideTheCodePageBecomeReferencesOrQuestionMarks()
    {
        QFETCH(QString, text);
        QTEST(cp1252::encode(text, cp1252::Unmappable::CharacterReference), "reference");
        QTEST(cp1252::encode(text, cp1252::Unmappable::QuestionMark), "question");
    }

    // Each format byte for byte over a longer old file (no extension added to the name given); then the
    // question: Yes (the HTML rows) opens the file as named.
    void eachReportIsWrittenByteForByte_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("expected"); // in data/
        QTest::newRow("text") << "txt" << QList<QStringList>{{"10/03/2006", "Consulta Dr", "5 dias"}} << "lembretes.txt";
        QTest::newRow("text, empty list") << "txt" << QList<QStringList>{} << "vazio.txt";
        QTest::newRow("text, outside the code page")
            << "txt" << QList<QStringList>{{"10/03/2006", "Caf\u00e9 \u2713 \u00e0s 8h \U0001F382", "0 dias"}}
            << "fora-do-codigo.txt";
        // An empty cell is a blank; a character outside the code page a reference.
        QTest::newRow("html") << "html" << QList<QStringList>{{"10/03/2006", "Reuni\u00e3o \u2713", ""}}
                              << "lembretes.html";
        QTest::newRow("html, empty list") << "html" << QList<QStringList>{} << "vazio.html";
        QTest::newRow("csv in utf-8") << "csv" << QList<QStringList>{{"10/03/2006", "Reuni\u00e3o; sala \"A\"", "0 dias"}}
                                      << "lembretes.csv";
    }
    void eachReportIsWrittenByteForByte()
    {
        QFETCH(QString, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, expected);
        const QString name = path("lembretes");
        QFile old(name);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(5000, 'v')) == 5000);
        old.close();
        const bool yes = format == QLatin1String("html");
        if (yes)
            m_fake->messages->answers.enqueue(runtime::MessageAnswer::Yes);
        auto tree = makeList(rows);
        save(format, *tree, name);
        QCOMPARE(fileBytes(name), fileBytes(QFINDTESTDATA("data/" + expected)));
        QVERIFY(!QFile::exists(name + '.' + format));
        verifyMessages(1, kSaved);
        QCOMPARE(m_fake->shell->opened, yes ? QStringList{name} : QStringList());
        QVERIFY(m_bar->isHidden());
    }

    void theHtmlReportShowsListTextsAsTyped()
    {
        auto tree = makeList({{"10/03/2006", "<script>alert(1)</script>"}}, {"A & \"B\"", "T"});
        save(QStringLiteral("html"), *tree, path("e.html"), QStringLiteral("Estatus: <b>"));
        const QByteArray bytes = fileBytes(path("e.html"));
        for (const QByteArray &typed : {QByteArray("<td nowrap>&lt;script&gt;alert(1)&lt;/script&gt;&nbsp;</td>"),
                                        QByteArray("<TH nowrap bgcolor='#FFFFCC'>A &amp; &quot;B&quot;</th>"),
                                        QByteArray("<br>Estatus: &lt;b&gt;</center>")})
            QVERIFY2(bytes.contains(typed), qPrintable(QString::fromLatin1(bytes)));
    }

    void cancellingTouchesNothing()
    {
        auto tree = makeList({{"10/03/2006", "Consulta Dr", ""}});
        for (const char *format : {"txt", "html", "csv"})
            save(QLatin1String(format), *tree, QString());
        QCOMPARE(m_fake->saveDialog->titles.size(), 3);
        QVERIFY(m_fake->messages->shown.isEmpty() && m_bar->isHidden() && m_bar->maximum() == 4);
        QCOMPARE(QDir(m_fake->folder()).entryList(QDir::Files).join(',').remove("Zedozarir.ini"), QString());
    }

    void aFileThatCannotBeSavedIsReportedInsteadOfOffered_data()
    {
        QTest::addColumn<QString>("fileName"); // relative to the program's folder
        QTest::addColumn<QString>("error"); // "Não foi possível %1 o arquivo"
        QTest::addColumn<QByteArray>("previous"); // an earlier report of that name, kept as it was
        QTest::newRow("missing folder") << "nao-existe/lembretes.txt" << "criar" << QByteArray();
        QTest::newRow("a device that refuses every write") << "/dev/full" << "gravar" << QByteArray();
        QTest::newRow("a full disk over an earlier report") << "anterior.txt" << "gravar" << QByteArray(5000, 'v');
    }
    void aFileThatCannotBeSavedIsReportedInsteadOfOffered()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, error);
        QFETCH(QByteArray, previous);
        const QString name = QDir::cleanPath(path(fileName));
        auto tree = makeList({{"10/03/2006", "Consulta Dr, o bastante para passar do limite de um disco cheio", "0 dias"}});
        if (!previous.isEmpty()) {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(previous) == previous.size());
        }
        // A file size limit makes every write past 100 bytes fail as on a full disk.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{previous.isEmpty() ? saved.rlim_cur : 100, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        for (const char *format : {"txt", "html", "csv"})
            save(QLatin1String(format), *tree, name);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        if (!previous.isEmpty()) {
            QCOMPARE(fileBytes(name), previous);
            QCOMPARE(QDir(m_fake->folder()).entryList({QStringLiteral("anterior*")}, QDir::Files),
                     QStringList{QStringLiteral("anterior.txt")});
        }
        verifyMessages(3, QStringLiteral("Ocorreu o seguinte erro: Não foi possível %1 o arquivo").arg(error), false);
        QVERIFY(m_fake->shell->opened.isEmpty() && m_bar->isHidden() && !QFile::exists(path("nao-existe")));
    }

    // Written in full, but not put in place: the folder moved away meanwhile.
    void aReportThatCannotTakeItsPlaceIsAFailure()
    {
        QVERIFY(QDir(m_fake->folder()).mkdir(QStringLiteral("pasta")));
        ReportFile file(cp1252::Unmappable::QuestionMark);
        QVERIFY(file.open(path("pasta/r.txt")));
        file.writeLine(u"linha");
        QVERIFY(QDir(m_fake->folder()).rename(QStringLiteral("pasta"), QStringLiteral("movida")));
        QVERIFY(!file.close());
        QVERIFY2(file.errorDescription().startsWith(QStringLiteral("Não foi possível gravar o arquivo")),
                 qPrintable(file.errorDescription()));
        QVERIFY(!QFile::exists(path("movida/r.txt")));
    }

    // The bar gets every percentage while busy and shown, the reset to 0 before showing; a look-alike gets nothing.
    void progressFitsTheBarWhileTheBusyPointerShows()
    {
        auto tree = makeList({{"10/03/2006", "a", "0 dias"}, {"11/03/2006", "b", "1 dias"}, {"12/03/2006", "c", "2 dias"}});
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
        QCOMPARE((values + QList<int>{busyUpdates, visibleUpdates}), (QList<int>{0, 33, 67, 100, 0, 33, 67, 100, 6, 6}));
        QVERIFY(!QGuiApplication::overrideCursor() && m_bar->isHidden());

        QLabel label;
        c_relatorios exporter;
        exporter.setProgresbar(m_bar);
        exporter.setProgresbar(&label); // replaces the bar
        bool result = false;
        exportList(exporter, *tree, true, true, &result);
        QCOMPARE(values.size(), 8);
    }

    // Labelled blocks with values at column 20, each item selected while printed.
    void printingPrintsLabelledBlocksAtColumnTwenty()
    {
        auto tree = makeList({{"10/03/2006", "Consulta Dr", "0 dias"}, {"11/03/2006", "", ""}});
        QList<int> selectedWhilePrinting;
        ViewListSource list(tree.get());
        m_printer->beforeLine = [&] { selectedWhilePrinting << list.selectedItem(); };
        commands().imprimir(list, kStatus);

        const QString rule150(150, QLatin1Char('-'));
        const auto labelled = [](const QString &label, const QString &value) { return label.leftJustified(19) + value; };
        QCOMPARE(m_printer->lines, (QStringList{"", "Sistema de lembretes", kStatus, QString(87, '_'), "",
                                       labelled("Data: ", "10/03/2006"), labelled("Título: ", "Consulta Dr"),
                                       labelled("Dias restantes: ", "0 dias"), rule150,
                                       labelled("Data: ", "11/03/2006"), labelled("Título: ", ""),
                                       labelled("Dias restantes: ", ""), rule150,
                                       "Gerado sexta-feira, 10 de março de 2006 às 14:30:00", "",
                                       "Sistema de lembretes  -  www.zedozarir.example", "",
                                       "Zedozarir, seus lembretes sempre à mão", "Por: Equipe Zedozarir"}));
        QCOMPARE(m_printer->pieces.at(7), (QList<runtime::PrintPiece>{{0, "Dias restantes: "}, {20, "0 dias"}}));
        QCOMPARE(m_printer->sizes, QList<int>(5, 13) + QList<int>(8, 12) + QList<int>(6, 13));
        QCOMPARE((QList<qsizetype>{m_printer->endedDocuments, m_fake->messages->shown.size()}), (QList<qsizetype>{1, 0}));
        QCOMPARE(selectedWhilePrinting.mid(5, 8), (QList<int>{0, 0, 0, 0, 1, 1, 1, 1}));
        QVERIFY(tree->currentItem() == tree->topLevelItem(1) && tree->topLevelItem(1)->isSelected());
        // An empty list: the five head lines, the six of the footer, and the document ends.
        auto empty = makeList({});
        ViewListSource emptyList(empty.get());
        commands().imprimir(emptyList, kStatus);
        QCOMPARE(m_printer->lines.size(), 19 + 5 + 6);
        QCOMPARE(m_printer->lines.at(19 + 5), m_printer->lines.at(13));
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
        auto tree = makeList({{"10/03/2006", "Consulta Dr", "0 dias"}}, headers);
        ViewListSource treeList(tree.get());
        commands().imprimir(treeList, kStatus);
        QCOMPARE((QList<qsizetype>{m_printer->lines.size(), m_printer->endedDocuments}), (QList<qsizetype>{printed, 0}));
        verifyMessages(1, kPrintError);
    }

    // New pages come by themselves, a second document prints on the same printer, a bad target fails.
    void theQtPrinterStartsNewPagesByItselfAndCanPrintAgainAfterwards()
    {
        const QString pdf = path("lista.pdf");
        runtime::QtPrinterSurface printer(pdf);
        QList<qsizetype> pages;
        for (int lines : {10, 300}) {
            QVERIFY(printer.setFontSize(12));
            for (int i = 0; i < lines; ++i)
                QVERIFY(printer.printLine({{0, QStringLiteral("Data: ")}, {20, QString::number(i)}}));
            QVERIFY(printer.endDocument());
            pages << fileBytes(pdf).count("/Type /Page\n");
        }
        QVERIFY2(pages[0] == 1 && pages[1] >= 3, qPrintable(QString::number(pages[1])));
        QVERIFY(!runtime::QtPrinterSurface(path("nao-existe/lista.pdf")).setFontSize(12));
    }

    void theSystemPrinterFailsWhenThereIsNoDefaultPrinter()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer; nothing is sent to it from a test");
        runtime::QtPrinterSurface printer;
        QCOMPARE((QList<bool>{printer.setFontSize(13), printer.printLine(QStringLiteral("Sistema de lembretes")),
                              printer.endDocument()}), QList<bool>(3, false));
    }
};

QTEST_MAIN(tst_reportcommands)
#include "tst_reportcommands.moc"
