#include "support/importfuzz.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtEndian>

#include <algorithm>
#include <random>

namespace importfuzz {

namespace {

void putInt32(QByteArray &file, qint64 at, quint32 value)
{
    if (at >= 0 && at + 4 <= file.size())
        qToLittleEndian(value, file.data() + at);
}

// The data pages, or only those holding long values (marked LVAL by the generator, as in the newer layout).
QList<int> dataPages(const QByteArray &file, int pageSize, bool longValues)
{
    QList<int> pages;
    for (int page = 1; qint64(page + 1) * pageSize <= file.size(); ++page) {
        const qint64 at = qint64(page) * pageSize;
        if (file.at(at) == 0x01 && (!longValues || file.mid(at + 4, 4) == "LVAL"))
            pages.append(page);
    }
    return pages;
}

} // namespace

QString nameOf(Damage damage)
{
    static const char *const names[] = {"byte flips", "cut pages", "zeroed page", "huge length", "chain loop"};
    return QString::fromLatin1(names[int(damage)]);
}

QByteArray damaged(const QByteArray &original, int pageSize, Damage damage, quint32 seed)
{
    // std::mt19937 gives the same numbers everywhere; the standard library's distributions do not.
    std::mt19937 engine(seed * 7919u + quint32(damage));
    const auto below = [&engine](qint64 bound) { return bound <= 0 ? 0 : qint64(engine() % quint64(bound)); };
    QByteArray file = original;
    const qint64 pages = file.size() / pageSize;
    switch (damage) {
    case Damage::ByteFlips: {
        const qint64 flips = 1 + below(8);
        for (qint64 i = 0; i < flips; ++i) {
            const qint64 at = below(file.size());
            file[at] = char(quint8(file.at(at)) ^ quint8(1 + below(255)));
        }
        break;
    }
    case Damage::CutPages:
        file.truncate((1 + below(pages - 1)) * pageSize);
        break;
    case Damage::ZeroedPage:
        file.replace((1 + below(pages - 1)) * pageSize, pageSize, QByteArray(pageSize, '\0'));
        break;
    case Damage::HugeLength: {
        // A length or pointer field of a row gone wild.
        static const quint32 values[] = {0x7fffffffu, 0x3fffffffu, 0x40ffffffu, 0x80ffffffu,
                                         0x0000ffffu, 0xffffffffu, 0x00fffff0u};
        const QList<int> candidates = dataPages(file, pageSize, false);
        if (candidates.isEmpty())
            break;
        const qint64 page = candidates.at(below(candidates.size()));
        const qint64 at = page * pageSize + 8 + below(pageSize - 12);
        putInt32(file, at, values[below(std::size(values))]);
        break;
    }
    case Damage::ChainLoop: {
        // The next-row address of a long value's row pointed back at itself or at an earlier link of the chain.
        const QList<int> chain = dataPages(file, pageSize, true);
        if (chain.isEmpty())
            break;
        const qsizetype index = below(chain.size());
        const qint64 page = chain.at(index);
        const qint64 offsetAt = page * pageSize + (pageSize == 2048 ? 8 : 12) + 2;
        qint64 rowStart = page * pageSize + ((quint8(file.at(offsetAt)) | (quint8(file.at(offsetAt + 1)) << 8)) & 0x1fff);
        // One time in eight the link also loses its text: a row of the address alone, adding nothing.
        if (below(8) == 0) {
            rowStart = (page + 1) * pageSize - 4;
            file[offsetAt] = char((pageSize - 4) & 0xff);
            file[offsetAt + 1] = char((pageSize - 4) >> 8);
        }
        putInt32(file, rowStart, quint32(chain.at(below(index + 1))) << 8);
        break;
    }
    }
    return file;
}

QList<QStringList> sampleRows()
{
    const auto description = [](int number, int lines) {
        QString text = QStringLiteral("D%1 ").arg(number);
        for (int line = 1; line <= lines; ++line)
            text += QStringLiteral("Linha %1 do lembrete %2: pão, café e açúcar.\r\n").arg(line).arg(number);
        return text;
    };
    return {{"2024/01/15", "Reunião", description(1, 1)}, {"29/02/2024", "Ligar p/ o Sr. O'Brien", description(2, 3)},
            {"2024-03-05", "Pagar condomínio", description(3, 20)}, {"2024/12/24", "Natal", description(4, 250)},
            {"2025/01/01", "Ano novo", description(5, 2)}, {"2025/02/10", "Médico", description(6, 60)}};
}

QString generate(const QString &generator, const QString &path, const QJsonArray &rows, const QStringList &options)
{
    QFile file(path + ".rows.json");
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(rows).toJson()) < 0)
        return file.errorString();
    file.close();
    QProcess python;
    python.start("/usr/bin/python3", QStringList{generator, path, "--rows", file.fileName()} + options);
    const bool finished = python.waitForFinished(60000);
    file.remove();
    if (!finished || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return "the fixture generator failed: " + QString::fromLocal8Bit(python.readAllStandardError());
    return QString();
}

QString makeSampleFile(const QString &generator, const QString &path, bool olderLayout)
{
    QJsonArray rows;
    for (const QStringList &row : sampleRows())
        rows.append(QJsonArray::fromStringList(row));
    return generate(generator, path, rows, olderLayout ? QStringList{"--jet3"} : QStringList());
}

QString Tally::line() const
{
    return QString("tried %1, crashed %2, hung %3, other exit %4, old file changed %5, description emptied or cut %6 "
                   "(imports that went through %7, slowest %8 ms)")
        .arg(tried).arg(crashed).arg(hung).arg(badExit).arg(changed).arg(emptied).arg(imported).arg(slowestMs);
}

ImportBench::ImportBench(const QString &programFolder)
{
    for (const QString name : {"lembrete", "lembrete-formato-antigo"}) {
        const QString from = QDir(programFolder).filePath(name);
        if (QFile::exists(from) && !QFile::copy(from, m_dir.filePath(name)))
            m_error = "could not copy " + from;
    }
    if (!QFile::exists(m_dir.filePath("lembrete")))
        m_error = "no lembrete in " + programFolder;
    QDir(m_dir.path()).mkdir("antigo");
    for (const QStringList &row : sampleRows())
        m_originalDescriptions << row.at(2);
}

void ImportBench::run(const QByteArray &file, int hangLimitMs, Tally *tally)
{
    const int badBefore = tally->bad();
    const QDir folder(m_dir.path());
    for (const QString &leftover : folder.entryList({"dados.mdb*", "lembretes-nao-importados*"}, QDir::Files))
        QFile::remove(folder.filePath(leftover));
    QFile old(folder.filePath("antigo/dados.mdb"));
    if (old.open(QIODevice::WriteOnly | QIODevice::Truncate))
        old.write(file);
    old.close();
    ++tally->tried;
    QProcess import;
    import.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    import.start(folder.filePath("lembrete"), {"--importar", old.fileName()});
    if (!import.waitForFinished(hangLimitMs)) {
        ++tally->hung;
        import.kill();
        import.waitForFinished();
    } else if (import.exitStatus() == QProcess::CrashExit) {
        ++tally->crashed;
    } else if (import.exitCode() != 0 && import.exitCode() != 1) {
        ++tally->badExit;
    }
    tally->slowestMs = qMax(tally->slowestMs, clock.elapsed());
    tally->changed += !old.open(QIODevice::ReadOnly) || old.readAll() != file;
    if (import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0) {
        ++tally->imported;
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fuzz");
        db.setDatabaseName(folder.filePath("dados.mdb"));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QSqlQuery query(db);
        const bool read = db.open() && query.exec("select descricao from lembrete");
        while (read && query.next()) {
            const QString description = query.value(0).toString();
            tally->emptied += std::any_of(m_originalDescriptions.cbegin(), m_originalDescriptions.cend(),
                [&](const QString &original) { return original.size() > description.size() && original.startsWith(description); });
        }
    }
    QSqlDatabase::removeDatabase("fuzz");
    if (tally->bad() == badBefore || m_keepFolder.isEmpty())
        return;
    QFile kept(QDir(m_keepFolder).filePath(QString("falha-%1.mdb").arg(++m_kept, 4, 10, QLatin1Char('0'))));
    if (kept.open(QIODevice::WriteOnly))
        kept.write(file);
}

} // namespace importfuzz
