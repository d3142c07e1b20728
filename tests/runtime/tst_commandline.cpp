#include "runtime/commandline.h"
#include "support/filebytes.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using runtime::CommandLineChoice;

namespace {

// The manual page's section under the heading name, up to the next heading.
QString section(const QString &name)
{
    const QString page = QString::fromUtf8(fileBytes(QStringLiteral(MANUAL_PAGE)));
    const qsizetype start = page.indexOf("\n.SH " + name + '\n');
    return start < 0 ? QString() : page.mid(start, page.indexOf("\n.SH ", start + 1) - start);
}

} // namespace

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
        QTest::newRow("unknown long option")
            << QStringList{"--janela"} << 2 << "err:lembrete: opção desconhecida: --janela\n\n" + usage;
        QTest::newRow("stray argument")
            << QStringList{"dados.mdb"} << 2 << "err:lembrete: argumento inesperado: dados.mdb\n";
        QTest::newRow("--importar without its path")
            << QStringList{"--importar"} << 2 << "err:lembrete: falta CAMINHO depois de --importar.\n";
        QTest::newRow("--importar twice") << QStringList{"--importar", "a", "--importar", "b"} << 2 << oneAtATime;
        QTest::newRow("--exportar and --importar")
            << QStringList{"--exportar", "a.ics", "--importar", "b.ics"} << 2 << oneAtATime;
        QTest::newRow("--bandeja opens the program") << QStringList{"--bandeja"} << -1 << "";
        QTest::newRow("--avisar with a value") << QStringList{"--avisar=hoje"} << 2 << "err:lembrete: ";
        QTest::newRow("--listar a view in tsv") << QStringList{"--listar", "7dias", "--formato", "tsv"} << -2 << "";
        QTest::newRow("--novo without its title")
            << QStringList{"--novo", "hoje"} << 2
            << "err:lembrete: faltam argumentos depois de --novo (DIA TÍTULO [DESCRIÇÃO]).\n";
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

    // A command gets its arguments and format (what it does with them: tst_modgeral, tst_reminderexchange).
    void aCommandGetsItsArgumentsAndFormat()
    {
        const CommandLineChoice added = runtime::readCommandLine({"lembrete", "--novo", "25/12/2026", "Natal", "Ceia"});
        const CommandLineChoice listed = runtime::readCommandLine({"lembrete", "--formato=tsv", "--listar", "hoje"});
        QCOMPARE(added.commandArguments + listed.commandArguments + QStringList{listed.commandFormat},
                 (QStringList{"25/12/2026", "Natal", "Ceia", "hoje", "tsv"}));
    }

    // The manual page keeps up with the program: every option of the usage and every environment variable the sources
    // read has its entry, and every command's entry says how it ends.
    void everyOptionOfTheUsageHasAnEntry_data()
    {
        QTest::addColumn<QString>("option");
        const QRegularExpression option(QStringLiteral("(?:^  |, )(--?[a-z][a-z-]*)"), QRegularExpression::MultilineOption);
        QStringList found;
        for (const QRegularExpressionMatch &match : option.globalMatch(runtime::commandLineUsage())) {
            QTest::newRow(qPrintable(match.captured(1))) << match.captured(1);
            found << match.captured(1);
        }
        QVERIFY2(found.size() >= 12 && found.contains("--sincronizar"), qPrintable(found.join(' ')));
    }
    void everyOptionOfTheUsageHasAnEntry()
    {
        QFETCH(QString, option);
        // The entry (".TP" paragraph) that starts with the option as roff spells it, up to the next one.
        const QString options = section(QStringLiteral("OPÇÕES"));
        const QRegularExpression head("\n\\.TP\n\\.B[IR]? [^\n]*"
                                      + QRegularExpression::escape(QString(option).replace("-", "\\-")) + "(?![a-z\\\\])");
        const QRegularExpressionMatch match = head.match(options);
        QVERIFY2(match.hasMatch(), qPrintable(option + " falta em " MANUAL_PAGE));
        const QString entry = options.mid(match.capturedStart(),
                                          options.indexOf("\n.TP\n", match.capturedEnd()) - match.capturedStart());
        if (option != QLatin1String("--formato")) // the only option that is no command
            QVERIFY2(entry.contains(QStringLiteral("status 0")), qPrintable(entry));
    }

    void everyEnvironmentVariableTheProgramReadsHasAnEntry_data()
    {
        QTest::addColumn<QString>("variable");
        // How the sources read a variable: Qt's and C's getters, a QProcessEnvironment value, a name in a constant.
        const QRegularExpression read(QStringLiteral(
            "(?:qEnvironmentVariable\\w*|qgetenv|getenv)\\(\"([A-Z][A-Z0-9_]*)\"\\)"
            "|[Ee]nvironment\\w*\\.value\\(QStringLiteral\\(\"([A-Z][A-Z0-9_]*)\"\\)"
            "|Variable\\[\\] = \"([A-Z][A-Z0-9_]*)\""));
        QStringList seen;
        for (const char *folder : {"app", "calendar", "oldformat"}) {
            QDirIterator files(SOURCE_DIR "/" + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                for (const QRegularExpressionMatch &match : read.globalMatch(QString::fromUtf8(fileBytes(path)))) {
                    const QString name = match.captured(1) + match.captured(2) + match.captured(3);
                    if (!seen.contains(name))
                        QTest::newRow(qPrintable(name + " (lida em " + path + ")")) << name;
                    seen << name;
                }
            }
        }
        for (const char *known : {"ZEDOZARIR_SENHA", "ALMANAQ_REGISTRY", "XDG_DATA_HOME"})
            QVERIFY2(seen.contains(QLatin1String(known)), known);
    }
    void everyEnvironmentVariableTheProgramReadsHasAnEntry()
    {
        QFETCH(QString, variable);
        QVERIFY2(section(QStringLiteral("AMBIENTE")).contains("\n.TP\n.B " + variable + '\n'),
                 qPrintable(variable + " falta em " MANUAL_PAGE));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
