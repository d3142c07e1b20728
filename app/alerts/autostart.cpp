#include "alerts/autostart.h"

#include "alerts/desktopid.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace alerts {

namespace {

// A command-line argument as desktop entries quote it.
QString quotedForExec(const QString &argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+:=@-]+$"));
    if (plain.match(argument).hasMatch())
        return argument;
    QString escaped = argument;
    for (const QString &special : {QStringLiteral("\\"), QStringLiteral("\""), QStringLiteral("`"),
                                   QStringLiteral("$")})
        escaped.replace(special, QStringLiteral("\\") + special);
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // The value itself is a string whose backslashes are escaped once more.
    escaped.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The command with its file and address field codes taken out (a session
// start passes none) and the resident option added.
QString residentExec(const QString &exec)
{
    static const QRegularExpression fieldCodes(QStringLiteral("\\s+%[fFuU]"));
    QString command = exec;
    command.remove(fieldCodes);
    return command.trimmed() + QLatin1Char(' ') + AutostartEntry::residentOption();
}

QString entryWithResidentExec(const QString &installed)
{
    QStringList lines = installed.split(QLatin1Char('\n'));
    bool inMainGroup = false;
    for (QString &line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line.trimmed() == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec=")))
            line = QStringLiteral("Exec=") + residentExec(line.mid(5));
        else if (inMainGroup && line.startsWith(QLatin1String("StartupNotify=")))
            line = QStringLiteral("StartupNotify=false"); // no window comes to end a busy cursor
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

AutostartEntry::AutostartEntry(const QString &autostartFolder, const QString &installedEntry,
                               const QString &program)
    : m_folder(autostartFolder)
    , m_installedEntry(installedEntry)
    , m_program(program)
{
}

AutostartEntry AutostartEntry::forUser(const QString &program, bool installed)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // A portable copy starts itself, even where an installation exists too.
    const QString entry = installed ? QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                                             desktopFileName())
                                    : QString();
    return AutostartEntry(config + QStringLiteral("/autostart"), entry, program);
}

QString AutostartEntry::desktopFileName()
{
    return desktopId() + QStringLiteral(".desktop");
}

QString AutostartEntry::path() const
{
    return QDir(m_folder).filePath(desktopFileName());
}

bool AutostartEntry::exists() const
{
    return QFile::exists(path());
}

QString AutostartEntry::contents() const
{
    if (!m_installedEntry.isEmpty()) {
        QFile installed(m_installedEntry);
        if (installed.open(QIODevice::ReadOnly | QIODevice::Text))
            return entryWithResidentExec(QString::fromUtf8(installed.readAll()));
    }
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Lembretes Zedozarir\n"
                          "Comment=Avisa dos lembretes de hoje e de amanhã\n"
                          "Exec=%1 %2\n"
                          "Icon=%3\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedForExec(m_program), residentOption(), desktopId());
}

bool AutostartEntry::write(QString *error) const
{
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("não foi possível criar a pasta %1.").arg(m_folder);
        return false;
    }
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = QStringLiteral("não foi possível gravar %1 (%2).").arg(path(), file.errorString());
        return false;
    }
    file.write(contents().toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("não foi possível gravar %1 (%2).").arg(path(), file.errorString());
        return false;
    }
    return true;
}

bool AutostartEntry::remove(QString *error) const
{
    QFile file(path());
    if (file.exists() && !file.remove()) {
        *error = QStringLiteral("não foi possível apagar %1 (%2).").arg(path(), file.errorString());
        return false;
    }
    return true;
}

} // namespace alerts
