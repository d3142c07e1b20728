#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Seeded damage to old-format files and runs of the real import command over them, shared by the fuzz test and its
// longer benchmark run. The same seed always gives the same damaged file.
namespace importfuzz {

enum class Damage { ByteFlips, CutPages, ZeroedPage, HugeLength, ChainLoop };
inline constexpr Damage kAllDamages[] = {Damage::ByteFlips, Damage::CutPages, Damage::ZeroedPage,
                                         Damage::HugeLength, Damage::ChainLoop};
QString nameOf(Damage damage);

// pageSize: 2048 for the older layout, 4096 for the newer.
QByteArray damaged(const QByteArray &file, int pageSize, Damage damage, quint32 seed);

// The sample files' rows: [day, title, description], descriptions all different, none empty, some page chains long.
QList<QStringList> sampleRows();
// Writes an old-format file of rows (JSON values, null for NULL) with the fixture generator; empty, or why not.
QString generate(const QString &generator, const QString &path, const QJsonArray &rows,
                 const QStringList &options = {});
// A file of the sample rows, in the older layout or the newer.
QString makeSampleFile(const QString &generator, const QString &path, bool olderLayout);

// Runs tried; ended by a signal; still running after the limit; an exit status other than 0 or 1; the old file's
// bytes changed; a description imported empty or cut short; imports that went through.
struct Tally
{
    int tried = 0, crashed = 0, hung = 0, badExit = 0, changed = 0, emptied = 0, imported = 0;
    qint64 slowestMs = 0;

    int bad() const { return crashed + hung + badExit + changed + emptied; }
    QString line() const;
};

// A folder holding a copy of the program (and its reader): every run imports into a database of its own.
class ImportBench
{
public:
    // programFolder: where lembrete and lembrete-formato-antigo were built.
    explicit ImportBench(const QString &programFolder);
    QString error() const { return m_error; }
    // Keeps a copy of every file with a bad outcome in folder (empty: none kept).
    void keepFailuresIn(const QString &folder) { m_keepFolder = folder; }

    // Imports file with "lembrete --importar" and adds the outcome to tally.
    void run(const QByteArray &file, int hangLimitMs, Tally *tally);

private:
    QTemporaryDir m_dir;
    QString m_error;
    QStringList m_originalDescriptions;
    QString m_keepFolder;
    int m_kept = 0;
};

} // namespace importfuzz
