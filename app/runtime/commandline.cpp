#include "runtime/commandline.h"

#include "alerts/commands.h"
#include "alerts/singleinstance.h"
#include "buildconfig.h"
#include "exchange/exchangecommandline.h"
#include "exchange/reminderexchange.h"
#include "exchange/synccommand.h"
#include "runtime/consolemessages.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "store/jetimport.h"
#include "store/modgeral.h"
#include "store/remindercommands.h"

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
    // The arguments the command takes after it, as the usage shows them, and how many.
    QString argumentsSyntax = {};
    int minArguments = 0;
    int maxArguments = 0;
    // An option that only changes how the command of this long name runs.
    QString modifies = {};
};

const QString kFormatOption = QStringLiteral("formato");
// The option's spelling in the usage is long enough to put its description
// on the next line.
constexpr qsizetype kUsageColumnLimit = 20;

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

int listCommand(const CommandContext &context)
{
    Platform platform(context.layout.executableFolder());
    platform.setMessageBoxes(std::make_unique<ConsoleMessages>(context.err));
    modgeral store(platform);
    store.setOpenFallback(olderEngineImportOffer(platform));
    const auto format = context.format == QLatin1String("tsv") ? remindercommands::ListFormat::Tsv
                                                               : remindercommands::ListFormat::Text;
    return remindercommands::listReminders(store, platform, context.arguments.value(0), format, context.out,
                                           context.err);
}

int addCommand(const CommandContext &context)
{
    Platform platform(context.layout.executableFolder());
    platform.setMessageBoxes(std::make_unique<ConsoleMessages>(context.err));
    modgeral store(platform);
    store.setOpenFallback(olderEngineImportOffer(platform));
    const int status = remindercommands::addReminder(store, platform, context.arguments.value(0),
                                                     context.arguments.value(1), context.arguments.value(2),
                                                     context.out, context.err);
    // An open main window (this user's running program) shows the new reminder at once.
    if (status == 0)
        alerts::SingleInstance().tellChanged();
    return status;
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
        {QCommandLineOption(QStringLiteral("listar"),
                            QStringLiteral("Mostra os lembretes de uma visão (todos, hoje, amanha, 7dias ou "
                                           "15dias; sem ela, a escolhida no menu Exibir), um por linha: dia, "
                                           "dias restantes e título, na ordem da janela, sem abri-la.")),
         listCommand, QStringLiteral("[VISÃO]"), 0, 1},
        {QCommandLineOption(kFormatOption,
                            QStringLiteral("Com --listar: texto (o padrão) ou tsv (campos separados por "
                                           "tabulação, com a descrição, para scripts)."),
                            QStringLiteral("FORMATO")),
         nullptr, {}, 0, 0, QStringLiteral("listar")},
        {QCommandLineOption(QStringLiteral("novo"),
                            QStringLiteral("Adiciona um lembrete sem abrir a janela; DIA é dd/mm/aaaa, hoje "
                                           "ou amanhã.")),
         addCommand, QStringLiteral("DIA TÍTULO [DESCRIÇÃO]"), 2, 3},
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

QString spelled(const ProgramOption &entry)
{
    QStringList names;
    for (const QString &name : entry.option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!entry.option.valueName().isEmpty())
        text += QLatin1Char(' ') + entry.option.valueName();
    if (!entry.argumentsSyntax.isEmpty())
        text += QLatin1Char(' ') + entry.argumentsSyntax;
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

// The arguments after a command and the options that modify one.
CommandLineChoice checkArguments(const QCommandLineParser &parser, const QList<ProgramOption> &options,
                                 const ProgramOption *command, CommandLineChoice choice)
{
    const QStringList arguments = parser.positionalArguments();
    const int most = command ? command->maxArguments : 0;
    if (arguments.size() > most)
        return refuse(QStringLiteral("argumento inesperado: ") + arguments.at(most));
    if (command && arguments.size() < command->minArguments)
        return refuse(QStringLiteral("faltam argumentos depois de --%1 (%2).")
                          .arg(longName(command->option), command->argumentsSyntax));
    choice.commandArguments = arguments;
    for (const ProgramOption &entry : options) {
        if (entry.modifies.isEmpty() || !parser.isSet(entry.option))
            continue;
        if (!command || longName(command->option) != entry.modifies)
            return refuse(QStringLiteral("--%1 só vale com --%2.").arg(longName(entry.option), entry.modifies));
    }
    if (parser.isSet(kFormatOption)) {
        choice.commandFormat = parser.value(kFormatOption);
        if (choice.commandFormat != QLatin1String("texto") && choice.commandFormat != QLatin1String("tsv"))
            return refuse(QStringLiteral("formato desconhecido: %1 (use texto ou tsv).").arg(choice.commandFormat));
    }
    return choice;
}

} // namespace

QString commandLineUsage()
{
    const QList<ProgramOption> options = programOptions();
    qsizetype width = 0;
    for (const ProgramOption &entry : options) {
        if (spelled(entry).size() <= kUsageColumnLimit)
            width = qMax(width, spelled(entry).size());
    }
    QString text = QStringLiteral("Uso: lembrete [opção]\n"
                                  "Zedozarir: lembretes do dia a dia. Sem opções, abre a janela principal.\n"
                                  "\nOpções:\n");
    for (const ProgramOption &entry : options) {
        const QString names = spelled(entry);
        text += QStringLiteral("  ") + names;
        if (names.size() > width)
            text += QLatin1Char('\n') + QString(width + 4, QLatin1Char(' '));
        else
            text += QString(width + 2 - names.size(), QLatin1Char(' '));
        text += entry.option.description() + QLatin1Char('\n');
    }
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
    const ProgramOption *commandEntry = nullptr;
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
        commandEntry = &entry;
    }
    return checkArguments(parser, options, commandEntry, choice);
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
    const int status = choice.command({choice.commandValue, layout, out, err, choice.commandArguments,
                                       choice.commandFormat});
    out.flush();
    err.flush();
    return status;
}

} // namespace runtime
