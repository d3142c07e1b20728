#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace runtime {

class ProgramLayout;

// What a command given on the command line gets to work with.
struct CommandContext
{
    QString value;                // the option's value, when it takes one
    const ProgramLayout &layout;  // where the user's reminders are
    QTextStream &out;
    QTextStream &err;
    QStringList arguments = {};   // the arguments after the option (--novo DIA TITULO ...)
    QString format = {};          // --formato, for the commands that print a list
};

} // namespace runtime
