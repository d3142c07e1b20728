#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>

// The copy of the reminder database made before the first change of each day
// (add, edit, remove, import): a folder "copias" beside the database holds one
// copy per day, dados-aaaa-mm-dd.mdb, and the newest seven are kept.
//
// The copy is taken with SQLite's online backup, so it is a consistent
// database even while the program holds the file open, and it only appears
// under its day's name once complete.
class DailyCopy
{
public:
    static constexpr int kKept = 7;

    static QString folderFor(const QString &databasePath);
    static QString fileNameFor(const QDate &day);

    // Makes the copy of day unless one exists already; true when the day has
    // its copy, else false with *error saying why in words for the user.
    // With cancel, the copy goes in steps that let other connections write
    // between them, and stops (leaving nothing under the day's name) once
    // *cancel is set.
    static bool make(const QString &databasePath, const QDate &day, QString *error,
                     const std::atomic_bool *cancel = nullptr);

    // The copies in the folder, oldest first.
    static QStringList copiesIn(const QString &folder);

private:
    static void removeAllButNewest(const QString &folder);
};
