// Start-up of the main window over an existing reminder database: the time
// from creating the store to the window shown with its list loaded, which
// includes the first open of the run (and its check of the file), and the
// file check alone on the same file.
//
//   bench_arranque CAMINHO-DO-BANCO [repeticoes]
#include "forms/frmprincipal.h"
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
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTreeWidget>
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

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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
                    window.list()->topLevelItemCount(), timer.nsecsElapsed() / 1e6, processorMs() - processorStart);
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
