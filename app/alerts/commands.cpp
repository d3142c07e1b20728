#include "alerts/commands.h"

#include "alerts/announcer.h"
#include "alerts/notifier.h"
#include "alerts/resident.h"
#include "alerts/singleinstance.h"
#include "alerts/windowrefresh.h"
#include "forms/frmprincipal.h"
#include "runtime/commandcontext.h"
#include "runtime/consolemessages.h"
#include "runtime/firstpaint.h"
#include "runtime/plaintext.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "runtime/windowmanager.h"
#include "store/jetimport.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QTextStream>
#include <QTreeView>

namespace alerts {

int runAnnounceCommand(modgeral &store, const runtime::Clock &clock, Notifier &notifier,
                       QTextStream &out)
{
    store.abrirbanco();
    if (!store.isOpen())
        return 2;
    Announcer announcer(store, clock, notifier);
    bool delivered = false;
    const QList<Notice> notices = announcer.announceAll(&delivered);
    if (delivered)
        return 0;
    // Titles may come from imported files: nothing in them may drive the terminal.
    out << runtime::withoutControls(noticesAsText(notices));
    out.flush();
    return 1;
}

int announceCommand(const runtime::CommandContext &context)
{
    runtime::Platform platform(context.layout.executableFolder());
    platform.setMessageBoxes(std::make_unique<runtime::ConsoleMessages>(context.err));
    modgeral store(platform);
    store.setOpenFallback(olderEngineImportOffer(platform));
    // The service sends the answer to a notice's "Abrir" only to the program
    // that showed it: when the resident one runs, it shows them and stays to answer.
    const QString database = platform.dataFile(modgeral::databaseFileName());
    const std::optional<bool> byResident = SingleInstance().askToAnnounce(database);
    if (byResident && *byResident)
        return 0;
    DesktopNotifier notifier(false);
    return runAnnounceCommand(store, platform.clock(), notifier, context.out);
}

int runResidentCommand(runtime::Platform &platform, modgeral &store)
{
    SingleInstance instance;
    if (!instance.tryBecomeResident()) {
        if (instance.handOver())
            return 0;
        QTextStream(stderr) << "Erro: o Zedozarir já está em execução para este usuário, mas não respondeu.\n";
        return 1;
    }
    // Closing the main window leaves the program running; "Sair" ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    DesktopNotifier notifier(true);
    ResidentProgram resident(platform, store, notifier);
    QObject::connect(&instance, &SingleInstance::activationRequested, &resident,
                     &ResidentProgram::openMainWindow);
    WindowRefresh refresh([&resident] { return resident.mainWindow(); });
    QObject::connect(&instance, &SingleInstance::reloadRequested, &refresh, &WindowRefresh::request);
    instance.setAnnounceHandler([&resident](const QString &database) { return resident.announceFor(database); });
    resident.start();
    return QApplication::exec();
}


int runWindowCommand(runtime::Platform &platform, modgeral &store)
{
    SingleInstance instance;
    // A program that holds the lock but does not answer (still loading a
    // long list, say) must not keep the user from the reminders: the window
    // then opens as it always did.
    const bool first = instance.tryBecomeResident();
    if (!first && instance.handOver())
        return 0;
    frmprincipal mainWindow(platform, store);
    platform.windows().registerLoaded(&mainWindow);
    QObject::connect(&instance, &SingleInstance::activationRequested, &mainWindow, [&mainWindow] {
        mainWindow.showNormal();
        mainWindow.raise();
        mainWindow.activateWindow();
    });
    WindowRefresh refresh([&mainWindow] { return &mainWindow; });
    QObject::connect(&instance, &SingleInstance::reloadRequested, &refresh, &WindowRefresh::request);
    mainWindow.show();
    runtime::quitAfterFirstPaintIfAsked(mainWindow.list()->viewport());
    return QApplication::exec();
}

} // namespace alerts
