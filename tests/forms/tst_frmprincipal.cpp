#include "forms/frmlembretesys.h"
#include "settings/settingsstore.h"

#include "formfixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QProgressBar>

namespace {

const QStringList kMarch{"2006/03/09|ontem",  "2006/03/10|hoje b", "2006/03/10|hoje a", "2006/03/11|amanhã",
                         "2006/03/17|sete",   "2006/03/18|oito",   "2006/03/25|quinze", "2006/03/26|dezesseis"};

struct Fixture : MainWindowFixture
{
    using MainWindowFixture::MainWindowFixture;

    QStringList checkedFilters() const
    {
        QStringList checked;
        for (const char *name : {"mnutodos", "mnuhoje", "mnuamanha", "mnu7dias", "mnu15dias"}) {
            if (window->findChild<QAction *>(QLatin1String(name))->isChecked())
                checked << QLatin1String(name);
        }
        return checked;
    }
    QString savedFilter() { return settings::read(fake.platform().settings(), settings::keys::Exibir); }
    void select(int row) const { selectRow(window->list(), row); }
    const QList<RecordedMessage> &shown() const { return fake.messages->shown; }
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void aFreshUserStartsWithEveryReminderInDateAndTitleOrder()
    {
        Fixture f(kMarch);
        QCOMPARE(f.checkedFilters(), QStringList{"mnutodos"});
        QCOMPARE(f.window->statusLabel()->text(), QStringLiteral("Estatus: Mostrando todos os lembretes"));
        QCOMPARE(f.listed().mid(0, 4), (QStringList{"09/03/2006|ontem|-1 dias", "10/03/2006|hoje a|0 dias",
                                                    "10/03/2006|hoje b|0 dias", "11/03/2006|amanhã|1 dias"}));
        QCOMPARE(f.listed().size(), kMarch.size());
        QCOMPARE(f.window->statusMessage(), QStringLiteral(">  Olá, seja bem vindo ao software Zedozarir"));
        QCOMPARE(f.savedFilter(), QStringLiteral("Todos"));
        QVERIFY(f.atStart.isEmpty());
        QVERIFY(!f.window->findChild<QProgressBar *>(QStringLiteral("barraprogresso"))->isVisible());
        QVERIFY(f.window->list()->updatesEnabled()); // the load leaves the list repainting
    }

    void aLargerListFontWidensTheDayColumnWithinTheSameWidth()
    {
        Fixture f(kMarch);
        const QTreeView *list = f.window->list();
        const auto useSize = [&f](const char *size) {
            f.fake.platform().settings().write(QStringLiteral("Configurações"), QStringLiteral("TamanhoFonte"),
                                               QLatin1String(size));
            f.window->CarregarConfigSoft();
        };
        useSize("22");
        QVERIFY(list->columnWidth(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
        // The title column gives up what the day column gains; the last one
        // keeps its width or stretches to the list's edge.
        QCOMPARE(list->columnWidth(0) + list->columnWidth(1), 79 + 339);
        QVERIFY(list->columnWidth(2) >= 121);
        useSize("6");
        QCOMPARE(list->columnWidth(0), 79);
        QCOMPARE(list->columnWidth(1), 339);
    }

    void eachFilterCommandNarrowsTheListAndSaysSo_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("titles");
        const QString only = QStringLiteral("Estatus: Mostrando apenas lembretes de ");
        QTest::newRow("hoje") << "mnuhoje" << "Hoje" << only + "hoje 10/03/2006" << QStringList{"hoje a", "hoje b"};
        QTest::newRow("amanha") << "mnuamanha" << "Amanha" << only + "amanhã 11/03/2006" << QStringList{"amanhã"};
        QTest::newRow("7dias") << "mnu7dias" << "7dias" << only + "até 7 dias entre 10/03/2006 e 17/03/2006"
                               << QStringList{"hoje a", "hoje b", "amanhã", "sete"};
        QTest::newRow("15dias") << "mnu15dias" << "15dias" << only + "até 15 dias entre 10/03/2006 e 25/03/2006"
                                << QStringList{"hoje a", "hoje b", "amanhã", "sete", "oito", "quinze"};
    }

    void eachFilterCommandNarrowsTheListAndSaysSo()
    {
        QFETCH(QString, command);
        QFETCH(QString, saved);
        QFETCH(QString, status);
        QFETCH(QStringList, titles);
        Fixture f(kMarch);
        for (int run = 0; run < 2; ++run) { // running it twice changes nothing
            f.window->findChild<QAction *>(command)->trigger();
            QCOMPARE(f.checkedFilters(), QStringList{command});
            QCOMPARE(f.window->statusLabel()->text(), status);
            QCOMPARE(f.savedFilter(), saved);
            QStringList shown;
            for (const QString &row : f.listed())
                shown << row.section(QLatin1Char('|'), 1, 1);
            QCOMPARE(shown, titles);
        }
    }

    void theStoredFilterIsReadWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("saved"); // as the command writes it
        const QString today = QStringLiteral("Estatus: Mostrando apenas lembretes de hoje 10/03/2006");
        for (const char *stored : {"Hoje", "hoje", "HOJE"})
            QTest::newRow(stored) << stored << QStringList{"mnuhoje"} << today << 2 << "Hoje";
        // An unknown filter runs no command, lists everything and stays stored.
        QTest::newRow("unknown") << "semana" << QStringList() << "Estatus: Mostrando todos os lembretes"
                                 << int(kMarch.size()) << "semana";
    }

    void theStoredFilterIsReadWithoutRegardToCase()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, checked);
        QFETCH(QString, status);
        QFETCH(int, rows);
        QFETCH(QString, saved);
        Fixture f(kMarch, false, stored);
        QCOMPARE(f.checkedFilters(), checked);
        QCOMPARE(f.window->statusLabel()->text(), status);
        QCOMPARE(f.listed().size(), rows);
        QCOMPARE(f.savedFilter(), saved);
    }

    void anEmptyResultLeavesTheListEmptyAndTheBarHidden()
    {
        Fixture f(kMarch, false, QStringLiteral("amanha"));
        f.store.abrirbanco();
        QVERIFY(f.store.execute(modgeral::titleDelete(QStringLiteral("amanhã"))));
        f.window->carregarlista();
        QCOMPARE(f.listed(), QStringList());
        auto *bar = f.window->findChild<QProgressBar *>(QStringLiteral("barraprogresso"));
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->maximum(), 1);
    }

    void aLoadThatFailsLeavesTheListEmptyAndReportsOnce_data()
    {
        QTest::addColumn<bool>("databaseGone"); // otherwise its table is not a reminder table
        QTest::newRow("failed open") << true;
        QTest::newRow("a table of another shape") << false;
    }

    void aLoadThatFailsLeavesTheListEmptyAndReportsOnce()
    {
        QFETCH(bool, databaseGone);
        Fixture f(kMarch);
        if (databaseGone) {
            QFile::remove(f.fake.databasePath());
        } else {
            QSqlQuery query(f.store.connection());
            QVERIFY(query.exec(QStringLiteral("drop table lembrete")));
            QVERIFY(query.exec(QStringLiteral("create table lembrete (data text)")));
        }
        f.window->carregarlista();
        QCOMPARE(f.listed(), QStringList());
        QCOMPARE(f.shown().size(), 1);
        QCOMPARE(f.shown()[0].title, QStringLiteral("Erro"));
        if (databaseGone)
            QVERIFY(!QFile::exists(f.fake.databasePath()));
        else
            QVERIFY2(f.shown()[0].text.startsWith(QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: "))
                         && f.shown()[0].text.contains(QStringLiteral("não é de lembretes")),
                     qPrintable(f.shown()[0].text));
    }

    void aLoadThatStopsMidwayShowsWhatWasReadAndSaysSo()
    {
        Fixture f;
        QList<qint64> leaves;
        qint64 pageSize = 0;
        {
            QSqlDatabase db = f.store.connection();
            QSqlQuery query(db);
            QVERIFY(db.transaction());
            QVERIFY(query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao) values (?, ?, ?)")));
            for (int i = 0; i < 3000; ++i) {
                query.addBindValue(QStringLiteral("2006/03/%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
                query.addBindValue(QStringLiteral("Lembrete %1").arg(i, 4, 10, QLatin1Char('0')));
                query.addBindValue(QString(200, QLatin1Char('x')));
                QVERIFY(query.exec());
            }
            QVERIFY(db.commit());
            // A page in the middle of the day-and-title index, which the list reads in order.
            QVERIFY(query.exec(QStringLiteral("select pageno from dbstat where name = 'lembrete_data' "
                                              "and pagetype = 'leaf' order by pageno")));
            while (query.next())
                leaves << query.value(0).toLongLong();
            QVERIFY(query.exec(QStringLiteral("pragma page_size")) && query.next());
            pageSize = query.value(0).toLongLong();
        }
        QVERIFY(leaves.size() > 4);
        {
            QFile file(f.fake.databasePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek((leaves[leaves.size() / 2] - 1) * pageSize + 100));
            file.write(QByteArray(pageSize - 200, '\x55'));
        }
        f.window->carregarlista();
        const int shown = f.window->list()->model()->rowCount();
        QVERIFY2(shown > 0 && shown < 3000, qPrintable(QString::number(shown)));
        QCOMPARE(f.shown().size(), 1);
        QVERIFY2(f.shown()[0].text.contains(QStringLiteral("a leitura dos lembretes parou depois de %1").arg(shown)),
                 qPrintable(f.shown()[0].text));
    }

    void removingWarnsWhenNothingIsSelected()
    {
        Fixture empty;
        Fixture unselected(kMarch);
        unselected.window->list()->clearSelection();
        for (Fixture *f : {&empty, &unselected}) {
            f->window->mnuremover_Click();
            QCOMPARE(f->shown().size(), 1);
            QCOMPARE(f->shown()[0].text, QStringLiteral("Nenhum lembrete foi selecionado!"));
            QCOMPARE(f->shown()[0].title, QStringLiteral("Remover"));
            QCOMPARE(f->shown()[0].icon, runtime::MessageIcon::Warning);
        }
        QCOMPARE(unselected.listed().size(), kMarch.size());
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
            f.select(picked);
        if (step == QLatin1String("right click")) {
            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
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
        QCOMPARE(f.loaded<frmlembretesys>()->findChild<QLineEdit *>(QStringLiteral("txttitulo"))->text(), chosen);
    }

    void rowsLoadedAfterTheLookWasAppliedToAnEmptyListShowNoStripes()
    {
        Fixture f;
        showActive(*f.window); // the look is applied while the list is empty
        f.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("um"), QString());
        f.store.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("dois"), QString());
        f.store.appendReminder(QStringLiteral("2006/03/12"), QStringLiteral("tres"), QString());
        f.window->carregarlista(); // the first row is chosen: the next two are compared
        QTreeView *list = f.window->list();
        const QImage picture = list->viewport()->grab().toImage();
        const auto behind = [&](int row) {
            const QRect rect = list->visualRect(list->model()->index(row, 2));
            return picture.pixelColor(rect.right() - 2, rect.center().y());
        };
        QCOMPARE(behind(1), behind(2));
    }

    void answeringNoToTheRemovalQuestionChangesNothing()
    {
        Fixture f(kMarch);
        REQUIRE_ROWS(f.window->list(), 4);
        f.select(3);
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::No);
        f.window->mnuremover_Click();
        QCOMPARE(f.shown().size(), 1);
        QCOMPARE(f.shown()[0].text, QStringLiteral("Tem certeza que deseja remover o lembrete amanhã?"));
        QCOMPARE(f.shown()[0].title, QStringLiteral("Remover"));
        QCOMPARE(f.shown()[0].buttons, runtime::MessageButtons::YesNo);
        QCOMPARE(f.shown()[0].icon, runtime::MessageIcon::Question);
        f.window->carregarlista();
        QCOMPARE(f.listed().size(), kMarch.size());
    }

    void theDeleteKeyRemovesTheChosenRowAfterOneQuestion()
    {
        Fixture f({"2006/03/10|Dentista", "2006/04/10|dentista", "2006/05/10|Dentista 2"});
        REQUIRE_ROWS(f.window->list(), 1);
        f.select(0);
        f.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        auto *undo = f.window->findChild<QAction *>(QStringLiteral("mnudesfazer"));
        auto *popupUndo = f.window->popupMenu()->findChild<QAction *>(QStringLiteral("popdesfazer"));
        QVERIFY(undo && popupUndo);
        QVERIFY(!undo->isEnabled() && !popupUndo->isEnabled()); // nothing to undo in this run yet
        const QStringList before = f.listed();
        QTest::keyClick(f.window->list(), Qt::Key_Delete);
        QCOMPARE(f.shown().size(), 1);
        QCOMPARE(f.listed(), (QStringList{"10/04/2006|dentista|31 dias", "10/05/2006|Dentista 2|61 dias"}));

        // Undo, right after the remove item in both menus, brings the row back once.
        const auto itemAfterRemove = [](const QList<QAction *> &items, const QString &removeName) {
            for (qsizetype i = 0; i + 1 < items.size(); ++i) {
                if (items[i]->objectName() == removeName)
                    return items[i + 1];
            }
            return static_cast<QAction *>(nullptr);
        };
        QCOMPARE(itemAfterRemove(f.window->findChild<QMenu *>(QStringLiteral("mnuprincipal"))->actions(),
                                 QStringLiteral("mnuremover")), undo);
        QCOMPARE(itemAfterRemove(f.window->popupMenu()->actions(), QStringLiteral("popremover")), popupUndo);
        QCOMPARE(undo->text(), QStringLiteral("Desfazer remoção"));
        QCOMPARE(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QVERIFY(undo->isEnabled() && popupUndo->isEnabled());
        popupUndo->trigger();
        QCOMPARE(f.listed(), before);
        QVERIFY(!undo->isEnabled() && !popupUndo->isEnabled());
        QCOMPARE(f.shown().size(), 1);
    }

    void toolbarKeysDispatchExactlyAndCaseSensitively()
    {
        Fixture f;
        for (const char *key : {"Remover", "abrir", "remover", "editar"})
            f.window->Toolbar_ButtonClick(QLatin1String(key));
        QCOMPARE(f.shown().size(), 2);
        QCOMPARE(f.shown()[0].title, QStringLiteral("Remover"));
        QCOMPARE(f.shown()[1].title, QStringLiteral("Editar"));
    }

    void popupItemsAndToolbarKeysRunTheirCommands_data()
    {
        QTest::addColumn<QString>("item"); // a pop-up item, or "key:" and a toolbar key
        QTest::addColumn<QString>("effect");
        QTest::newRow("popnovo") << "popnovo" << "window:frmlembretesys";
        QTest::newRow("novo") << "key:novo" << "window:frmlembretesys";
        QTest::newRow("preferencias") << "key:preferencias" << "window:frmpreferencias";
        QTest::newRow("sobre") << "key:sobre" << "window:frmsobre";
        QTest::newRow("popremover") << "popremover" << "message:Remover";
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
        f.window->show();
        if (item.startsWith(QLatin1String("key:")))
            f.window->Toolbar_ButtonClick(item.mid(4));
        else
            f.window->findChild<QAction *>(item)->trigger();

        if (effect.startsWith(QLatin1String("window:"))) {
            QStringList loaded;
            for (const QWidget *window : f.fake.platform().windows().loaded())
                loaded << QLatin1String(window->metaObject()->className());
            QVERIFY2(loaded.contains(effect.mid(7)), qPrintable(loaded.join(u',')));
        } else if (effect.startsWith(QLatin1String("message:"))) {
            QCOMPARE(f.onlyMessage().title, effect.mid(8));
        } else if (effect == QLatin1String("dialog")) {
            QCOMPARE(f.fake.saveDialog->titles.size(), 1);
        } else {
            QVERIFY(!f.window->isVisible());
        }
        f.fake.platform().windows().unloadAllExcept(f.window.get());
        flushDeletes();
    }

    void theICalendarCommandsCarryTheRemindersToAnotherDatabase()
    {
        Fixture source({"2006/03/10|Consulta|Dr. Silva", "2006/03/12|Aniversário|"});
        const QList<QAction *> principal = source.window->findChild<QMenu *>("mnuprincipal")->actions();
        const QString file = QDir(source.fake.folder()).filePath("lembretes.ics");
        source.fake.saveDialog->nextFileName = file;
        source.window->findChild<QAction *>("mnuexportarical")->trigger();
        QCOMPARE(source.onlyMessage().text, "2 lembretes foram exportados para " + file + ".");
        QCOMPARE(source.fake.saveDialog->filters, QStringList{"Arquivos iCalendar (*.ics)"});

        Fixture target;
        target.fake.openDialog->nextFileName = file;
        target.window->findChild<QAction *>("mnuimportarical")->trigger();
        QCOMPARE(target.listed(), source.listed());
        QCOMPARE(target.stored(), source.stored());
        for (const char *name : {"mnuimportarical", "mnuexportarical"})
            QVERIFY(principal.contains(source.window->findChild<QAction *>(name)));
    }

    void aRightClickShowsThePopupEvenOnAnEmptyList()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QTest::mouseClick(f.window->list()->viewport(), Qt::RightButton);
        QTRY_VERIFY(f.window->popupMenu()->isVisible());
        f.window->popupMenu()->hide();
        f.window->findChild<QAction *>(QStringLiteral("popeditar"))->trigger();
        QCOMPARE(f.onlyMessage().text, QStringLiteral("Nenhum lembrete foi selecionado!"));
        QCOMPARE(f.onlyMessage().title, QStringLiteral("Editar"));
    }

    void theWebSiteCommandOpensTheAddressAndIgnoresFailures()
    {
        Fixture f;
        f.fake.shell->result = false;
        f.window->mnusite_Click();
        QCOMPARE(f.fake.shell->opened.size(), 1);
        // The caption carries the same address.
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Sistema de Zedozarir  -  ") + f.fake.shell->opened[0]);
        QVERIFY(f.shown().isEmpty());
    }

    void closingTheMainWindowUnloadsEveryWindowMostRecentFirst()
    {
        Fixture f;
        f.window->show();
        QStringList closedOrder;
        for (const char *name : {"primeira", "segunda", "terceira"}) {
            auto *window = new QWidget(f.window.get(), Qt::Window);
            QObject::connect(window, &QObject::destroyed, [&closedOrder, name] { closedOrder << QLatin1String(name); });
            window->setAttribute(Qt::WA_DeleteOnClose);
            f.fake.platform().windows().registerLoaded(window);
            window->show();
        }
        QCOMPARE(f.fake.platform().windows().loadedCount(), 4);
        f.window->findChild<QAction *>(QStringLiteral("mnusair"))->trigger();
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.fake.platform().windows().loadedCount(), 0);
        flushDeletes();
        QCOMPARE(closedOrder, (QStringList{"terceira", "segunda", "primeira"}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmprincipal.moc"
