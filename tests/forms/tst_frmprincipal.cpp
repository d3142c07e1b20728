// The main window: its list, filters, commands and menus, and its first
// opening over a file not ready yet. Today is 10/03/2006.
#include "alerts/singleinstance.h"
#include "alerts/windowrefresh.h"
#include "forms/frmlembretesys.h"
#include "forms/frmprocurar.h"
#include "forms/startupstatus.h"
#include "settings/settingsstore.h"
#include "store/reminderindexes.h"
#include "store/startupwork.h"
#include "support/startupfiles.h"

#include "formfixture.h"

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
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
        for (const char *size : {"22", "6"}) {
            f.fake.platform().settings().write(QStringLiteral("Configurações"), QStringLiteral("TamanhoFonte"),
                                               QLatin1String(size));
            f.window->CarregarConfigSoft();
            QVERIFY(list->columnWidth(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
            QCOMPARE(list->columnWidth(0) + list->columnWidth(1), 79 + 339);
            QVERIFY(list->columnWidth(2) >= 121);
        }
        QCOMPARE(list->columnWidth(0), 79);
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
        QTest::newRow("7dias") << QString() << "mnu7dias" << "7dias" << only + "até 7 dias entre 10/03/2006 e 17/03/2006"
                               << QStringList{"hoje a", "hoje b", "amanhã", "sete"};
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
            QStringList checked;
            for (const char *name : {"mnutodos", "mnuhoje", "mnuamanha", "mnu7dias", "mnu15dias"}) {
                if (child<QAction>(f.window.get(), name)->isChecked())
                    checked << QLatin1String(name);
            }
            QCOMPARE(checked, command.isEmpty() ? QStringList() : QStringList{command});
            QCOMPARE(f.window->statusLabel()->text(), status);
            QCOMPARE(settings::read(f.fake.platform().settings(), settings::keys::Exibir), saved);
            QStringList shown;
            for (const QString &row : f.listed())
                shown << row.section(u'|', 1, 1);
            QCOMPARE(shown, titles);
        }
    }

    // The file gone, or its table of another shape.
    void aLoadThatFailsLeavesTheListEmptyAndReportsOnce()
    {
        for (const bool databaseGone : {true, false}) {
            Fixture f(kMarch);
            QSqlQuery query(f.store.connection());
            if (databaseGone)
                QFile::remove(f.fake.databasePath());
            else
                QVERIFY(query.exec("drop table lembrete") && query.exec("create table lembrete (data text)"));
            f.window->carregarlista();
            QCOMPARE(f.listed(), QStringList());
            QCOMPARE(f.onlyMessage().title, QStringLiteral("Erro"));
            QCOMPARE(QFile::exists(f.fake.databasePath()), !databaseGone); // no empty file made in its place
            if (!databaseGone)
                QVERIFY2(f.onlyMessage().text.startsWith("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ")
                             && f.onlyMessage().text.contains("não é de lembretes"), qPrintable(f.onlyMessage().text));
        }
    }

    // A damaged page in the middle of the day-and-title index, which the list reads in order.
    void aLoadThatStopsMidwayShowsWhatWasReadAndSaysSo()
    {
        Fixture f;
        QSqlDatabase db = f.store.connection();
        QSqlQuery query(db);
        QVERIFY(db.transaction() && query.prepare("insert into lembrete (data, titulo, descricao) values (?, ?, ?)"));
        for (int i = 0; i < 3000; ++i) {
            query.addBindValue(QStringLiteral("2006/03/%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            query.addBindValue(QStringLiteral("Lembrete %1").arg(i, 4, 10, QLatin1Char('0')));
            query.addBindValue(QString(200, QLatin1Char('x')));
            QVERIFY(query.exec());
        }
        QVERIFY(db.commit());
        QList<qint64> leaves;
        QVERIFY(query.exec("select pageno from dbstat where name = 'lembrete_data' and pagetype = 'leaf' order by pageno"));
        while (query.next())
            leaves << query.value(0).toLongLong();
        QVERIFY(query.exec("pragma page_size") && query.next() && leaves.size() > 4);
        const qint64 pageSize = query.value(0).toLongLong();
        query.finish();
        QFile file(f.fake.databasePath());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek((leaves[leaves.size() / 2] - 1) * pageSize + 100));
        file.write(QByteArray(pageSize - 200, '\x55'));
        file.close();
        f.window->carregarlista();
        const int shown = f.window->list()->model()->rowCount();
        QVERIFY2(shown > 0 && shown < 3000, qPrintable(QString::number(shown)));
        QVERIFY2(f.onlyMessage().text.contains(QStringLiteral("a leitura dos lembretes parou depois de %1").arg(shown)),
                 qPrintable(f.onlyMessage().text));
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
        QTest::newRow("the same after another is removed") << 3 << "remove:ontem" << "amanhã";
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
        f.window->mnueditar_Click();
        QCOMPARE(child<QLineEdit>(f.loaded<frmlembretesys>(), "txttitulo")->text(), chosen);
    }

    void rowsLoadedAfterTheLookWasAppliedToAnEmptyListShowNoStripes()
    {
        Fixture f;
        showActive(*f.window); // the look is applied while the list is empty
        for (const char *title : {"um", "dois", "tres"})
            f.store.appendReminder(QStringLiteral("2006/03/10"), QLatin1String(title), QString());
        f.window->carregarlista(); // the first row is chosen: the next two are compared
        QTreeView *list = f.window->list();
        const QImage picture = list->viewport()->grab().toImage();
        const auto behind = [&](int row) {
            const QRect rect = list->visualRect(list->model()->index(row, 2));
            return picture.pixelColor(rect.right() - 2, rect.center().y());
        };
        QCOMPARE(behind(1), behind(2));
    }

    // The question names the reminder; No keeps it, Yes (by the Delete key)
    // removes it, and undo brings it back once.
    void removingAsksFirstAndUndoBringsTheRowBackOnce()
    {
        Fixture f({"2006/03/10|Dentista", "2006/04/10|dentista", "2006/05/10|Dentista 2"});
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
        QCOMPARE(f.listed(), (QStringList{"10/04/2006|dentista|31 dias", "10/05/2006|Dentista 2|61 dias"}));
        QVERIFY(undo->isEnabled() && popupUndo->isEnabled());
        popupUndo->trigger();
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
        QTest::newRow("popnovo") << "popnovo" << "window:frmlembretesys";
        QTest::newRow("novo") << "key:novo" << "window:frmlembretesys";
        QTest::newRow("preferencias") << "key:preferencias" << "window:frmpreferencias";
        QTest::newRow("sobre") << "key:sobre" << "window:frmsobre";
        QTest::newRow("popremover") << "popremover" << "warning:Remover";
        QTest::newRow("popeditar") << "popeditar" << "warning:Editar";
        QTest::newRow("remover") << "key:remover" << "warning:Remover";
        QTest::newRow("Remover") << "key:Remover" << "nothing";
        QTest::newRow("abrir") << "key:abrir" << "nothing";
        QTest::newRow("poptxt") << "poptxt" << "dialog";
        QTest::newRow("pophtml") << "pophtml" << "dialog";
        QTest::newRow("popcsv") << "popcsv" << "dialog";
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
        else if (effect.startsWith(QLatin1String("window:"))) // the editor says its calendar is missing: no count
            QVERIFY2(loaded.contains(effect.mid(7)), qPrintable(loaded.join(u',')));
        else
            QVERIFY(f.fake.messages->shown.isEmpty());
        QCOMPARE(f.window->isVisible(), effect != QLatin1String("closed"));
        if (effect == QLatin1String("nothing"))
            QCOMPARE(loaded.size(), 1);
        f.unloadOthers();
    }

    // Another run (lembrete --novo) tells the open window over the
    // single-instance socket; a question of the window's own holds it back.
    void aReminderAddedElsewhereShowsInTheOpenWindow()
    {
        for (const bool questionOpen : {false, true}) {
            Fixture f({QStringLiteral("2006/03/10|Dentista")});
            f.window->show();
            QTemporaryDir runtimeFolder;
            alerts::SingleInstance running(runtimeFolder.path());
            QVERIFY(running.tryBecomeResident());
            alerts::WindowRefresh refresh([&f] { return f.window.get(); });
            connect(&running, &alerts::SingleInstance::reloadRequested, &refresh, &alerts::WindowRefresh::request);
            QDialog question(f.window.get());
            question.setWindowModality(Qt::ApplicationModal);
            question.setVisible(questionOpen);
            {
                modgeral other(f.fake.platform());
                other.abrirbanco();
                QVERIFY(other.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("Feira"), QString()));
            }
            QVERIFY(alerts::SingleInstance(runtimeFolder.path()).tellChanged());
            if (questionOpen) {
                QTest::qWait(600);
                QCOMPARE(f.listed().size(), 1);
                question.close();
            }
            QTRY_COMPARE(f.listed(), (QStringList{"10/03/2006|Dentista|0 dias", "11/03/2006|Feira|1 dias"}));
        }
        // With no program running, telling returns at once.
        QTemporaryDir runtimeFolder;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!alerts::SingleInstance(QDir(runtimeFolder.path()).filePath("outra")).tellChanged());
        QVERIFY(timer.elapsed() < 500);
    }

    // The indexes cannot be built while another program writes: the window
    // still comes up, says what it is preparing, and the search waits.
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
        QVERIFY(panel);
        QTRY_VERIFY(panel->isVisible() && panel->text().startsWith(StartupStatus::indexingText(0).left(20)));
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
        f.unloadOthers();
    }

    void aDamagedFileFoundAfterThePaintIsOnlyRead()
    {
        Fixture f({}, false, {}, [](FakePlatform &fake) {
            QFile file(fake.databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(startupfiles::reminders(3000, true)) > 0);
        });
        QVERIFY(exposed(f.window.get()));
        for (const RecordedMessage &message : f.atStart)
            QVERIFY2(!message.text.contains(QStringLiteral("está danificado")), qPrintable(message.text));
        QVERIFY(!f.listed().isEmpty());
        QTRY_VERIFY(f.store.isReadOnly());
        QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Warning);
        QVERIFY(f.onlyMessage().text.contains(QStringLiteral("somente para leitura")));
        QVERIFY(!f.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        QVERIFY(!child<QLabel>(f.window.get(), "StatusBarPreparo")->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmprincipal.moc"
