#include "store/recurrence.h"
#include "store/recurrencecolumns.h"

#include "storefixture.h"
#include "support/startupfiles.h"

using namespace recurrence;

namespace {

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

class tst_recurrence : public QObject
{
    Q_OBJECT

private slots:
    void occurrencesFollowTheRule_data()
    {
        QTest::addColumn<Case>("c"); // last: the series' last day, none when it goes on for ever
        QTest::newRow("weekly with a count") << Case{"FREQ=WEEKLY;BYDAY=TU;COUNT=4", "2026/03/03", "", "2026/01/01",
            "2026/12/31", "2026/03/03 2026/03/10 2026/03/17 2026/03/24", "2026/03/24"};
        QTest::newRow("count spent before the range") << Case{"FREQ=WEEKLY;COUNT=4", "2026/03/03", "", "2026/03/17",
            "2026/12/31", "2026/03/17 2026/03/24", "2026/03/24"};
        QTest::newRow("monthly on the 31st skips short months") << Case{"FREQ=MONTHLY", "2026/01/31", "",
            "2026/01/01", "2026/08/31", "2026/01/31 2026/03/31 2026/05/31 2026/07/31 2026/08/31", ""};
        QTest::newRow("yearly on 29 February only in leap years") << Case{"FREQ=YEARLY", "2024/02/29", "",
            "2024/01/01", "2032/12/31", "2024/02/29 2028/02/29 2032/02/29", ""};
        QTest::newRow("until is the last day") << Case{"FREQ=DAILY;UNTIL=20260104", "2026/01/01", "", "2025/12/01",
            "2026/02/01", "2026/01/01 2026/01/02 2026/01/03 2026/01/04", "2026/01/04"};
        QTest::newRow("until off the rule's days") << Case{"FREQ=WEEKLY;UNTIL=20260320", "2026/03/03", "",
            "2026/03/01", "2026/03/31", "2026/03/03 2026/03/10 2026/03/17", "2026/03/17"};
        QTest::newRow("excluded days are left out, still counted") << Case{"FREQ=DAILY;COUNT=4", "2026/01/01",
            "2026/01/02 2026/01/04", "2026/01/01", "2026/01/31", "2026/01/01 2026/01/03", "2026/01/03"};
        QTest::newRow("weekdays across a weekend") << Case{"FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", "2026/03/05", "",
            "2026/03/05", "2026/03/10", "2026/03/05 2026/03/06 2026/03/09 2026/03/10", ""};
        QTest::newRow("every 3 days, years after the start") << Case{"FREQ=DAILY;INTERVAL=3", "2000/01/01", "",
            "2026/03/10", "2026/03/17", "2026/03/12 2026/03/15", ""};
        QTest::newRow("once") << Case{"", "2026/03/10", "", "2026/03/01", "2026/03/31", "2026/03/10", "2026/03/10"};
        QTest::newRow("once, outside the range") << Case{"", "2026/03/10", "", "2026/03/11", "2026/03/31", "",
            "2026/03/10"};
        QTest::newRow("a rule libical cannot read is the first day") << Case{"FREQ=SOMETIMES", "2026/03/10", "",
            "2026/03/01", "2026/03/31", "2026/03/10", "2026/03/10"};
        QTest::newRow("a rule by the hour is not a day's repetition") << Case{"FREQ=HOURLY", "2026/03/10", "",
            "2026/03/01", "2026/03/31", "2026/03/10", "2026/03/10"};
        QTest::newRow("a day that never comes") << Case{"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30", "2026/01/01", "",
            "2026/01/01", "2030/12/31", "", ""};
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
        QTest::newRow("weekly across the year end") << Case{"FREQ=WEEKLY", "2025/12/02", "", "2025/12/31", "",
            "2026/01/06", "2026/01/06"};
        QTest::newRow("on an occurrence is that one") << Case{"FREQ=WEEKLY", "2025/12/02", "", "2026/01/06", "",
            "2026/01/06", "2026/01/06"};
        QTest::newRow("before the first day is the first day") << Case{"FREQ=WEEKLY", "2025/12/02", "",
            "2025/01/01", "", "2025/12/02", "2025/12/02"};
        QTest::newRow("an excluded next day is skipped") << Case{"FREQ=WEEKLY", "2025/12/02", "2026/01/06",
            "2025/12/31", "", "2026/01/13", "2026/01/13"};
        QTest::newRow("monthly on the 31st past April") << Case{"FREQ=MONTHLY", "2026/01/31", "", "2026/04/01", "",
            "2026/05/31", "2026/05/31"};
        QTest::newRow("an ended series is listed on its last day") << Case{"FREQ=WEEKLY;COUNT=3", "2025/12/02", "",
            "2026/03/10", "", "", "2025/12/16"};
        QTest::newRow("until before today") << Case{"FREQ=DAILY;UNTIL=20251231", "2025/12/01", "", "2026/01/01", "",
            "", "2025/12/31"};
        QTest::newRow("a past one-off keeps its day") << Case{"", "2020/05/05", "", "2026/03/10", "", "", "2020/05/05"};
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
        QTest::newRow("never") << RepeatChoice{Repeat::Never, 1, End::Forever, {}, 0} << "";
        QTest::newRow("daily") << RepeatChoice{Repeat::Daily, 1, End::Forever, {}, 0} << "FREQ=DAILY";
        QTest::newRow("weekdays until") << RepeatChoice{Repeat::Weekdays, 1, End::Until, QDate(2026, 12, 31), 0}
                                        << "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20261231";
        QTest::newRow("weekly 16 times") << RepeatChoice{Repeat::Weekly, 1, End::Count, {}, 16} << "FREQ=WEEKLY;COUNT=16";
        QTest::newRow("monthly") << RepeatChoice{Repeat::Monthly, 1, End::Forever, {}, 0} << "FREQ=MONTHLY";
        QTest::newRow("yearly") << RepeatChoice{Repeat::Yearly, 1, End::Forever, {}, 0} << "FREQ=YEARLY";
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
        QCOMPARE(timeFromText(QStringLiteral("14:30")), QTime(14, 30));
        for (const char *wrong : {"24:00", "9:30", ""})
            QVERIFY2(!timeFromText(QString::fromLatin1(wrong)).isValid(), wrong);
        QCOMPARE(timeText(QTime(8, 5)), QStringLiteral("08:05"));
        QCOMPARE((QList<int>{leadFromText(QStringLiteral("15")), leadFromText(QStringLiteral("-5")), leadFromText({})}),
                 (QList<int>{15, 0, 0}));
    }

    void anOldFileGetsTheColumnsKeepingItsRows()
    {
        FakePlatform fake;
        QVERIFY(writeFile(fake.databasePath(), startupfiles::sqliteFile(
            {"create table lembrete (id integer primary key, data text, titulo text, descricao text)",
             "insert into lembrete values (1, '2006/03/10', 'Antigo', 'd')"})));
        for (int open = 0; open < 2; ++open) { // a second open changes nothing
            modgeral store(fake.platform());
            store.abrirbanco();
            QVERIFY(store.isOpen() && recurrencecolumns::exist(store.connection()));
        }
        QCOMPARE(rowsIn(fake.databasePath(), "select titulo, coalesce(hora, repeticao, 'nada') from lembrete"),
                 QStringList{"Antigo|nada"});
        const QStringList plan = rowsIn(fake.databasePath(), "explain query plan select rowid from lembrete where "
                                                                 + recurrencecolumns::specialCondition());
        QVERIFY2(plan.join(' ').contains(QLatin1String("lembrete_especiais")), qPrintable(plan.join(' ')));
    }
};


QTEST_GUILESS_MAIN(tst_recurrence)
#include "tst_recurrence.moc"
