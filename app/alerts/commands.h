#pragma once

class QTextStream;
class modgeral;

namespace runtime {
class Clock;
class Platform;
struct CommandContext;
}

namespace alerts {

class Notifier;

// lembrete --avisar: today's and tomorrow's notices through the notifier.
// 0 when they went out or there was nothing to say; 1 when no notification
// service answered (the notices are then printed on out); 2 when the reminder
// database could not be opened (the store has said why).
int runAnnounceCommand(modgeral &store, const runtime::Clock &clock, Notifier &notifier,
                       QTextStream &out);

// The --avisar command of the command line: the store of the usual place, the
// session's notification service, messages on standard error. When the
// resident program of the same database runs, it shows the notices instead,
// with "Abrir".
int announceCommand(const runtime::CommandContext &context);

// lembrete --bandeja: stays resident with a tray icon and notices until
// "Sair". When a resident program of this user runs already, asks it to open
// its main window and returns 0 at once. Needs a QApplication.
// Problems go to standard error.
int runResidentCommand(runtime::Platform &platform, modgeral &store);

// lembrete without a command: the main window. When this user's program runs
// already (resident or with its window), asks it to show its main window and
// returns 0 at once. Needs a QApplication.
int runWindowCommand(runtime::Platform &platform, modgeral &store);

} // namespace alerts
