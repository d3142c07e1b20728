#include "runtime/windowmanager.h"
#include "settings/settingsstore.h"

#include "formfixture.h"

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSqlQuery>
#include <QToolBar>

namespace {

struct Reminder
{
    QString day; // stored form
    QString title;
};

// A main window over a database holding the given reminders, today 10/03/2006.
struct Fixture
{
    explicit Fixture(const QList<Reminder> &reminders = {},
                               const QString &storedFilter = QString())
    {
        fake.createEmptyDatabase();
        {
            modgeral seeding(fake.platform());
            seeding.abrirbanco();
            for (const Reminder &reminder : reminders)
                seeding.appendReminder(reminder.day, reminder.title, QStringLiteral("descrição"));
        }
        if (!storedFilter.isNull())
            fake.platform().settings().write(QStringLiteral("Preferencias"), QStringLiteral("Exibir"),
                                             storedFilter);
        window = std::make_unique<frmprincipal>(fake.platform(), store);
        fake.platform().windows().registerLoaded(window.get());
    }

    QStringList rows() const { return listedRows(window->list()); }

    QStringList checkedFilters() const
    {
        QStringList checked;
        for (const char *name : {"mnutodos", "mnuhoje", "mnuamanha", "mnu7dias", "mnu15dias"}) {
            if (window->findChild<QAction *>(QLatin1String(name))->isChecked())
                checked << QLatin1String(name);
        }
        return checked;
    }

    void select(int row) const { window->list()->topLevelItem(row)->setSelected(true); }

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
};

const QList<Reminder> kMarch{
    {QStringLiteral("2006/03/09"), QStringLiteral("ontem")},
    {QStringLiteral("2006/03/10"), QStringLiteral("hoje b")},
    {QStringLiteral("2006/03/10"), QStringLiteral("hoje a")},
    {QStringLiteral("2006/03/11"), QStringLiteral("amanhã")},
    {QStringLiteral("2006/03/17"), QStringLiteral("sete")},
    {QStringLiteral("2006/03/18"), QStringLiteral("oito")},
    {QStringLiteral("2006/03/25"), QStringLiteral("quinze")},
    {QStringLiteral("2006/03/26"), QStringLiteral("dezesseis")},
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void aFreshUserStartsWithEveryReminderInDateAndTitleOrder()
    {
        Fixture fixture(kMarch);
        QCOMPARE(fixture.checkedFilters(), QStringList{QStringLiteral("mnutodos")});
        QCOMPARE(fixture.window->statusLabel()->text(), QStringLiteral("Estatus: Mostrando todos os lembretes"));
        QCOMPARE(fixture.rows(), (QStringList{
                                     QStringLiteral("09/03/2006|ontem|-1 dias"),
                                     QStringLiteral("10/03/2006|hoje a|0 dias"),
                                     QStringLiteral("10/03/2006|hoje b|0 dias"),
                                     QStringLiteral("11/03/2006|amanhã|1 dias"),
                                     QStringLiteral("17/03/2006|sete|7 dias"),
                                     QStringLiteral("18/03/2006|oito|8 dias"),
                                     QStringLiteral("25/03/2006|quinze|15 dias"),
                                     QStringLiteral("26/03/2006|dezesseis|16 dias"),
                                 }));
        QCOMPARE(fixture.window->statusMessage(), QStringLiteral(">  Olá, seja bem vindo ao software Zedozarir"));
        QCOMPARE(settings::read(fixture.fake.platform().settings(), settings::keys::Exibir), QStringLiteral("Todos"));
        QVERIFY(fixture.fake.messages->shown.isEmpty());
        QVERIFY(!fixture.window->findChild<QProgressBar *>(QStringLiteral("barraprogresso"))->isVisible());
    }

    void aLargerListFontWidensTheDayColumnWithinTheSameWidth()
    {
        Fixture fixture(kMarch);
        fixture.fake.platform().settings().write(QStringLiteral("Configurações"),
                                                 QStringLiteral("TamanhoFonte"), QStringLiteral("22"));
        fixture.window->CarregarConfigSoft();
        const QTreeWidget *list = fixture.window->list();
        QVERIFY(list->columnWidth(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
        QCOMPARE(list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2), 79 + 339 + 121);

        fixture.fake.platform().settings().write(QStringLiteral("Configurações"),
                                                 QStringLiteral("TamanhoFonte"), QStringLiteral("6"));
        fixture.window->CarregarConfigSoft();
        QCOMPARE(list->columnWidth(0), 79);
        QCOMPARE(list->columnWidth(1), 339);
    }

    void eachFilterCommandNarrowsTheListAndSaysSo_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("hoje") << "mnuhoje" << "Hoje"
                              << "Estatus: Mostrando apenas lembretes de hoje 10/03/2006"
                              << QStringList{"hoje a", "hoje b"};
        QTest::newRow("amanha") << "mnuamanha" << "Amanha"
                                << "Estatus: Mostrando apenas lembretes de amanhã 11/03/2006"
                                << QStringList{"amanhã"};
        QTest::newRow("7dias") << "mnu7dias" << "7dias"
                               << "Estatus: Mostrando apenas lembretes de até 7 dias entre 10/03/2006 e 17/03/2006"
                               << QStringList{"hoje a", "hoje b", "amanhã", "sete"};
        QTest::newRow("15dias") << "mnu15dias" << "15dias"
                                << "Estatus: Mostrando apenas lembretes de até 15 dias entre 10/03/2006 e 25/03/2006"
                                << QStringList{"hoje a", "hoje b", "amanhã", "sete", "oito", "quinze"};
    }

    void eachFilterCommandNarrowsTheListAndSaysSo()
    {
        QFETCH(QString, command);
        QFETCH(QString, saved);
        QFETCH(QString, status);
        QFETCH(QStringList, titles);
        Fixture fixture(kMarch);
        QAction *action = fixture.window->findChild<QAction *>(command);
        for (int run = 0; run < 2; ++run) { // running it twice changes nothing
            action->trigger();
            QCOMPARE(fixture.checkedFilters(), QStringList{command});
            QCOMPARE(fixture.window->statusLabel()->text(), status);
            QCOMPARE(settings::read(fixture.fake.platform().settings(), settings::keys::Exibir), saved);
            QStringList shown;
            for (const QString &row : fixture.rows())
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
        Fixture fixture(kMarch, stored);
        QCOMPARE(fixture.checkedFilters(), checked);
        QCOMPARE(fixture.window->statusLabel()->text(), status);
        QCOMPARE(fixture.rows().size(), rows);
        QCOMPARE(settings::read(fixture.fake.platform().settings(), settings::keys::Exibir), saved);
    }

    void anEmptyResultLeavesTheListEmptyAndTheBarHidden()
    {
        Fixture fixture(kMarch, QStringLiteral("amanha"));
        fixture.store.abrirbanco();
        QVERIFY(fixture.store.execute(modgeral::titleDelete(QStringLiteral("amanhã"))));
        fixture.window->carregarlista();
        QCOMPARE(fixture.rows(), QStringList());
        auto *bar = fixture.window->findChild<QProgressBar *>(QStringLiteral("barraprogresso"));
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->maximum(), 1);
    }

    void aLoadAfterAFailedOpenLeavesTheListEmptyAndReportsOnce()
    {
        Fixture fixture(kMarch);
        QFile::remove(fixture.fake.databasePath());
        fixture.fake.messages->shown.clear();
        fixture.window->carregarlista();
        QCOMPARE(fixture.rows(), QStringList());
        QCOMPARE(fixture.fake.messages->shown.size(), 1);
        QVERIFY(!QFile::exists(fixture.fake.databasePath()));
    }

    void aTableTheLoadCannotReadIsReportedInTheUsualErrorBox()
    {
        Fixture fixture(kMarch);
        {
            QSqlQuery query(fixture.store.connection());
            QVERIFY(query.exec(QStringLiteral("drop table lembrete")));
            QVERIFY(query.exec(QStringLiteral("create table lembrete (data text)")));
        }
        fixture.fake.messages->shown.clear();
        fixture.window->carregarlista();
        QCOMPARE(fixture.rows(), QStringList());
        QCOMPARE(fixture.fake.messages->shown.size(), 1);
        QVERIFY(fixture.fake.messages->shown[0].text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")));
        QCOMPARE(fixture.fake.messages->shown[0].title, QStringLiteral("Erro"));
    }

    void removingWarnsWhenNothingIsSelected()
    {
        Fixture empty;
        empty.window->mnuremover_Click();
        Fixture unselected(kMarch);
        unselected.window->mnuremover_Click();
        for (const Fixture *fixture : {&empty, &unselected}) {
            QCOMPARE(fixture->fake.messages->shown.size(), 1);
            const RecordedMessage &warning = fixture->fake.messages->shown[0];
            QCOMPARE(warning.text, QStringLiteral("Nenhum lembrete foi selecionado!"));
            QCOMPARE(warning.title, QStringLiteral("Remover"));
            QCOMPARE(warning.icon, runtime::MessageIcon::Warning);
        }
        QCOMPARE(unselected.rows().size(), kMarch.size());
    }

    void answeringNoToTheRemovalQuestionChangesNothing()
    {
        Fixture fixture(kMarch);
        fixture.select(3);
        fixture.fake.messages->answers.enqueue(runtime::MessageAnswer::No);
        fixture.window->mnuremover_Click();
        QCOMPARE(fixture.fake.messages->shown.size(), 1);
        const RecordedMessage &question = fixture.fake.messages->shown[0];
        QCOMPARE(question.text, QStringLiteral("Tem certeza que deseja remover o lembrete amanhã?"));
        QCOMPARE(question.title, QStringLiteral("Remover"));
        QCOMPARE(question.buttons, runtime::MessageButtons::YesNo);
        QCOMPARE(question.icon, runtime::MessageIcon::Question);
        QCOMPARE(fixture.rows().size(), kMarch.size());
        fixture.window->carregarlista();
        QCOMPARE(fixture.rows().size(), kMarch.size());
    }

    void removingASharedTitleRemovesBothRowsAfterOneQuestion()
    {
        Fixture fixture({{QStringLiteral("2006/03/10"), QStringLiteral("Dentista")},
                                   {QStringLiteral("2006/04/10"), QStringLiteral("dentista")},
                                   {QStringLiteral("2006/05/10"), QStringLiteral("Dentista 2")}});
        fixture.select(0);
        fixture.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        fixture.window->mnuremover_Click();
        QCOMPARE(fixture.fake.messages->shown.size(), 1);
        QCOMPARE(fixture.rows(), QStringList{QStringLiteral("10/05/2006|Dentista 2|61 dias")});
    }

    void theDeleteKeyRemovesTheSelectedRow()
    {
        Fixture fixture(kMarch);
        fixture.select(0);
        fixture.fake.messages->answers.enqueue(runtime::MessageAnswer::Yes);
        QTest::keyClick(fixture.window->list(), Qt::Key_Delete);
        QCOMPARE(fixture.rows().size(), kMarch.size() - 1);
    }

    void toolbarKeysDispatchExactlyAndCaseSensitively()
    {
        Fixture fixture;
        fixture.window->Toolbar_ButtonClick(QStringLiteral("Remover"));
        fixture.window->Toolbar_ButtonClick(QStringLiteral("abrir"));
        QCOMPARE(fixture.fake.messages->shown.size(), 0);
        fixture.window->Toolbar_ButtonClick(QStringLiteral("remover"));
        fixture.window->Toolbar_ButtonClick(QStringLiteral("editar"));
        QCOMPARE(fixture.fake.messages->shown.size(), 2);
        QCOMPARE(fixture.fake.messages->shown[0].title, QStringLiteral("Remover"));
        QCOMPARE(fixture.fake.messages->shown[1].title, QStringLiteral("Editar"));

        const auto *toolbar = fixture.window->findChild<QToolBar *>(QStringLiteral("Toolbar"));
        QStringList captions;
        for (const QAction *action : toolbar->actions())
            captions << action->data().toString() + QLatin1Char('=') + action->text();
        QCOMPARE(captions, (QStringList{"novo=Novo lembrete", "editar=Editar lembrete",
                                        "remover=Remover lembrete", "preferencias=Preferências",
                                        "sobre=Sobre"}));
        for (const QAction *action : toolbar->actions())
            QVERIFY(!action->icon().isNull());
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
        QTest::newRow("popsair") << "popsair" << "closed";
    }

    void popupItemsAndToolbarKeysRunTheirCommands()
    {
        QFETCH(QString, item);
        QFETCH(QString, effect);
        Fixture fixture;
        fixture.window->show();
        if (item.startsWith(QLatin1String("key:")))
            fixture.window->Toolbar_ButtonClick(item.mid(4));
        else
            fixture.window->findChild<QAction *>(item)->trigger();

        if (effect.startsWith(QLatin1String("window:"))) {
            QStringList loaded;
            for (const QWidget *window : fixture.fake.platform().windows().loaded())
                loaded << QLatin1String(window->metaObject()->className());
            QVERIFY2(loaded.contains(effect.mid(7)), qPrintable(loaded.join(u',')));
        } else if (effect.startsWith(QLatin1String("message:"))) {
            QCOMPARE(fixture.fake.messages->shown.size(), 1);
            QCOMPARE(fixture.fake.messages->shown[0].title, effect.mid(8));
        } else if (effect == QLatin1String("dialog")) {
            QCOMPARE(fixture.fake.saveDialog->titles.size(), 1);
        } else {
            QVERIFY(!fixture.window->isVisible());
        }
        fixture.fake.platform().windows().unloadAllExcept(fixture.window.get());
        flushDeletes();
    }

    void aRightClickShowsThePopupEvenOnAnEmptyList()
    {
        Fixture fixture;
        fixture.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        QTest::mouseClick(fixture.window->list()->viewport(), Qt::RightButton);
        QTRY_VERIFY(fixture.window->popupMenu()->isVisible());
        fixture.window->popupMenu()->hide();
        fixture.window->findChild<QAction *>(QStringLiteral("popeditar"))->trigger();
        QCOMPARE(fixture.fake.messages->shown.size(), 1);
        QCOMPARE(fixture.fake.messages->shown[0].text, QStringLiteral("Nenhum lembrete foi selecionado!"));
        QCOMPARE(fixture.fake.messages->shown[0].title, QStringLiteral("Editar"));
    }

    void theWebSiteCommandOpensTheAddressAndIgnoresFailures()
    {
        Fixture fixture;
        fixture.fake.shell->result = false;
        fixture.window->mnusite_Click();
        QCOMPARE(fixture.fake.shell->opened.size(), 1);
        // The caption carries the same address.
        QCOMPARE(fixture.window->windowTitle(),
                 QStringLiteral("Sistema de Zedozarir  -  ") + fixture.fake.shell->opened[0]);
        QVERIFY(fixture.fake.messages->shown.isEmpty());
    }

    void closingTheMainWindowUnloadsEveryWindowMostRecentFirst()
    {
        Fixture fixture;
        fixture.window->show();
        QStringList closedOrder;
        for (const char *name : {"primeira", "segunda", "terceira"}) {
            auto *window = new QWidget(fixture.window.get(), Qt::Window);
            window->setObjectName(QLatin1String(name));
            QObject::connect(window, &QObject::destroyed, [&closedOrder, name] { closedOrder << QLatin1String(name); });
            window->setAttribute(Qt::WA_DeleteOnClose);
            fixture.fake.platform().windows().registerLoaded(window);
            window->show();
        }
        QCOMPARE(fixture.fake.platform().windows().loadedCount(), 4);
        fixture.window->findChild<QAction *>(QStringLiteral("mnusair"))->trigger();
        QVERIFY(!fixture.window->isVisible());
        QCOMPARE(fixture.fake.platform().windows().loadedCount(), 0);
        flushDeletes();
        QCOMPARE(closedOrder, (QStringList{"terceira", "segunda", "primeira"}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmprincipal.moc"
