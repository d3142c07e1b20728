#include "alerts/commands.h"
#include "alerts/notifier.h"
#include "alerts/resident.h"
#include "alerts/singleinstance.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"
#include "support/notificationserver.h"

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
        explicit World(const QStringList &reminders = {})
        {
            fake.createEmptyDatabase();
            store.abrirbanco();
            for (const QString &entry : reminders)
                QVERIFY(add(entry));
        }
        // A title alone is a whole-day reminder; "Título@HH:MM@RULE@N@LEAD" (no time: the whole day; no rule: once)
        // begins N days after today, warned LEAD minutes before.
        bool add(const QString &entry, int offset = 0)
        {
            const QStringList part = entry.split('@');
            const QString day = daytext::stored(fake.clock->day.addDays(offset + part.value(3).toInt()));
            if (part.size() == 1)
                return store.appendReminder(day, entry, QString());
            return store.execute({"insert into lembrete (data, titulo, descricao, hora, repeticao, antecedencia) "
                                  "values (?, ?, '', ?, ?, ?)",
                                  {day, part[0], part[1], part.value(2), part.value(4)}});
        }
        alerts::ResidentProgram &startResident(const QDBusConnection &bus)
        {
            notifier = std::make_unique<alerts::DesktopNotifier>(true, bus);
            resident = std::make_unique<alerts::ResidentProgram>(fake.platform(), store, *notifier, 3600 * 1000);
            resident->start();
            return *resident;
        }

        FakePlatform fake;
        modgeral store{fake.platform()};
        std::unique_ptr<alerts::DesktopNotifier> notifier;
        std::unique_ptr<alerts::ResidentProgram> resident;
    };

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

    // One notice per day, whole-day titles first, then timed ones by time; titles escaped for dunst's markup. Without
    // a service the texts are printed, a title's terminal controls dropped, and the command fails.
    void announcingSendsOneNoticePerDay_data()
    {
        QTest::addColumn<QStringList>("reminders");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("printed"); // set: no service on the bus
        QTest::newRow("today and tomorrow") << QStringList{"Reunião", "Aniversário da Ana@@@1", "Feira@@@1"}
            << QStringList{"Hoje: 1 lembrete|Reunião", "Amanhã: 2 lembretes|Aniversário da Ana\nFeira"} << QString();
        QTest::newRow("titles escaped") << QStringList{"Tom & Jerry <b>não</b> \"já\" 'ok'"}
            << QStringList{"Hoje: 1 lembrete|Tom &amp; Jerry &lt;b&gt;não&lt;/b&gt; &quot;já&quot; &apos;ok&apos;"}
            << QString();
        QTest::newRow("only next week: nothing") << QStringList{"Semana que vem@@@7"} << QStringList{} << QString();
        QTest::newRow("timed ones after, by time") << QStringList{"Dentista@14:30", "Pagar a luz@", "Consulta@09:00"}
            << QStringList{"Hoje: 3 lembretes|Pagar a luz\n09:00 Consulta\n14:30 Dentista"} << QString();
        QTest::newRow("a time that does not read is the whole day") << QStringList{"Aula@08:00", "Feira@25:99"}
            << QStringList{"Hoje: 2 lembretes|Feira\n08:00 Aula"} << QString();
        QTest::newRow("repeating ones on their days only")
            << QStringList{"Aula@19:00@FREQ=WEEKLY@-21", "Plantão@@FREQ=WEEKLY;COUNT=3@-14", "Ioga@07:00@FREQ=WEEKLY@-20",
                           "Fim@@FREQ=DAILY;COUNT=2@-7"}
            << QStringList{"Hoje: 2 lembretes|Plantão\n19:00 Aula", "Amanhã: 1 lembrete|07:00 Ioga"} << QString();
        QTest::newRow("no service") << QStringList{"Dentista", "A & B\x1b]0;t\x07", "Feira@@@1"} << QStringList{}
                                    << QStringLiteral("Hoje: 2 lembretes\nA & B]0;t\nDentista\n\nAmanhã: 1 lembrete\nFeira\n");
    }
    void announcingSendsOneNoticePerDay()
    {
        QFETCH(QStringList, reminders);
        QFETCH(QString, printed);
        World w(reminders);
        alerts::DesktopNotifier notifier(false, printed.isEmpty() ? m_server.bus() : QDBusConnection("no bus"));
        QString said;
        QTextStream out(&said);
        QCOMPARE(alerts::runAnnounceCommand(w.store, *w.fake.clock, notifier, out), printed.isEmpty() ? 0 : 1);
        QCOMPARE(said, printed);
        QTEST(arrived(), "expected");
    }

    // "lembrete --avisar" reaches the server, or prints and fails; through the resident program when one runs, so
    // that its "Abrir" reaches it; closing that window keeps the resident program and its tray menu.
    void theProgramsAvisarCommandReachesTheServer_data()
    {
        QTest::addColumn<bool>("serverOnTheBus");
        QTest::addColumn<bool>("residentRuns");
        QTest::newRow("service answers") << true << false;
        QTest::newRow("resident program runs") << true << true;
        QTest::newRow("no session bus") << false << false;
    }
    void theProgramsAvisarCommandReachesTheServer()
    {
        QFETCH(bool, serverOnTheBus);
        QFETCH(bool, residentRuns);
        // A portable copy of the program keeps its reminders beside it: the build's own database stays untouched.
        World w;
        w.fake.clock->day = QDate::currentDate(); // the program runs on the real clock
        QVERIFY(w.add("Pagar a luz") && w.add("Consulta"));
        const QString program = w.fake.folder() + "/lembrete";
        QVERIFY(QFile::copy(LEMBRETE_PROGRAM, program));
        QProcessEnvironment environment = m_server.environment();
        if (!serverOnTheBus)
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + w.fake.folder() + "/no-bus");
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
        QCOMPARE(lembrete.exitCode(), serverOnTheBus ? 0 : 1);
        QCOMPARE(QString::fromUtf8(lembrete.readAllStandardOutput()),
                 serverOnTheBus ? QString() : "Hoje: 2 lembretes\nConsulta\nPagar a luz\n");
        const QStringList texts = serverOnTheBus ? QStringList{"Hoje: 2 lembretes|Consulta\nPagar a luz"} : QStringList{};
        if (!residentRuns) {
            QCOMPARE(arrived(), texts);
            return;
        }
        QVERIFY(m_server.invokeDefaultAction());
        QTRY_VERIFY(w.resident->mainWindow() && w.resident->mainWindow()->isVisible());
        QCOMPARE(arrived(), texts);
        w.resident->mainWindow()->close();
        QTRY_VERIFY(!w.resident->mainWindow());
        QVERIFY(w.resident->trayMenu());
        w.resident->trayMenu()->findChild<QAction *>("mnubandejaavisar")->trigger();
        QCOMPARE(arrived(), texts);
        w.resident->trayMenu()->findChild<QAction *>("mnubandejaabrir")->trigger();
        QVERIFY(w.resident->mainWindow() && w.resident->mainWindow()->isVisible());
    }

    // On a clock running with real time from a few seconds before the notice is due, also days after the start
    // (beyond what the start read), and again ten minutes after "Adiar".
    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QDateTime>("due");
        QTest::newRow("fifteen minutes before") << "Dentista@15:45@@0@15" << QDateTime(QDate(2006, 3, 10), QTime(15, 30));
        QTest::newRow("nine days on") << "Dentista@09:00@@9" << QDateTime(QDate(2006, 3, 19), QTime(9, 0));
    }
    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay()
    {
        QFETCH(QString, entry);
        QFETCH(QDateTime, due);
        World w({entry});
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        arrived(); // the day's notice
        const QStringList notice{"Dentista|Hoje às " + entry.section('@', 1, 1)};
        w.fake.clock->runFrom(due.addSecs(-3)); // set forward, as after a sleep
        resident.timedNotices().check();
        QCOMPARE(lateness(*w.fake.clock, due), QString());
        QSignalSpy snoozed(w.notifier.get(), &alerts::Notifier::snoozeRequested);
        QVERIFY(m_server.invokeAction("Adiar 10 minutos") && snoozed.wait(10000));
        const QDateTime back = w.fake.clock->now().addSecs(600);
        QCOMPARE(arrived(), notice);
        w.fake.clock->runFrom(back.addSecs(-3));
        resident.timedNotices().check();
        QCOMPARE(lateness(*w.fake.clock, back, -100), QString());
        QCOMPARE(arrived(), notice);
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
        World w({"Remédio@09:00@FREQ=DAILY@-30", "Almoço & café@12:00", "Depois@16:00", "Reunião@11:00@@-1"}); // at 14:30
        if (!lastRun.isEmpty())
            w.fake.platform().settings().write("Configurações", "AvisadoAte", lastRun);
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
        QTest::newRow("a new day") << "day" << QStringList{"Hoje: 1 lembrete|Depois"};
        QTest::newRow("added for tomorrow") << "1" << QStringList{"Amanhã: 2 lembretes|Depois\nNovo"};
        QTest::newRow("added for today") << "0" << QStringList{"Hoje: 1 lembrete|Novo"};
        QTest::newRow("added for next week: nothing") << "7" << QStringList{};
        QTest::newRow("added by another program") << "other" << QStringList{"Hoje: 1 lembrete|De fora"};
    }
    void theResidentProgramAnnouncesWhatChanges()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        World w({"Depois@@@1"});
        alerts::ResidentProgram &resident = w.startResident(m_server.bus());
        QCOMPARE(arrived(), QStringList{"Amanhã: 1 lembrete|Depois"});
        if (change == QLatin1String("day")) {
            w.fake.clock->day = w.fake.clock->day.addDays(1);
        } else if (change == QLatin1String("other")) {
            modgeral otherStore(w.fake.platform());
            otherStore.abrirbanco();
            QVERIFY(otherStore.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, '')",
                                        {daytext::stored(w.fake.clock->day), "De fora"}}));
        } else {
            QVERIFY(w.add("Novo", change.toInt()));
        }
        resident.dayWatch().check();
        QStringList seen;
        (void)QTest::qWaitFor([&] { return !(seen += arrived()).isEmpty(); }, expected.isEmpty() ? 800 : 5000); // may end empty
        QCOMPARE(seen, expected);
    }
};

QTEST_MAIN(tst_notifications)
#include "tst_notifications.moc"
