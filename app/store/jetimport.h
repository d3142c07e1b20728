#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;

namespace runtime {
class Platform;
}

// Brings the reminders of a dados.mdb written by the earlier Windows program
// (the Jet file format, read in a process of its own) into the reminder database
// dados.mdb of a destination folder.
//
// Every row of the old table lembrete is read before anything is written. The
// day is converted to "yyyy/mm/dd" from a date/time column or from a text that
// holds year/month/day or day/month/year; title and description come over
// unchanged. A row whose day (or title) cannot be used, or whose texts the
// reader could not read whole, is not written to the database but set aside,
// with the reason and what could be read, in a text file in the destination
// folder. All rows go into the database in one transaction.
//
// Where the reminders go depends on what the destination holds:
// - the old file itself: the old file is kept beside it under a free name
//   (dados.mdb.anterior, dados.mdb.anterior.2, ...) and a new database takes
//   its place;
// - nothing: a new database is created;
// - a reminder database: the reminders are added to it.
// On any failure the destination folder is left as it was found.
struct JetImportResult
{
    bool ok = false;
    int imported = 0;   // rows written to the database
    int setAside = 0;   // rows written to the reject file instead
    QString rejectFile; // set when setAside > 0
    QString backupFile; // where the old file was kept, when it was replaced
    QString database;   // the reminder database written to
    QString error;      // on failure: what went wrong, in words for the user
    QString copyWarning; // the day's copy of the database could not be made
};

class JetImport
{
public:
    JetImport(const QString &oldFile, const QString &destinationFolder);

    JetImportResult run();

    // True when the file starts with the signature of the older engine.
    static bool isOlderEngineFile(const QString &path);

    // The sentence that tells the user how the import went.
    static QString summary(const JetImportResult &result);

    static QString rejectFileBaseName();
    static QString backupSuffix();

private:
    QString m_oldFile;
    QString m_destinationFolder;
};

// The open routine's fallback (modgeral::setOpenFallback) that offers a
// dados.mdb of the earlier Windows program to be brought over into a new
// reminder database. For a file of the older engine it asks, once for the
// store it is given to, whether to bring the reminders over; true when the new
// database has taken the old file's place. On a failed import *error describes
// the failure; after a No, or for any other file, *error is left as it was.
std::function<bool(const QString &databasePath, QString *error)>
olderEngineImportOffer(runtime::Platform &platform);

// "lembrete --importar CAMINHO": true when the arguments (program name first)
// ask for an import.
bool isImportCommand(const QStringList &arguments);
bool isImportCommand(int argc, char *argv[]);

// Runs the import named on the command line into programFolder, printing the
// counts to out and failures to err. Returns the process exit status: 0 on
// success, 1 when the import failed, 2 for a malformed command line.
int runImportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err,
                     const QString &programFolder);
