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
    // What a command line ends in: the window, a command, or an exit with what was said.
    void readsTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("outcome"); // -1: the window; -2: a command; else the exit status
        QTest::addColumn<QString>("said"); // how standard output ("out:") or error ("err:") starts
        const QString usage = QStringLiteral("Uso: lembrete [opção]\n");
        const QString oneAtATime = QStringLiteral("err:lembrete: use um comando de cada vez.\n");
        QTest::newRow("nothing opens the window") << QStringList{} << -1 << "";
        QTest::newRow("Qt's window options pass") << QStringList{"-style", "fusion", "-reverse"} << -1 << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "out:" + usage;
        QTest::newRow("-h wins over the rest") << QStringList{"--importar", "x", "-h"} << 0 << "out:" + usage;
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "out:lembrete 1.0\n";
        QTest::newRow("unknown long option")
            << QStringList{"--janela"} << 2 << "err:lembrete: opção desconhecida: --janela\n\n" + usage;
        QTest::newRow("stray argument")
            << QStringList{"dados.mdb"} << 2 << "err:lembrete: argumento inesperado: dados.mdb\n";
        QTest::newRow("--importar without its path")
            << QStringList{"--importar"} << 2 << "err:lembrete: falta CAMINHO depois de --importar.\n";
        QTest::newRow("--importar twice") << QStringList{"--importar", "a", "--importar", "b"} << 2 << oneAtATime;
        QTest::newRow("--importar") << QStringList{"--importar", "antigo.mdb"} << -2 << "";
        QTest::newRow("--exportar and --importar")
            << QStringList{"--exportar", "a.ics", "--importar", "b.ics"} << 2 << oneAtATime;
        QTest::newRow("--importar=") << QStringList{"--importar=antigo.mdb"} << -2 << "";
        QTest::newRow("--avisar runs without the window") << QStringList{"--avisar"} << -2 << "";
        QTest::newRow("--bandeja opens the program") << QStringList{"--bandeja"} << -1 << "";
        QTest::newRow("--avisar with a value") << QStringList{"--avisar=hoje"} << 2 << "err:lembrete: ";
        QTest::newRow("--listar") << QStringList{"--listar"} << -2 << "";
        QTest::newRow("--listar a view in tsv") << QStringList{"--listar", "7dias", "--formato", "tsv"} << -2 << "";
        QTest::newRow("--listar two views")
            << QStringList{"--listar", "hoje", "amanha"} << 2 << "err:lembrete: argumento inesperado: amanha\n";
        QTest::newRow("--novo without its title")
            << QStringList{"--novo", "hoje"} << 2
            << "err:lembrete: faltam argumentos depois de --novo (DIA TÍTULO [DESCRIÇÃO]).\n";
        QTest::newRow("--novo with a description") << QStringList{"--novo", "hoje", "Dentista", "Levar exames"} << -2 << "";
        QTest::newRow("--novo with one too many")
            << QStringList{"--novo", "hoje", "a", "b", "c"} << 2 << "err:lembrete: argumento inesperado: c\n";
        QTest::newRow("an unknown format") << QStringList{"--listar", "--formato", "csv"} << 2
                                           << "err:lembrete: formato desconhecido: csv (use texto ou tsv).\n";
        QTest::newRow("--formato without --listar")
            << QStringList{"--novo", "hoje", "a", "--formato", "tsv"} << 2 << "err:lembrete: --formato só vale com --listar.\n";
        QTest::newRow("an argument for the window")
            << QStringList{"--bandeja", "hoje"} << 2 << "err:lembrete: argumento inesperado: hoje\n";
    }
    void readsTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const CommandLineChoice choice = runtime::readCommandLine(QStringList{"lembrete"} + arguments);
        QTEST(choice.finished ? choice.exitCode : choice.command ? -2 : -1, "outcome");
        QCOMPARE(choice.finished || bool(choice.command), !choice.opensWindow());
        const QString actual = (choice.output.isEmpty() ? QString() : "out:" + choice.output)
                               + (choice.errorOutput.isEmpty() ? QString() : "err:" + choice.errorOutput);
        QVERIFY2(said.isEmpty() ? actual.isEmpty() : actual.startsWith(said), qPrintable(actual));
    }

    // A command gets its arguments and format; --importar reaches the import with its path.
    void aCommandGetsItsArgumentsAndFormat()
    {
        const CommandLineChoice added = runtime::readCommandLine({"lembrete", "--novo", "25/12/2026", "Natal", "Ceia"});
        QCOMPARE(added.commandArguments, (QStringList{"25/12/2026", "Natal", "Ceia"}));
        const CommandLineChoice listed = runtime::readCommandLine({"lembrete", "--formato=tsv", "--listar", "hoje"});
        QCOMPARE(listed.commandArguments + QStringList{listed.commandFormat}, (QStringList{"hoje", "tsv"}));

        QTemporaryDir folder;
        const CommandLineChoice choice = runtime::readCommandLine({"lembrete", "--importar", folder.filePath("x.mdb")});
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(choice.command({choice.commandValue, runtime::ProgramLayout::detect(folder.path()), outStream,
                                 errStream}), 1);
        errStream.flush();
        QVERIFY2(err.startsWith("Erro: a importação de " + folder.filePath("x.mdb")) && out.isEmpty(), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
