#include "exchange/synccommand.h"
#include "exchange/exchangecommandline.h"
#include "forms/frmprincipal.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "store/jetimport.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // lembrete --exportar ARQUIVO.ics|.csv, lembrete --importar ARQUIVO.ics
    if (exchange::isExchangeCommand(argc, argv)) {
        QCoreApplication exchangeApp(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return exchange::runExchangeCommand(QCoreApplication::arguments(), out, err,
                                            QCoreApplication::applicationDirPath());
    }
    // lembrete --importar CAMINHO: brings an older-format file over without a window.
    if (isImportCommand(argc, argv)) {
        QCoreApplication importApp(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runImportCommand(QCoreApplication::arguments(), out, err,
                                QCoreApplication::applicationDirPath());
    }

    // lembrete --sincronizar: syncs with the calendar server without a window.
    if (isSyncCommand(argc, argv))
        return runSyncProgram(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zedozarir"));
    QApplication::setOrganizationName(QStringLiteral("Zedozarir"));

    // The program speaks Brazilian Portuguese whatever the system says.
    QLocale::setDefault(runtime::Platform::userLocale());
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    runtime::Platform platform(QApplication::applicationDirPath());
    modgeral store(platform);

    frmprincipal mainWindow(platform, store);
    platform.windows().registerLoaded(&mainWindow);
    mainWindow.show();
    return app.exec();
}
