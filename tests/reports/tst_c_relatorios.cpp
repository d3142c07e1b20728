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

class tst_c_relatorios : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    // Runs one writer on a fresh report file and returns the bytes written.
    QByteArray exportList(c_relatorios &exporter, QTreeWidget &tree, bool html = false,
                          bool header = true, bool *result = nullptr)
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
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void textTablesArePaddedToWidthsThatStartFromTheHeaders()
    {
        auto tree = makeList({"A", "Bcd"}, {{"xy", "z"}});
        c_relatorios exporter;
        bool result = false;
        QCOMPARE(exportList(exporter, *tree, false, true, &result),
                 QByteArray("A   Bcd  \r\n"
                            "**  ***  \r\n"
                            "xy  z    \r\n"));
        QVERIFY(result);

        auto headless = makeList({"Cabecalho", "B"}, {{"a", "b"}, {"cc", ""}});
        QCOMPARE(exportList(exporter, *headless, false, false),
                 QByteArray("a") + QByteArray(8 + 2, ' ') + "b  \r\n"
                     + "cc" + QByteArray(7 + 2 + 1 + 2, ' ') + "\r\n");
    }

    void subItemsAreCutAtTheLetterLimitAndTheirColumnTakesThatWidth()
    {
        const QString exact(200, QLatin1Char('e'));
        const QString longer = QString(200, QLatin1Char('l')) + QStringLiteral("CORTADO");
        auto tree = makeList({"D", "T"}, {{"1", exact}, {"2", longer}, {"3", "curto"}});
        c_relatorios exporter;
        QCOMPARE(exportList(exporter, *tree),
                 QByteArray("D  T") + QByteArray(199, ' ') + "  \r\n"
                     + "*  " + QByteArray(200, '*') + "  \r\n"
                     + "1  " + exact.toLatin1() + "  \r\n"
                     + "2  " + QByteArray(200, 'l') + "  \r\n"
                     + "3  curto" + QByteArray(195, ' ') + "  \r\n");

        // The limit is the property's, and a header longer than it is not cut.
        auto small = makeList({"D", "Titulo"}, {{"1", "abcdefgh"}, {"2", "ab"}});
        exporter.setMax_LetraForFields(3);
        QCOMPARE(exportList(exporter, *small),
                 QByteArray("D  Titulo  \r\n"
                            "*  ***  \r\n"
                            "1  abc  \r\n"
                            "2  ab   \r\n"));
    }

    void firstColumnIsCappedAtThirtyFiveButNeverCut()
    {
        const QString exact35(35, QLatin1Char('x'));
        auto tree = makeList({"D", "T"}, {{exact35, "a"}, {"curto", "b"}});
        c_relatorios exporter;
        QCOMPARE(exportList(exporter, *tree),
                 QByteArray("D") + QByteArray(34, ' ') + "  T  \r\n"
                     + QByteArray(35, '*') + "  *  \r\n"
                     + exact35.toLatin1() + "  a  \r\n"
                     + "curto" + QByteArray(30, ' ') + "  b  \r\n");

        // Longer than the cap: the row grows, and nothing of the text is lost.
        auto wide = makeList({"D", "T"}, {{QString(40, QLatin1Char('y')), "a"}, {"curto", "b"}});
        QCOMPARE(exportList(exporter, *wide, false, false),
                 QByteArray(40, 'y') + "  a  \r\n" + "curto" + QByteArray(30, ' ') + "  b  \r\n");
    }

    void underlinesFollowTheLetterAndAnEmptyColumnGetsOneLetter()
    {
        auto tree = makeList({"A", "", "C"}, {{"a", "", "c"}, {"b", "", ""}});
        c_relatorios exporter;
        QCOMPARE(exportList(exporter, *tree),
                 QByteArray("A    C  \r\n"
                            "*  *  *  \r\n"
                            "a    c  \r\n"
                            "b")
                     + QByteArray(2 + 2 + 1 + 2, ' ') + "\r\n");

        auto two = makeList({"Ab", "C"}, {{"x", "y"}});
        exporter.setmLetraTXT(QStringLiteral("=-#"));
        QCOMPARE(exportList(exporter, *two).split('\n').at(1), QByteArray("==  =  \r"));
        exporter.setmLetraTXT(QString());
        QCOMPARE(exportList(exporter, *two).split('\n').at(1), QByteArray(2 + 2 + 1 + 2, ' ') + '\r');

        QCOMPARE(c_relatorios::RepetirLetra(QStringLiteral("*"), 0), QStringLiteral("*"));
        QCOMPARE(c_relatorios::RepetirLetra(QStringLiteral("*"), -4), QStringLiteral("*"));
        QCOMPARE(c_relatorios::RepetirLetra(QStringLiteral("*"), 3), QStringLiteral("***"));
    }

    void csvFieldsAreEnclosedOnlyWhenNeededUnlessAnEncloserIsSet_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("enclose");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << ";" << "" << "Consulta Dr" << "Consulta Dr";
        QTest::newRow("separator inside") << ";" << "" << "a;b" << "\"a;b\"";
        QTest::newRow("quote inside") << ";" << "" << "diz \"oi\"" << "\"diz \"\"oi\"\"\"";
        QTest::newRow("line break inside") << ";" << "" << "um\ndois" << "\"um\ndois\"";
        QTest::newRow("other separator") << "," << "" << "a;b,c" << "\"a;b,c\"";
        QTest::newRow("encloser set") << ";" << "'" << "d'agua" << "'d''agua'";
        QTest::newRow("encloser set, plain") << ";" << "\"" << "x" << "\"x\"";
    }

    void csvFieldsAreEnclosedOnlyWhenNeededUnlessAnEncloserIsSet()
    {
        QFETCH(QString, separator);
        QFETCH(QString, enclose);
        QFETCH(QString, field);
        QFETCH(QString, written);
        auto tree = makeList({"A", "B"}, {{field, "z"}});
        c_relatorios exporter;
        exporter.setFieldSeparatorCSV(separator);
        exporter.setFieldEncloseCSV(enclose);
        const QString head = enclose.isEmpty() ? QStringLiteral("A") + separator + QStringLiteral("B")
                                               : enclose + "A" + enclose + separator + enclose + "B" + enclose;
        const QString tail = enclose.isEmpty() ? QStringLiteral("z") : enclose + "z" + enclose;
        QCOMPARE(exporter.Exportar_listaparaCSV(ViewListSource(tree.get())),
                 QByteArray("\xEF\xBB\xBF")
                     + (head + "\r\n" + written + separator + tail + "\r\n").toUtf8());
    }

    void cellsThatWouldOpenAsFormulasAreWrittenAsText_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("written");
        QTest::newRow("command") << "=cmd|' /C calc'!A0" << "x" << "'=cmd|' /C calc'!A0;x";
        QTest::newRow("plus, minus, at") << "+1+1" << "-2" << "'+1+1;'-2";
        QTest::newRow("at in description") << "t" << "@SOMA(A1)" << "t;'@SOMA(A1)";
        QTest::newRow("tab") << "\t=1" << "x" << "'\t=1;x";
        QTest::newRow("carriage return") << "\r=1" << "x" << "\"'\r=1\";x";
        QTest::newRow("quotes inside") << "=HIPERLINK(\"http://x\")" << "x"
                                       << "\"'=HIPERLINK(\"\"http://x\"\")\";x";
        QTest::newRow("not at the start") << "a=b" << "1-2" << "a=b;1-2";
    }

    void cellsThatWouldOpenAsFormulasAreWrittenAsText()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(QString, written);
        auto tree = makeList({"Título", "Descrição"}, {{title, description}});
        c_relatorios exporter;
        QCOMPARE(exporter.Exportar_listaparaCSV(ViewListSource(tree.get())),
                 QByteArray("\xEF\xBB\xBF") + (QStringLiteral("Título;Descrição\r\n") + written + "\r\n").toUtf8());
    }

    void anEmptyListWritesNothingAndReportsFalse()
    {
        auto tree = makeReminderList({});
        c_relatorios exporter;
        QProgressBar bar;
        exporter.setProgresbar(&bar);
        QSignalSpy progress(&exporter, &c_relatorios::progressChanged);
        for (const bool html : {false, true}) {
            bool result = true;
            QCOMPARE(exportList(exporter, *tree, html, true, &result), QByteArray());
            QVERIFY(!result);
        }
        QCOMPARE(progress.count(), 0);
    }

    void threeItemsReportThirdsOfProgressToTheBar()
    {
        auto tree = makeList({"A", "B"}, {{"1", "a"}, {"2", "b"}, {"3", "c"}});
        QProgressBar bar;
        bar.setRange(0, 100);
        for (const bool html : {false, true}) {
            c_relatorios exporter;
            exporter.setProgresbar(&bar);
            QSignalSpy progress(&exporter, &c_relatorios::progressChanged);
            QSignalSpy barValues(&bar, &QProgressBar::valueChanged);
            bool result = false;
            exportList(exporter, *tree, html, true, &result);
            QVERIFY(result);
            QCOMPARE(progress.count(), 3);
            QVERIFY(qFuzzyCompare(progress.at(0).at(0).toDouble(), 100.0 / 3));
            QVERIFY(qFuzzyCompare(progress.at(1).at(0).toDouble(), 200.0 / 3));
            QCOMPARE(progress.at(2).at(0).toDouble(), 100.0);
            QCOMPARE(barValues.count(), 3);
            QCOMPARE(barValues.at(1).at(0).toInt(), 67);
            bar.setValue(0);
        }
    }

    void onlyAProgressBarIsDriven()
    {
        auto tree = makeList({"A"}, {{"1"}, {"2"}});
        QProgressBar bar;
        QLabel label;
        c_relatorios exporter;
        exporter.setProgresbar(&bar);
        exporter.setProgresbar(&label); // replaces the bar: no updates at all
        QSignalSpy progress(&exporter, &c_relatorios::progressChanged);
        QCOMPARE(exportList(exporter, *tree), QByteArray("A  \r\n*  \r\n1  \r\n2  \r\n"));
        exportList(exporter, *tree, true);
        QCOMPARE(progress.count(), 0);
        QCOMPARE(bar.value(), -1);
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

    void charactersOutsideTheCodePageBecomeReferencesOrQuestionMarks()
    {
        const QString text = QStringLiteral("\u20ac a\u00e7\u00e3o \u201cok\u201d \u2013 \u2713 \U0001F382 \u0153");
        QCOMPARE(cp1252::encode(text, cp1252::Unmappable::CharacterReference),
                 QByteArray("\x80 a\xe7\xe3o \x93ok\x94 \x96 &#10003; &#127874; \x9c"));
        QCOMPARE(cp1252::encode(text, cp1252::Unmappable::QuestionMark),
                 QByteArray("\x80 a\xe7\xe3o \x93ok\x94 \x96 ? ? \x9c"));
        QCOMPARE(cp1252::encode(QStringLiteral("\u0161\u0178\u00ff"), cp1252::Unmappable::QuestionMark), QByteArray("\x9a\x9f\xff"));
        QCOMPARE(cp1252::encode(QString(QChar(0xD800)), cp1252::Unmappable::CharacterReference),
                 QByteArray("&#65533;"));
    }
};

QTEST_MAIN(tst_c_relatorios)
#include "tst_c_relatorios.moc"
