#include "exchange/exchangecommandline.h"

#include "exchange/reminderexchange.h"
#include "runtime/consolemessages.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "store/jetimport.h"
#include "store/modgeral.h"

#include <QFileInfo>
#include <QTextStream>

namespace exchange {
namespace {

// The program's platform and open store, with messages going to err.
struct ConsoleStore
{
    ConsoleStore(const QString &executableFolder, QTextStream &err) : platform(executableFolder)
    {
        platform.setMessageBoxes(std::make_unique<runtime::ConsoleMessages>(err));
        store.setOpenFallback(olderEngineImportOffer(platform));
        store.abrirbanco();
    }
    runtime::Platform platform;
    modgeral store{platform};
};

} // namespace

int runExportCommand(const QString &file, const QString &executableFolder, QTextStream &out,
                     QTextStream &err)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QStringLiteral("ics") && suffix != QStringLiteral("csv")) {
        err << "lembrete: o arquivo de --exportar deve terminar em .ics (iCalendar) ou .csv (planilha): "
            << file << '\n';
        return 2;
    }
    ConsoleStore console(executableFolder, err);
    if (!console.store.isOpen())
        return 1;
    const ExportResult result = suffix == QStringLiteral("csv")
        ? exportCsv(console.store, path)
        : exportCalendar(console.store, path, console.platform.clock().now());
    if (!result.ok) {
        err << "Erro: a exportação para " << path << " falhou: " << result.error << '\n';
        return 1;
    }
    out << "Lembretes exportados: " << result.written << '\n' << "Arquivo: " << path << '\n';
    if (result.unreadableDays > 0)
        out << "Lembretes deixados de fora porque a data não pôde ser lida: " << result.unreadableDays << '\n';
    if (result.uidsNotStored)
        out << uidsNotStoredNote() << '\n';
    return 0;
}

int runCalendarImportCommand(const QString &file, const QString &executableFolder, QTextStream &out,
                             QTextStream &err)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    ConsoleStore console(executableFolder, err);
    if (!console.store.isOpen())
        return 1;
    const ImportResult result = importCalendar(console.store, path, console.platform.clock().today(),
                                               console.platform.layout().dataFolder());
    if (!result.ok) {
        err << "Erro: " << summary(result, path) << '\n' << "Nada foi gravado.\n";
        return 1;
    }
    out << summary(result, path) << '\n';
    return 0;
}

} // namespace exchange
