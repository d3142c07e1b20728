// The days a repeating reminder falls on, the reminders with a time or a repetition as the lists take them, the changes
// to one day of a series, and the days found ahead kept in the file between runs. Today is 10/03/2006.
#include "store/occurrences.h"
#include "store/recurrencecolumns.h"
#include "store/schedule.h"
#include "storefixture.h"
#include "support/startupfiles.h"

using namespace recurrence;

namespace {

QString line(const Schedule::Row &row, const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd ")) + QString::fromUtf8(row.title)
        + (row.minutes >= 0 ? QStringLiteral("@%1").arg(row.minutes) : QString());
}

QStringList shown(const Schedule &schedule, const std::vector<Schedule::Entry> &entries)
{
    QStringList lines;
    for (const Schedule::Entry &entry : entries)
        lines << line(schedule.rows()[size_t(entry.row)], entry.day);
    return lines;
}

QStringList listsOf(const Schedule &schedule, const QDate &today)
{
    return shown(schedule, schedule.listed()) + QStringList{"-"} + shown(schedule, schedule.between(today, today.addDays(15)))
        + QStringList{"-"} + shown(schedule, schedule.between(today.addDays(20), today.addDays(70)));
}

struct Timed : Store
{
    bool refresh(const QDate &today, Schedule *other = nullptr)
    {
        QString error;
        return (other ? other : &schedule)->refresh(store.connection(), fake.databasePath(), today, &error)
               || (qWarning() << error, false);
    }

    Schedule schedule;
};

QList<QDate> days(const QString &texts)
{
    QList<QDate> list;
    for (const QString &text : texts.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        list.append(QDate::fromString(text, QStringLiteral("yyyy/MM/dd")));
    return list;
}

// Days are "yyyy/MM/dd" texts, several apart by blanks; an empty text is no day.
struct Case
{
    QString rule, first, exceptions, from, to, expected, last;
};

} // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(RepeatChoice)

class tst_schedule : public QObject
{
    Q_OBJECT

private slots:
    void allListsEachReminderOnItsNextDayAcrossTheYearEnd()
    {
        Timed s;
        s.add("2025/12/02", "Aula", "FREQ=WEEKLY");
        s.add("2025/12/01", "Curso", "FREQ=WEEKLY;COUNT=3");
        s.add("2025/12/31", "Ceia", "", "20:00");
        s.add("2026/01/06", "Reis", "FREQ=YEARLY");
        s.add("2025/12/31", "Dia todo"); // day-only and once: not one of these rows
        QVERIFY(s.refresh(day("2025/12/31")));
        QCOMPARE(shown(s.schedule, s.schedule.listed()), QStringList({"2025/12/15 Curso", "2025/12/31 Ceia@1200",
                                                                      "2026/01/06 Aula", "2026/01/06 Reis"}));
        // The next day: the year has turned, nothing of the file changed.
        QVERIFY(s.refresh(day("2026/01/07")));
        QCOMPARE(shown(s.schedule, s.schedule.listed()), QStringList({"2025/12/15 Curso", "2025/12/31 Ceia@1200",
                                                                      "2026/01/13 Aula", "2027/01/06 Reis"}));
        // Another program's row: once the file's time of change has moved on, the rows are read again.
        QTest::qWait(20);
        s.add("2026/01/07", "Novo", "FREQ=DAILY");
        QVERIFY(s.refresh(day("2026/01/07")));
        QCOMPARE(s.schedule.rows().size(), size_t(5));
    }

    void entriesGoAmongDayOnlyRowsAsSQLiteOrdersThem()
    {
        Timed s;
        s.add("2006/03/03", "Maria", "FREQ=WEEKLY");
        s.add("2006/03/10", "Almoço", "", "12:00");
        s.add("2006/03/10", "Meia-noite", "", "00:00");
        s.add("2006/03/10", "Dia todo");
        s.add("2006/03/10", "Almoço", "", "12:00"); // the same title at the same time: in the order of entry
        QVERIFY(s.refresh(day("2006/03/10")));
        const std::vector<Schedule::Entry> entries = s.schedule.listed();
        QCOMPARE(shown(s.schedule, entries), QStringList({"2006/03/10 Maria", "2006/03/10 Meia-noite@0", "2006/03/10 Almoço@720",
                                                "2006/03/10 Almoço@720"}));
        // As a list reads them among the day's other rows, each with its time, midnight too.
        ReminderRows rows;
        QVERIFY(ListReader(s.store.connection()).read(modgeral::oneDay(day("2006/03/10")), rows, s.schedule,
                                                      s.schedule.between(day("2006/03/10"), day("2006/03/10"))));
        QStringList read;
        for (qsizetype i = 0; i < rows.size(); ++i)
            read << QStringLiteral("%1@%2#%3").arg(rows.title(i)).arg(rows.minutes(i)).arg(rows.key(i));
        QCOMPARE(read, QStringList({"Dia todo@-1#4", "Maria@-1#1", "Meia-noite@0#3", "Almoço@720#2", "Almoço@720#5"}));
        // Whole-day entries by title bytes ("M" before "m") among the day-only rows of their day, a time after all of
        // them; a day text that does not read compares as text.
        QString order;
        for (const auto &[entry, dayText, title] :
             std::initializer_list<std::tuple<int, const char *, const char *>>{
                 {0, "2006/03/10", "Ana"}, {0, "2006/03/10", "Zé"}, {0, "2006/03/10", "maria"}, {0, "2006/03/11", "Ana"},
                 {0, "2006/03/09", "Zé"}, {2, "2006/03/10", "Zzz"}, {2, "2006/13/99", "A"}, {2, "2006/03/0x", "A"}})
            order += s.schedule.before(entries[size_t(entry)], day(dayText), dayText, title) ? '<' : '>';
        QCOMPARE(order, QStringLiteral("><<<>><>"));
    }

    // A second day of a series, excluded or detached, joins the first; the lists follow; a series gone writes nothing.
    void oneOccurrenceRemovedOrEditedLeavesTheSeries()
    {
        Timed s;
        const qint64 series = s.add("2006/03/07", "Aula", "FREQ=WEEKLY;COUNT=4");
        QString previous, error;
        QVERIFY2(occurrences::exclude(s.store, series, day("2006/03/14"), &previous, &error), qPrintable(error));
        const occurrences::Detached moved{QStringLiteral("2006/03/22"), QStringLiteral("Aula extra"), QStringLiteral("d"),
                                          {QStringLiteral("19:00"), QString(), QStringLiteral("15")}};
        QVERIFY2(occurrences::detach(s.store, series, day("2006/03/21"), moved, &error), qPrintable(error));
        QCOMPARE(rowsIn(s.fake.databasePath(), "select rowid, coalesce(excecoes, repeticao, 'NULL'), antecedencia, serie, "
                                               "ocorrencia from lembrete"),
                 QStringList({"1|2006/03/14,2006/03/21|||", "2|NULL|15|1|2006/03/21"}));
        QVERIFY(s.refresh(day("2006/03/10")));
        QCOMPARE(shown(s.schedule, s.schedule.between(day("2006/03/01"), day("2006/03/31"))),
                 QStringList({"2006/03/07 Aula", "2006/03/22 Aula extra@1140", "2006/03/28 Aula"}));
        QVERIFY(!occurrences::exclude(s.store, 9999, day("2006/03/14"), &previous, &error));
        QVERIFY2(error.contains(QStringLiteral("não foi encontrado")), qPrintable(error));
    }

    void farMonthsAndDaysAgreeWithEachDayOnItsOwn_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::newRow("this month, before the counted day") << day("2006/03/01");
        QTest::newRow("next month, partly in the days kept ahead") << day("2006/04/01");
        QTest::newRow("29 February") << day("2008/02/01");
        QTest::newRow("a 31st after a month without one") << day("2008/12/01");
    }

    // What the by-day view shows for a day and marks bold in its month, asked far from the counted day and again from
    // what was kept, against each day's occurrences found from its rule alone.
    void farMonthsAndDaysAgreeWithEachDayOnItsOwn()
    {
        QFETCH(QDate, month);
        Timed s;
        s.add("2006/03/07", "Aula", "FREQ=WEEKLY;COUNT=10", "19:00");
        s.add("2006/01/31", "Aluguel", "FREQ=MONTHLY;BYMONTHDAY=31");
        s.add("2004/02/29", "Bissexto", "FREQ=YEARLY");
        s.add("2006/03/01", "Obra", "FREQ=DAILY;INTERVAL=3;UNTIL=20060415");
        s.add("2006/02/06", "Feira", "FREQ=WEEKLY;BYDAY=MO,FR", "", "2006/04/03,2008/02/29,2008/12/05");
        const QDate last = month.addMonths(1).addDays(-1);
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(s.refresh(day("2006/03/10")));
            QList<QDate> busy;
            for (QDate d = month; d <= last; d = d.addDays(1)) {
                QStringList expected;
                for (const Schedule::Row &row : s.schedule.rows())
                    if (recurrence::occursOn(row.series, d))
                        expected << line(row, d);
                if (!expected.isEmpty())
                    busy << d;
                QCOMPARE(shown(s.schedule, s.schedule.between(d, d)), expected);
            }
            QVERIFY(!busy.isEmpty());
            QCOMPARE(s.schedule.busyDays(month, last), busy);
            // A year either side, as the window marks them: this month's days among them.
            QList<QDate> inMonth = s.schedule.busyDays(month.addYears(-1), last.addYears(1));
            inMonth.removeIf([&](const QDate &d) { return d < month || d > last; });
            QCOMPARE(inMonth, busy);
            // A reminder added on the month's first day: what was kept must not hide it.
            s.add(month.toString(QStringLiteral("yyyy/MM/dd")).toUtf8().constData(), "Novo", "FREQ=DAILY;COUNT=2");
            s.schedule.invalidate();
        }
    }

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
        Timed s;
        s.add("2006/01/02", "Semanal", "FREQ=WEEKLY;COUNT=30");
        s.add("2006/01/31", "Mensal", "FREQ=MONTHLY;BYMONTHDAY=31");
        s.add("2004/02/29", "Bissexto", "FREQ=YEARLY");
        s.add("2006/03/01", "Diário", "FREQ=DAILY;INTERVAL=3", "", "2006/03/19");
        s.add("2006/01/01", "Acabou", "FREQ=WEEKLY;COUNT=4");
        s.add("2006/02/01", "Até", "FREQ=DAILY;UNTIL=20060320");
        QString error;
        QVERIFY(s.refresh(day("2006/03/10")));
        // In two writes, as the running program writes them between slices.
        for (const bool more : {true, false}) {
            QVERIFY2(s.schedule.save(s.store.connection(), &error, 4), qPrintable(error));
            QCOMPARE(s.schedule.hasUnsaved(), more);
        }
        QCOMPARE(rowsIn(s.fake.databasePath(), "select count(*) from lembrete_proxima"), QStringList{"6"});
        QVERIFY(!midway.isValid() || s.refresh(midway));
        for (const QString &statement : change.split(QStringLiteral("; "), Qt::SkipEmptyParts))
            QVERIFY(s.exec(statement));
        if (!change.isEmpty())
            s.schedule.invalidate(); // as after the program's own change
        Schedule cached;
        QVERIFY(s.refresh(later, &cached));
        QCOMPARE(cached.hasUnsaved(), stepped);
        QVERIFY(s.refresh(later));
        QVERIFY(s.exec(QStringLiteral("delete from lembrete_proxima")));
        Schedule fresh;
        QVERIFY(s.refresh(later, &fresh));
        QCOMPARE(listsOf(cached, later), listsOf(fresh, later));
        QCOMPARE(listsOf(s.schedule, later), listsOf(fresh, later));
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

    // Too many rules to step before the window shows: they are stepped on the side, left out of the lists until then,
    // and never listed from what was found for a rule that changed meanwhile.
    void daysFoundInTheBackgroundListAsTheRulesSay()
    {
        QFETCH(QString, change);
        Timed s;
        const char *rules[] = {"FREQ=DAILY", "FREQ=WEEKLY;COUNT=3", "FREQ=MONTHLY", "FREQ=DAILY;INTERVAL=9"};
        QVERIFY(s.exec(QStringLiteral("begin")));
        for (int i = 0; i < int(Schedule::kStepAtOnce) + 50; ++i)
            s.add(i % 2 ? "2006/01/05" : "2005/12/30", QByteArray::number(i).constData(), rules[i % 4]);
        QVERIFY(s.exec(QStringLiteral("commit")));
        const QDate today = day("2006/03/10");
        QVERIFY(s.refresh(today));
        QVERIFY(s.schedule.finding() && s.schedule.listed().empty() && s.schedule.between(today, today.addDays(15)).empty());
        if (!change.isEmpty()) {
            QVERIFY(s.exec(change));
            s.schedule.invalidate();
            QVERIFY(s.refresh(today));
        }
        QTRY_VERIFY_WITH_TIMEOUT((s.schedule.takeFound(), !s.schedule.finding()), 30000);
        QVERIFY(s.schedule.hasUnsaved());
        QStringList expected, soon;
        for (const Schedule::Row &row : s.schedule.rows()) {
            expected << line(row, recurrence::listedDay(row.series, today));
            for (const QDate &d : recurrence::occurrencesBetween(row.series, today, today.addDays(15)))
                soon << line(row, d);
        }
        QStringList listed = shown(s.schedule, s.schedule.listed());
        QStringList between = shown(s.schedule, s.schedule.between(today, today.addDays(15)));
        for (QStringList *list : {&expected, &soon, &listed, &between})
            list->sort();
        QCOMPARE((QList<QStringList>{listed, between}), (QList<QStringList>{expected, soon}));
        // A write of the days found that the file refuses is told, and the days stay to be written later.
        QVERIFY(s.exec("create trigger recusa before insert on lembrete_proxima begin select raise(abort, 'recusado'); end"));
        QString error;
        QVERIFY(!s.schedule.save(s.store.connection(), &error));
        QVERIFY2(error.contains(QStringLiteral("recusado")) && s.schedule.hasUnsaved(), qPrintable(error));
    }

    void occurrencesFollowTheRule_data()
    {
        QTest::addColumn<Case>("c"); // last: the series' last day, none when it goes on for ever
        const auto row = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        row("weekly with a count", {"FREQ=WEEKLY;BYDAY=TU;COUNT=4", "2026/03/03", "", "2026/01/01", "2026/12/31",
                                    "2026/03/03 2026/03/10 2026/03/17 2026/03/24", "2026/03/24"});
        row("count spent before the range", {"FREQ=WEEKLY;COUNT=4", "2026/03/03", "", "2026/03/17", "2026/12/31",
                                             "2026/03/17 2026/03/24", "2026/03/24"});
        row("monthly on the 31st skips short months", {"FREQ=MONTHLY", "2026/01/31", "", "2026/01/01", "2026/08/31",
                                                       "2026/01/31 2026/03/31 2026/05/31 2026/07/31 2026/08/31", ""});
        row("yearly on 29 February only in leap years", {"FREQ=YEARLY", "2024/02/29", "", "2024/01/01", "2032/12/31",
                                                         "2024/02/29 2028/02/29 2032/02/29", ""});
        row("until is the last day", {"FREQ=DAILY;UNTIL=20260104", "2026/01/01", "", "2025/12/01", "2026/02/01",
                                      "2026/01/01 2026/01/02 2026/01/03 2026/01/04", "2026/01/04"});
        row("until off the rule's days", {"FREQ=WEEKLY;UNTIL=20260320", "2026/03/03", "", "2026/03/01", "2026/03/31",
                                          "2026/03/03 2026/03/10 2026/03/17", "2026/03/17"});
        row("excluded days are left out, still counted", {"FREQ=DAILY;COUNT=4", "2026/01/01", "2026/01/02 2026/01/04",
                                                          "2026/01/01", "2026/01/31", "2026/01/01 2026/01/03", "2026/01/03"});
        row("weekdays across a weekend", {"FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", "2026/03/05", "", "2026/03/05", "2026/03/10",
                                          "2026/03/05 2026/03/06 2026/03/09 2026/03/10", ""});
        row("every 3 days, years after the start", {"FREQ=DAILY;INTERVAL=3", "2000/01/01", "", "2026/03/10", "2026/03/17",
                                                    "2026/03/12 2026/03/15", ""});
        row("once", {"", "2026/03/10", "", "2026/03/01", "2026/03/31", "2026/03/10", "2026/03/10"});
        row("once, outside the range", {"", "2026/03/10", "", "2026/03/11", "2026/03/31", "", "2026/03/10"});
        row("hourly: first day only", {"FREQ=HOURLY", "2026/03/10", "", "2026/03/01", "2026/03/31", "2026/03/10", "2026/03/10"});
        row("never comes", {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30", "2026/01/01", "", "2026/01/01", "2030/12/31", "", ""});
    }

    void occurrencesFollowTheRule()
    {
        QFETCH(Case, c);
        const Series s{days(c.first).value(0), c.rule, days(c.exceptions)};
        const QDate from = days(c.from).value(0), to = days(c.to).value(0);
        QCOMPARE(occurrencesBetween(s, from, to), days(c.expected));
        QCOMPARE(occurrencesBetween(s, from, to, 2), days(c.expected).mid(0, 2)); // at most as many as asked
        // The days looked ahead over and the first one after them, which tells a series that goes on.
        QList<QDate> ahead = days(c.expected);
        if (const QDate after = nextOccurrence(s, to.addDays(1)); after.isValid())
            ahead.append(after);
        QCOMPARE(upcoming(s, from, to), ahead);
        QCOMPARE(lastOccurrence(s), days(c.last).value(0));
    }

    void nextOccurrenceIsTheFirstOnOrAfterADay_data()
    {
        QTest::addColumn<Case>("c"); // expected: the next day from from; last: the day the lists show
        const auto row = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        row("across the year end", {"FREQ=WEEKLY", "2025/12/02", "", "2025/12/31", "", "2026/01/06", "2026/01/06"});
        row("on an occurrence", {"FREQ=WEEKLY", "2025/12/02", "", "2026/01/06", "", "2026/01/06", "2026/01/06"});
        row("before the first day", {"FREQ=WEEKLY", "2025/12/02", "", "2025/01/01", "", "2025/12/02", "2025/12/02"});
        row("an excluded next day is skipped", {"FREQ=WEEKLY", "2025/12/02", "2026/01/06", "2025/12/31", "", "2026/01/13",
                                                "2026/01/13"});
        row("31st past April", {"FREQ=MONTHLY", "2026/01/31", "", "2026/04/01", "", "2026/05/31", "2026/05/31"});
        row("ended: its last day", {"FREQ=WEEKLY;COUNT=3", "2025/12/02", "", "2026/03/10", "", "", "2025/12/16"});
        row("a past one-off keeps its day", {"", "2020/05/05", "", "2026/03/10", "", "", "2020/05/05"});
    }

    void nextOccurrenceIsTheFirstOnOrAfterADay()
    {
        QFETCH(Case, c);
        const Series s{days(c.first).value(0), c.rule, days(c.exceptions)};
        const QDate on = days(c.from).value(0);
        QCOMPARE(nextOccurrence(s, on), days(c.expected).value(0));
        QCOMPARE(occursOn(s, on), c.expected == c.from);
        QCOMPARE(listedDay(s, on), days(c.last).value(0));
    }

    void editorChoicesWriteRulesThatReadBack_data()
    {
        QTest::addColumn<RepeatChoice>("choice");
        QTest::addColumn<QString>("rule");
        QTest::newRow("daily") << RepeatChoice{Repeat::Daily, 1, End::Forever, {}, 0} << "FREQ=DAILY";
        QTest::newRow("weekdays until") << RepeatChoice{Repeat::Weekdays, 1, End::Until, QDate(2026, 12, 31), 0}
                                        << "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20261231";
        QTest::newRow("every 10 days") << RepeatChoice{Repeat::EveryNDays, 10, End::Count, {}, 5}
                                       << "FREQ=DAILY;INTERVAL=10;COUNT=5";
    }

    void editorChoicesWriteRulesThatReadBack()
    {
        QFETCH(RepeatChoice, choice);
        QFETCH(QString, rule);
        QCOMPARE(ruleFor(choice), rule);
        const RepeatChoice back = choiceFor(rule);
        QCOMPARE((QVariantList{int(back.repeat), int(back.end), back.until, back.count}),
                 (QVariantList{int(choice.repeat), int(choice.end), choice.until, choice.count}));
        QVERIFY(rule.isEmpty() || isValidRule(rule));
        // A rule the editor does not offer is kept as it came.
        for (const char *other : {"FREQ=WEEKLY;BYDAY=TU;COUNT=16", "FREQ=MONTHLY;INTERVAL=2"})
            QCOMPARE(int(choiceFor(QString::fromLatin1(other)).repeat), int(Repeat::Other));
    }

    void storedTextsReadTolerantly()
    {
        QCOMPARE(exceptionsFromText(QStringLiteral("2026/03/17, lixo,2026/03/10,2026/03/17")),
                 days(QStringLiteral("2026/03/10 2026/03/17")));
        QCOMPARE(exceptionsText(days(QStringLiteral("2026/03/17 2026/03/10"))), QStringLiteral("2026/03/10,2026/03/17"));
        QCOMPARE((QList<QTime>{timeFromText("14:30"), timeFromText("24:00"), timeFromText("9:30"), timeFromText({})}),
                 (QList<QTime>{QTime(14, 30), QTime(), QTime(), QTime()}));
        QCOMPARE(timeText(QTime(8, 5)), QStringLiteral("08:05"));
        QCOMPARE((QList<int>{leadFromText(QStringLiteral("15")), leadFromText(QStringLiteral("-5")), leadFromText({})}),
                 (QList<int>{15, 0, 0}));
    }

    void anOldFileGetsTheColumnsAndTheIndexKeepingItsRows_data()
    {
        QTest::addColumn<QStringList>("statements");
        const QString table = QStringLiteral("create table lembrete (id integer primary key, data text, titulo text, descricao text");
        QTest::newRow("before the repeating columns") << QStringList{table + ')'};
        QTest::newRow("an earlier index of the repeating rows")
            << QStringList{table + ", hora text, repeticao text, excecoes text, antecedencia text, serie integer, "
                                   "ocorrencia text)",
                           "create index lembrete_especiais on lembrete (data) where " + recurrencecolumns::specialCondition()};
        QTest::newRow("an earlier index of title keys") << QStringList{table + ", titulo_chave text)",
                                                                      "create index lembrete_titulo_chave on lembrete (titulo_chave)"};
    }

    void anOldFileGetsTheColumnsAndTheIndexKeepingItsRows()
    {
        QFETCH(QStringList, statements);
        FakePlatform fake;
        const QString path = fake.databasePath();
        QVERIFY(writeFile(path, startupfiles::sqliteFile(statements << "insert into lembrete (id, data, titulo, descricao) "
                                                                       "values (1, '2006/03/10', 'Antigo', 'd')")));
        for (int open = 0; open < 2; ++open) { // a second open changes nothing
            modgeral store(fake.platform());
            store.abrirbanco();
            QVERIFY(store.isOpen() && recurrencecolumns::exist(store.connection()));
        }
        QCOMPARE(rowsIn(path, "select titulo, coalesce(hora, repeticao, 'nada') from lembrete"), QStringList{"Antigo|nada"});
        QCOMPARE(rowsIn(path, "select name from sqlite_master where type = 'index' and tbl_name = 'lembrete' order by name"),
                 QStringList({"lembrete_data", "lembrete_especiais_lista"}));
        // Everything the schedule reads of the rows comes from the index alone.
        const QStringList plan = rowsIn(path, "explain query plan select rowid, data, titulo, hora, repeticao, excecoes "
                                              "from lembrete where " + recurrencecolumns::specialCondition());
        QVERIFY2(plan.join(' ').contains(QLatin1String("COVERING INDEX lembrete_especiais_lista")), qPrintable(plan.join(' ')));
    }
};

QTEST_GUILESS_MAIN(tst_schedule)
#include "tst_schedule.moc"
