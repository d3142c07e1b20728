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
QString section(const QString &page, const QString &name)
{
    const qsizetype start = page.indexOf(QStringLiteral("\n.SH ") + name + QLatin1Char('\n'));
    if (start < 0)
        return QString();
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    return page.mid(start, end < 0 ? -1 : end - start);
}

// An option as roff spells it: every "-" escaped.
QString roff(const QString &option)
{
    return QString(option).replace(QLatin1Char('-'), QStringLiteral("\\-"));
}

// The entry (".TP" paragraph) that starts with the option, up to the next one.
QString entryOf(const QString &options, const QString &option)
{
    const QRegularExpression head(QStringLiteral("\n\\.TP\n\\.B[IR]? [^\n]*") + QRegularExpression::escape(roff(option))
                                  + QStringLiteral("(?![a-z\\\\])"));
    const QRegularExpressionMatch match = head.match(options);
    if (!match.hasMatch())
        return QString();
    const qsizetype end = options.indexOf(QStringLiteral("\n.TP\n"), match.capturedEnd());
    return options.mid(match.capturedStart(), end < 0 ? -1 : end - match.capturedStart());
}

const QString kPage = QStringLiteral(MANUAL_PAGE);

} // namespace

class ManualPageTest : public QObject
{
    Q_OBJECT

private slots:
    void everyOptionOfTheUsageHasAnEntry_data()
    {
        QTest::addColumn<QString>("option");
        const QRegularExpression option(QStringLiteral("(?:^  |, )(--?[a-z][a-z-]*)"),
                                        QRegularExpression::MultilineOption);
        int found = 0;
        for (const QRegularExpressionMatch &match : option.globalMatch(runtime::commandLineUsage())) {
            QTest::newRow(qPrintable(match.captured(1))) << match.captured(1);
            ++found;
        }
        QVERIFY(found >= 12);
    }

    void everyOptionOfTheUsageHasAnEntry()
    {
        QFETCH(QString, option);
        const QString options = section(textOf(kPage), QStringLiteral("OPÇÕES"));
        QVERIFY2(!entryOf(options, option).isEmpty(), qPrintable(option + " falta em " + kPage));
    }

    // A command's entry says its exit statuses.
    void everyCommandSaysHowItEnds_data()
    {
        QTest::addColumn<QString>("option");
        for (const char *command : {"--listar", "--novo", "--importar", "--exportar", "--avisar", "--sincronizar",
                                    "--bandeja", "--help", "--version"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    void everyCommandSaysHowItEnds()
    {
        QFETCH(QString, option);
        const QString entry = entryOf(section(textOf(kPage), QStringLiteral("OPÇÕES")), option);
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
            QDirIterator files(QStringLiteral(SOURCE_DIR "/") + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                for (const QRegularExpressionMatch &match : read.globalMatch(textOf(path))) {
                    const QString name = match.captured(1) + match.captured(2) + match.captured(3);
                    if (seen.contains(name))
                        continue;
                    seen << name;
                    QTest::newRow(qPrintable(name)) << name << path;
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
        const QString environment = section(textOf(kPage), QStringLiteral("AMBIENTE"));
        QVERIFY2(environment.contains(QStringLiteral("\n.TP\n.B ") + variable + QLatin1Char('\n')),
                 qPrintable(variable + " (lida em " + readIn + ") falta em " + kPage));
    }
};

QTEST_GUILESS_MAIN(ManualPageTest)
#include "tst_manpage.moc"
