#include "exchange/exchangecommandline.h"

#include "exchange/reminderexchange.h"
#include "runtime/platform.h"
#include "store/modgeral.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace exchange {
namespace {

const QString kExport = QStringLiteral("--exportar");
const QString kImport = QStringLiteral("--importar");

// Without a window, what the store would show in a message box goes to the
// error stream, and its questions are answered No.
class ConsoleMessages : public runtime::MessageBoxes
{
public:
    explicit ConsoleMessages(QTextStream &err) : m_err(err) {}
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text, const QString &,
                                runtime::MessageButtons buttons) override
    {
        m_err << text << '\n';
        m_err.flush();
        return buttons == runtime::MessageButtons::YesNo ? runtime::MessageAnswer::No
                                                         : runtime::MessageAnswer::Ok;
    }

private:
    QTextStream &m_err;
};

int usage(QTextStream &err)
{
    err << "Uso: lembrete --exportar ARQUIVO.ics | ARQUIVO.csv\n"
        << "     lembrete --importar ARQUIVO\n"
        << "Exporta todos os lembretes para um calendário iCalendar ou uma planilha CSV, ou "
        << "importa os lembretes de um calendário iCalendar ou de um dados.mdb do programa antigo.\n";
    err.flush();
    return 2;
}

int runExport(modgeral &store, const runtime::Platform &platform, const QString &path,
              QTextStream &out, QTextStream &err)
{
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const ExportResult result = csv ? exportCsv(store, path)
                                    : exportCalendar(store, path, platform.clock().now());
    if (!result.ok) {
        err << "Erro: a exportação para " << path << " falhou: " << result.error << '\n';
        err.flush();
        return 1;
    }
    out << "Lembretes exportados: " << result.written << '\n' << "Arquivo: " << path << '\n';
    if (result.unreadableDays > 0)
        out << "Lembretes deixados de fora porque a data não pôde ser lida: " << result.unreadableDays
            << '\n';
    out.flush();
    return 0;
}

int runImport(modgeral &store, const runtime::Platform &platform, const QString &path,
              QTextStream &out, QTextStream &err)
{
    const ImportResult result = importCalendar(store, path, platform.clock().today(),
                                               platform.programFolder());
    if (!result.ok) {
        err << "Erro: " << summary(result, path) << '\n' << "Nada foi gravado.\n";
        err.flush();
        return 1;
    }
    out << summary(result, path) << '\n';
    out.flush();
    return 0;
}

} // namespace

bool isExchangeCommand(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return false;
    if (arguments.at(1) == kExport)
        return true;
    return arguments.at(1) == kImport && arguments.size() == 3 && isCalendarFile(arguments.at(2));
}

bool isExchangeCommand(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return isExchangeCommand(arguments);
}

int runExchangeCommand(const QStringList &arguments, QTextStream &out, QTextStream &err,
                       const QString &programFolder)
{
    if (!isExchangeCommand(arguments) || arguments.size() != 3 || arguments.at(2).isEmpty())
        return usage(err);
    const QString path = QFileInfo(arguments.at(2)).absoluteFilePath();
    runtime::Platform platform(programFolder);
    platform.setMessageBoxes(std::make_unique<ConsoleMessages>(err));
    modgeral store(platform);
    store.abrirbanco();
    if (!store.isOpen())
        return 1;
    return arguments.at(1) == kExport ? runExport(store, platform, path, out, err)
                                      : runImport(store, platform, path, out, err);
}

} // namespace exchange
