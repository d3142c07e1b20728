// Sync with a real calendar server (Debian's radicale on 127.0.0.1):
//  - the first sync of an empty reminder database with a collection of N
//    reminders (default 10,000),
//  - a sync with nothing to do at that size,
//  - the first sync of M local reminders into an empty collection (default
//    1,000; every new object is one conditional PUT).
// Usage: bench_sincronizacao [N] [M]

#include "exchange/caldavclient.h"
#include "exchange/icalendar.h"
#include "exchange/syncengine.h"
#include "exchange/radicaleserver.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

class Quiet final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text, const QString &,
                                runtime::MessageButtons) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return runtime::MessageAnswer::No;
    }
};

struct Device
{
    Device()
        : platform(folder.path())
    {
        platform.setMessageBoxes(std::make_unique<Quiet>());
        QFile(platform.programFile(modgeral::databaseFileName())).open(QIODevice::WriteOnly);
        store.abrirbanco();
    }
    int count() const
    {
        QSqlQuery query(QStringLiteral("select count(*) from lembrete"), store.connection());
        return query.next() ? query.value(0).toInt() : -1;
    }
    QTemporaryDir folder;
    runtime::Platform platform;
    modgeral store{platform};
};

double timedSync(Device &device, const QUrl &collection, SyncOutcome *outcome)
{
    caldav::Client client({collection, QLatin1String(RadicaleServer::user), QLatin1String(RadicaleServer::password)},
                          120000);
    const QDate today(2026, 3, 10);
    QElapsedTimer clock;
    // With BENCH_PASSOS set, each step is shown with its time.
    const bool steps = qEnvironmentVariableIsSet("BENCH_PASSOS");
    SyncEngine engine(device.store.connection(), client, QStringLiteral("bench"), today,
                      QDateTime(today, QTime(9, 0)), [&](const QString &step) {
                          if (steps)
                              std::fprintf(stderr, "%8.2f s  %s\n", clock.elapsed() / 1000.0, qPrintable(step));
                      });
    clock.start();
    *outcome = engine.run();
    return clock.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int pulled = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    const int pushed = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1000;
    QTextStream out(stdout);

    RadicaleServer server;
    if (!server.start()) {
        out << "radicale: " << server.error() << '\n';
        return 1;
    }

    // The server's side is laid in one request (radicale takes a whole
    // calendar PUT on the collection), so only the sync is timed.
    QList<icalendar::Item> items;
    const QDate first(2026, 1, 1);
    for (int index = 0; index < pulled; ++index)
        items.append({first.addDays(index % 730), QStringLiteral("Lembrete %1").arg(index),
                      QStringLiteral("Descrição do lembrete %1").arg(index),
                      QStringLiteral("bench-%1@zedozarir").arg(index), QString()});
    const int laid = server.request("PUT", server.collection().path(),
                                    icalendar::calendarFile(items, QDateTime::currentDateTimeUtc()),
                                    "text/calendar; charset=utf-8", 600000);
    if (laid != 201) {
        out << "the collection could not be laid: HTTP " << laid << '\n';
        return 1;
    }

    // Radicale parses every object of a collection laid whole once, the first
    // time a client syncs with it (objects sent one by one are parsed as they
    // arrive); that one-off cost of the laying is paid here, outside the timing.
    {
        QElapsedTimer warm;
        warm.start();
        caldav::Client client({server.collection(), QLatin1String(RadicaleServer::user),
                               QLatin1String(RadicaleServer::password)},
                              600000);
        caldav::Delta everything;
        client.changesSince(QString(), &everything);
        out << QStringLiteral("(servidor preparado: %1 objetos, primeira leitura em %2 s, fora da medida)\n")
                   .arg(everything.changed.size()).arg(warm.elapsed() / 1000.0, 0, 'f', 2);
    }
    Device device;
    SyncOutcome outcome;
    double seconds = timedSync(device, server.collection(), &outcome);
    out << QStringLiteral("primeira sincronização, %1 lembretes do servidor para um banco vazio: %2 s (%3; "
                          "%4 no banco)\n")
               .arg(pulled).arg(seconds, 0, 'f', 2).arg(outcome.ok ? "ok" : qPrintable(outcome.message))
               .arg(device.count());
    out.flush();
    seconds = timedSync(device, server.collection(), &outcome);
    out << QStringLiteral("sincronização sem nada a fazer, %1 lembretes: %2 s (%3)\n")
               .arg(device.count()).arg(seconds, 0, 'f', 2).arg(outcome.ok ? "ok" : qPrintable(outcome.message));
    out.flush();

    if (pushed > 0) {
        if (!server.useCollection(QStringLiteral("envio"))) {
            out << "radicale: " << server.error() << '\n';
            return 1;
        }
        Device local;
        QSqlDatabase db = local.store.connection();
        db.transaction();
        for (int index = 0; index < pushed; ++index)
            local.store.appendReminder(daytext::stored(first.addDays(index % 730)),
                                       QStringLiteral("Local %1").arg(index), QString());
        db.commit();
        seconds = timedSync(local, server.collection(), &outcome);
        out << QStringLiteral("primeira sincronização, %1 lembretes locais para uma coleção vazia: %2 s, "
                              "%3 ms por objeto (%4)\n")
                   .arg(pushed).arg(seconds, 0, 'f', 2).arg(seconds * 1000.0 / qMax(1, pushed), 0, 'f', 1)
                   .arg(outcome.ok ? "ok" : qPrintable(outcome.message));
        seconds = timedSync(local, server.collection(), &outcome);
        out << QStringLiteral("sincronização sem nada a fazer, %1 lembretes: %2 s (%3)\n")
                   .arg(pushed).arg(seconds, 0, 'f', 2).arg(outcome.ok ? "ok" : qPrintable(outcome.message));
    }
    return 0;
}
