// Start-up of the main window over an existing reminder database: the time
// from creating the store to the window shown with its list loaded, which
// includes the first open of the run (and its check of the file), and the
// file check alone on the same file.
//
//   bench_arranque CAMINHO-DO-BANCO [repeticoes]
//
// The first open of a file of an older version (without the indexes the
// program adds): the time to the painted window, then while the indexes are
// built on the side, how long the window's event loop went without turning
// (what a key or click would wait at most) and how long the build took.
// PASTA gets dados-antigo.mdb with N reminders the first time.
//
//   bench_arranque --antigo PASTA N
#include "reminderdata.h"
#include "forms/frmprincipal.h"
#include "runtime/firstpaint.h"
#include "store/startupwork.h"
#include "runtime/platform.h"
#include "runtime/qtservices.h"
#include "store/modgeral.h"

#if __has_include("store/databasecheck.h")
#include "store/databasecheck.h"
#define HAS_DATABASE_CHECK 1
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <ctime>

namespace {

// The machine is shared; the processor time of this process is steadier than the wall clock.
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class PrintingMessageBoxes final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text, const QString &,
                                runtime::MessageButtons) override
    {
        std::fprintf(stderr, "mensagem: %s\n", qPrintable(text));
        return runtime::MessageAnswer::No;
    }
};

void printLoad()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("carga (loadavg): %s", load.readLine().constData());
}

int firstOpenOfAnOlderFile(const QString &folder, int count)
{
    QDir().mkpath(folder);
    const QString older = QDir(folder).filePath(QStringLiteral("dados-antigo.mdb"));
    if (!QFile::exists(older) && !benchdata::fill(older, count)) {
        std::fprintf(stderr, "nao foi possivel criar %s\n", qPrintable(older));
        return 1;
    }
    QTemporaryDir run;
    if (!QFile::copy(older, run.filePath(modgeral::databaseFileName())))
        return 1;
    runtime::Platform platform(run.path());
    platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(run.filePath("bench.ini")));
    printLoad();

    QElapsedTimer timer;
    timer.start();
    modgeral store(platform);
    frmprincipal window(platform, store);
    qint64 painted = -1;
    runtime::afterFirstPaint(window.list()->viewport(), [&] { painted = timer.elapsed(); });
    window.show();
    QEventLoop loop;
    // The event loop's longest pause while the work goes on: input waits as long.
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            longestPause = std::max(longestPause, sinceTick.elapsed());
        sinceTick.start();
    });
    bool searchPendingAtPaint = false;
    runtime::afterFirstPaint(window.list()->viewport(), [&] {
        searchPendingAtPaint = store.startupWork().searchPending();
        tick.start();
    });
    QObject::connect(&store.startupWork(), &StartupWork::indexesFinished, &loop, &QEventLoop::quit);
    // A change in the middle of the build: how long the user waits for it.
    qint64 changeMs = -1;
    bool changed = false;
    QObject::connect(&store.startupWork(), &StartupWork::indexProgress, [&](int percent) {
        if (changeMs >= 0 || percent < 50)
            return;
        QElapsedTimer change;
        change.start();
        changed = store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("Durante a construção"), QString());
        changeMs = change.elapsed();
    });
    loop.exec();
    std::printf("primeira abertura de arquivo antigo, %d lembretes: janela pintada em %lld ms "
                "(busca em preparo: %s); indices prontos em %lld ms; maior pausa da janela: %lld ms; "
                "uma inclusao no meio da construcao: %lld ms (%s)\n",
                window.list()->model()->rowCount(), painted, searchPendingAtPaint ? "sim" : "nao",
                timer.elapsed(), longestPause, changeMs, changed ? "gravada" : qPrintable(store.lastError()));
    printLoad();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 3 && qstrcmp(argv[1], "--antigo") == 0)
        return firstOpenOfAnOlderFile(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench_arranque CAMINHO-DO-BANCO [repeticoes]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir folder;
    // The program opens dados.mdb of its folder: a link to the file given.
    QFile::link(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(),
                QDir(folder.path()).filePath(modgeral::databaseFileName()));
    runtime::Platform platform(folder.path());
    platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(folder.filePath("bench.ini")));

    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double processorStart = processorMs();
        modgeral store(platform);
        frmprincipal window(platform, store);
        window.show();
        QApplication::processEvents();
        std::printf("arranque com %d lembretes: %.0f ms (processador %.0f ms)\n",
                    window.list()->model()->rowCount(), timer.nsecsElapsed() / 1e6, processorMs() - processorStart);
    }
#ifdef HAS_DATABASE_CHECK
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double processorStart = processorMs();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            db.open();
            const QString damage = databasecheck::damageOf(db);
            std::printf("verificacao do arquivo sozinha: %.0f ms (processador %.0f ms; %s)\n",
                        timer.nsecsElapsed() / 1e6, processorMs() - processorStart,
                        damage.isEmpty() ? "ok" : qPrintable(damage));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }
#endif
    return 0;
}
