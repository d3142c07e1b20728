#include "alerts/commands.h"
#include "alerts/notifier.h"
#include "alerts/resident.h"
#include "alerts/singleinstance.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"
#include "support/notificationserver.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTextStream>

// Notices as they reach Debian's dunst on a private bus; today is 10/03/2006.
class tst_notifications : public QObject
{
    Q_OBJECT

private:
    struct Seeded
    {
        std::unique_ptr<FakePlatform> fake = std::make_unique<FakePlatform>();
        std::unique_ptr<modgeral> store;
    };

    // A store holding the given titles: today's, tomorrow's and next week's.
    static Seeded seeded(const QStringList &today, const QStringList &tomorrow,
                         const QStringList &later = {})
    {
        Seeded s;
        s.fake->createEmptyDatabase();
        s.store = std::make_unique<modgeral>(s.fake->platform());
        s.store->abrirbanco();
        const QDate day = s.fake->clock->day;
        for (const auto &[offset, titles] : {std::pair{0, today}, {1, tomorrow}, {7, later}}) {
            for (const QString &title : titles)
                s.store->appendReminder(daytext::stored(day.addDays(offset)), title, QString());
        }
        return s;
    }

    // What arrived as "summary|body" texts, oldest first.
    QStringList arrived()
    {
        QStringList texts;
        const QList<ArrivedNotice> notices = m_server.closeAllAndReadHistory();
        for (auto it = notices.crbegin(); it != notices.crend(); ++it)
            texts.append(it->summary + QLatin1Char('|') + it->body);
        m_server.forgetHistory();
        return texts;
    }

    // Waits for the first notices to arrive; none within the time gives an empty list.
    QStringList arrivedWithin(int timeoutMs)
    {
        QStringList texts;
        if (!QTest::qWaitFor([&] { return !(texts = arrived()).isEmpty(); }, timeoutMs))
            return {};
        return texts;
    }

    NotificationServer m_server;

private slots:
    void initTestCase()
    {
        // A missing server fails the suite: these tests are about the real one.
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    }

    void cleanup() { m_server.forgetHistory(); }

    void announcingSendsOneNoticePerDay_data()
    {
        QTest::addColumn<QStringList>("today");
        QTest::addColumn<QStringList>("tomorrow");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two today")
            << QStringList{"Dentista", "Pagar a luz"} << QStringList{}
            << QStringList{"Hoje: 2 lembretes|Dentista\nPagar a luz"};
        QTest::newRow("today and tomorrow")
            << QStringList{"Reunião"} << QStringList{"Aniversário da Ana", "Feira"}
            << QStringList{"Hoje: 1 lembrete|Reunião", "Amanhã: 2 lembretes|Aniversário da Ana\nFeira"};
        QTest::newRow("titles escaped for the markup dunst reads")
            << QStringList{"Tom & Jerry <b>não</b> \"já\" 'ok'"} << QStringList{}
            << QStringList{"Hoje: 1 lembrete|Tom &amp; Jerry &lt;b&gt;não&lt;/b&gt; &quot;já&quot; &apos;ok&apos;"};
        QTest::newRow("only next week: nothing")
            << QStringList{} << QStringList{} << QStringList{};
    }

    void announcingSendsOneNoticePerDay()
    {
        QFETCH(QStringList, today);
        QFETCH(QStringList, tomorrow);
        QFETCH(QStringList, expected);
        Seeded s = seeded(today, tomorrow, {"Semana que vem"});
        alerts::DesktopNotifier notifier(false, m_server.bus());
        QString printed;
        QTextStream out(&printed);

        QCOMPARE(alerts::runAnnounceCommand(*s.store, *s.fake->clock, notifier, out), 0);

        QCOMPARE(arrived(), expected);
        QVERIFY(printed.isEmpty());
    }

    void theProgramsAvisarCommandReachesTheServer_data()
    {
        QTest::addColumn<bool>("serverOnTheBus");
        QTest::addColumn<bool>("residentRuns");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("arrivedTexts");
        QTest::addColumn<QString>("printed");
        const QStringList texts{"Hoje: 2 lembretes|Consulta\nPagar a luz"};
        QTest::newRow("service answers") << true << false << 0 << texts << QString();
        // The resident program shows them, so that their "Abrir" reaches it.
        QTest::newRow("resident program runs") << true << true << 0 << texts << QString();
        QTest::newRow("no session bus") << false << false << 1 << QStringList{}
                                        << QStringLiteral("Hoje: 2 lembretes\nConsulta\nPagar a luz\n");
    }

    void theProgramsAvisarCommandReachesTheServer()
    {
        QFETCH(bool, serverOnTheBus);
        QFETCH(bool, residentRuns);
        QFETCH(int, exitCode);
        QFETCH(QStringList, arrivedTexts);
        QFETCH(QString, printed);
        // A portable copy of the program keeps its reminders beside it, in the
        // temporary folder: the build's own database stays untouched.
        Seeded s = seeded({}, {});
        s.fake->clock->day = QDate::currentDate(); // the program runs on the real clock
        for (const QString &title : {"Pagar a luz", "Consulta"})
            s.store->appendReminder(daytext::stored(s.fake->clock->day), title, QString());
        const QString program = s.fake->folder() + "/lembrete";
        QVERIFY(QFile::copy(LEMBRETE_PROGRAM, program));

        QProcessEnvironment environment = m_server.environment();
        if (!serverOnTheBus)
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + s.fake->folder() + "/no-bus");
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        alerts::SingleInstance instance(environment.value("XDG_RUNTIME_DIR"));
        if (residentRuns) {
            QVERIFY(instance.tryBecomeResident());
            instance.setAnnounceHandler([&](const QString &database) { return resident.announceFor(database); });
            resident.start();
            arrived();
        }

        QProcess lembrete;
        lembrete.setProcessEnvironment(environment);
        QSignalSpy finished(&lembrete, &QProcess::finished);
        lembrete.start(program, {"--avisar"});
        QVERIFY(finished.wait(30000)); // the resident program answers meanwhile

        QCOMPARE(lembrete.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(lembrete.readAllStandardOutput()), printed);
        if (!residentRuns) {
            QCOMPARE(arrived(), arrivedTexts);
            return;
        }
        QVERIFY(m_server.invokeDefaultAction());
        QTRY_VERIFY(resident.mainWindow() && resident.mainWindow()->isVisible());
        QCOMPARE(arrived(), arrivedTexts);
    }

    void noticesCarryTheProgramsNameAndIcon()
    {
        Seeded s = seeded({"Dentista"}, {});
        alerts::DesktopNotifier notifier(false, m_server.bus());
        QVERIFY(notifier.show({s.fake->clock->day, "Hoje: 1 lembrete", "Dentista"}) != 0);
        const QList<ArrivedNotice> notices = m_server.closeAllAndReadHistory();
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.first().appName, QStringLiteral("Zedozarir"));
    }

    void withoutAServiceTheTextsArePrintedAndTheCommandFails()
    {
        // A title from an imported file that would retitle the terminal.
        Seeded s = seeded({"Dentista", "A & B\x1b]0;t\x07"}, {"Feira"});
        alerts::DesktopNotifier notifier(false, QDBusConnection(QStringLiteral("no bus")));
        QString printed;
        QTextStream out(&printed);

        QCOMPARE(alerts::runAnnounceCommand(*s.store, *s.fake->clock, notifier, out), 1);

        QCOMPARE(printed, QStringLiteral("Hoje: 2 lembretes\nA & B]0;t\nDentista\n\n"
                                         "Amanhã: 1 lembrete\nFeira\n"));
    }

    void theResidentProgramAnnouncesANewDay()
    {
        Seeded s = seeded({"Hoje mesmo"}, {"Depois"});
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        QCOMPARE(arrived(), (QStringList{"Hoje: 1 lembrete|Hoje mesmo", "Amanhã: 1 lembrete|Depois"}));

        resident.dayWatch().check(); // the same day: nothing new
        QCOMPARE(arrived(), QStringList());

        s.fake->clock->day = s.fake->clock->day.addDays(1);
        resident.dayWatch().check();
        QCOMPARE(arrived(), QStringList{"Hoje: 1 lembrete|Depois"});
    }

    void theResidentProgramAnnouncesAReminderAddedForTodayOrTomorrow_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("tomorrow") << 1 << QStringList{"Amanhã: 2 lembretes|Depois\nNovo"};
        QTest::newRow("today") << 0 << QStringList{"Hoje: 1 lembrete|Novo"};
        QTest::newRow("next week") << 7 << QStringList{};
    }

    void theResidentProgramAnnouncesAReminderAddedForTodayOrTomorrow()
    {
        QFETCH(int, offset);
        QFETCH(QStringList, expected);
        Seeded s = seeded({}, {"Depois"});
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        QCOMPARE(arrived().size(), 1);

        s.store->appendReminder(daytext::stored(s.fake->clock->day.addDays(offset)), "Novo", QString());
        QTest::qWait(800);

        QCOMPARE(arrived(), expected);
    }

    void aReminderAddedByAnotherProgramIsAnnounced()
    {
        Seeded s = seeded({}, {});
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        modgeral otherStore(s.fake->platform());
        otherStore.abrirbanco();
        QVERIFY(otherStore.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, '')",
                                    {daytext::stored(s.fake->clock->day), "De fora"}}));
        QCOMPARE(arrivedWithin(5000), QStringList{"Hoje: 1 lembrete|De fora"});
    }

    void abrirOpensTheMainWindowAndClosingItKeepsTheResidentProgramAndItsMenu()
    {
        Seeded s = seeded({"Dentista"}, {});
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        QVERIFY(!resident.mainWindow());

        QVERIFY(m_server.invokeDefaultAction());
        QTRY_VERIFY(resident.mainWindow() && resident.mainWindow()->isVisible());

        resident.mainWindow()->close();
        QTRY_VERIFY(!resident.mainWindow());

        // The tray menu: "Avisar agora" announces again, "Abrir" brings a new main window.
        QMenu *menu = resident.trayMenu();
        QVERIFY(menu);
        QStringList entries;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                entries << action->text();
        }
        QCOMPARE(entries, (QStringList{"Abrir", "Avisar agora", "Sair"}));
        arrived();
        menu->findChild<QAction *>("mnubandejaavisar")->trigger();
        QCOMPARE(arrived(), QStringList{"Hoje: 1 lembrete|Dentista"});
        menu->findChild<QAction *>("mnubandejaabrir")->trigger();
        QVERIFY(resident.mainWindow() && resident.mainWindow()->isVisible());
    }
};

QTEST_MAIN(tst_notifications)
#include "tst_notifications.moc"
