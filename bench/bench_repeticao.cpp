// Times the main list with repeating reminders: N reminders (a million unless
// given) of which R repeat (a hundred thousand unless given), next to the same
// N with none repeating. Figures: the first start, which steps every rule and
// writes the days found to the file; the start, from creating the store to the
// list painted under "Todos", in interleaved runs over both files, and once
// with the days found taken out of the file (the repeating reminders then come
// into the list once found on the side); the "7 dias" list once started;
// the next days of the R repeating reminders counted again after a change of
// day, over a month of days, with the stepping in slices between them.
//
//   bench_repeticao [N|1M] [R] [folder]   the folder keeps the generated files for reuse
#include "reminderdata.h"
#include "forms/frmprincipal.h"
#include "runtime/firstpaint.h"
#include "runtime/platform.h"
#include "runtime/qtservices.h"
#include "settings/settingsstore.h"
#include "store/modgeral.h"
#include "store/schedule.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class PrintingMessageBoxes final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text, const QString &,
                                runtime::MessageButtons) override
    {
        std::fprintf(stderr, "mensagem: %s\n", qPrintable(text));
        return runtime::MessageAnswer::Yes;
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void line(const QByteArray &what, double value, const QByteArray &extra = QByteArray())
{
    std::printf("%-52s %9.1f ms%s\n", what.constData(), value, extra.constData());
    std::fflush(stdout);
}

int countArgument(const QStringList &arguments, int index, int fallback)
{
    if (arguments.size() <= index)
        return fallback;
    const QString text = arguments.at(index);
    if (text.compare(QLatin1String("1M"), Qt::CaseInsensitive) == 0)
        return 1000000;
    return std::max(0, text.toInt());
}

// Every step-th reminder repeats, under one of the editor's rules, a third of them at a time of day.
void makeRepeating(const QString &path, int count, int repeating)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *update = nullptr;
    sqlite3_prepare_v2(db, "update lembrete set repeticao = ?, hora = ? where rowid = ?", -1, &update, nullptr);
    const char *rules[] = {"FREQ=WEEKLY", "FREQ=MONTHLY", "FREQ=YEARLY", "FREQ=DAILY;INTERVAL=3",
                           "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;COUNT=40", "FREQ=WEEKLY;COUNT=16",
                           "FREQ=DAILY;UNTIL=20301231", "FREQ=MONTHLY;COUNT=24"};
    const int step = std::max(1, count / std::max(1, repeating));
    for (int i = 0; i < repeating; ++i) {
        sqlite3_bind_text(update, 1, rules[i % 8], -1, SQLITE_STATIC);
        if (i % 3 == 0)
            sqlite3_bind_text(update, 2, "14:30", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(update, 2);
        sqlite3_bind_int64(update, 3, qint64(i) * step + 1);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct Start
{
    double painted = 0;
    int rows = 0;
};

// Messages printed, settings beside the files, the list under "Todos".
void showEverything(runtime::Platform &platform, const QString &folder)
{
    platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(folder + QStringLiteral("/bench.ini")));
    settings::write(platform.settings(), settings::keys::Exibir, settings::viewfilter::Todos);
}

// From nothing to the list painted under the stored filter.
Start startOnce(const QString &folder)
{
    runtime::Platform platform(folder);
    showEverything(platform, folder);
    QElapsedTimer timer;
    timer.start();
    modgeral store(platform);
    frmprincipal window(platform, store);
    QEventLoop painted;
    Start start;
    runtime::afterFirstPaint(window.list()->viewport(), [&] {
        start.painted = milliseconds(timer);
        painted.quit();
    });
    window.show();
    painted.exec();
    start.rows = window.list()->model()->rowCount();
    return start;
}

// A start left running until the days found are in the file.
double settle(const QString &folder)
{
    runtime::Platform platform(folder);
    showEverything(platform, folder);
    QElapsedTimer timer;
    timer.start();
    modgeral store(platform);
    frmprincipal window(platform, store);
    window.show();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (store.schedule().rows().size() > 0 && !store.schedule().hasUnsaved())
            loop.quit();
        if (timer.elapsed() > 600000)
            loop.quit();
    });
    poll.start(50);
    loop.exec();
    return milliseconds(timer);
}

void dropSavedDays(const QString &folder)
{
    sqlite3 *db = nullptr;
    sqlite3_open((folder + QStringLiteral("/dados.mdb")).toUtf8().constData(), &db);
    sqlite3_exec(db, "delete from lembrete_proxima", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QString prepare(const QString &root, const QString &name, int count, int repeating)
{
    const QString folder = root + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/dados.mdb");
    const QString marker = path + QStringLiteral(".%1.%2").arg(count).arg(repeating);
    if (QFile::exists(marker))
        return folder;
    QFile::remove(path);
    benchdata::fill(path, count);
    {
        // The first open adds the columns and builds the indexes.
        runtime::Platform platform(folder);
        platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
        modgeral store(platform);
        store.abrirbanco();
    }
    makeRepeating(path, count, repeating);
    QFile(marker).open(QIODevice::WriteOnly);
    return folder;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int count = countArgument(arguments, 1, 1000000);
    const int repeating = std::min(count, countArgument(arguments, 2, 100000));
    QTemporaryDir temporary;
    const QString root = arguments.size() > 3 ? arguments.at(3) : temporary.path();
    QElapsedTimer timer;
    timer.start();
    const QString plain = prepare(root, QStringLiteral("sem-repeticao"), count, 0);
    const QString mixed = prepare(root, QStringLiteral("com-repeticao"), count, repeating);
    line("preparar os dois arquivos", milliseconds(timer));
    if (repeating > 0)
        line("primeiro inicio: dias encontrados e gravados", settle(mixed));

    std::vector<double> plainStarts;
    std::vector<double> mixedStarts;
    Start last;
    for (int run = 0; run < 3; ++run) {
        plainStarts.push_back(startOnce(plain).painted);
        last = startOnce(mixed);
        mixedStarts.push_back(last.painted);
    }
    const double plainStart = median(plainStarts);
    const double mixedStart = median(mixedStarts);
    line("inicio ate \"Todos\" pintado, sem repeticao", plainStart);
    line("inicio ate \"Todos\" pintado, " + QByteArray::number(repeating) + " repetindo (" +
             QByteArray::number(last.rows) + " linhas)",
         mixedStart, "   = " + QByteArray::number(mixedStart / plainStart, 'f', 2) + "x");
    if (repeating > 0) {
        dropSavedDays(mixed);
        const double unsaved = startOnce(mixed).painted;
        line("o mesmo, sem os dias guardados no arquivo", unsaved,
             "   = " + QByteArray::number(unsaved / plainStart, 'f', 2) + "x");
        settle(mixed);
    }

    runtime::Platform platform(mixed);
    platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(mixed + QStringLiteral("/bench.ini")));
    settings::write(platform.settings(), settings::keys::Exibir, settings::viewfilter::Todos);
    modgeral store(platform);
    frmprincipal window(platform, store);
    for (const QString &filter : {settings::viewfilter::SeteDias, settings::viewfilter::Hoje}) {
        settings::write(platform.settings(), settings::keys::Exibir, filter);
        std::vector<double> loads;
        for (int run = 0; run < 5; ++run) {
            timer.restart();
            window.carregarlista();
            loads.push_back(milliseconds(timer));
        }
        line("carregarlista " + filter.toUtf8() + " (" + QByteArray::number(window.list()->model()->rowCount())
                 + " linhas)",
             median(loads));
    }

    Schedule schedule;
    QString error;
    const QString path = mixed + QStringLiteral("/dados.mdb");
    const QDate today = QDate::currentDate();
    timer.restart();
    schedule.refresh(store.connection(), path, today, &error);
    line("ler e contar " + QByteArray::number(schedule.rows().size()) + " lembretes com hora ou repeticao",
         milliseconds(timer));
    std::vector<double> dayChanges;
    std::vector<double> slices;
    for (int day = 1; day <= 30; ++day) {
        timer.restart();
        schedule.refresh(store.connection(), path, today.addDays(day), &error);
        dayChanges.push_back(milliseconds(timer));
        timer.restart();
        while (schedule.stepSome(15))
            ;
        slices.push_back(milliseconds(timer));
    }
    line("proximas ocorrencias apos a troca do dia (mediana de 30)", median(dayChanges));
    line("  a mais lenta das 30", *std::max_element(dayChanges.begin(), dayChanges.end()));
    line("passos em fatias de 15 ms, o dia mais cheio", *std::max_element(slices.begin(), slices.end()));
    if (!error.isEmpty())
        std::fprintf(stderr, "erro: %s\n", qPrintable(error));
    return 0;
}
