// The long fuzz run of the import: thousands of seeded damaged old-format
// files (the generator and damage of the fuzz test) through "lembrete
// --importar" of the program folder given, one tally line per layout and
// damage and a total.
//
//   bench_importfuzz [--programa PASTA] [--sementes N] [--limite MS] [--guardar PASTA]
//
// PASTA defaults to the build's program folder; any folder holding a
// lembrete works, an older build's included.
#include "support/importfuzz.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption folderOption(QStringLiteral("programa"), QStringLiteral("program folder"),
                                          QStringLiteral("PASTA"), QStringLiteral(LEMBRETE_PROGRAM_DIR));
    const QCommandLineOption seedsOption(QStringLiteral("sementes"), QStringLiteral("seeds per layout and damage"),
                                         QStringLiteral("N"), QStringLiteral("500"));
    const QCommandLineOption limitOption(QStringLiteral("limite"), QStringLiteral("hang limit in ms"),
                                         QStringLiteral("MS"), QStringLiteral("20000"));
    const QCommandLineOption keepOption(QStringLiteral("guardar"), QStringLiteral("keep the files with a bad outcome here"),
                                        QStringLiteral("PASTA"));
    parser.addOptions({folderOption, seedsOption, limitOption, keepOption});
    parser.process(app);
    const int seeds = parser.value(seedsOption).toInt();
    const int limit = parser.value(limitOption).toInt();

    QTemporaryDir dir;
    importfuzz::ImportBench bench(parser.value(folderOption));
    if (!bench.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(bench.error()));
        return 1;
    }
    bench.keepFailuresIn(parser.value(keepOption));
    importfuzz::Tally total;
    QElapsedTimer clock;
    clock.start();
    for (const auto &[older, pageSize] : {std::pair{true, 2048}, std::pair{false, 4096}}) {
        const QString path = dir.filePath(QStringLiteral("sample.mdb"));
        const QString failure = importfuzz::makeSampleFile(QStringLiteral(JET_FIXTURE_TOOL), path, older);
        if (!failure.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(failure));
            return 1;
        }
        QFile sample(path);
        sample.open(QIODevice::ReadOnly);
        const QByteArray original = sample.readAll();
        for (const importfuzz::Damage damage : importfuzz::kAllDamages) {
            importfuzz::Tally tally;
            for (int seed = 1; seed <= seeds; ++seed)
                bench.run(importfuzz::damaged(original, pageSize, damage, quint32(seed)), limit, &tally);
            std::printf("%s, %s: %s\n", older ? "jet3" : "jet4", qPrintable(importfuzz::nameOf(damage)),
                        qPrintable(tally.line()));
            std::fflush(stdout);
            total.tried += tally.tried;
            total.crashed += tally.crashed;
            total.hung += tally.hung;
            total.badExit += tally.badExit;
            total.changed += tally.changed;
            total.emptied += tally.emptied;
            total.imported += tally.imported;
            total.slowestMs = qMax(total.slowestMs, tally.slowestMs);
        }
    }
    std::printf("total: %s; %.1f s\n", qPrintable(total.line()), clock.elapsed() / 1000.0);
    return 0;
}
