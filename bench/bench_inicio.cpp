// Times the whole program from exec to its painted main window (offscreen),
// next to a sqlite3 process reading the same rows ("todos"), in interleaved
// runs; with the peak memory of each process and of an empty start.
//
//   bench_inicio PASTA-DO-PROGRAMA PASTA-DOS-DADOS [repeticoes] [antigo|frio|frio-arquivo]
//
// The data folder holds a dados.mdb (bench_lista makes one); the program's
// files are copied beside it, since the program reads the database of its
// own folder.
//
// antigo: each run of the program starts from a fresh copy of the folder's
// dados-antigo.mdb (a file of an older version, without the indexes the
// program adds; bench_arranque --antigo makes one), as at its first open.
// frio: before each run of the program and of sqlite3 the file is put out of
// the page cache (the whole page cache is dropped where that is permitted,
// else the file's pages are given up with posix_fadvise), as at the first
// start of a day; frio-arquivo: only the file's pages, with posix_fadvise.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Run
{
    double milliseconds = -1;
    double peakMiB = 0;
    double processorMs = 0; // user and system time of the whole process
};

qint64 monotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Runs the program; the time ends at the "pintado" line it prints, or at its exit.
Run runProcess(const QStringList &arguments, const QStringList &environment, bool untilPainted)
{
    int output[2];
    if (pipe(output) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    std::vector<QByteArray> argumentBytes;
    std::vector<char *> argv;
    for (const QString &argument : arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> environmentBytes;
    std::vector<char *> envp;
    for (char **variable = environ; *variable; ++variable)
        environmentBytes.emplace_back(*variable);
    for (const QString &variable : environment)
        environmentBytes.push_back(variable.toLocal8Bit());
    for (QByteArray &bytes : environmentBytes)
        envp.push_back(bytes.data());
    envp.push_back(nullptr);

    const qint64 start = monotonicNow();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned != 0) {
        close(output[0]);
        return {};
    }
    QByteArray printed;
    char buffer[65536];
    ssize_t got;
    while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
        if (untilPainted)
            printed.append(buffer, got);
    }
    close(output[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const qint64 end = monotonicNow();
    Run run;
    run.peakMiB = usage.ru_maxrss / 1024.0;
    run.processorMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                      + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    if (!untilPainted) {
        run.milliseconds = double(end - start) / 1e6;
    } else {
        const int at = printed.indexOf("pintado ");
        if (at >= 0)
            run.milliseconds = double(printed.mid(at + 8).trimmed().toLongLong() - start) / 1e6;
    }
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

bool copyProgram(const QString &from, const QString &to)
{
    for (const char *name : {"lembrete", "libAlmanaq.so", "fundo.gif"}) {
        QFile::remove(to + QLatin1Char('/') + QLatin1String(name));
        if (!QFile::copy(from + QLatin1Char('/') + QLatin1String(name), to + QLatin1Char('/') + QLatin1String(name)))
            return false;
    }
    return true;
}

// Puts the file out of the page cache; says how.
const char *evict(const QString &path, bool wholeCache)
{
    sync();
    if (!wholeCache) {
    } else if (FILE *drop = std::fopen("/proc/sys/vm/drop_caches", "w")) {
        const bool dropped = std::fputs("1\n", drop) >= 0;
        if (std::fclose(drop) == 0 && dropped)
            return "drop_caches";
    }
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return "nada (arquivo nao aberto)";
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
    return "posix_fadvise DONTNEED";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "uso: bench_inicio PASTA-DO-PROGRAMA PASTA-DOS-DADOS [repeticoes] [antigo|frio|frio-arquivo]\n");
        return 2;
    }
    const QString programFolder = arguments.at(1);
    const QString dataFolder = QDir(arguments.at(2)).absolutePath();
    const int repetitions = arguments.size() > 3 ? arguments.at(3).toInt() : 5;
    const QString mode = arguments.value(4);
    QTemporaryDir emptyFolder;
    QTemporaryDir home;
    if (!copyProgram(programFolder, dataFolder) || !copyProgram(programFolder, emptyFolder.path())) {
        std::fprintf(stderr, "nao foi possivel copiar o programa\n");
        return 1;
    }
    QFile(emptyFolder.filePath(QStringLiteral("dados.mdb"))).open(QIODevice::WriteOnly);

    // A settings folder of its own: the list shows every reminder ("todos").
    const QStringList environment{QStringLiteral("QT_QPA_PLATFORM=offscreen"),
                                  QStringLiteral("LEMBRETE_SAIR_APOS_PINTAR=1"),
                                  QStringLiteral("XDG_CONFIG_HOME=") + home.path()};
    const QString database = dataFolder + QStringLiteral("/dados.mdb");
    const QStringList program{dataFolder + QStringLiteral("/lembrete")};
    const QStringList empty{emptyFolder.filePath(QStringLiteral("lembrete"))};
    const QStringList sqlite{QStringLiteral("/usr/bin/sqlite3"), database,
                             QStringLiteral("select rowid as chave, data, titulo from lembrete order by data, titulo")};

    const QString older = dataFolder + QStringLiteral("/dados-antigo.mdb");
    const char *eviction = "";
    const auto beforeProgram = [&] {
        if (mode == QLatin1String("antigo")) {
            QFile::remove(database);
            QFile::copy(older, database);
        } else if (mode.startsWith(QLatin1String("frio"))) {
            eviction = evict(database, mode == QLatin1String("frio"));
        }
    };
    if (mode == QLatin1String("antigo") && !QFile::exists(older)) {
        std::fprintf(stderr, "falta %s\n", qPrintable(older));
        return 1;
    }
    if (mode.isEmpty())
        runProcess(program, environment, true); // the first run of a file checks it and warms the cache
    std::vector<double> starts, floors, emptyStarts, peaks, floorPeaks, emptyPeaks, processors, floorProcessors;
    for (int i = 0; i < repetitions; ++i) {
        beforeProgram();
        const Run start = runProcess(program, environment, true);
        if (mode.startsWith(QLatin1String("frio")))
            evict(database, mode == QLatin1String("frio"));
        const Run floor = runProcess(sqlite, {}, false);
        const Run emptyStart = runProcess(empty, environment, true);
        starts.push_back(start.milliseconds);
        processors.push_back(start.processorMs);
        floorProcessors.push_back(floor.processorMs);
        peaks.push_back(start.peakMiB);
        floors.push_back(floor.milliseconds);
        floorPeaks.push_back(floor.peakMiB);
        emptyStarts.push_back(emptyStart.milliseconds);
        emptyPeaks.push_back(emptyStart.peakMiB);
    }
    const double start = median(starts);
    const double floor = median(floors);
    if (!mode.isEmpty())
        std::printf("modo %s%s%s\n", qPrintable(mode), *eviction ? ", cache esvaziado por " : "", eviction);
    std::printf("%-48s %9.1f ms   piso (processo sqlite3, mesmas linhas): %.1f ms = %.2fx\n",
                "do exec a janela principal pintada", start, floor, start / floor);
    std::printf("%-48s %9.1f ms\n", "o mesmo com o banco vazio", median(emptyStarts));
    // On a shared machine the wall clock waits for the processor too.
    std::printf("%-48s %9.1f ms   sqlite3: %.1f ms = %.2fx\n", "processador do programa (ate sair apos pintar)",
                median(processors), median(floorProcessors), median(processors) / median(floorProcessors));
    std::printf("%-48s %9.1f MiB   banco vazio: %.1f MiB; sqlite3: %.1f MiB\n", "pico de memoria do programa",
                median(peaks), median(emptyPeaks), median(floorPeaks));
    return 0;
}
