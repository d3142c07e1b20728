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

    // A store holding reminders, and the resident program once started.
    struct World
    {
        std::unique_ptr<FakePlatform> fake = std::make_unique<FakePlatform>();
        std::unique_ptr<modgeral> store;
        std::unique_ptr<alerts::DesktopNotifier> notifier;
        std::unique_ptr<alerts::ResidentProgram> resident;

        QDate today() const { return fake->clock->day; }
        void add(const QString &title, int offset = 0)
        {
            store->appendReminder(daytext::stored(today().addDays(offset)), title, QString());
        }
        // "Título@HH:MM@RULE@N" (no time: the whole day; no rule: once) beginning N
        // days after today, warned lead minutes before.
        bool addTimed(const QString &entry, const QString &lead = {}, int offset = 0)
        {
            return store->execute({"insert into lembrete (data, titulo, descricao, hora, repeticao, antecedencia) "
                                   "values (?, ?, '', ?, ?, ?)",
                                   {daytext::stored(today().addDays(offset + entry.section('@', 3, 3).toInt())),
                                    entry.section('@', 0, 0), entry.section('@', 1, 1), entry.section('@', 2, 2),
                                    lead}});
        }
        alerts::ResidentProgram &startResident(const QDBusConnection &bus)
        {
            notifier = std::make_unique<alerts::DesktopNotifier>(true, bus);
            resident = std::make_unique<alerts::ResidentProgram>(fake->platform(), *store, *notifier, 3600 * 1000);
            resident->start();
            return *resident;
        }
    };

    // Titles for today, tomorrow and next week.
    static World seeded(const QStringList &today = {}, const QStringList &tomorrow = {}, const QStringList &later = {})
    {
        World w;
        w.fake->createEmptyDatabase();
        w.store = std::make_unique<modgeral>(w.fake->platform());
        w.store->abrirbanco();
        for (const auto &[offset, titles] : {std::pair{0, today}, {1, tomorrow}, {7, later}}) {
            for (const QString &title : titles)
                w.add(title, offset);
        }
        return w;
    }

    // What arrived as "summary|body" texts, oldest first; another program's name leads its text.
    QStringList arrived()
    {
        QStringList texts;
        const QList<ArrivedNotice> notices = m_server.closeAllAndReadHistory();
        for (auto it = notices.crbegin(); it != notices.crend(); ++it)
            texts.append((it->appName == QLatin1String("Zedozarir") ? QString() : it->appName + ": ") + it->summary
                         + QLatin1Char('|') + it->body);
        m_server.forgetHistory();
        return texts;
    }

    // Waits until a notice is on screen; empty when that was from earliest to 2 s after expected, on the clock.
    QString lateness(const FixedClock &clock, const QDateTime &expected, qint64 earliest = 0)
    {
        const bool came = QTest::qWaitFor([&] { return m_server.displayedCount() > 0; }, 20000);
        const qint64 late = expected.msecsTo(clock.now());
        return came && late >= earliest && late <= 2000 ? QString() : QString("%1 ms after its time").arg(late);
    }

    NotificationServer m_server;

private slots:
    void initTestCase()
    {
        // A missing server fails the suite: these tests are about the real one.
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    }

    void cleanup() { m_server.forgetHistory(); }

    // One notice per day, whole-day titles first, then timed ones by time; titles escaped for dunst's markup.
    void announcingSendsOneNoticePerDay_data()
    {
        QTest::addColumn<QStringList>("today");
        QTest::addColumn<QStringList>("tomorrow");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two today") << QStringList{"Dentista", "Pagar a luz"} << QStringList{}
                                   << QStringList{"Hoje: 2 lembretes|Dentista\nPagar a luz"};
        QTest::newRow("today and tomorrow")
            << QStringList{"Reunião"} << QStringList{"Aniversário da Ana", "Feira"}
            << QStringList{"Hoje: 1 lembrete|Reunião", "Amanhã: 2 lembretes|Aniversário da Ana\nFeira"};
        QTest::newRow("titles escaped") << QStringList{"Tom & Jerry <b>não</b> \"já\" 'ok'"} << QStringList{}
            << QStringList{"Hoje: 1 lembrete|Tom &amp; Jerry &lt;b&gt;não&lt;/b&gt; &quot;já&quot; &apos;ok&apos;"};
        QTest::newRow("only next week: nothing") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("timed ones after, by time") << QStringList{"Dentista@14:30", "Pagar a luz@", "Consulta@09:00"}
            << QStringList{} << QStringList{"Hoje: 3 lembretes|Pagar a luz\n09:00 Consulta\n14:30 Dentista"};
        QTest::newRow("a time that does not read is the whole day") << QStringList{"Aula@08:00", "Feira@25:99"}
            << QStringList{} << QStringList{"Hoje: 2 lembretes|Feira\n08:00 Aula"};
        QTest::newRow("repeating ones on their days only")
            << QStringList{"Aula@19:00@FREQ=WEEKLY@-21", "Plantão@@FREQ=WEEKLY;COUNT=3@-14", "Ioga@07:00@FREQ=WEEKLY@-20",
                           "Fim@@FREQ=DAILY;COUNT=2@-7"}
            << QStringList{} << QStringList{"Hoje: 2 lembretes|Plantão\n19:00 Aula", "Amanhã: 1 lembrete|07:00 Ioga"};
    }
    void announcingSendsOneNoticePerDay()
    {
        QFETCH(QStringList, today);
        QFETCH(QStringList, tomorrow);
        World w = seeded({}, tomorrow, {"Semana que vem"});
        for (const QString &entry : today)
            QVERIFY(entry.contains('@') ? w.addTimed(entry) : (w.add(entry), true));
        alerts::DesktopNotifier notifier(false, m_server.bus());
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(alerts::runAnnounceCommand(*w.store, *w.fake->clock, notifier, out), 0);
        QCOMPARE(printed, QString());
        QTEST(arrived(), "expected");
    }

    void withoutAServiceTheTextsArePrintedAndTheCommandFails()
    {
        // A title from an imported file that would retitle the terminal.
        World w = seeded({"Dentista", "A & B\x1b]0;t\x07"}, {"Feira"});
        alerts::DesktopNotifier notifier(false, QDBusConnection(QStringLiteral("no bus")));
        QString printed;
        QTextStream out(&printed);
        QCOMPARE(alerts::runAnnounceCommand(*w.store, *w.fake->clock, notifier, out), 1);
        QCOMPARE(printed, QStringLiteral("Hoje: 2 lembretes\nA & B]0;t\nDentista\n\nAmanhã: 1 lembrete\nFeira\n"));
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
        // A portable copy of the program keeps its reminders beside it, in the
        // temporary folder: the build's own database stays untouched.
        World w = seeded();
        w.fake->clock->day = QDate::currentDate(); // the program runs on the real clock
        w.add("Pagar a luz");
        w.add("Consulta");
        const QString program = w.fake->folder() + "/lembrete";
        QVERIFY(QFile::copy(LEMBRETE_PROGRAM, program));
        QProcessEnvironment environment = m_server.environment();
        if (!serverOnTheBus)
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + w.fake->folder() + "/no-bus");
        alerts::SingleInstance instance(environment.value("XDG_RUNTIME_DIR"));
        if (residentRuns) {
            QVERIFY(instance.tryBecomeResident());
            alerts::ResidentProgram &resident = w.startResident(m_server.bus());
            instance.setAnnounceHandler([&](const QString &database) { return resident.announceFor(database); });
            arrived();
        }
        QProcess lembrete;
        lembrete.setProcessEnvironment(environment);
        QSignalSpy finished(&lembrete, &QProcess::finished);
        lembrete.start(program, {"--avisar"});
        QVERIFY(finished.wait(30000)); // the resident program answers meanwhile
        QTEST(lembrete.exitCode(), "exitCode");
        QTEST(QString::fromUtf8(lembrete.readAllStandardOutput()), "printed");
        if (residentRuns) {
            QVERIFY(m_server.invokeDefaultAction());
            QTRY_VERIFY(w.resident->mainWindow() && w.resident->mainWindow()->isVisible());
        }
        QTEST(arrived(), "arrivedTexts");
    }

    // On a clock running with real time from a few seconds before the notice is due.
    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("lead");
        QTest::newRow("at its time") << "14:30" << "";
        QTest::newRow("fifteen minutes before") << "14:45" << "15";
    }
    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay()
    {
        QFETCH(QString, time);
        QFETCH(QString, lead);
        World w = seeded();
        QVERIFY(w.addTimed("Dentista@" + time, lead));
        const QDateTime due(w.today(), QTime(14, 30));
        w.fake->clock->runFrom(due.addSecs(-5));
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        QCOMPARE(arrived(), QStringList{"Hoje: 1 lembrete|" + time + " Dentista"});
        QCOMPARE(lateness(*w.fake->clock, due), QString());
        QSignalSpy snoozed(w.notifier.get(), &alerts::Notifier::snoozeRequested);
        QVERIFY(m_server.invokeAction("Adiar 10 minutos") && snoozed.wait(10000));
        const QDateTime snoozedAt = w.fake->clock->now();
        QCOMPARE(arrived(), QStringList{"Dentista|Hoje às " + time});

        // Ten minutes on: the clock is set forward, as after a sleep.
        w.fake->clock->runFrom(snoozedAt.addSecs(600 - 3));
        resident.timedNotices().check();
        QCOMPARE(lateness(*w.fake->clock, snoozedAt.addSecs(600), -100), QString());
        QCOMPARE(arrived(), QStringList{"Dentista|Hoje às " + time});
    }

    // A reminder beyond what the start read is read once its day comes near.
    void aTimedReminderFarAheadRingsWhenItsDayComes()
    {
        World w = seeded();
        const QDate day = w.today().addDays(9);
        QVERIFY(w.addTimed("Consulta@09:00@@9"));
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        QCOMPARE(arrived(), QStringList());
        w.fake->clock->runFrom(QDateTime(day, QTime(8, 59, 58)));
        resident.timedNotices().check();
        QCOMPARE(lateness(*w.fake->clock, QDateTime(day, QTime(9, 0))), QString());
        QCOMPARE(arrived(), QStringList{"Consulta|Hoje às 09:00"});
    }

    void missedRemindersAreAnnouncedOnceAtTheNextStart_data()
    {
        QTest::addColumn<QString>("lastRun");
        QTest::addColumn<QStringList>("missed");
        QTest::newRow("first run: none") << "" << QStringList{};
        QTest::newRow("off since the morning") << "2006-03-10 08:00:00" << QStringList{
            "Perdidos enquanto desligado: 2 lembretes|10/03 09:00 Remédio\n10/03 12:00 Almoço &amp; café"};
        QTest::newRow("off since yesterday") << "2006-03-09 08:00:00" << QStringList{
            "Perdidos enquanto desligado: 4 lembretes|09/03 09:00 Remédio\n09/03 11:00 Reunião\n"
            "10/03 09:00 Remédio\n10/03 12:00 Almoço &amp; café"};
    }
    void missedRemindersAreAnnouncedOnceAtTheNextStart()
    {
        QFETCH(QString, lastRun);
        QFETCH(QStringList, missed);
        World w = seeded(); // at 14:30
        for (const QString &entry : {"Remédio@09:00@FREQ=DAILY@-30", "Almoço & café@12:00", "Depois@16:00"})
            QVERIFY(w.addTimed(entry));
        QVERIFY(w.addTimed("Reunião@11:00", {}, -1));
        if (!lastRun.isEmpty())
            w.fake->platform().settings().write("Configurações", "AvisadoAte", lastRun);
        const QStringList summaries{"Hoje: 3 lembretes|09:00 Remédio\n12:00 Almoço &amp; café\n16:00 Depois",
                                    "Amanhã: 1 lembrete|09:00 Remédio"};
        w.startResident(m_server.bus());
        QCOMPARE(arrived(), summaries + missed);
        w.resident.reset();
        w.startResident(m_server.bus());
        QCOMPARE(arrived(), summaries);
    }

    // The running program announces a new day, and a reminder added for today or tomorrow, by it or another program.
    void theResidentProgramAnnouncesWhatChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("nothing") << "" << QStringList{};
        QTest::newRow("a new day") << "day" << QStringList{"Hoje: 1 lembrete|Depois"};
        QTest::newRow("added for tomorrow") << "1" << QStringList{"Amanhã: 2 lembretes|Depois\nNovo"};
        QTest::newRow("added for today") << "0" << QStringList{"Hoje: 1 lembrete|Novo"};
        QTest::newRow("added for next week") << "7" << QStringList{};
        QTest::newRow("added by another program") << "other" << QStringList{"Hoje: 1 lembrete|De fora"};
    }
    void theResidentProgramAnnouncesWhatChanges()
    {
        QFETCH(QString, change);
        World w = seeded({}, {"Depois"});
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        QCOMPARE(arrived(), QStringList{"Amanhã: 1 lembrete|Depois"});
        if (change == QLatin1String("day"))
            w.fake->clock->day = w.today().addDays(1);
        if (change == QLatin1String("other")) {
            modgeral otherStore(w.fake->platform());
            otherStore.abrirbanco();
            QVERIFY(otherStore.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, '')",
                                        {daytext::stored(w.today()), "De fora"}}));
        } else if (!change.isEmpty() && change != QLatin1String("day")) {
            w.add("Novo", change.toInt());
        }
        resident.dayWatch().check();
        QFETCH(QStringList, expected);
        QStringList seen;
        (void)QTest::qWaitFor([&] { return !(seen += arrived()).isEmpty(); }, expected.isEmpty() ? 800 : 5000); // may end empty
        QCOMPARE(seen, expected);
    }

    // "Abrir" opens the main window; closing it keeps the resident program and its tray menu.
    void abrirOpensTheMainWindowAndClosingItKeepsTheResidentProgram()
    {
        World w = seeded({"Dentista"});
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        QVERIFY(!resident.mainWindow() && m_server.invokeDefaultAction());
        QTRY_VERIFY(resident.mainWindow() && resident.mainWindow()->isVisible());
        resident.mainWindow()->close();
        QTRY_VERIFY(!resident.mainWindow());
        arrived();
        QMenu *menu = resident.trayMenu();
        QVERIFY(menu);
        menu->findChild<QAction *>("mnubandejaavisar")->trigger();
        QCOMPARE(arrived(), QStringList{"Hoje: 1 lembrete|Dentista"});
        menu->findChild<QAction *>("mnubandejaabrir")->trigger();
        QVERIFY(resident.mainWindow() && resident.mainWindow()->isVisible());
    }
};

QTEST_MAIN(tst_notifications)
#include "tst_notifications.moc"
