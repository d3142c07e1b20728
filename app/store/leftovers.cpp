#include "store/leftovers.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <limits>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace leftovers {

namespace {

const QString kJournal = QStringLiteral("-journal");

// flock, not the record locks SQLite takes: the two never meet on Linux, and
// closing another descriptor of the file does not drop it.
bool isHeldByAnother(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno != ENOENT;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

bool processRuns(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void removeWithJournal(const QDir &folder, const QString &name)
{
    QFile::remove(folder.filePath(name));
    QFile::remove(folder.filePath(name + kJournal));
}

} // namespace

bool holdWhileOpen(int fd)
{
    return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

QString unfinishedImportTemplate(const QString &databaseName)
{
    return databaseName + QStringLiteral(".XXXXXX.novo");
}

void removeUnfinishedImports(const QString &folder, const QString &databaseName)
{
    const QRegularExpression name(QStringLiteral("^%1\\.[A-Za-z0-9]{6}\\.novo(-journal)?$")
                                      .arg(QRegularExpression::escape(databaseName)));
    const QDir dir(folder);
    for (const QString &file : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch())
            continue;
        const QString database = match.captured(1).isEmpty() ? file : file.chopped(kJournal.size());
        if (!isHeldByAnother(dir.filePath(database)))
            removeWithJournal(dir, database);
    }
}

void removeUnfinishedCopies(const QString &folder)
{
    static const QRegularExpression name(
        QStringLiteral("^(dados-\\d{4}-\\d{2}-\\d{2}\\.mdb\\.parcial-(\\d{1,10}))(-journal)?$"));
    const QDir dir(folder);
    for (const QString &file : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch() && !processRuns(match.captured(2).toLongLong()))
            removeWithJournal(dir, match.captured(1));
    }
}

} // namespace leftovers
