#include "runtime/programlayout.h"

#include "buildconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace runtime {

namespace {

const QString kDataFolderName = QStringLiteral("Zedozarir");

QString underPrefix(const QString &prefix, const char *relative)
{
    return QDir::cleanPath(prefix + QLatin1Char('/') + QLatin1String(relative));
}

// The XDG base directory rule: a relative XDG_DATA_HOME is ignored.
QString userDataHome(const QProcessEnvironment &environment)
{
    const QString configured = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty())
        home = QDir::homePath();
    return QDir::cleanPath(home + QStringLiteral("/.local/share"));
}

} // namespace

ProgramLayout ProgramLayout::detect(const QString &executableFolder,
                                    const QProcessEnvironment &environment)
{
    ProgramLayout layout;
    layout.m_executableFolder = QDir::cleanPath(QDir(executableFolder).absolutePath());
    const QDir folder(layout.m_executableFolder);
    const QString prefix = QDir::cleanPath(layout.m_executableFolder + QStringLiteral("/.."));
    const QString installBin = underPrefix(prefix, buildconfig::installBinFolder);
    const QString installData = underPrefix(prefix, buildconfig::installDataFolder);
    layout.m_installed = !folder.isRoot() && installBin == layout.m_executableFolder
        && QFileInfo(installData).isDir();

    if (!layout.m_installed) {
        layout.m_dataFolder = layout.m_executableFolder;
        layout.m_privateFolder = layout.m_executableFolder;
        layout.m_resourceFolder = layout.m_executableFolder;
        return layout;
    }
    layout.m_dataFolder = userDataHome(environment) + QLatin1Char('/') + kDataFolderName;
    layout.m_privateFolder = underPrefix(prefix, buildconfig::installPrivateFolder);
    layout.m_resourceFolder = installData;
    return layout;
}

QString ProgramLayout::prepareDatabase(const QString &databaseFileName) const
{
    if (!m_installed)
        return QString();
    const QString path = m_dataFolder + QLatin1Char('/') + databaseFileName;
    if (QFileInfo::exists(path))
        return QString();
    const QString folderError = prepareDataFolder();
    if (!folderError.isEmpty())
        return folderError;
    // An empty file is an empty reminder database; the store adds its table.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("não foi possível criar o arquivo %1 (%2).")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return QString();
}

QString ProgramLayout::prepareDataFolder() const
{
    if (!m_installed || QFileInfo(m_dataFolder).isDir())
        return QString();
    if (!QDir().mkpath(m_dataFolder))
        return QStringLiteral("não foi possível criar a pasta %1.")
            .arg(QDir::toNativeSeparators(m_dataFolder));
    // Only the user reads their reminders, as the base directory rule asks.
    QFile::setPermissions(m_dataFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QString();
}

} // namespace runtime
