// Times what the by-day window asks of the reminders with a time or a
// repetition, over a copy of a generated file (bench_repeticao makes one):
// the list of one day and the bold days of its month, 3 months and 2 years
// ahead, first and again, and the two years of bold days the window marks.
//
//   bench_pormes [folder holding dados.mdb]   (default /tmp/reprep/com-repeticao)
#include "runtime/platform.h"
#include "store/modgeral.h"
#include "store/schedule.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void line(const QByteArray &what, double value, qsizetype count)
{
    std::printf("%-58s %9.1f ms  (%lld)\n", what.constData(), value, static_cast<long long>(count));
    std::fflush(stdout);
}

QDate monthStart(const QDate &day)
{
    return QDate(day.year(), day.month(), 1);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString source = (arguments.size() > 1 ? arguments.at(1) : QStringLiteral("/tmp/reprep/com-repeticao"))
                           + QStringLiteral("/dados.mdb");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dados.mdb"));
    if (!QFile::copy(source, path)) {
        std::fprintf(stderr, "erro: não foi possível copiar %s\n", qPrintable(source));
        return 1;
    }
    runtime::Platform platform(folder.path());
    modgeral store(platform);
    store.abrirbanco();
    if (!store.isOpen()) {
        std::fprintf(stderr, "erro: o banco não abriu\n");
        return 1;
    }
    Schedule schedule;
    QString error;
    const QDate today = QDate::currentDate();
    if (!schedule.refresh(store.connection(), path, today, &error)) {
        std::fprintf(stderr, "erro: %s\n", qPrintable(error));
        return 1;
    }
    while (schedule.finding() || schedule.takeFound())
        QThread::msleep(20);
    std::printf("%zu lembretes com hora ou repeticao\n", schedule.rows().size());

    QElapsedTimer timer;
    for (const auto &[name, day] : {std::pair{QByteArray("3 meses"), today.addMonths(3)},
                                    std::pair{QByteArray("2 anos"), today.addYears(2)}}) {
        const QDate first = monthStart(day);
        const QDate last = first.addMonths(1).addDays(-1);
        for (const char *pass : {"", ", de novo"}) {
            timer.restart();
            const qsizetype bold = schedule.busyDays(first, last).size();
            line("dias em negrito do mes, " + name + pass, milliseconds(timer), bold);
            timer.restart();
            const auto listed = schedule.between(day, day).size();
            line("lista de um dia, " + name + pass, milliseconds(timer), qsizetype(listed));
            timer.restart();
            const auto next = schedule.between(day.addDays(1), day.addDays(1)).size();
            line("lista do dia seguinte, " + name + pass, milliseconds(timer), qsizetype(next));
        }
        timer.restart();
        const qsizetype marked = schedule.busyDays(day.addYears(-1), day.addYears(1)).size();
        line("dias em negrito, um ano de cada lado, " + name, milliseconds(timer), marked);
    }
    return 0;
}
