// Sync with a real calendar server (Debian's radicale on 127.0.0.1):
//  - the first sync of an empty reminder database with a collection of N
//    reminders (default 10,000),
//  - a sync with nothing to do at that size,
//  - the first sync of M local reminders into an empty collection (default
//    1,000; every new object is one conditional PUT).
// Usage: bench_sincronizacao [--xandikos] [--repetidos R] [N] [M]
//   --xandikos      runs against Debian's xandikos instead of radicale;
//   --repetidos R   makes every (N/R)th pulled event a weekly series of ten.

#include "exchange/caldavclient.h"
#include "exchange/icalendar.h"
#include "exchange/syncengine.h"
#include "exchange/radicaleserver.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <QCoreApplication>
#include <QProcess>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

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

// Processor seconds a process has used so far (user and system), from /proc:
// on a shared machine the wall-clock time of a sync also counts the waiting
// for a processor, so the work each side did is shown beside it.
double processorSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

struct Work
{
    double program = 0;
    double server = 0;
    QString text() const
    {
        return QStringLiteral("processador: programa %1 s, servidor %2 s")
            .arg(program, 0, 'f', 2)
            .arg(server, 0, 'f', 2);
    }
};

double timedSync(Device &device, const QUrl &collection, SyncOutcome *outcome, qint64 serverPid, Work *work)
{
    const double programBefore = processorSeconds(QCoreApplication::applicationPid());
    const double serverBefore = processorSeconds(serverPid);
    const double seconds = timedSync(device, collection, outcome);
    work->program = processorSeconds(QCoreApplication::applicationPid()) - programBefore;
    work->server = processorSeconds(serverPid) - serverBefore;
    return seconds;
}

// Xandikos keeps a collection as a git working tree and commits once per PUT,
// writing the whole tree again each time: laying 10,000 objects one PUT each
// takes time that grows with the square of their number. So, with the server
// stopped, the objects go in as one commit, each checked and normalised by
// xandikos's own code as a PUT would be, under the name a PUT would give it;
// then the server starts again on that storage. The number laid, or -1.
const char kLayScript[] = R"PY(
import os, sys
from dulwich.index import IndexEntry, index_entry_from_stat
from dulwich.objects import Blob
from xandikos.store import open_by_content_type
from xandikos.store.git import locked_index
from xandikos.web import open_store_from_path
store = open_store_from_path(sys.argv[1])
repo = store.repo
names = sorted(os.listdir(sys.argv[2]))
with locked_index(repo.index_path()) as index:
    for name in names:
        with open(os.path.join(sys.argv[2], name), 'rb') as f:
            item = open_by_content_type([f.read()], 'text/calendar', store.extra_file_handlers)
        item.validate()
        body = b''.join(item.normalized())
        path = os.path.join(repo.path, name)
        with open(path, 'wb') as f:
            f.write(body)
        blob = Blob.from_string(body)
        repo.object_store.add_object(blob)
        index[name.encode('utf-8')] = IndexEntry(*index_entry_from_stat(os.lstat(path), blob.id, 0))
    store._commit_tree(index, ('Add %d objects' % len(names)).encode('utf-8'))
print(len(names))
)PY";

int layInXandikosStore(RadicaleServer &server, const QList<icalendar::Item> &items)
{
    QTemporaryDir objects;
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    for (const icalendar::Item &item : items) {
        QFile file(objects.filePath(item.uid + QStringLiteral(".ics")));
        if (!file.open(QIODevice::WriteOnly) || file.write(icalendar::eventObject(item, stamp)) < 0)
            return -1;
    }
    server.kill();
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(kLayScript),
                                                      server.xandikosCollectionFolder(), objects.path()});
    const bool laid = python.waitForFinished(600000) && python.exitStatus() == QProcess::NormalExit
        && python.exitCode() == 0;
    const int count = laid ? python.readAllStandardOutput().trimmed().toInt() : -1;
    return server.restart() ? count : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool xandikos = arguments.removeAll(QStringLiteral("--xandikos")) > 0;
    int repeating = 0;
    if (const int at = arguments.indexOf(QStringLiteral("--repetidos")); at >= 0 && at + 1 < arguments.size()) {
        repeating = arguments.at(at + 1).toInt();
        arguments.remove(at, 2);
    }
    const int pulled = arguments.size() > 0 ? arguments.at(0).toInt() : 10000;
    const int pushed = arguments.size() > 1 ? arguments.at(1).toInt() : 1000;
    QTextStream out(stdout);

    RadicaleServer server;
    if (!(xandikos ? server.startXandikos() : server.start())) {
        out << "servidor: " << server.error() << '\n';
        return 1;
    }

    // The server's side is laid before the timing: in one request on radicale
    // (it takes a whole calendar PUT on the collection), in one commit of its
    // store on xandikos.
    QList<icalendar::Item> items;
    const QDate first(2026, 1, 1);
    const int every = repeating > 0 ? qMax(1, pulled / repeating) : 0;
    for (int index = 0; index < pulled; ++index) {
        items.append({first.addDays(index % 730), QStringLiteral("Lembrete %1").arg(index),
                      QStringLiteral("Descrição do lembrete %1").arg(index),
                      QStringLiteral("bench-%1@zedozarir").arg(index), QString()});
        if (every > 0 && index % every == 0 && index / every < repeating)
            items.last().rule = QStringLiteral("FREQ=WEEKLY;COUNT=10");
    }
    QElapsedTimer laying;
    laying.start();
    const bool laidAll = xandikos ? layInXandikosStore(server, items) == items.size()
                                  : server.request("PUT", server.collection().path(),
                                                   icalendar::calendarFile(items, QDateTime::currentDateTimeUtc()),
                                                   "text/calendar; charset=utf-8", 600000)
                                        == 201;
    if (!laidAll) {
        out << "the collection could not be laid\n";
        return 1;
    }
    out << QStringLiteral("(%1: %2 objetos, %3 repetidos, postos em %4 s, fora da medida)\n")
               .arg(xandikos ? "xandikos" : "radicale").arg(pulled).arg(repeating)
               .arg(laying.elapsed() / 1000.0, 0, 'f', 2);

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
    Work work;
    double seconds = timedSync(device, server.collection(), &outcome, server.processId(), &work);
    out << QStringLiteral("primeira sincronização, %1 lembretes do servidor para um banco vazio: %2 s (%3; "
                          "%4 no banco; %5)\n")
               .arg(pulled).arg(seconds, 0, 'f', 2).arg(outcome.ok ? "ok" : qPrintable(outcome.message))
               .arg(device.count()).arg(work.text());
    out.flush();
    seconds = timedSync(device, server.collection(), &outcome, server.processId(), &work);
    out << QStringLiteral("sincronização sem nada a fazer, %1 lembretes: %2 s (%3; %4)\n")
               .arg(device.count()).arg(seconds, 0, 'f', 2).arg(outcome.ok ? "ok" : qPrintable(outcome.message))
               .arg(work.text());
    out.flush();

    if (pushed > 0) {
        if (!server.useCollection(QStringLiteral("envio"))) {
            out << "servidor: " << server.error() << '\n';
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
