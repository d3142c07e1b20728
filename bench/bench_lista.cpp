// Times the reminder list over N realistic reminders (100000 unless given;
// "1M" for a million): each load next to the floor, the same statement read
// through SQLite's C API in the same process, in interleaved runs; then the
// title lookup behind edit and remove, a removal and a filter change.
//
//   bench_lista [N|1M] [folder]   the folder keeps the generated file for reuse
#include "reminderdata.h"
#include "forms/frmprincipal.h"
#include "forms/frmprocurar.h"
#include "forms/reminderlistmodel.h"
#include "runtime/platform.h"
#include "runtime/qtservices.h"
#include "settings/settingsstore.h"
#include "store/modgeral.h"
#include "store/titlematch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

class AnsweringMessageBoxes final : public runtime::MessageBoxes
{
public:
    runtime::MessageAnswer show(QWidget *, runtime::MessageIcon icon, const QString &text, const QString &,
                                runtime::MessageButtons) override
    {
        if (icon != runtime::MessageIcon::Question)
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

sqlite3 *handleOf(const QSqlDatabase &db)
{
    return *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
}

// The floor: the statement prepared, bound and stepped through, each row's
// texts touched, on a connection of its own.
double cApiRead(const QString &path, const Statement &statement, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *prepared = nullptr;
    sqlite3_prepare_v2(db, statement.text.toUtf8().constData(), -1, &prepared, nullptr);
    std::vector<QByteArray> values;
    for (int i = 0; i < statement.values.size(); ++i) {
        values.push_back(statement.values.at(i).toString().toUtf8());
        sqlite3_bind_text(prepared, i + 1, values.back().constData(), -1, SQLITE_STATIC);
    }
    qint64 bytes = 0;
    *rows = 0;
    while (sqlite3_step(prepared) == SQLITE_ROW) {
        sqlite3_column_text(prepared, 1);
        sqlite3_column_text(prepared, 2);
        bytes += sqlite3_column_bytes(prepared, 1) + sqlite3_column_bytes(prepared, 2);
        ++*rows;
    }
    sqlite3_finalize(prepared);
    sqlite3_close(db);
    if (bytes == 0 && *rows > 0)
        std::fprintf(stderr, "leitura vazia\n");
    return milliseconds(timer);
}

Statement statementFor(const QString &filter)
{
    const QDate today = QDate::currentDate();
    if (filter == settings::viewfilter::SeteDias)
        return modgeral::dateRange(today, today.addDays(7));
    if (filter == settings::viewfilter::Hoje)
        return modgeral::oneDay(today);
    return modgeral::allReminders();
}

void line(const QByteArray &what, double value, const QByteArray &extra = QByteArray())
{
    std::printf("%-44s %9.1f ms%s\n", what.constData(), value, extra.constData());
    std::fflush(stdout);
}

int sizeArgument(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return 100000;
    const QString text = arguments.at(1);
    if (text.compare(QLatin1String("1M"), Qt::CaseInsensitive) == 0)
        return 1000000;
    return std::max(1, text.toInt());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = sizeArgument(QCoreApplication::arguments());
    QTemporaryDir temporary;
    const QString folder = QCoreApplication::arguments().size() > 2 ? QCoreApplication::arguments().at(2)
                                                                     : temporary.path();
    QDir().mkpath(folder);
    runtime::Platform platform(folder);
    platform.setMessageBoxes(std::make_unique<AnsweringMessageBoxes>());
    platform.setSettingsAccess(std::make_unique<runtime::QSettingsAccess>(folder + QStringLiteral("/bench.ini")));
    settings::write(platform.settings(), settings::keys::Exibir, settings::viewfilter::Todos);

    const QString path = platform.dataFile(modgeral::databaseFileName());
    const QString marker = path + QStringLiteral(".%1").arg(count);
    QElapsedTimer timer;
    if (!QFile::exists(marker)) {
        QFile::remove(path);
        timer.start();
        benchdata::fill(path, count);
        line("preparar " + QByteArray::number(count) + " lembretes", milliseconds(timer));
        modgeral first(platform);
        timer.restart();
        first.abrirbanco(); // the first open builds the search index
        line("primeira abertura (indice de busca)", milliseconds(timer));
        QFile(marker).open(QIODevice::WriteOnly);
    }

    modgeral store(platform);
    timer.start();
    store.abrirbanco();
    line("abrirbanco", milliseconds(timer));

    frmprincipal window(platform, store);
    // The window up and painted: the day's copy starts on the side.
    window.show();
    QEventLoop shown;
    QTimer::singleShot(200, &shown, &QEventLoop::quit);
    shown.exec();
    // The figures below, as before, without the painting of a visible list;
    // BENCH_LISTA_VISIVEL=1 keeps the window shown, as the user has it.
    if (!qEnvironmentVariableIsSet("BENCH_LISTA_VISIVEL"))
        window.hide();
    for (const QString &filter : {settings::viewfilter::Todos, settings::viewfilter::SeteDias,
                                  settings::viewfilter::Hoje}) {
        settings::write(platform.settings(), settings::keys::Exibir, filter);
        const Statement statement = statementFor(filter);
        std::vector<double> loads;
        std::vector<double> floors;
        int rows = 0;
        for (int run = 0; run < 5; ++run) {
            timer.restart();
            window.carregarlista();
            loads.push_back(milliseconds(timer));
            floors.push_back(cApiRead(path, statement, &rows));
        }
        if (rows != window.list()->model()->rowCount())
            std::fprintf(stderr, "linhas diferentes: %d e %d\n", rows, window.list()->model()->rowCount());
        const double load = median(loads);
        const double floor = median(floors);
        line("carregarlista " + filter.toUtf8() + " (" + QByteArray::number(rows) + " linhas)", load,
             "   piso (API C do SQLite): " + QByteArray::number(floor, 'f', 1) + " ms = "
                 + QByteArray::number(load / floor, 'f', 2) + "x");
    }

    // Edit and remove find their row by its key; the removal question still
    // looks for another reminder with the same title. Both for a row in the
    // middle of the list.
    settings::write(platform.settings(), settings::keys::Exibir, settings::viewfilter::Todos);
    window.carregarlista();
    QTreeView *list = window.list();
    const int middle = list->model()->rowCount() / 2;
    const QString title = list->model()->index(middle, 1).data().toString();
    const qint64 key = qobject_cast<const ReminderListModel *>(list->model())->key(middle);
    const std::pair<const char *, std::function<bool()>> lookupsOf[] = {
        {"busca por chave (editar, remover)",
         [&] {
             const bool found = store.openRecordset(modgeral::keyQuery(key)) && store.recordset().next();
             store.closeRecordset();
             return found;
         }},
        {"mesmo titulo em outro lembrete (pergunta ao remover)",
         [&] {
             bool found = false;
             return titlematch::otherHasTitle(store.connection(), -1, title.toUpper(), &found) && found;
         }},
    };
    for (const auto &[what, lookup] : lookupsOf) {
        std::vector<double> lookups;
        for (int run = 0; run < 5; ++run) {
            timer.restart();
            const bool found = lookup();
            lookups.push_back(milliseconds(timer));
            if (!found)
                std::fprintf(stderr, "lembrete nao encontrado\n");
        }
        line(what, median(lookups), "   (" + QByteArray::number(median(lookups) * 1000, 'f', 0) + " us)");
    }

    // The day's first change finds the day's copy made on the side, or waits for it.
    for (const char *what : {"remover um lembrete (1a do dia, com a copia)", "remover outro lembrete"}) {
        list->selectionModel()->setCurrentIndex(list->model()->index(middle, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        timer.restart();
        window.mnuremover_Click();
        line(what, milliseconds(timer));
    }

    timer.restart();
    window.mnu7dias_Click();
    line("trocar o filtro para 7dias", milliseconds(timer));
    timer.restart();
    window.mnutodos_Click();
    line("trocar o filtro para todos", milliseconds(timer));

    // The search, one keystroke at a time, as typed into its window.
    frmprocurar search(platform, store);
    auto *box = search.findChild<QLineEdit *>(QStringLiteral("txtprocurar"));
    for (const QString &typed : {QStringLiteral("reuniao cliente"), QStringLiteral("pagar conta luz"),
                                 QStringLiteral("são paulo"), QStringLiteral("aniversario investimento"),
                                 QStringLiteral("xyz")}) {
        std::vector<double> keystrokes;
        box->clear();
        for (int length = 1; length <= typed.size(); ++length) {
            timer.restart();
            box->setText(typed.left(length));
            keystrokes.push_back(milliseconds(timer));
        }
        const double slowest = *std::max_element(keystrokes.begin(), keystrokes.end());
        line("procurar \"" + typed.toUtf8() + "\", por tecla (mediana)", median(keystrokes),
             "   a mais lenta: " + QByteArray::number(slowest, 'f', 1) + " ms; "
                 + search.findChild<QLabel *>(QStringLiteral("lblresultado"))->text().toUtf8());
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-44s %9.1f MiB\n", "pico de memoria do processo", usage.ru_maxrss / 1024.0);
    return 0;
}
