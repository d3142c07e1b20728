#pragma once

#include <QString>

namespace alerts {

// The user's autostart entry that starts the resident program with the
// session. The file is the whole state: it exists or it does not.
class AutostartEntry
{
public:
    // autostartFolder: ~/.config/autostart by default; installedEntry: the
    // program's installed desktop entry, empty when the program runs portable;
    // program: the executable an entry without an installed one starts.
    AutostartEntry(const QString &autostartFolder, const QString &installedEntry, const QString &program);

    // The entry of this user for program, run from an installation or not.
    static AutostartEntry forUser(const QString &program, bool installed);

    static QString desktopFileName();
    static QString residentOption() { return QStringLiteral("--bandeja"); }

    QString path() const;
    bool exists() const;

    // Writes or removes the entry; on failure error says why, in Portuguese.
    bool write(QString *error) const;
    bool remove(QString *error) const;

    // The entry's text: the installed entry with --bandeja added to its
    // command, or a small one of its own for a portable program.
    QString contents() const;

private:
    QString m_folder;
    QString m_installedEntry;
    QString m_program;
};

} // namespace alerts
