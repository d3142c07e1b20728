// Times the exchange of 100,000 reminders: the iCalendar export (the first one
// also gives every reminder its UID), the CSV export, and the import of the
// exported calendar into an empty database and again into the same one
// (where every item is already present). One line per figure.
#include "exchange/icalendar.h"
#include "exchange/reminderexchange.h"
#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kReminders = 100000;

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

void fillDatabase(const QString &path, int count)
{
    QFile(path).open(QIODevice::WriteOnly);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("create table lembrete (id integer primary key autoincrement, "
                                  "data text not null, titulo text not null, descricao text not null default '')"));
        db.transaction();
        query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao) values (?, ?, ?)"));
        const QDate first = QDate::currentDate().addYears(-2);
        QRandomGenerator random(2006);
        for (int i = 0; i < count; ++i) {
            query.addBindValue(daytext::stored(first.addDays(random.bounded(4 * 365 + 1))));
            query.addBindValue(QStringLiteral("Lembrete número %1, sala; B").arg(i));
            query.addBindValue(QStringLiteral("Descrição do lembrete %1\ncom duas linhas").arg(i));
            query.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

struct Store
{
    explicit Store(const QString &folder) : platform(folder)
    {
        platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
        store.abrirbanco();
    }
    runtime::Platform platform;
    modgeral store{platform};
};

// The process's processor time: the machine may be shared, so the wall-clock
// figure alone would mostly measure the other programs.
qint64 cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

template<typename Work>
void timed(const char *what, Work work)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = cpuMilliseconds();
    const QString result = work();
    std::printf("%-56s %6lld ms wall %6lld ms cpu  %s\n", what, timer.elapsed(), cpuMilliseconds() - cpu,
                qPrintable(result));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir source;
    QTemporaryDir target;
    fillDatabase(QDir(source.path()).filePath(modgeral::databaseFileName()), kReminders);
    QFile(QDir(target.path()).filePath(modgeral::databaseFileName())).open(QIODevice::WriteOnly);
    Store from(source.path());
    Store to(target.path());
    const QString ics = QDir(source.path()).filePath(QStringLiteral("lembretes.ics"));
    const QString csv = QDir(source.path()).filePath(QStringLiteral("lembretes.csv"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto exported = [](const exchange::ExportResult &result, const QString &file) {
        return result.ok ? QStringLiteral("%1 lembretes, %2 MB")
                               .arg(result.written)
                               .arg(QFileInfo(file).size() / 1e6, 0, 'f', 1)
                         : result.error;
    };
    const auto imported = [](const exchange::ImportResult &result) {
        return result.ok ? QStringLiteral("%1 novos, %2 já presentes").arg(result.imported).arg(result.alreadyPresent)
                         : result.error;
    };

    timed("export .ics, first time (UIDs assigned and stored)",
          [&] { return exported(exchange::exportCalendar(from.store, ics, now), ics); });
    timed("export .ics again", [&] { return exported(exchange::exportCalendar(from.store, ics, now), ics); });
    timed("export .csv", [&] { return exported(exchange::exportCsv(from.store, csv), csv); });
    QFile file(ics);
    file.open(QIODevice::ReadOnly);
    const QByteArray data = file.readAll();
    timed("  of which: reading the .ics with libical (no database)", [&] {
        return QStringLiteral("%1 itens").arg(icalendar::parse(data, QDate::currentDate()).items.size());
    });
    timed("import .ics into an empty database",
          [&] { return imported(exchange::importCalendar(to.store, ics, QDate::currentDate(), target.path())); });
    timed("import the same .ics again (nothing new)",
          [&] { return imported(exchange::importCalendar(to.store, ics, QDate::currentDate(), target.path())); });
    return 0;
}
