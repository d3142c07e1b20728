#include "runtime/commandline.h"

#include "alerts/commands.h"
#include "buildconfig.h"
#include "exchange/exchangecommandline.h"
#include "exchange/reminderexchange.h"
#include "exchange/synccommand.h"
#include "runtime/programlayout.h"
#include "store/jetimport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace runtime {

namespace {

struct ProgramOption
{
    QCommandLineOption option;
    // Runs without the window; null for options that change how it opens.
    CommandFunction command;
};

int importCommand(const CommandContext &context)
{
    // A calendar file is recognised by its content, whatever its name.
    if (exchange::isCalendarFile(context.value))
        return exchange::runCalendarImportCommand(context.value, context.layout.executableFolder(),
                                                  context.out, context.err);
    const QFileInfo info(context.value);
    if (info.isFile() && info.isReadable() && !JetImport::isOlderEngineFile(context.value)) {
        context.err << "Erro: o arquivo " << context.value
                    << " não é um calendário iCalendar nem um banco de dados do programa antigo; "
                       "nada foi importado.\n";
        return 1;
    }
    // The import writes its database itself; the folder must be there.
    context.layout.prepareDataFolder();
    return runImportCommand({QStringLiteral("lembrete"), QStringLiteral("--importar"), context.value},
                            context.out, context.err, context.layout.dataFolder());
}

int exportCommand(const CommandContext &context)
{
    return exchange::runExportCommand(context.value, context.layout.executableFolder(), context.out,
                                      context.err);
}

int syncCommand(const CommandContext &context)
{
    return runSyncCommandFor(context.layout.executableFolder(), context.err);
}

// The program's options, in the order the usage lists them. A new option is
// one entry here (and its function).
QList<ProgramOption> programOptions()
{
    return {
        {QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Mostra esta ajuda e sai.")),
         nullptr},
        {QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                            QStringLiteral("Mostra a versão do programa e sai.")),
         nullptr},
        {QCommandLineOption(QStringLiteral("importar"),
                            QStringLiteral("Traz os lembretes de um dados.mdb do programa antigo ou de um "
                                           "calendário iCalendar (reconhecido pelo conteúdo) para o banco "
                                           "de dados de lembretes, sem abrir a janela."),
                            QStringLiteral("CAMINHO")),
         importCommand},
        {QCommandLineOption(QStringLiteral("avisar"),
                            QStringLiteral("Avisa dos lembretes de hoje e de amanhã pelas notificações da "
                                           "área de trabalho, sem abrir a janela.")),
         alerts::announceCommand},
        {QCommandLineOption(QStringLiteral("bandeja"),
                            QStringLiteral("Fica em execução sem a janela, com um ícone na bandeja do "
                                           "sistema, e avisa dos lembretes de hoje e de amanhã.")),
         nullptr},
        {QCommandLineOption(QStringLiteral("exportar"),
                            QStringLiteral("Grava todos os lembretes num calendário iCalendar (ARQUIVO.ics) "
                                           "ou numa planilha (ARQUIVO.csv), sem abrir a janela."),
                            QStringLiteral("ARQUIVO")),
         exportCommand},
        {QCommandLineOption(QStringLiteral("sincronizar"),
                            QStringLiteral("Sincroniza os lembretes com a coleção de calendário configurada "
                                           "(a senha vem de ZEDOZARIR_SENHA ou do serviço de senhas), sem "
                                           "abrir a janela. Termina com 0 se deu certo e 1 se falhou.")),
         syncCommand},
    };
}

// Qt's own window options: QApplication reads and removes them later.
QList<QCommandLineOption> qtWindowOptions()
{
    QList<QCommandLineOption> options;
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                             "geometry", "qwindowgeometry", "qwindowicon", "qwindowtitle", "style",
                             "stylesheet", "session"})
        options << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("valor"));
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        options << QCommandLineOption(QString::fromLatin1(name), QString());
    for (QCommandLineOption &option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}

QString longName(const QCommandLineOption &option)
{
    return option.names().constLast();
}

QString spelled(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
}

CommandLineChoice refuse(const QString &problem)
{
    CommandLineChoice choice;
    choice.finished = true;
    choice.exitCode = 2;
    choice.errorOutput = QStringLiteral("lembrete: ") + problem + QStringLiteral("\n\n") + commandLineUsage();
    return choice;
}

// QCommandLineParser words its errors in English; the user reads Portuguese.
QString describeFailure(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        return QStringLiteral("opção desconhecida: ") + (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"))
            + name;
    }
    for (const ProgramOption &entry : programOptions()) {
        if (entry.option.valueName().isEmpty())
            continue;
        for (const QString &name : entry.option.names()) {
            if (arguments.constLast() == QStringLiteral("--") + name
                || arguments.constLast() == QStringLiteral("-") + name)
                return QStringLiteral("falta %1 depois de --%2.").arg(entry.option.valueName(), longName(entry.option));
        }
    }
    return QStringLiteral("linha de comando inválida.");
}

} // namespace

QString commandLineUsage()
{
    const QList<ProgramOption> options = programOptions();
    qsizetype width = 0;
    for (const ProgramOption &entry : options)
        width = qMax(width, spelled(entry.option).size());
    QString text = QStringLiteral("Uso: lembrete [opção]\n"
                                  "Zedozarir: lembretes do dia a dia. Sem opções, abre a janela principal.\n"
                                  "\nOpções:\n");
    for (const ProgramOption &entry : options)
        text += QStringLiteral("  ") + spelled(entry.option).leftJustified(width + 2) + entry.option.description()
            + QLatin1Char('\n');
    return text;
}

CommandLineChoice readCommandLine(const QStringList &arguments)
{
    const QList<ProgramOption> options = programOptions();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const ProgramOption &entry : options)
        parser.addOption(entry.option);
    parser.addOptions(qtWindowOptions());

    if (!parser.parse(arguments))
        return refuse(describeFailure(parser, arguments));

    CommandLineChoice choice;
    if (parser.isSet(QStringLiteral("help"))) {
        choice.finished = true;
        choice.output = commandLineUsage();
        return choice;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        choice.finished = true;
        choice.output = QStringLiteral("lembrete ") + QLatin1String(buildconfig::version) + QLatin1Char('\n');
        return choice;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("argumento inesperado: ") + parser.positionalArguments().constFirst());

    for (const ProgramOption &entry : options) {
        if (!parser.isSet(entry.option))
            continue;
        choice.givenOptions << longName(entry.option);
        if (!entry.command)
            continue;
        if (choice.command || parser.values(entry.option).size() > 1)
            return refuse(QStringLiteral("use um comando de cada vez."));
        choice.command = entry.command;
        choice.commandValue = entry.option.valueName().isEmpty() ? QString() : parser.value(entry.option);
    }
    return choice;
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int finishCommandLine(const CommandLineChoice &choice)
{
    QTextStream(stdout) << choice.output;
    QTextStream(stderr) << choice.errorOutput;
    return choice.exitCode;
}

int runCommand(const CommandLineChoice &choice, const QString &executableFolder)
{
    const ProgramLayout layout = ProgramLayout::detect(executableFolder);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = choice.command({choice.commandValue, layout, out, err});
    out.flush();
    err.flush();
    return status;
}

} // namespace runtime
