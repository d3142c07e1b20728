#include "alerts/commands.h"

#include "alerts/announcer.h"
#include "alerts/notifier.h"
#include "alerts/resident.h"
#include "alerts/singleinstance.h"
#include "runtime/commandline.h"
#include "runtime/consolemessages.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QTextStream>

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
    out << noticesAsText(notices);
    out.flush();
    return 1;
}

int announceCommand(const runtime::CommandContext &context)
{
    runtime::Platform platform(context.layout.executableFolder());
    platform.setMessageBoxes(std::make_unique<runtime::ConsoleMessages>(context.err));
    modgeral store(platform);
    // "Abrir" needs a program that stays to answer it: offered only when the
    // resident one runs, which then takes these notices as its own.
    const SingleInstance resident;
    const bool residentRuns = resident.residentAnswers();
    DesktopNotifier notifier(residentRuns);
    const int status = runAnnounceCommand(store, platform.clock(), notifier, context.out);
    if (residentRuns && !notifier.shownIds().isEmpty())
        resident.tellNoticesShown(notifier.shownIds());
    return status;
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
    QObject::connect(&instance, &SingleInstance::noticesShown, &notifier, &DesktopNotifier::adopt);
    resident.start();
    return QApplication::exec();
}

} // namespace alerts
