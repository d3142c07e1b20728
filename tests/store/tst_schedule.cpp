// The reminders with a time or a repetition as the lists take them, and the
// changes to one day of a series, on a real database. Today is 10/03/2006.
#include "store/occurrences.h"
#include "store/schedule.h"
#include "storefixture.h"

namespace {

QString line(const Schedule::Row &row, const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd ")) + QString::fromUtf8(row.title)
        + (row.minutes >= 0 ? QStringLiteral("@%1").arg(row.minutes) : QString());
}

struct Timed : Store
{
    QStringList shown(const std::vector<Schedule::Entry> &entries) const
    {
        QStringList lines;
        for (const Schedule::Entry &entry : entries)
            lines << line(schedule.rows()[size_t(entry.row)], entry.day);
        return lines;
    }

    bool refresh(const QDate &today)
    {
        QString error;
        return schedule.refresh(store.connection(), fake.databasePath(), today, &error) || (qWarning() << error, false);
    }

    Schedule schedule;
};

} // namespace

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
        QCOMPARE(s.schedule.rows().size(), size_t(4));
        QCOMPARE(s.shown(s.schedule.listed()), QStringList({"2025/12/15 Curso", "2025/12/31 Ceia@1200",
                                                             "2026/01/06 Aula", "2026/01/06 Reis"}));
        // The next day: the year has turned, nothing of the file changed.
        QVERIFY(s.refresh(day("2026/01/07")));
        QCOMPARE(s.shown(s.schedule.listed()), QStringList({"2025/12/15 Curso", "2025/12/31 Ceia@1200",
                                                             "2026/01/13 Aula", "2027/01/06 Reis"}));
    }

    void rangesListEveryOccurrenceTheSameWithOrWithoutCounting_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("expected");
        const QString early = QStringLiteral(" Diário cedo@480");
        QStringList week{"2006/03/10 Diário", "2006/03/10" + early};
        for (int d = 11; d <= 17; ++d)
            week << (d == 14 ? QStringList{"2006/03/14 Semanal"} : QStringList()) << QStringLiteral("2006/03/%1").arg(d) + early;
        QTest::newRow("today") << day("2006/03/10") << day("2006/03/10") << week.mid(0, 2);
        QTest::newRow("7 days") << day("2006/03/10") << day("2006/03/17") << week;
        QTest::newRow("after the counted ones") << day("2006/04/04") << day("2006/04/04")
                                                << QStringList({"2006/04/04 Semanal", "2006/04/04" + early});
        QTest::newRow("before the counted day") << day("2006/03/07") << day("2006/03/07")
                                                << QStringList({"2006/03/07 Semanal", "2006/03/07" + early});
    }

    void rangesListEveryOccurrenceTheSameWithOrWithoutCounting()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, expected);
        Timed s;
        s.add("2006/02/07", "Semanal", "FREQ=WEEKLY");
        s.add("2006/03/01", "Diário cedo", "FREQ=DAILY", "08:00");
        s.add("2006/03/10", "Diário", "FREQ=DAILY;COUNT=1");
        QVERIFY(s.refresh(day("2006/03/10")));
        QStringList counted = s.shown(s.schedule.between(from, to));
        QCOMPARE(counted, expected);
        // The same rows computed from the rules alone, with nothing counted ahead.
        QStringList computed;
        for (const Schedule::Row &row : s.schedule.rows())
            for (const QDate &d : recurrence::occurrencesBetween(row.series, from, to))
                computed << line(row, d);
        counted.sort();
        computed.sort();
        QCOMPARE(counted, computed);
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
        QCOMPARE(s.shown(entries), QStringList({"2006/03/10 Maria", "2006/03/10 Meia-noite@0", "2006/03/10 Almoço@720",
                                                "2006/03/10 Almoço@720"}));
        // As a list reads them among the day's other rows, each with its time, midnight too.
        ReminderRows rows;
        QVERIFY(ListReader(s.store.connection()).read(modgeral::oneDay(day("2006/03/10")), rows, s.schedule,
                                                      s.schedule.between(day("2006/03/10"), day("2006/03/10"))));
        QStringList read;
        for (qsizetype i = 0; i < rows.size(); ++i)
            read << QStringLiteral("%1@%2#%3").arg(rows.title(i)).arg(rows.minutes(i)).arg(rows.key(i));
        QCOMPARE(read, QStringList({"Dia todo@-1#4", "Maria@-1#1", "Meia-noite@0#3", "Almoço@720#2", "Almoço@720#5"}));
        // Whole-day entries by title bytes ("M" before "m") among the day-only rows of their day, a time after
        // all of them; a day text that does not read compares as text.
        QString order;
        for (const auto &[entry, dayText, title] :
             std::initializer_list<std::tuple<int, const char *, const char *>>{
                 {0, "2006/03/10", "Ana"}, {0, "2006/03/10", "Zé"}, {0, "2006/03/10", "maria"}, {0, "2006/03/11", "Ana"},
                 {0, "2006/03/09", "Zé"}, {2, "2006/03/10", "Zzz"}, {2, "2006/13/99", "A"}, {2, "2006/03/0x", "A"}})
            order += s.schedule.before(entries[size_t(entry)], day(dayText), dayText, title) ? '<' : '>';
        QCOMPARE(order, QStringLiteral("><<<>><>"));
    }

    void aChangedFileIsReadAgain()
    {
        Timed s;
        s.add("2006/03/10", "Primeiro", "FREQ=DAILY");
        QVERIFY(s.refresh(day("2006/03/10")));
        QTest::qWait(20); // the file's time of change must move on
        s.add("2006/03/10", "Segundo", "FREQ=DAILY");
        QVERIFY(s.refresh(day("2006/03/10")));
        QCOMPARE(s.schedule.rows().size(), size_t(2));
    }

    void oneOccurrenceRemovedOrEditedLeavesTheSeries()
    {
        Timed s;
        const qint64 series = s.add("2006/03/07", "Aula", "FREQ=WEEKLY;COUNT=4");
        const QString path = s.fake.databasePath();
        const QString exceptions = QStringLiteral("select coalesce(excecoes, '') from lembrete where rowid = %1").arg(series);
        QString previous, error;
        QVERIFY2(occurrences::exclude(s.store, series, day("2006/03/14"), &previous, &error), qPrintable(error));
        QCOMPARE(previous, QString());
        QCOMPARE(rowsIn(path, exceptions), QStringList{"2006/03/14"});
        const occurrences::Detached moved{QStringLiteral("2006/03/22"), QStringLiteral("Aula extra"), QStringLiteral("d"),
                                          {QStringLiteral("19:00"), QString(), QStringLiteral("15")}};
        QVERIFY2(occurrences::detach(s.store, series, day("2006/03/21"), moved, &error), qPrintable(error));
        QCOMPARE(rowsIn(path, exceptions), QStringList{"2006/03/14,2006/03/21"});
        QCOMPARE(rowsIn(path, "select data, titulo, hora, coalesce(repeticao, 'NULL'), antecedencia, serie, ocorrencia "
                              "from lembrete where serie is not null"),
                 QStringList{"2006/03/22|Aula extra|19:00|NULL|15|" + QString::number(series) + "|2006/03/21"});
        QVERIFY(s.refresh(day("2006/03/10")));
        QCOMPARE(s.shown(s.schedule.between(day("2006/03/01"), day("2006/03/31"))),
                 QStringList({"2006/03/07 Aula", "2006/03/22 Aula extra@1140", "2006/03/28 Aula"}));
        // Undo puts the excluded days back as they were; a missing series writes nothing.
        QVERIFY(occurrences::restoreExclusions(s.store, series, previous, &error));
        QCOMPARE(rowsIn(path, exceptions), QStringList{""});
        QVERIFY(!occurrences::exclude(s.store, 9999, day("2006/03/14"), &previous, &error));
        QVERIFY2(error.contains(QStringLiteral("não foi encontrado")), qPrintable(error));
    }

    void farMonthsAndDaysAgreeWithEachDayOnItsOwn_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::newRow("this month, before the counted day") << day("2006/03/01");
        QTest::newRow("next month, partly in the days kept ahead") << day("2006/04/01");
        QTest::newRow("the last weekly day, the until") << day("2006/05/01");
        QTest::newRow("29 February") << day("2008/02/01");
        QTest::newRow("a 31st after a month without one") << day("2008/12/01");
    }

    // What the by-day view shows for a day and marks bold in its month, asked far
    // from the counted day and again from what was kept, against each day's
    // occurrences found from its rule alone.
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
                QCOMPARE(s.shown(s.schedule.between(d, d)), expected);
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
};


QTEST_GUILESS_MAIN(tst_schedule)
#include "tst_schedule.moc"
