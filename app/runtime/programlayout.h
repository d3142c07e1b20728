#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace runtime {

// Where the program finds its pieces and keeps the user's reminders.
//
// Run from a program folder (the build's, or a copy of it carried anywhere)
// everything sits side by side in that folder, dados.mdb included: the
// program is portable. Run from an installation, recognised by the executable
// in <prefix>/bin with <prefix>/share/zedozarir beside it, the installation is
// read-only and shared by every user: the calendar library and the helper
// executables come from <prefix>/lib/zedozarir, the background picture from
// <prefix>/share/zedozarir, and each user's reminder database lives in
// $XDG_DATA_HOME/Zedozarir (~/.local/share/Zedozarir when that is unset).
class ProgramLayout
{
public:
    // The one place that decides; environment supplies XDG_DATA_HOME and HOME.
    static ProgramLayout detect(const QString &executableFolder,
                                const QProcessEnvironment &environment
                                = QProcessEnvironment::systemEnvironment());

    bool isInstalled() const { return m_installed; }
    QString executableFolder() const { return m_executableFolder; }
    // The reminder database and what accompanies it: the copies kept by an
    // import, the file of rows set aside.
    QString dataFolder() const { return m_dataFolder; }
    // The calendar library and the executables the program runs itself.
    QString privateFolder() const { return m_privateFolder; }
    // Read-only files the program shows, such as the background picture.
    QString resourceFolder() const { return m_resourceFolder; }

    // An installation starts each user with an empty reminder database in the
    // user's data folder. A portable folder is left alone: a missing dados.mdb
    // there is reported when it is opened. Returns the failure for the user,
    // or an empty text.
    QString prepareDatabase(const QString &databaseFileName) const;
    // The same for the data folder alone, for writers that make the database
    // themselves (the import).
    QString prepareDataFolder() const;

private:
    bool m_installed = false;
    QString m_executableFolder;
    QString m_dataFolder;
    QString m_privateFolder;
    QString m_resourceFolder;
};

} // namespace runtime
