#include "store/recurrence.h"
#include "store/recurrencecolumns.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace recurrence;

namespace {

QList<QDate> days(const QString &texts)
{
    QList<QDate> list;
    for (const QString &text : texts.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        list.append(QDate::fromString(text, QStringLiteral("yyyy/MM/dd")));
    return list;
}

} // namespace

class tst_recurrence : public QObject
{
    Q_OBJECT
private slots:
    void occurrencesFollowTheRule_data();
    void occurrencesFollowTheRule();
    void nextOccurrenceIsTheFirstOnOrAfterADay_data();
    void nextOccurrenceIsTheFirstOnOrAfterADay();
    void editorChoicesWriteRulesThatReadBack_data();
    void editorChoicesWriteRulesThatReadBack();
    void storedTextsReadTolerantly();
    void columnsAreAddedKeepingTheRowsAndIndexed();
};

void tst_recurrence::occurrencesFollowTheRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("exceptions");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("last"); // the series' last day; empty when it goes on for ever
    QTest::newRow("weekly with a count") << "FREQ=WEEKLY;BYDAY=TU;COUNT=4" << "2026/03/03" << "" << "2026/01/01"
        << "2026/12/31" << "2026/03/03 2026/03/10 2026/03/17 2026/03/24" << "2026/03/24";
    QTest::newRow("count spent before the range") << "FREQ=WEEKLY;COUNT=4" << "2026/03/03" << "" << "2026/03/17"
        << "2026/12/31" << "2026/03/17 2026/03/24" << "2026/03/24";
    QTest::newRow("monthly on the 31st skips short months") << "FREQ=MONTHLY" << "2026/01/31" << "" << "2026/01/01"
        << "2026/08/31" << "2026/01/31 2026/03/31 2026/05/31 2026/07/31 2026/08/31" << "";
    QTest::newRow("yearly on 29 February only in leap years") << "FREQ=YEARLY" << "2024/02/29" << "" << "2024/01/01"
        << "2032/12/31" << "2024/02/29 2028/02/29 2032/02/29" << "";
    QTest::newRow("until is the last day") << "FREQ=DAILY;UNTIL=20260104" << "2026/01/01" << "" << "2025/12/01"
        << "2026/02/01" << "2026/01/01 2026/01/02 2026/01/03 2026/01/04" << "2026/01/04";
    QTest::newRow("until off the rule's days") << "FREQ=WEEKLY;UNTIL=20260320" << "2026/03/03" << "" << "2026/03/01"
        << "2026/03/31" << "2026/03/03 2026/03/10 2026/03/17" << "2026/03/17";
    QTest::newRow("excluded days are left out, still counted") << "FREQ=DAILY;COUNT=4" << "2026/01/01"
        << "2026/01/02 2026/01/04" << "2026/01/01" << "2026/01/31" << "2026/01/01 2026/01/03" << "2026/01/03";
    QTest::newRow("weekdays across a weekend") << "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR" << "2026/03/05" << ""
        << "2026/03/05" << "2026/03/10" << "2026/03/05 2026/03/06 2026/03/09 2026/03/10" << "";
    QTest::newRow("every 3 days, years after the start") << "FREQ=DAILY;INTERVAL=3" << "2000/01/01" << ""
        << "2026/03/10" << "2026/03/17" << "2026/03/12 2026/03/15" << "";
    QTest::newRow("once") << "" << "2026/03/10" << "" << "2026/03/01" << "2026/03/31" << "2026/03/10" << "2026/03/10";
    QTest::newRow("once, outside the range") << "" << "2026/03/10" << "" << "2026/03/11" << "2026/03/31" << ""
                                             << "2026/03/10";
    QTest::newRow("a rule libical cannot read is the first day") << "FREQ=SOMETIMES" << "2026/03/10" << ""
        << "2026/03/01" << "2026/03/31" << "2026/03/10" << "2026/03/10";
    QTest::newRow("a rule by the hour is not a day's repetition") << "FREQ=HOURLY" << "2026/03/10" << ""
        << "2026/03/01" << "2026/03/31" << "2026/03/10" << "2026/03/10";
    QTest::newRow("a day that never comes") << "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30" << "2026/01/01" << ""
        << "2026/01/01" << "2030/12/31" << "" << "";
}

void tst_recurrence::occurrencesFollowTheRule()
{
    QFETCH(QString, rule);
    QFETCH(QString, first);
    QFETCH(QString, exceptions);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    QFETCH(QString, last);
    const Series s{days(first).value(0), rule, days(exceptions)};
    QCOMPARE(occurrencesBetween(s, days(from).value(0), days(to).value(0)), days(expected));
    // The days looked ahead over and the first one after them, which tells a series that goes on.
    QList<QDate> ahead = days(expected);
    if (const QDate after = nextOccurrence(s, days(to).value(0).addDays(1)); after.isValid())
        ahead.append(after);
    QCOMPARE(upcoming(s, days(from).value(0), days(to).value(0)), ahead);
    QCOMPARE(lastOccurrence(s), days(last).value(0));
}

void tst_recurrence::nextOccurrenceIsTheFirstOnOrAfterADay_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("exceptions");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("listed");
    QTest::newRow("weekly across the year end") << "FREQ=WEEKLY" << "2025/12/02" << "" << "2025/12/31" << "2026/01/06"
                                                << "2026/01/06";
    QTest::newRow("on an occurrence is that one") << "FREQ=WEEKLY" << "2025/12/02" << "" << "2026/01/06" << "2026/01/06"
                                                  << "2026/01/06";
    QTest::newRow("before the first day is the first day") << "FREQ=WEEKLY" << "2025/12/02" << "" << "2025/01/01"
                                                           << "2025/12/02" << "2025/12/02";
    QTest::newRow("an excluded next day is skipped") << "FREQ=WEEKLY" << "2025/12/02" << "2026/01/06" << "2025/12/31"
                                                     << "2026/01/13" << "2026/01/13";
    QTest::newRow("monthly on the 31st past April") << "FREQ=MONTHLY" << "2026/01/31" << "" << "2026/04/01"
                                                    << "2026/05/31" << "2026/05/31";
    QTest::newRow("an ended series is listed on its last day") << "FREQ=WEEKLY;COUNT=3" << "2025/12/02" << ""
                                                               << "2026/03/10" << "" << "2025/12/16";
    QTest::newRow("until before today") << "FREQ=DAILY;UNTIL=20251231" << "2025/12/01" << "" << "2026/01/01" << ""
                                        << "2025/12/31";
    QTest::newRow("a past one-off keeps its day") << "" << "2020/05/05" << "" << "2026/03/10" << "" << "2020/05/05";
}

void tst_recurrence::nextOccurrenceIsTheFirstOnOrAfterADay()
{
    QFETCH(QString, rule);
    QFETCH(QString, first);
    QFETCH(QString, exceptions);
    QFETCH(QString, from);
    QFETCH(QString, expected);
    QFETCH(QString, listed);
    const Series s{days(first).value(0), rule, days(exceptions)};
    const QDate on = days(from).value(0);
    QCOMPARE(nextOccurrence(s, on), days(expected).value(0));
    QCOMPARE(occursOn(s, on), expected == from);
    QCOMPARE(listedDay(s, on), days(listed).value(0));
}

void tst_recurrence::editorChoicesWriteRulesThatReadBack_data()
{
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("end");
    QTest::addColumn<QDate>("until");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("rule");
    const auto row = [](const char *name, Repeat repeat, int interval, End end, QDate until, int count,
                        const char *rule) {
        QTest::newRow(name) << int(repeat) << interval << int(end) << until << count << QString::fromLatin1(rule);
    };
    row("never", Repeat::Never, 1, End::Forever, {}, 0, "");
    row("daily", Repeat::Daily, 1, End::Forever, {}, 0, "FREQ=DAILY");
    row("weekdays until", Repeat::Weekdays, 1, End::Until, QDate(2026, 12, 31), 0,
        "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20261231");
    row("weekly 16 times", Repeat::Weekly, 1, End::Count, {}, 16, "FREQ=WEEKLY;COUNT=16");
    row("monthly", Repeat::Monthly, 1, End::Forever, {}, 0, "FREQ=MONTHLY");
    row("yearly", Repeat::Yearly, 1, End::Forever, {}, 0, "FREQ=YEARLY");
    row("every 10 days", Repeat::EveryNDays, 10, End::Count, {}, 5, "FREQ=DAILY;INTERVAL=10;COUNT=5");
}

void tst_recurrence::editorChoicesWriteRulesThatReadBack()
{
    QFETCH(int, repeat);
    QFETCH(int, interval);
    QFETCH(int, end);
    QFETCH(QDate, until);
    QFETCH(int, count);
    QFETCH(QString, rule);
    const RepeatChoice choice{Repeat(repeat), interval, End(end), until, count};
    QCOMPARE(ruleFor(choice), rule);
    const RepeatChoice back = choiceFor(rule);
    QCOMPARE(int(back.repeat), repeat);
    QCOMPARE(int(back.end), end);
    QCOMPARE(back.until, until);
    QCOMPARE(back.count, count);
    QVERIFY(rule.isEmpty() || isValidRule(rule));
    // A rule the editor does not offer is kept as it came.
    QCOMPARE(int(choiceFor(QStringLiteral("FREQ=WEEKLY;BYDAY=TU;COUNT=16")).repeat), int(Repeat::Other));
    QCOMPARE(int(choiceFor(QStringLiteral("FREQ=MONTHLY;INTERVAL=2")).repeat), int(Repeat::Other));
}

void tst_recurrence::storedTextsReadTolerantly()
{
    QCOMPARE(exceptionsFromText(QStringLiteral("2026/03/17, lixo,2026/03/10,2026/03/17")),
             days(QStringLiteral("2026/03/10 2026/03/17")));
    QCOMPARE(exceptionsText(days(QStringLiteral("2026/03/17 2026/03/10"))), QStringLiteral("2026/03/10,2026/03/17"));
    QCOMPARE(timeFromText(QStringLiteral("14:30")), QTime(14, 30));
    QVERIFY(!timeFromText(QStringLiteral("24:00")).isValid());
    QVERIFY(!timeFromText(QStringLiteral("9:30")).isValid());
    QVERIFY(!timeFromText(QString()).isValid());
    QCOMPARE(timeText(QTime(8, 5)), QStringLiteral("08:05"));
    QCOMPARE(leadFromText(QStringLiteral("15")), 15);
    QCOMPARE(leadFromText(QStringLiteral("-5")), 0);
    QCOMPARE(leadFromText(QString()), 0);
}

void tst_recurrence::columnsAreAddedKeepingTheRowsAndIndexed()
{
    QTemporaryDir folder;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("antigo"));
        db.setDatabaseName(folder.filePath(QStringLiteral("dados.mdb")));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("create table lembrete (id integer primary key, data text, titulo text, "
                                          "descricao text)")));
        QVERIFY(query.exec(QStringLiteral("insert into lembrete values (1, '2006/03/10', 'Antigo', 'd')")));
        QVERIFY(!recurrencecolumns::exist(db));
        QVERIFY(recurrencecolumns::ensure(db));
        QVERIFY(recurrencecolumns::ensure(db)); // a second open changes nothing
        QVERIFY(recurrencecolumns::exist(db));
        QVERIFY(query.exec(QStringLiteral("select data, titulo, descricao, hora, repeticao from lembrete")));
        QVERIFY(query.next());
        QCOMPARE(query.value(1).toString(), QStringLiteral("Antigo"));
        QVERIFY(query.value(3).isNull() && query.value(4).isNull());
        QVERIFY(query.exec(QStringLiteral("explain query plan select rowid from lembrete where ")
                           + recurrencecolumns::specialCondition()));
        QVERIFY(query.next());
        QVERIFY2(query.value(3).toString().contains(QLatin1String("lembrete_especiais")),
                 qPrintable(query.value(3).toString()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("antigo"));
}

QTEST_GUILESS_MAIN(tst_recurrence)
#include "tst_recurrence.moc"
