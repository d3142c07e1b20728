#pragma once

#include "runtime/commandcontext.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace runtime {

// A command that runs without the window; returns the exit status.
using CommandFunction = std::function<int(const CommandContext &)>;

// What the command line asks the program to do.
struct CommandLineChoice
{
    // Stop at once with exitCode, after printing output (to standard output)
    // and errorOutput (to standard error): help, version, a malformed line.
    bool finished = false;
    int exitCode = 0;
    QString output;
    QString errorOutput;

    // A command to run without a window, with the value of its option.
    // Unset when the window opens.
    CommandFunction command;
    QString commandValue;
    QStringList commandArguments;
    QString commandFormat;

    // The program's own options given, by long name, for those that only
    // change how the window opens.
    QStringList givenOptions;
    bool isGiven(const QString &name) const { return givenOptions.contains(name); }

    bool opensWindow() const { return !finished && !command; }
};

// Reads the command line (program name first). Unknown options, arguments
// that no command takes and more than one command are refused with the usage
// and exit status 2. Qt's own window options (-style, -platform, ...) are let
// through.
CommandLineChoice readCommandLine(const QStringList &arguments);

// The Portuguese usage text listing every option.
QString commandLineUsage();

// The program's arguments before any application object exists.
QStringList argumentsOf(int argc, char *argv[]);

// Prints a finished choice's texts and returns its exit status.
int finishCommandLine(const CommandLineChoice &choice);

// Runs choice's command for the program in executableFolder, printing to the
// process's standard output and error.
int runCommand(const CommandLineChoice &choice, const QString &executableFolder);

} // namespace runtime
