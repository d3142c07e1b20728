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

    // "Título@HH:MM@RULE@N" (no time: the whole day; no rule: once) beginning N
    // days after day, warned lead minutes before.
    static void addTimed(modgeral &store, const QDate &day, const QString &entry, const QString &lead = {})
    {
        QVERIFY(store.execute({"insert into lembrete (data, titulo, descricao, hora, repeticao, antecedencia) "
                               "values (?, ?, '', ?, ?, ?)",
                               {daytext::stored(day.addDays(entry.section('@', 3, 3).toInt())),
                                entry.section('@', 0, 0), entry.section('@', 1, 1), entry.section('@', 2, 2), lead}}));
    }

    // Waits until a notice is on screen; how late that was after expected, on the clock.
    qint64 lateness(const FixedClock &clock, const QDateTime &expected)
    {
        if (!QTest::qWaitFor([&] { return m_server.displayedCount() > 0; }, 20000))
            return -999999;
        return expected.msecsTo(clock.now());
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

    void theDayNoticesListTimedRemindersWithTheirTimes_data()
    {
        QTest::addColumn<QStringList>("today");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole day only, as before")
            << QStringList{"Pagar a luz@", "A & B@"} << QStringList{"Hoje: 2 lembretes|A &amp; B\nPagar a luz"};
        QTest::newRow("timed ones after, by time")
            << QStringList{"Dentista@14:30", "Pagar a luz@", "Consulta@09:00"}
            << QStringList{"Hoje: 3 lembretes|Pagar a luz\n09:00 Consulta\n14:30 Dentista"};
        QTest::newRow("a time that does not read is the whole day")
            << QStringList{"Aula@08:00", "Feira@25:99"} << QStringList{"Hoje: 2 lembretes|Feira\n08:00 Aula"};
        QTest::newRow("repeating ones on their days only")
            << QStringList{"Aula@19:00@FREQ=WEEKLY@-21", "Plantão@@FREQ=WEEKLY;COUNT=3@-14", "Ioga@07:00@FREQ=WEEKLY@-20",
                           "Fim@@FREQ=DAILY;COUNT=2@-7"}
            << QStringList{"Hoje: 2 lembretes|Plantão\n19:00 Aula", "Amanhã: 1 lembrete|07:00 Ioga"};
    }

    void theDayNoticesListTimedRemindersWithTheirTimes()
    {
        QFETCH(QStringList, today);
        QFETCH(QStringList, expected);
        Seeded s = seeded({}, {});
        for (const QString &entry : today)
            addTimed(*s.store, s.fake->clock->day, entry);
        alerts::DesktopNotifier notifier(false, m_server.bus());
        QString printed;
        QTextStream out(&printed);

        QCOMPARE(alerts::runAnnounceCommand(*s.store, *s.fake->clock, notifier, out), 0);

        QCOMPARE(arrived(), expected);
    }

    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("lead");
        QTest::addColumn<QString>("body");
        QTest::newRow("at its time") << "14:30" << "" << "Hoje às 14:30";
        QTest::newRow("fifteen minutes before") << "14:45" << "15" << "Hoje às 14:45";
    }

    // On a clock running with real time from a few seconds before the notice is due.
    void theNoticeComesWithinTwoSecondsOfItsTimeAndAgainAfterADelay()
    {
        QFETCH(QString, time);
        QFETCH(QString, lead);
        QFETCH(QString, body);
        Seeded s = seeded({}, {});
        const QDate day = s.fake->clock->day;
        addTimed(*s.store, day, "Dentista@" + time, lead);
        const QDateTime due(day, QTime(14, 30));
        s.fake->clock->runFrom(due.addSecs(-5));
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        QCOMPARE(arrived(), QStringList{"Hoje: 1 lembrete|" + time + " Dentista"});

        const qint64 late = lateness(*s.fake->clock, due);
        QVERIFY2(late >= 0 && late <= 2000, qPrintable(QString("%1 ms after its time").arg(late)));
        QSignalSpy snoozed(&notifier, &alerts::Notifier::snoozeRequested);
        QVERIFY(m_server.invokeAction("Adiar 10 minutos"));
        QVERIFY(snoozed.wait(10000));
        const QDateTime snoozedAt = s.fake->clock->now();
        QCOMPARE(arrived(), QStringList{"Dentista|" + body});

        // Ten minutes on: the clock is set forward, as after a sleep.
        s.fake->clock->runFrom(snoozedAt.addSecs(600 - 3));
        resident.timedNotices().check();
        const qint64 lateAgain = lateness(*s.fake->clock, snoozedAt.addSecs(600));
        QVERIFY2(lateAgain >= -100 && lateAgain <= 2000, qPrintable(QString("%1 ms after").arg(lateAgain)));
        QCOMPARE(arrived(), QStringList{"Dentista|" + body});
    }

    // A reminder beyond what the start read is read once its day comes near.
    void aTimedReminderFarAheadRingsWhenItsDayComes()
    {
        Seeded s = seeded({}, {});
        const QDate day = s.fake->clock->day.addDays(9);
        addTimed(*s.store, s.fake->clock->day, "Consulta@09:00@@9");
        alerts::DesktopNotifier notifier(true, m_server.bus());
        alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        resident.start();
        QCOMPARE(arrived(), QStringList());
        s.fake->clock->runFrom(QDateTime(day, QTime(8, 59, 58)));
        resident.timedNotices().check();
        const qint64 late = lateness(*s.fake->clock, QDateTime(day, QTime(9, 0)));
        QVERIFY2(late >= 0 && late <= 2000, qPrintable(QString("%1 ms after its time").arg(late)));
        QCOMPARE(arrived(), QStringList{"Consulta|Hoje às 09:00"});
    }

    void missedRemindersAreAnnouncedOnceAtTheNextStart_data()
    {
        QTest::addColumn<QString>("lastRun");
        QTest::addColumn<QStringList>("missed");
        QTest::newRow("first run: none") << "" << QStringList{};
        QTest::newRow("off since the morning")
            << "2006-03-10 08:00:00"
            << QStringList{"Perdidos enquanto desligado: 2 lembretes|10/03 09:00 Remédio\n10/03 12:00 Almoço &amp; café"};
        QTest::newRow("off since yesterday")
            << "2006-03-09 08:00:00"
            << QStringList{"Perdidos enquanto desligado: 4 lembretes|09/03 09:00 Remédio\n09/03 11:00 Reunião\n"
                           "10/03 09:00 Remédio\n10/03 12:00 Almoço &amp; café"};
    }

    void missedRemindersAreAnnouncedOnceAtTheNextStart()
    {
        QFETCH(QString, lastRun);
        QFETCH(QStringList, missed);
        Seeded s = seeded({}, {});
        const QDate day = s.fake->clock->day; // at 14:30
        for (const QString &entry : {"Remédio@09:00@FREQ=DAILY@-30", "Almoço & café@12:00", "Depois@16:00"})
            addTimed(*s.store, day, entry);
        addTimed(*s.store, day.addDays(-1), "Reunião@11:00");
        if (!lastRun.isEmpty())
            s.fake->platform().settings().write("Configurações", "AvisadoAte", lastRun);
        const QStringList summaries{"Hoje: 3 lembretes|09:00 Remédio\n12:00 Almoço &amp; café\n16:00 Depois",
                                    "Amanhã: 1 lembrete|09:00 Remédio"};
        alerts::DesktopNotifier notifier(true, m_server.bus());
        {
            alerts::ResidentProgram resident(s.fake->platform(), *s.store, notifier, 3600 * 1000);
            resident.start();
            QCOMPARE(arrived(), summaries + missed);
        }
        alerts::ResidentProgram again(s.fake->platform(), *s.store, notifier, 3600 * 1000);
        again.start();
        QCOMPARE(arrived(), summaries);
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
