#include "store/dailycopy.h"

#include "store/leftovers.h"
#include "store/removalontermination.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

#include <memory>

namespace {

struct SqliteCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using SqlitePtr = std::unique_ptr<sqlite3, SqliteCloser>;

SqlitePtr openDatabase(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    return SqlitePtr(db);
}

QString sqliteError(sqlite3 *db, int code)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

// Pages per step of a cancellable copy: about 4 MB with the usual pages.
constexpr int kPagesPerStep = 1024;

int copyAll(sqlite3_backup *backup, const std::atomic_bool *cancel)
{
    if (!cancel)
        return sqlite3_backup_step(backup, -1);
    int busy = 0;
    for (;;) {
        if (cancel->load())
            return SQLITE_INTERRUPT;
        const int stepped = sqlite3_backup_step(backup, kPagesPerStep);
        if (stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED) {
            // Another connection is writing: the copy goes on after it, for
            // as long as the program's own connection would wait.
            if (++busy > 100)
                return stepped;
            sqlite3_sleep(50);
        } else if (stepped != SQLITE_OK) {
            return stepped;
        } else {
            busy = 0;
        }
    }
}

} // namespace

QString DailyCopy::folderFor(const QString &databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("copias"));
}

QString DailyCopy::fileNameFor(const QDate &day)
{
    return QStringLiteral("dados-%1.mdb").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

QStringList DailyCopy::copiesIn(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^dados-\\d{4}-\\d{2}-\\d{2}\\.mdb$"));
    QStringList copies = QDir(folder).entryList(QDir::Files, QDir::Name);
    copies.removeIf([](const QString &file) { return !name.match(file).hasMatch(); });
    return copies; // the day in the name sorts them
}

bool DailyCopy::make(const QString &databasePath, const QDate &day, QString *error,
                     const std::atomic_bool *cancel)
{
    const QDir folder(folderFor(databasePath));
    leftovers::removeUnfinishedCopies(folder.path());
    const QString target = folder.filePath(fileNameFor(day));
    if (QFileInfo::exists(target))
        return true;
    const auto fail = [error, &target](const QString &why) {
        *error = QStringLiteral("a cópia do dia do banco de dados de lembretes (%1) não pôde ser feita: %2")
                     .arg(QDir::toNativeSeparators(target), why);
        return false;
    };
    if (!QDir().mkpath(folder.path()))
        return fail(QStringLiteral("a pasta %1 não pôde ser criada.").arg(QDir::toNativeSeparators(folder.path())));

    const SqlitePtr source = openDatabase(databasePath, SQLITE_OPEN_READONLY);
    if (source)
        sqlite3_busy_timeout(source.get(), 5000); // as the program's own connection waits
    // Named for this process: another one copying the same day at the same
    // time never has its unfinished copy taken for this one's.
    const QString partial = target + QStringLiteral(".parcial-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    // Ended by a logout or a kill, the process takes its unfinished copy with it.
    const RemovalOnTermination removal(partial);
    QString why;
    {
        const SqlitePtr copy = openDatabase(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup *backup = source && copy ? sqlite3_backup_init(copy.get(), "main", source.get(), "main")
                                                : nullptr;
        if (!backup) {
            why = sqliteError(copy ? copy.get() : source.get(), SQLITE_CANTOPEN);
        } else {
            const int stepped = copyAll(backup, cancel);
            const int finished = sqlite3_backup_finish(backup);
            if (stepped == SQLITE_INTERRUPT)
                why = QStringLiteral("a cópia foi interrompida.");
            else if (stepped != SQLITE_DONE || finished != SQLITE_OK)
                why = sqliteError(copy.get(), finished);
        }
    }
    // Only a complete copy gets the day's name.
    if (why.isEmpty() && !QFile::rename(partial, target) && !QFileInfo::exists(target))
        why = QStringLiteral("o arquivo não pôde receber o nome do dia.");
    QFile::remove(partial); // left only when another process named its copy first
    if (!why.isEmpty()) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        return fail(why);
    }
    removeAllButNewest(folder.path());
    return true;
}

void DailyCopy::removeAllButNewest(const QString &folder)
{
    const QStringList copies = copiesIn(folder);
    for (qsizetype i = 0; i + kKept < copies.size(); ++i)
        QFile::remove(QDir(folder).filePath(copies.at(i)));
    // Unfinished copies of earlier days, left by a program that stopped midway.
    static const QRegularExpression unfinished(QStringLiteral("^(dados-\\d{4}-\\d{2}-\\d{2}\\.mdb)\\.parcial"));
    const QString newest = copies.isEmpty() ? QString() : copies.constLast();
    for (const QString &file : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = unfinished.match(file);
        if (match.hasMatch() && match.captured(1) < newest)
            QFile::remove(QDir(folder).filePath(file));
    }
}
