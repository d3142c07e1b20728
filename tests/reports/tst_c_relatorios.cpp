#include "reports/c_relatorios.h"
#include "reports/cp1252.h"
#include "reports/reportfile.h"
#include "reports/viewlistsource.h"

#include "reportfixture.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The list writers: text tables, HTML and CSV cells, progress, and the code page.
class tst_c_relatorios : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    // Runs one writer on a fresh report file and returns the bytes written.
    QByteArray exportList(c_relatorios &exporter, QTreeWidget &tree, bool html = false, bool header = true,
                          bool *result = nullptr)
    {
        const QString path = m_dir.filePath(QString::number(++m_serial));
        ReportFile file(html ? cp1252::Unmappable::CharacterReference : cp1252::Unmappable::QuestionMark);
        file.open(path);
        const ViewListSource list(&tree);
        const bool written = html ? exporter.Exportar_listaparaHTML(list, file)
                                  : exporter.Exportar_listaparaTXT(file, list, header);
        if (result)
            *result = written;
        file.close();
        return fileBytes(path);
    }

private slots:
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
        const QString e200(200, 'e'), l207 = QString(200, 'l') + "CORTADO", x35(35, 'x');
        QTest::newRow("header widths") << QStringList{"A", "Bcd"} << QList<QStringList>{{"xy", "z"}} << true << 0
                                       << "*" << QByteArray("A   Bcd  \r\n**  ***  \r\nxy  z    \r\n");
        QTest::newRow("no header, widths still from it")
            << QStringList{"Cabecalho", "B"} << QList<QStringList>{{"a", "b"}, {"cc", ""}} << false << 0 << "*"
            << "a" + QByteArray(10, ' ') + "b  \r\ncc" + QByteArray(12, ' ') + "\r\n";
        QTest::newRow("cut at 200 letters")
            << QStringList{"D", "T"} << QList<QStringList>{{"1", e200}, {"2", l207}, {"3", "curto"}} << true << 0 << "*"
            << "D  T" + QByteArray(199, ' ') + "  \r\n*  " + QByteArray(200, '*') + "  \r\n1  " + e200.toLatin1()
                   + "  \r\n2  " + QByteArray(200, 'l') + "  \r\n3  curto" + QByteArray(195, ' ') + "  \r\n";
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
        QTest::newRow("empty list: nothing") << QStringList{"A"} << QList<QStringList>{} << true << 0 << "*"
                                             << QByteArray();
    }
    void textTablesAreLaidOutInPaddedColumns()
    {
        QFETCH(QStringList, headers);
        QFETCH(QList<QStringList>, rows);
        QFETCH(bool, header);
        QFETCH(int, limit);
        QFETCH(QString, letter);
        auto tree = makeList(headers, rows);
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
    void csvFieldsAreEnclosedWhenNeededAndNeverFormulas_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("enclose");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << ";" << "" << "Consulta Dr" << "Consulta Dr";
        QTest::newRow("separator inside") << ";" << "" << "a;b" << "\"a;b\"";
        QTest::newRow("quote inside") << ";" << "" << "diz \"oi\"" << "\"diz \"\"oi\"\"\"";
        QTest::newRow("line break inside") << ";" << "" << "um\ndois" << "\"um\ndois\"";
        QTest::newRow("bare carriage return") << ";" << "" << "um\rdois" << "\"um\rdois\"";
        QTest::newRow("other separator") << "," << "" << "a;b,c" << "\"a;b,c\"";
        QTest::newRow("encloser set") << ";" << "'" << "d'agua" << "'d''agua'";
        QTest::newRow("encloser set, plain") << ";" << "\"" << "x" << "\"x\"";
        QTest::newRow("command") << ";" << "" << "=cmd|' /C calc'!A0" << "'=cmd|' /C calc'!A0";
        QTest::newRow("plus") << ";" << "" << "+1+1" << "'+1+1";
        QTest::newRow("minus") << ";" << "" << "-2" << "'-2";
        QTest::newRow("at") << ";" << "" << "@SOMA(A1)" << "'@SOMA(A1)";
        QTest::newRow("tab") << ";" << "" << "\t=1" << "'\t=1";
        QTest::newRow("carriage return") << ";" << "" << "\r=1" << "\"'\r=1\"";
        QTest::newRow("quotes in a formula") << ";" << "" << "=HIPERLINK(\"http://x\")"
                                             << "\"'=HIPERLINK(\"\"http://x\"\")\"";
        QTest::newRow("not at the start") << ";" << "" << "a=b" << "a=b";
    }
    void csvFieldsAreEnclosedWhenNeededAndNeverFormulas()
    {
        QFETCH(QString, separator);
        QFETCH(QString, enclose);
        QFETCH(QString, field);
        QFETCH(QString, written);
        auto tree = makeList({"Título", "B"}, {{field, "z"}});
        c_relatorios exporter;
        exporter.setFieldSeparatorCSV(separator);
        exporter.setFieldEncloseCSV(enclose);
        const QStringList head{enclose + "Título" + enclose, enclose + "B" + enclose};
        QCOMPARE(exporter.Exportar_listaparaCSV(ViewListSource(tree.get())),
                 "\xEF\xBB\xBF" + (head.join(separator) + "\r\n" + written + separator + enclose + "z" + enclose
                                   + "\r\n").toUtf8());
    }

    // Three items report thirds to a progress bar, and to nothing else.
    void progressGoesToAProgressBarOnly()
    {
        auto tree = makeList({"A", "B"}, {{"1", "a"}, {"2", "b"}, {"3", "c"}});
        QProgressBar bar;
        bar.setRange(0, 100);
        for (const bool html : {false, true}) {
            c_relatorios exporter;
            exporter.setProgresbar(&bar);
            QSignalSpy progress(&exporter, &c_relatorios::progressChanged);
            QSignalSpy barValues(&bar, &QProgressBar::valueChanged);
            exportList(exporter, *tree, html);
            QCOMPARE((QList<qsizetype>{progress.count(), barValues.count()}), (QList<qsizetype>{3, 3}));
            QVERIFY(qFuzzyCompare(progress.at(0).at(0).toDouble(), 100.0 / 3)
                    && qFuzzyCompare(progress.at(1).at(0).toDouble(), 200.0 / 3) && progress.at(2).at(0) == 100.0);
            QCOMPARE(barValues.at(1).at(0).toInt(), 67);
            bar.setValue(0);
        }
        QLabel label;
        c_relatorios exporter;
        exporter.setProgresbar(&bar);
        exporter.setProgresbar(&label); // replaces the bar: no updates at all
        QSignalSpy progress(&exporter, &c_relatorios::progressChanged);
        exportList(exporter, *tree, true);
        QCOMPARE(progress.count() + bar.value(), 0);
    }

    // Written in full, but not put in place: the folder moved away meanwhile.
    void aReportThatCannotTakeItsPlaceIsAFailure()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("pasta")));
        ReportFile file(cp1252::Unmappable::QuestionMark);
        QVERIFY(file.open(m_dir.filePath(QStringLiteral("pasta/r.txt"))));
        file.writeLine(u"linha");
        QVERIFY(QDir(m_dir.path()).rename(QStringLiteral("pasta"), QStringLiteral("movida")));
        QVERIFY(!file.close());
        QVERIFY2(file.errorDescription().startsWith(QStringLiteral("Não foi possível gravar o arquivo")),
                 qPrintable(file.errorDescription()));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("movida/r.txt"))));
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
};

QTEST_MAIN(tst_c_relatorios)
#include "tst_c_relatorios.moc"
