// The main window: its list, filters, commands and menus, and its first
// opening over a file not ready yet. Today is 10/03/2006.
#include "alerts/singleinstance.h"
#include "alerts/windowrefresh.h"
#include "forms/startupstatus.h"
#include "store/reminderindexes.h"
#include "store/startupwork.h"
#include "support/startupfiles.h"

#include "formfixture.h"

#include <QDialog>
#include <QDir>
#include <QProgressBar>
#include <QSqlDatabase>
#include <QTemporaryDir>

namespace {

const QStringList kMarch{"2006/03/09|ontem",  "2006/03/10|hoje b", "2006/03/10|hoje a", "2006/03/11|amanhã",
                         "2006/03/17|sete",   "2006/03/18|oito",   "2006/03/25|quinze", "2006/03/26|dezesseis"};

using Fixture = MainWindowFixture;

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    // The title column gives up what the day column gains.
    void aLargerListFontWidensTheDayColumnWithinTheSameWidth()
    {
        Fixture f(kMarch);
        const QTreeView *list = f.window->list();
        const int both = list->columnWidth(0) + list->columnWidth(1);
        settings::write(f.fake.platform().settings(), settings::keys::TamanhoFonte, QStringLiteral("22"));
        f.window->CarregarConfigSoft();
        QVERIFY(list->columnWidth(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
        QCOMPARE(list->columnWidth(0) + list->columnWidth(1), both);
    }

    // Run twice to show a second run changes nothing; a stored filter is read
    // whatever its case, an unknown one lists everything and stays stored; a
    // fresh user sees every reminder in day and title order.
    void eachFilterNarrowsTheListAndSaysSo_data()
    {
        QTest::addColumn<QString>("stored"); // null: the command is run; "-": nothing stored
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("titles");
        const QString only = QStringLiteral("Estatus: Mostrando apenas lembretes de ");
        const QStringList today{"hoje a", "hoje b"};
        QTest::newRow("hoje") << QString() << "mnuhoje" << "Hoje" << only + "hoje 10/03/2006" << today;
        QTest::newRow("amanha") << QString() << "mnuamanha" << "Amanha" << only + "amanhã 11/03/2006" << QStringList{"amanhã"};
        QTest::newRow("15dias") << QString() << "mnu15dias" << "15dias" << only + "até 15 dias entre 10/03/2006 e 25/03/2006"
                                << QStringList{"hoje a", "hoje b", "amanhã", "sete", "oito", "quinze"};
        QTest::newRow("stored HOJE") << "HOJE" << "mnuhoje" << "Hoje" << only + "hoje 10/03/2006" << today;
        const QStringList all{"ontem", "hoje a", "hoje b", "amanhã", "sete", "oito", "quinze", "dezesseis"};
        QTest::newRow("fresh user") << "-" << "mnutodos" << "Todos" << "Estatus: Mostrando todos os lembretes" << all;
        QTest::newRow("stored unknown") << "semana" << "" << "semana" << "Estatus: Mostrando todos os lembretes" << all;
    }

    void eachFilterNarrowsTheListAndSaysSo()
    {
        QFETCH(QString, stored);
        QFETCH(QString, command);
        QFETCH(QString, saved);
        QFETCH(QString, status);
        QFETCH(QStringList, titles);
        Fixture f(kMarch, false, stored == QLatin1String("-") ? QString() : stored);
        QVERIFY(f.atStart.isEmpty() && !child<QProgressBar>(f.window.get(), "barraprogresso")->isVisible());
        QVERIFY(f.window->list()->updatesEnabled()); // the load leaves the list repainting
        for (int run = 0; run < 2; ++run) {
            if (stored.isNull())
                child<QAction>(f.window.get(), qPrintable(command))->trigger();
            for (const char *name : {"mnutodos", "mnuhoje", "mnuamanha", "mnu7dias", "mnu15dias"})
                QCOMPARE(child<QAction>(f.window.get(), name)->isChecked(), command == QLatin1String(name));
            QCOMPARE(f.window->statusLabel()->text(), status);
            QCOMPARE(settings::read(f.fake.platform().settings(), settings::keys::Exibir), saved);
            QStringList shown;
            for (const QString &row : f.listed())
                shown << row.section(u'|', 1, 1);
            QCOMPARE(shown, titles);
        }
    }

    // What the commands act on is the row shown selected, which is also the
    // one with the keyboard focus.
    void theRowThatLooksChosenIsTheOneCommandsUse_data()
    {
        QTest::addColumn<int>("picked");   // the row selected before; -1 none
        QTest::addColumn<QString>("step"); // "reload", "remove:<title>", "right click"
        QTest::addColumn<QString>("chosen");
        QTest::newRow("after the first load") << -1 << "reload" << "ontem";
        QTest::newRow("the same after a reload") << 3 << "reload" << "amanhã";
        QTest::newRow("the first when it is removed") << 3 << "remove:amanhã" << "ontem";
        QTest::newRow("the row right-clicked") << 0 << "right click" << "hoje b";
    }

    void theRowThatLooksChosenIsTheOneCommandsUse()
    {
        QFETCH(int, picked);
        QFETCH(QString, step);
        QFETCH(QString, chosen);
        Fixture f(kMarch);
        QTreeView *list = f.window->list();
        REQUIRE_ROWS(list, 4);
        if (picked >= 0)
            selectRow(list, picked);
        if (step == QLatin1String("right click")) {
            QVERIFY(exposed(f.window.get()));
            QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualRect(list->model()->index(2, 1)).center());
            QTRY_VERIFY(f.window->popupMenu()->isVisible());
            f.window->popupMenu()->hide();
        } else {
            if (step.startsWith(QLatin1String("remove:")))
                QVERIFY(f.store.execute(modgeral::titleDelete(step.mid(7))));
            f.window->carregarlista();
        }
        const QModelIndexList selected = list->selectionModel()->selectedRows(1);
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.constFirst().data().toString(), chosen);
        QCOMPARE(list->currentIndex().row(), selected.constFirst().row());
    }

    // Rows 1, 3, 5 ... take colour 1, painted behind the row's empty end, also below what the
    // list shows. Rows loaded after the look was applied to the empty list wait for the next look.
    void rowsAreStripedInTheTwoColoursWhateverTheirNumber()
    {
        Fixture f({}, false, {}, [](FakePlatform &fake) {
            settings::write(fake.platform().settings(), settings::keys::CorFundo1, QStringLiteral("&HC0FFFF"));
            settings::write(fake.platform().settings(), settings::keys::CorFundo2, QStringLiteral("16761024"));
        });
        showActive(*f.window);
        QTreeView *list = f.window->list();
        const auto behind = [list](int row) {
            list->scrollTo(list->model()->index(row, 1));
            const QRect rect = list->visualRect(list->model()->index(row, 1));
            return list->viewport()->grab().toImage().pixelColor(rect.right() - 4, rect.center().y());
        };
        for (const int rows : {2, 3, 40}) {
            for (int row = list->model()->rowCount(); row < rows; ++row)
                f.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("R%1").arg(row, 2, 10, QLatin1Char('0')), {});
            f.window->carregarlista();
            list->selectionModel()->clear(); // the chosen row shows as chosen
            if (rows == 2)
                QCOMPARE(behind(0), behind(1));
            f.window->CarregarConfigSoft(); // as the next activation does
            for (int row = 0; row < rows; ++row)
                QCOMPARE(behind(row), row % 2 == 0 ? QColor(255, 255, 192) : QColor(192, 192, 255));
        }
    }

    // The question names the chosen reminder's day, as another shares its title; No keeps it, Yes (by the
    // Delete key on the first row) removes that one alone, and undo brings it back under its own key, once.
    void removingAsksFirstTakesOnlyTheChosenRowAndUndoBringsItBackOnce()
    {
        const QStringList seeded{"2006/03/11|Dentista|depois", "2006/03/10|Dentista|hoje", "2006/05/10|Dentista 2|"};
        Fixture f(seeded);
        REQUIRE_ROWS(f.window->list(), 1);
        selectRow(f.window->list(), 0);
        auto *undo = child<QAction>(f.window.get(), "mnudesfazer");
        auto *popupUndo = child<QAction>(f.window->popupMenu(), "popdesfazer");
        QVERIFY(undo && popupUndo && !undo->isEnabled() && !popupUndo->isEnabled());
        const QStringList before = f.listed();
        f.window->mnuremover_Click();
        QCOMPARE(f.onlyMessage().text, QStringLiteral("Tem certeza que deseja remover o lembrete Dentista de 10/03/2006?"));
        QCOMPARE(f.onlyMessage().buttons, runtime::MessageButtons::YesNo);
        QCOMPARE(f.listed(), before);
        f.fake.messages->shown.clear();
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        QTest::keyClick(f.window->list(), Qt::Key_Delete);
        QCOMPARE(f.fake.messages->shown.size(), 1);
        QCOMPARE(f.stored(), (QStringList{seeded[0], seeded[2]}));
        QVERIFY(undo->isEnabled() && popupUndo->isEnabled());
        popupUndo->trigger();
        QCOMPARE(f.stored(), seeded); // in key order: back under its own key
        QCOMPARE(f.listed(), before);
        QVERIFY(!undo->isEnabled() && !popupUndo->isEnabled());
        QCOMPARE(f.fake.messages->shown.size(), 1);
    }

    // Pop-up items (the pop-up opened by a right click, even on an empty list)
    // and toolbar keys, matched exactly; with no row chosen a command warns.
    void popupItemsAndToolbarKeysRunTheirCommands_data()
    {
        QTest::addColumn<QString>("item"); // a pop-up item, or "key:" and a toolbar key
        QTest::addColumn<QString>("effect");
        QTest::newRow("sobre") << "key:sobre" << "window:frmsobre";
        QTest::newRow("popremover") << "popremover" << "warning:Remover";
        QTest::newRow("Remover") << "key:Remover" << "nothing";
        QTest::newRow("poptxt") << "poptxt" << "dialog";
        QTest::newRow("popsair") << "popsair" << "closed";
    }

    void popupItemsAndToolbarKeysRunTheirCommands()
    {
        QFETCH(QString, item);
        QFETCH(QString, effect);
        Fixture f;
        QVERIFY(exposed(f.window.get()));
        if (item.startsWith(QLatin1String("key:"))) {
            f.window->Toolbar_ButtonClick(item.mid(4));
        } else {
            QTest::mouseClick(f.window->list()->viewport(), Qt::RightButton);
            QTRY_VERIFY(f.window->popupMenu()->isVisible());
            f.window->popupMenu()->hide();
            child<QAction>(f.window.get(), qPrintable(item))->trigger();
        }
        QStringList loaded;
        for (const QWidget *window : f.fake.platform().windows().loaded())
            loaded << QLatin1String(window->metaObject()->className());
        QCOMPARE(f.fake.saveDialog->titles.size(), int(effect == QLatin1String("dialog")));
        if (effect.startsWith(QLatin1String("warning:")))
            QCOMPARE(f.onlyMessage().title + ": " + f.onlyMessage().text, effect.mid(8) + ": Nenhum lembrete foi selecionado!");
        else
            QVERIFY(f.fake.messages->shown.isEmpty());
        QCOMPARE(loaded.mid(1), effect.startsWith(QLatin1String("window:")) ? QStringList{effect.mid(7)} : QStringList());
        QCOMPARE(f.window->isVisible(), effect != QLatin1String("closed"));
        f.unloadOthers();
    }

    // Another run (lembrete --novo) tells the open window over the single-instance
    // socket; a question of the window's own holds it back until it closes.
    void aReminderAddedElsewhereShowsInTheOpenWindow()
    {
        Fixture f({QStringLiteral("2006/03/10|Dentista")});
        f.window->show();
        QTemporaryDir runtimeFolder;
        alerts::SingleInstance running(runtimeFolder.path());
        QVERIFY(running.tryBecomeResident());
        alerts::WindowRefresh refresh([&f] { return f.window.get(); });
        connect(&running, &alerts::SingleInstance::reloadRequested, &refresh, &alerts::WindowRefresh::request);
        QDialog question(f.window.get());
        question.setWindowModality(Qt::ApplicationModal);
        question.show();
        QVERIFY(f.store.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("Feira"), QString()));
        QVERIFY(alerts::SingleInstance(runtimeFolder.path()).tellChanged());
        QTest::qWait(600);
        QCOMPARE(f.listed().size(), 1);
        question.close();
        QTRY_COMPARE(f.listed(), (QStringList{"10/03/2006|Dentista|0 dias", "11/03/2006|Feira|1 dias"}));
        // With no program running, telling returns at once.
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!alerts::SingleInstance(QDir(runtimeFolder.path()).filePath("outra")).tellChanged());
        QVERIFY(timer.elapsed() < 500);
    }

    // The indexes cannot be built while another program writes: the window
    // still comes up, says what it is preparing, and the search waits, then
    // follows the main window's removals.
    void theWindowComesUpBeforeTheIndexesAndTheSearchWaitsForThem()
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("escrevendo"));
        Fixture f({"2006/03/12|Dentista", "2006/03/12|Reunião", "2006/03/12|Dentes"}, false, {}, [&other](FakePlatform &fake) {
            QString failed;
            QVERIFY2(startupfiles::asAnotherProgram(fake.databasePath(), startupfiles::withoutNewIndexes(), &failed),
                     qPrintable(failed));
            other.setDatabaseName(fake.databasePath());
            QVERIFY(other.open() && QSqlQuery(other).exec("begin immediate")); // as another program writing for long
        });
        QVERIFY(other.isOpen() && exposed(f.window.get()));
        QCOMPARE(f.listed().size(), 3);
        auto *panel = child<QLabel>(f.window.get(), "StatusBarPreparo");
        QTRY_VERIFY(panel && panel->isVisible() && panel->text().startsWith(StartupStatus::indexingText(0).left(20)));
        f.window->mnuprocurar_Click();
        auto *search = f.loaded<frmprocurar>();
        auto *result = child<QLabel>(search, "lblresultado");
        auto *list = child<QTreeView>(search, "lstlista");
        child<QLineEdit>(search, "txtprocurar")->setText(QStringLiteral("dent"));
        QCOMPARE(result->text(), frmprocurar::preparingText(f.store.startupWork().percent()));
        QCOMPARE(list->model()->rowCount(), 0);

        other.close();
        QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 20000);
        QCOMPARE(listedRows(list), (QStringList{"12/03/2006|Dentes|2 dias", "12/03/2006|Dentista|2 dias"}));
        QCOMPARE(result->text(), QStringLiteral("2 lembretes encontrados."));
        QVERIFY(reminderindexes::complete(f.store.connection()));
        QVERIFY(f.atStart.isEmpty() && f.fake.messages->shown.isEmpty());
        selectRow(f.window->list(), 1); // a removal in the main window shows at once
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        f.window->mnuremover_Click();
        QCOMPARE(listedRows(list), QStringList{"12/03/2006|Dentes|2 dias"});
        f.unloadOthers();
    }

    // A damaged index page: the list shows the rows read before it and says where it
    // stopped; the check after the paint then leaves the file only to be read.
    void aDamagedFileShowsWhatWasReadAndIsThenOnlyRead()
    {
        Fixture f({}, false, {}, [](FakePlatform &fake) {
            QFile file(fake.databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(startupfiles::reminders(3000, true)) > 0);
        });
        QVERIFY(exposed(f.window.get()));
        const qsizetype shown = f.listed().size();
        QVERIFY2(shown > 0 && shown < 3000, qPrintable(QString::number(shown)));
        QCOMPARE(f.atStart.size(), 1);
        QVERIFY2(f.atStart[0].text.contains(QStringLiteral("a leitura dos lembretes parou depois de %1").arg(shown)),
                 qPrintable(f.atStart[0].text));
        QTRY_VERIFY(f.store.isReadOnly());
        QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Warning);
        QVERIFY(f.onlyMessage().text.contains(QStringLiteral("somente para leitura")));
        QVERIFY(!f.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        QVERIFY(!child<QLabel>(f.window.get(), "StatusBarPreparo")->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmprincipal.moc"
