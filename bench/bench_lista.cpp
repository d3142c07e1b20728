// Times the reminder list over 100,000 reminders spread across four years
// around today: the open routine, the list load under three view filters and
// a plain SQLite read of every row as the floor. One line per figure.
#include "forms/frmprincipal.h"
#include "runtime/platform.h"
#include "runtime/qtservices.h"
#include "settings/settingsstore.h"
#include "store/daytext.h"
#include "store/modgeral.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kReminders = 100000;

class PrintingMessageBoxes final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon, const QString &text,
                                const QString &, runtime::MessageButtons) override
    {
        std::fprintf(stderr, "mensagem: %s\n", qPrintable(text));
        return runtime::MessageAnswer::No;
    }
};

void fillDatabase(const QString &path)
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
    for (int i = 0; i < kReminders; ++i) {
        query.addBindValue(daytext::stored(first.addDays(random.bounded(4 * 365 + 1))));
        query.addBindValue(QStringLiteral("Lembrete número %1").arg(i));
        query.addBindValue(QStringLiteral("Descrição do lembrete %1\r\ncom duas linhas").arg(i));
        query.exec();
    }
    db.commit();
    query.exec(QStringLiteral("create index lembrete_data on lembrete (data, titulo)"));
    query.finish();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double plainRead(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral("select data, titulo, descricao from lembrete"));
        qint64 characters = 0;
        while (query.next())
            characters += query.value(0).toString().size() + query.value(1).toString().size();
        if (characters == 0)
            std::fprintf(stderr, "leitura vazia\n");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    return double(timer.nsecsElapsed()) / 1e6;
}

void line(const char *what, double milliseconds, const char *extra = "")
{
    std::printf("%-40s %10.1f ms%s\n", what, milliseconds, extra);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    runtime::Platform platform(folder.path());
    platform.setMessageBoxes(std::make_unique<PrintingMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(folder.filePath("bench.ini")));

    const QString path = platform.programFile(modgeral::databaseFileName());
    QElapsedTimer timer;
    timer.start();
    fillDatabase(path);
    line("preparar 100000 lembretes", timer.nsecsElapsed() / 1e6);

    const double floor = plainRead(path);
    line("leitura simples do SQLite (piso)", floor);

    modgeral store(platform);
    timer.restart();
    store.abrirbanco();
    line("abrirbanco", timer.nsecsElapsed() / 1e6);

    frmprincipal window(platform, store);
    for (const QString &filter : {settings::viewfilter::Todos, settings::viewfilter::SeteDias,
                                  settings::viewfilter::Hoje}) {
        settings::write(platform.settings(), settings::keys::Exibir, filter);
        double best = 1e12;
        int rows = 0;
        for (int run = 0; run < 3; ++run) {
            timer.restart();
            window.carregarlista();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
            rows = window.list()->model()->rowCount();
        }
        const QByteArray what = "carregarlista " + filter.toUtf8() + " (" + QByteArray::number(rows) + " linhas)";
        QByteArray extra;
        if (filter == settings::viewfilter::Todos)
            extra = QByteArray("   = ") + QByteArray::number(best / floor, 'f', 1) + "x a leitura simples";
        line(what.constData(), best, extra.constData());
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-40s %10.1f MB\n", "pico de memoria do processo", usage.ru_maxrss / 1024.0);
    return 0;
}
