#include "alerts/commands.h"
#include "forms/commandicons.h"
#include "runtime/commandline.h"
#include "runtime/platform.h"
#include "runtime/translations.h"
#include "store/jetimport.h"
#include "store/modgeral.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // --help, --version and the commands that need no window (--importar, --listar, ...).
    const runtime::CommandLineChoice commandLine = runtime::readCommandLine(runtime::argumentsOf(argc, argv));
    if (commandLine.finished)
        return runtime::finishCommandLine(commandLine);
    if (commandLine.command) {
        QCoreApplication commandApp(argc, argv);
        runtime::installQtTranslations(commandApp);
        return runtime::runCommand(commandLine, QCoreApplication::applicationDirPath());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zedozarir"));
    QApplication::setOrganizationName(QStringLiteral("Zedozarir"));
    QApplication::setWindowIcon(programIcon());
    // The program speaks Brazilian Portuguese whatever the system says.
    QLocale::setDefault(runtime::Platform::userLocale());
    runtime::installQtTranslations(app);

    runtime::Platform platform(QApplication::applicationDirPath());
    modgeral store(platform);
    // A dados.mdb of the earlier Windows program is offered, once, to be brought over.
    store.setOpenFallback(olderEngineImportOffer(platform));
    if (commandLine.isGiven(QStringLiteral("bandeja")))
        return alerts::runResidentCommand(platform, store);
    return alerts::runWindowCommand(platform, store);
}
