// The manual page keeps up with the program: every option of the usage and
// every environment variable the sources read has its entry, and every
// command's entry says how it ends.
#include "runtime/commandline.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

QString textOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The page's section under the heading name, up to the next heading.
QString section(const QString &name)
{
    const QString page = textOf(QStringLiteral(MANUAL_PAGE));
    const qsizetype start = page.indexOf("\n.SH " + name + '\n');
    return start < 0 ? QString() : page.mid(start, page.indexOf("\n.SH ", start + 1) - start);
}

} // namespace

class ManualPageTest : public QObject
{
    Q_OBJECT

private slots:
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
    // A command's entry also says its exit statuses.
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
        const QStringList commands{"--listar", "--novo", "--importar", "--exportar", "--avisar", "--sincronizar",
                                   "--bandeja", "--help", "--version"};
        if (commands.contains(option))
            QVERIFY2(entry.contains(QStringLiteral("status 0")), qPrintable(entry));
    }

    void everyEnvironmentVariableTheProgramReadsHasAnEntry_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("readIn");
        // The ways the sources read a variable: Qt's and C's getters, a
        // QProcessEnvironment value, and a name kept in a constant.
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
                for (const QRegularExpressionMatch &match : read.globalMatch(textOf(path))) {
                    const QString name = match.captured(1) + match.captured(2) + match.captured(3);
                    if (!seen.contains(name))
                        QTest::newRow(qPrintable(name)) << name << path;
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
        QFETCH(QString, readIn);
        QVERIFY2(section(QStringLiteral("AMBIENTE")).contains("\n.TP\n.B " + variable + '\n'),
                 qPrintable(variable + " (lida em " + readIn + ") falta em " MANUAL_PAGE));
    }
};

QTEST_GUILESS_MAIN(ManualPageTest)
#include "tst_manpage.moc"
