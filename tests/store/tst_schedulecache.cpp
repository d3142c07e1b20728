// The days found ahead for repeating reminders, kept in the file between
// runs: what a start reads from it lists the same rows as stepping every
// rule from scratch, whatever changed in between.
#include "store/recurrence.h"
#include "store/recurrencecolumns.h"
#include "store/reminderindexes.h"
#include "store/schedule.h"
#include "storefixture.h"

namespace {

// Every way the lists take the rows: all of them, the next weeks, further on.
QStringList listsOf(const Schedule &schedule, const QDate &today)
{
    QStringList lines;
    const auto add = [&](const char *list, const std::vector<Schedule::Entry> &entries) {
        for (const Schedule::Entry &entry : entries)
            lines << QLatin1String(list) + entry.day.toString(QStringLiteral(" yyyy/MM/dd "))
                    + QString::fromUtf8(schedule.rows()[size_t(entry.row)].title);
    };
    add("todos", schedule.listed());
    add("15 dias", schedule.between(today, today.addDays(15)));
    add("adiante", schedule.between(today.addDays(20), today.addDays(70)));
    return lines;
}

} // namespace

class tst_schedulecache : public QObject
{
    Q_OBJECT

private slots:
    void cachedDaysListTheSameAsSteppingTheRules_data()
    {
        QTest::addColumn<QDate>("midway"); // a day the running program saw in between, if any
        QTest::addColumn<QDate>("later");
        QTest::addColumn<QString>("change"); // what the file undergoes between the two runs
        QTest::addColumn<bool>("stepped");   // whether the later run must step some rule again
        const QDate saved = day("2006/03/10");
        const auto row = [](const char *name, const QDate &later, const char *change, bool stepped) {
            QTest::newRow(name) << QDate() << later << QString::fromUtf8(change) << stepped;
        };
        row("the next day", saved.addDays(1), "", false);
        row("past the days found", day("2006/04/25"), "", true);
        row("series ended since", day("2006/09/01"), "", true);
        QTest::newRow("clock set back") << day("2006/03/20") << day("2006/03/15") << QString() << false;
        row("rule edited", saved.addDays(2), "update lembrete set repeticao = 'FREQ=WEEKLY;BYDAY=SA' where titulo = 'Diário'", true);
        row("day excluded", saved.addDays(2), "update lembrete set excecoes = '2006/03/13,2006/03/16' where titulo = 'Diário'", true);
        row("first day moved", saved, "update lembrete set data = '2006/03/09' where titulo = 'Semanal'", true);
        row("row of another program", saved, "insert into lembrete (data, titulo, descricao, repeticao) "
                                             "values ('2006/03/11', 'Novo', '', 'FREQ=DAILY;INTERVAL=2')", true);
        row("row removed, key taken again", saved, "delete from lembrete where titulo = 'Mensal'; insert into lembrete "
            "(rowid, data, titulo, descricao, repeticao) values (2, '2006/03/12', 'Outro', '', 'FREQ=WEEKLY')", true);
        row("entry garbled", saved, "update lembrete_proxima set dias = 0, depois = 1", true);
        row("next day among its days", saved, "update lembrete_proxima set dias = 1048577, depois = desde + 20", true);
    }

    void cachedDaysListTheSameAsSteppingTheRules()
    {
        QFETCH(QDate, midway);
        QFETCH(QDate, later);
        QFETCH(QString, change);
        QFETCH(bool, stepped);
        Store s;
        s.add("2006/01/02", "Semanal", "FREQ=WEEKLY;COUNT=30");
        s.add("2006/01/31", "Mensal", "FREQ=MONTHLY;BYMONTHDAY=31");
        s.add("2004/02/29", "Bissexto", "FREQ=YEARLY");
        s.add("2006/03/01", "Diário", "FREQ=DAILY;INTERVAL=3", "", "2006/03/19");
        s.add("2006/01/01", "Acabou", "FREQ=WEEKLY;COUNT=4");
        s.add("2006/02/01", "Até", "FREQ=DAILY;UNTIL=20060320");
        QString error;
        Schedule running;
        QVERIFY(running.refresh(s.store.connection(), s.fake.databasePath(), day("2006/03/10"), &error));
        QVERIFY(running.hasUnsaved());
        // In two writes, as the running program writes them between slices.
        QVERIFY2(running.save(s.store.connection(), &error, 4), qPrintable(error));
        QVERIFY(running.hasUnsaved());
        QVERIFY2(running.save(s.store.connection(), &error, 4), qPrintable(error));
        QVERIFY(!running.hasUnsaved());
        QCOMPARE(rowsIn(s.fake.databasePath(), "select count(*) from lembrete_proxima"), QStringList{"6"});
        if (midway.isValid())
            QVERIFY(running.refresh(s.store.connection(), s.fake.databasePath(), midway, &error));
        for (const QString &statement : change.split(QStringLiteral("; "), Qt::SkipEmptyParts))
            QVERIFY(s.exec(statement));
        if (!change.isEmpty())
            running.invalidate(); // as after the program's own change

        Schedule cached;
        QVERIFY(cached.refresh(s.store.connection(), s.fake.databasePath(), later, &error));
        QCOMPARE(cached.hasUnsaved(), stepped);
        QVERIFY(running.refresh(s.store.connection(), s.fake.databasePath(), later, &error));

        QVERIFY(s.exec(QStringLiteral("delete from lembrete_proxima")));
        Schedule fresh;
        QVERIFY(fresh.refresh(s.store.connection(), s.fake.databasePath(), later, &error));
        const QStringList expected = listsOf(fresh, later);
        QCOMPARE(listsOf(cached, later), expected);
        QCOMPARE(listsOf(running, later), expected);
    }

    void daysFoundInTheBackgroundListAsTheRulesSay_data()
    {
        QTest::addColumn<QString>("change"); // what the file undergoes while the days are found
        QTest::newRow("nothing") << QString();
        QTest::newRow("rule edited by another program")
            << "update lembrete set repeticao = 'FREQ=YEARLY;BYMONTH=12' where rowid = 5";
        QTest::newRow("row removed") << "delete from lembrete where rowid = 5";
        QTest::newRow("row added") << "insert into lembrete (data, titulo, descricao, repeticao) "
                                      "values ('2006/03/01', 'Novo', '', 'FREQ=DAILY;INTERVAL=5')";
    }

    // Too many rules to step before the window shows: they are stepped on the
    // side, left out of the lists until then, and never listed from what was
    // found for a rule that changed meanwhile.
    void daysFoundInTheBackgroundListAsTheRulesSay()
    {
        QFETCH(QString, change);
        Store s;
        const char *rules[] = {"FREQ=DAILY", "FREQ=WEEKLY;COUNT=3", "FREQ=MONTHLY", "FREQ=DAILY;INTERVAL=9"};
        QVERIFY(s.exec(QStringLiteral("begin")));
        for (int i = 0; i < int(Schedule::kStepAtOnce) + 50; ++i)
            s.add(i % 2 ? "2006/01/05" : "2005/12/30", "Série", rules[i % 4]);
        QVERIFY(s.exec(QStringLiteral("commit")));
        const QDate today = day("2006/03/10");
        QString error;
        Schedule schedule;
        QVERIFY(schedule.refresh(s.store.connection(), s.fake.databasePath(), today, &error));
        QVERIFY(schedule.finding());
        QVERIFY(schedule.listed().empty());
        QVERIFY(schedule.between(today, today.addDays(15)).empty());
        if (!change.isEmpty()) {
            QVERIFY(s.exec(change));
            schedule.invalidate();
            QVERIFY(schedule.refresh(s.store.connection(), s.fake.databasePath(), today, &error));
        }
        QTRY_VERIFY_WITH_TIMEOUT((schedule.takeFound(), !schedule.finding()), 30000);
        QVERIFY(schedule.hasUnsaved());

        QStringList expected, listed;
        for (const Schedule::Row &row : schedule.rows())
            expected << QString::number(row.key) + recurrence::listedDay(row.series, today).toString(Qt::ISODate);
        for (const Schedule::Entry &entry : schedule.listed())
            listed << QString::number(schedule.rows()[size_t(entry.row)].key) + entry.day.toString(Qt::ISODate);
        expected.sort();
        listed.sort();
        QCOMPARE(listed, expected);
        qsizetype soon = 0;
        for (const Schedule::Row &row : schedule.rows())
            soon += recurrence::occurrencesBetween(row.series, today, today.addDays(15)).size();
        QCOMPARE(qsizetype(schedule.between(today, today.addDays(15)).size()), soon);
    }

    // A write of the days found that the file refuses is told, and the days stay to be written later.
    void aRefusedWriteOfTheDaysFoundIsKeptForLater()
    {
        Store s;
        s.add("2006/01/02", "Semanal", "FREQ=WEEKLY");
        QVERIFY(s.exec("create trigger recusa before insert on lembrete_proxima begin select raise(abort, 'recusado'); end"));
        Schedule schedule;
        QString error;
        QVERIFY(schedule.refresh(s.store.connection(), s.fake.databasePath(), day("2006/03/10"), &error));
        QVERIFY(!schedule.save(s.store.connection(), &error));
        QVERIFY2(error.contains(QStringLiteral("recusado")), qPrintable(error));
        QVERIFY(schedule.hasUnsaved());
    }

    void anEarlierIndexOfTheRepeatingRowsIsReplacedByOneThatCoversThem()
    {
        Store s;
        QVERIFY(s.exec(QStringLiteral("drop index lembrete_especiais_lista")));
        QVERIFY(s.exec(QStringLiteral("create index lembrete_especiais on lembrete (data) where ")
                       + recurrencecolumns::specialCondition()));
        QVERIFY(!reminderindexes::complete(s.store.connection()));
        StepGate gate;
        QVERIFY(reminderindexes::build(s.store.connection(), gate, [](int) {}));
        QVERIFY(reminderindexes::complete(s.store.connection()));
        const QString path = s.fake.databasePath();
        QCOMPARE(rowsIn(path, "select name from sqlite_master where name like 'lembrete_especiais%'"),
                 QStringList{"lembrete_especiais_lista"});
        // Everything the schedule reads of the rows comes from the index alone.
        const QStringList plan = rowsIn(path, "explain query plan select rowid, data, titulo, hora, repeticao, excecoes "
                                              "from lembrete where " + recurrencecolumns::specialCondition());
        QVERIFY2(plan.join(' ').contains(QLatin1String("COVERING INDEX lembrete_especiais_lista")), qPrintable(plan.join(' ')));
    }
};


QTEST_GUILESS_MAIN(tst_schedulecache)
#include "tst_schedulecache.moc"
