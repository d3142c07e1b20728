// The calendar's month model: which days land in which cells, the today and
// selected-day marks, month stepping within the year range, day clicks, and
// automation dates.

#include "dayboard.h"
#include "dayboardtesting.h"

#include <QSignalSpy>
#include <QTest>

using almanaq::Dayboard;
using almanaq::toAutomationDate;

namespace {
double day(int year, int month, int dayOfMonth)
{
    return toAutomationDate(QDate(year, month, dayOfMonth));
}
} // namespace

class MonthModelTest : public QObject
{
    Q_OBJECT

private slots:
    void aNewControlShowsTheCurrentMonthWithTodayYellowAndNothingGrey();
    void weekdayHeadersAreTheLocalesShortNamesFromSunday();
    void aMonthStartingOnSaturdayWith31DaysFillsCells7To37();
    void februaryFollowsTheLeapYearRule_data();
    void februaryFollowsTheLeapYearRule();
    void steppingMonthsCrossesYearsInsideAndOutsideTheRange();
    void steppingPastTheRangeEndsWarnsAndKeepsTheMonth();
    void theSelectedDayIsGreyUnlessItIsToday();
    void theTodayButtonShowsTheCurrentMonthAndLeavesTheSelection();
    void clickingDaysSelectsThemAndRaisesOneClickEach();
    void blankCellsIgnoreClicksAndDoubleClicks();
    void aDoubleClickRaisesOneClickAndOneDblClick();
    void aRefusedChangeStillRaisesClick();
    void automationDatesConvertBothWays_data();
    void automationDatesConvertBothWays();
};

void MonthModelTest::aNewControlShowsTheCurrentMonthWithTodayYellowAndNothingGrey()
{
    TestSite site;
    Dayboard board(&site);
    QCOMPARE(title(&board)->text(), QStringLiteral("Março 2006"));
    // 1 March 2006 is a Wednesday: day 1 in cell 4, day 10 in cell 13.
    QCOMPARE(cell(&board, 4)->text(), QStringLiteral("1"));
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
}

void MonthModelTest::weekdayHeadersAreTheLocalesShortNamesFromSunday()
{
    TestSite site;
    Dayboard portuguese(&site);
    QVERIFY(weekdayHeader(&portuguese, 1)->text().startsWith(QStringLiteral("DOM")));
    QVERIFY(weekdayHeader(&portuguese, 7)->text().startsWith(QStringLiteral("SÁB")));

    site.userLocale = QLocale(QLocale::English, QLocale::UnitedStates);
    Dayboard english(&site);
    QCOMPARE(weekdayHeader(&english, 1)->text(), QStringLiteral("SUN"));
    QCOMPARE(weekdayHeader(&english, 7)->text(), QStringLiteral("SAT"));
    QCOMPARE(title(&english)->text(), QStringLiteral("March 2006"));

    // Without a site the system locale rules, and the bare C locale means Portuguese.
    if (QLocale::system().language() == QLocale::C) {
        Dayboard standalone;
        QVERIFY(weekdayHeader(&standalone, 2)->text().startsWith(QStringLiteral("SEG")));
    }
}

void MonthModelTest::aMonthStartingOnSaturdayWith31DaysFillsCells7To37()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(day(2000, 1, 20)); // 1 January 2000 was a Saturday
    const QStringList texts = cellTexts(&board);
    QCOMPARE(texts.mid(0, 6), QStringList(6, QStringLiteral(" ")));
    QCOMPARE(texts[6], QStringLiteral("1"));
    QCOMPARE(texts[36], QStringLiteral("31"));
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 2000"));
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(background(cell(&board, i)), White);
}

void MonthModelTest::februaryFollowsTheLeapYearRule_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("firstCell");
    QTest::newRow("1900 is not leap") << 1900 << 28 << 5;
    QTest::newRow("2000 is leap") << 2000 << 29 << 3;
    QTest::newRow("2004 is leap") << 2004 << 29 << 1;
    QTest::newRow("2100 is not leap") << 2100 << 28 << 2;
}

void MonthModelTest::februaryFollowsTheLeapYearRule()
{
    QFETCH(int, year);
    QFETCH(int, days);
    QFETCH(int, firstCell);
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(day(year, 2, 1));
    const QStringList texts = cellTexts(&board);
    QCOMPARE(texts[firstCell - 1], QStringLiteral("1"));
    QCOMPARE(texts[firstCell + days - 2], QString::number(days));
    QCOMPARE(int(texts.count(QStringLiteral(" "))), 37 - days);
}

void MonthModelTest::steppingMonthsCrossesYearsInsideAndOutsideTheRange()
{
    TestSite site;
    Dayboard board(&site);
    const auto stepFrom = [&](double start, int button) {
        board.setSelectedDate(start);
        moveButton(&board, button)->click();
        return title(&board)->text();
    };
    QCOMPARE(stepFrom(day(2005, 12, 31), 1), QStringLiteral("Janeiro 2006"));
    QCOMPARE(stepFrom(day(1754, 1, 1), 0), QStringLiteral("Dezembro 1753"));
    QCOMPARE(stepFrom(day(1753, 12, 1), 0), QStringLiteral("Novembro 1753"));
    QCOMPARE(stepFrom(day(2078, 1, 1), 1), QStringLiteral("Fevereiro 2078"));
    QCOMPARE(stepFrom(day(1700, 1, 10), 0), QStringLiteral("Dezembro 1699"));
    QCOMPARE(stepFrom(day(2100, 12, 10), 1), QStringLiteral("Janeiro 2101"));
    QVERIFY(site.warnings.isEmpty());
    // Stepping only displays; the selection stays.
    QCOMPARE(board.SelectedDate(), day(2100, 12, 10));
}

void MonthModelTest::steppingPastTheRangeEndsWarnsAndKeepsTheMonth()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(day(1753, 1, 15));
    const QStringList before = cellTexts(&board);
    moveButton(&board, 0)->click();
    QCOMPARE(site.warnings.size(), 1);
    QCOMPARE(site.warnings[0].text, QStringLiteral("Ano inválido. O Ano deve estar no\r\n"
                                                   "intervalo de 1753 a 2078, inclusive."));
    QCOMPARE(site.warnings[0].title, Dayboard::applicationTitle());
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 1753"));
    QCOMPARE(cellTexts(&board), before);

    board.setSelectedDate(day(2078, 12, 1));
    moveButton(&board, 1)->click();
    QCOMPARE(site.warnings.size(), 2);
    QCOMPARE(title(&board)->text(), QStringLiteral("Dezembro 2078"));
}

void MonthModelTest::theSelectedDayIsGreyUnlessItIsToday()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(day(2006, 3, 10));
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QVERIFY(cellsColoured(&board, Grey).isEmpty());

    board.setSelectedDate(day(2006, 3, 2));
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{5});

    // Another month, with a time of day: the time is kept, the mark follows the day.
    const double evening = toAutomationDate(QDateTime(QDate(1993, 2, 14), QTime(21, 45)));
    board.setSelectedDate(evening);
    QCOMPARE(board.SelectedDate(), evening);
    QCOMPARE(title(&board)->text(), QStringLiteral("Fevereiro 1993"));
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{15});
    QVERIFY(cellsColoured(&board, Yellow).isEmpty());
}

void MonthModelTest::theTodayButtonShowsTheCurrentMonthAndLeavesTheSelection()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    board.setSelectedDate(day(2005, 7, 20));
    site.changedProperties.clear();

    todayButton(&board)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Março 2006"));
    QCOMPARE(board.SelectedDate(), day(2005, 7, 20));
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
    QCOMPARE(clicks.count(), 0);
    QVERIFY(site.changedProperties.isEmpty());

    // A selection in the current month is grey again after the today button.
    board.setSelectedDate(day(2006, 3, 25));
    moveButton(&board, 1)->click();
    todayButton(&board)->click();
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{28});
}

void MonthModelTest::clickingDaysSelectsThemAndRaisesOneClickEach()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    double selectedInHandler = 0;
    connect(&board, &Dayboard::Click, this, [&] { selectedInHandler = board.SelectedDate(); });

    clickCell(&board, 20);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(board.SelectedDate(), day(2006, 3, 17));
    QCOMPARE(selectedInHandler, board.SelectedDate());
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{20});
    QCOMPARE(site.permissionRequests, QStringList{QStringLiteral("SelectedDate")});

    clickCell(&board, 13); // today stays yellow when clicked
    clickCell(&board, 15);
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{15});
}

void MonthModelTest::blankCellsIgnoreClicksAndDoubleClicks()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy doubleClicks(&board, &Dayboard::DblClick);
    clickCell(&board, 1);
    clickCell(&board, 37);
    QTest::mouseDClick(cell(&board, 2), Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(doubleClicks.count(), 0);
    QCOMPARE(board.SelectedDate(), 0.0);
    QVERIFY(site.permissionRequests.isEmpty());
}

void MonthModelTest::aDoubleClickRaisesOneClickAndOneDblClick()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy doubleClicks(&board, &Dayboard::DblClick);
    QLabel *fifth = cell(&board, 8);
    QTest::mouseClick(fifth, Qt::LeftButton);
    QTest::mouseDClick(fifth, Qt::LeftButton);
    QTest::mouseRelease(fifth, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(board.SelectedDate(), day(2006, 3, 5));
}

void MonthModelTest::aRefusedChangeStillRaisesClick()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(day(2006, 3, 1));
    site.permitChanges = false;
    site.changedProperties.clear();
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy changes(&board, &Dayboard::SelectedDateChanged);

    clickCell(&board, 25);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(board.SelectedDate(), day(2006, 3, 1));
    QCOMPARE(changes.count(), 0);
    QVERIFY(site.changedProperties.isEmpty());
}

void MonthModelTest::automationDatesConvertBothWays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<double>("value");
    QTest::newRow("the epoch") << QDate(1899, 12, 30) << QTime(0, 0) << 0.0;
    QTest::newRow("1 January 1900") << QDate(1900, 1, 1) << QTime(0, 0) << 2.0;
    QTest::newRow("1 January 2000") << QDate(2000, 1, 1) << QTime(0, 0) << 36526.0;
    QTest::newRow("six in the evening") << QDate(2006, 3, 10) << QTime(18, 0) << 38786.75;
    QTest::newRow("before the epoch at 6:00") << QDate(1899, 12, 29) << QTime(6, 0) << -1.25;
    QTest::newRow("1 January 1753") << QDate(1753, 1, 1) << QTime(0, 0) << -53688.0;
    QTest::newRow("1800 at noon") << QDate(1800, 1, 1) << QTime(12, 0) << -36522.5;
    QTest::newRow("milliseconds before 1900")
            << QDate(1899, 12, 1) << QTime(13, 7, 42, 321) << -(29.0 + 47262321.0 / 86400000.0);
    QTest::newRow("last millisecond of a day") << QDate(2078, 12, 31) << QTime(23, 59, 59, 999)
                                               << 65380.0 + 86399999.0 / 86400000.0;
}

void MonthModelTest::automationDatesConvertBothWays()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(double, value);
    QCOMPARE(toAutomationDate(date, time), value);
    QCOMPARE(almanaq::automationDateDay(value), date);
    QCOMPARE(almanaq::automationDateTime(value), time);
}

QTEST_MAIN(MonthModelTest)
#include "tst_monthmodel.moc"
