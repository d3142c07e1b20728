#include "runtime/commandline.h"
#include "runtime/programlayout.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using runtime::CommandLineChoice;

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void readsTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("outcome"); // -1: goes on (window or command); else the exit status
        QTest::addColumn<QString>("output");      // what standard output starts with
        QTest::addColumn<QString>("errorOutput"); // what standard error starts with
        QTest::addColumn<bool>("runsCommand");

        const QString usage = QStringLiteral("Uso: lembrete [opção]\n");
        const QString none;
        QTest::newRow("nothing opens the window") << QStringList{} << -1 << none << none << false;
        QTest::newRow("Qt's window options pass")
            << QStringList{"-style", "fusion", "-reverse"} << -1 << none << none << false;
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << none << false;
        QTest::newRow("-h wins over the rest") << QStringList{"--importar", "x", "-h"} << 0 << usage << none << false;
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringLiteral("lembrete 1.0\n") << none << false;
        QTest::newRow("unknown long option")
            << QStringList{"--janela"} << 2 << none << QStringLiteral("lembrete: opção desconhecida: --janela\n\n") + usage << false;
        QTest::newRow("stray argument")
            << QStringList{"dados.mdb"} << 2 << none << QStringLiteral("lembrete: argumento inesperado: dados.mdb\n") << false;
        QTest::newRow("--importar without its path")
            << QStringList{"--importar"} << 2 << none << QStringLiteral("lembrete: falta CAMINHO depois de --importar.\n") << false;
        QTest::newRow("--importar twice")
            << QStringList{"--importar", "a", "--importar", "b"} << 2 << none
            << QStringLiteral("lembrete: use um comando de cada vez.\n") << false;
        QTest::newRow("--importar") << QStringList{"--importar", "antigo.mdb"} << -1 << none << none << true;
        QTest::newRow("--exportar and --importar")
            << QStringList{"--exportar", "a.ics", "--importar", "b.ics"} << 2 << none
            << QStringLiteral("lembrete: use um comando de cada vez.\n") << false;
        QTest::newRow("--importar=") << QStringList{"--importar=antigo.mdb"} << -1 << none << none << true;
        QTest::newRow("--avisar runs without the window") << QStringList{"--avisar"} << -1 << none << none << true;
        QTest::newRow("--bandeja opens the program") << QStringList{"--bandeja"} << -1 << none << none << false;
        QTest::newRow("--avisar with a value")
            << QStringList{"--avisar=hoje"} << 2 << none << QStringLiteral("lembrete: ") << false;
        QTest::newRow("--listar") << QStringList{"--listar"} << -1 << none << none << true;
        QTest::newRow("--listar a view in tsv")
            << QStringList{"--listar", "7dias", "--formato", "tsv"} << -1 << none << none << true;
        QTest::newRow("--listar two views")
            << QStringList{"--listar", "hoje", "amanha"} << 2 << none
            << QStringLiteral("lembrete: argumento inesperado: amanha\n") << false;
        QTest::newRow("--novo without its title")
            << QStringList{"--novo", "hoje"} << 2 << none
            << QStringLiteral("lembrete: faltam argumentos depois de --novo (DIA TÍTULO [DESCRIÇÃO]).\n") << false;
        QTest::newRow("--novo with a description")
            << QStringList{"--novo", "hoje", "Dentista", "Levar exames"} << -1 << none << none << true;
        QTest::newRow("--novo with one too many")
            << QStringList{"--novo", "hoje", "a", "b", "c"} << 2 << none
            << QStringLiteral("lembrete: argumento inesperado: c\n") << false;
        QTest::newRow("an unknown format")
            << QStringList{"--listar", "--formato", "csv"} << 2 << none
            << QStringLiteral("lembrete: formato desconhecido: csv (use texto ou tsv).\n") << false;
        QTest::newRow("--formato without --listar")
            << QStringList{"--novo", "hoje", "a", "--formato", "tsv"} << 2 << none
            << QStringLiteral("lembrete: --formato só vale com --listar.\n") << false;
        QTest::newRow("an argument for the window")
            << QStringList{"--bandeja", "hoje"} << 2 << none
            << QStringLiteral("lembrete: argumento inesperado: hoje\n") << false;
    }

    void aCommandGetsItsArgumentsAndFormat()
    {
        const CommandLineChoice added =
            runtime::readCommandLine({"lembrete", "--novo", "25/12/2026", "Natal", "Ceia"});
        QCOMPARE(added.commandArguments, (QStringList{"25/12/2026", "Natal", "Ceia"}));
        const CommandLineChoice listed = runtime::readCommandLine({"lembrete", "--formato=tsv", "--listar", "hoje"});
        QCOMPARE(listed.commandArguments, QStringList{"hoje"});
        QCOMPARE(listed.commandFormat, QStringLiteral("tsv"));
    }

    void readsTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, outcome);
        QFETCH(QString, output);
        QFETCH(QString, errorOutput);
        QFETCH(bool, runsCommand);

        const CommandLineChoice choice = runtime::readCommandLine(QStringList{"lembrete"} + arguments);
        QCOMPARE(choice.finished, outcome != -1);
        if (choice.finished)
            QCOMPARE(choice.exitCode, outcome);
        QVERIFY2(choice.output.startsWith(output), qPrintable(choice.output));
        QCOMPARE(choice.output.isEmpty(), output.isEmpty());
        QVERIFY2(choice.errorOutput.startsWith(errorOutput), qPrintable(choice.errorOutput));
        QCOMPARE(choice.errorOutput.isEmpty(), errorOutput.isEmpty());
        QCOMPARE(bool(choice.command), runsCommand);
        QCOMPARE(choice.opensWindow(), outcome == -1 && !runsCommand);
    }

    // --importar reaches the import with its path and the data folder.
    void theImportCommandRunsTheImport()
    {
        QTemporaryDir folder;
        const CommandLineChoice choice =
            runtime::readCommandLine({"lembrete", "--importar", folder.filePath("nao-existe.mdb")});
        QVERIFY(choice.command);
        const auto layout = runtime::ProgramLayout::detect(folder.path());
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(choice.command({choice.commandValue, layout, outStream, errStream}), 1);
        errStream.flush();
        QVERIFY2(err.startsWith(QStringLiteral("Erro: a importação de ") + folder.filePath("nao-existe.mdb")),
                 qPrintable(err));
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
