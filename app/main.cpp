#include "alerts/commands.h"
#include "forms/commandicons.h"
#include "forms/frmprincipal.h"
#include "runtime/commandline.h"
#include "runtime/firstpaint.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QTreeView>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // --help, --version and the commands that need no window (--importar).
    const runtime::CommandLineChoice commandLine = runtime::readCommandLine(runtime::argumentsOf(argc, argv));
    if (commandLine.finished)
        return runtime::finishCommandLine(commandLine);
    if (commandLine.command) {
        QCoreApplication commandApp(argc, argv);
        return runtime::runCommand(commandLine, QCoreApplication::applicationDirPath());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zedozarir"));
    QApplication::setOrganizationName(QStringLiteral("Zedozarir"));
    QApplication::setWindowIcon(programIcon());

    // The program speaks Brazilian Portuguese whatever the system says.
    QLocale::setDefault(runtime::Platform::userLocale());
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    runtime::Platform platform(QApplication::applicationDirPath());
    modgeral store(platform);
    if (commandLine.isGiven(QStringLiteral("bandeja")))
        return alerts::runResidentCommand(platform, store);

    frmprincipal mainWindow(platform, store);
    platform.windows().registerLoaded(&mainWindow);
    mainWindow.show();
    runtime::quitAfterFirstPaintIfAsked(mainWindow.list()->viewport());
    return app.exec();
}
