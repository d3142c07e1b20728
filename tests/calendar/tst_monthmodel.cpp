// The calendar's month model: which days land in which cells, the today and
// selected-day marks, month stepping within the year range, and day clicks.

#include "dayboard.h"
#include "daterules.h"
#include "dayboardtesting.h"

#include <QSignalSpy>
#include <QTest>

using almanaq::Dayboard;
using almanaq::toAutomationDate;

class MonthModelTest : public QObject
{
    Q_OBJECT

private slots:
    void aNewControlShowsTheCurrentMonthWithTodayYellowAndNothingGrey();
    void weekdayHeadersAreTheLocalesShortNamesUpperCasedFromSunday();
    void theBareCLocaleGivesPortugueseNames();
    void aMonthStartingOnSaturdayWith31DaysFillsCells7To37();
    void februaryFollowsTheLeapYearRule_data();
    void februaryFollowsTheLeapYearRule();
    void leapYearsAreDivisibleBy4ButCenturiesOnlyBy400();
    void blankCellsAreASpaceOnWhite();
    void steppingMonthsCrossesYears();
    void steppingPastJanuary1753WarnsAndKeepsTheMonth();
    void steppingPastDecember2078WarnsAndKeepsTheMonth();
    void stepsNextToTheRangeEndsNeedNoWarning();
    void monthsOutsideTheRangeStepFreely();
    void todayWinsOverTheSelectedDay();
    void selectingAnotherMonthDisplaysItWithTheDayGrey();
    void aSelectedTimeOfDayIsKeptAndTheGreyMarkFollowsTheDay();
    void theTodayButtonShowsTheCurrentMonthAndLeavesTheSelection();
    void clickingADaySelectsItAndRaisesOneClick();
    void clickingAnotherDayRepaintsThePreviousOne();
    void clickingABlankCellChangesAndRaisesNothing();
    void doubleClickingADayRaisesOneClickAndOneDblClick();
    void doubleClickingABlankCellRaisesNothing();
    void aRefusedChangeStillRaisesClick();
    void automationDatesConvertBothWays_data();
    void automationDatesConvertBothWays();
    void timesOfDayRoundTripToTheMillisecond();
    void halvesRoundToEven();
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
    QCOMPARE(board.SelectedDate(), 0.0);
}

void MonthModelTest::weekdayHeadersAreTheLocalesShortNamesUpperCasedFromSunday()
{
    TestSite site;
    Dayboard portuguese(&site);
    const QLocale pt(QLocale::Portuguese, QLocale::Brazil);
    QCOMPARE(weekdayHeader(&portuguese, 1)->text(), pt.dayName(7, QLocale::ShortFormat).toUpper());
    QCOMPARE(weekdayHeader(&portuguese, 2)->text(), pt.dayName(1, QLocale::ShortFormat).toUpper());
    QVERIFY(weekdayHeader(&portuguese, 1)->text().startsWith(QStringLiteral("DOM")));
    QVERIFY(weekdayHeader(&portuguese, 7)->text().startsWith(QStringLiteral("SÁB")));

    site.userLocale = QLocale(QLocale::English, QLocale::UnitedStates);
    Dayboard english(&site);
    QCOMPARE(weekdayHeader(&english, 1)->text(), QStringLiteral("SUN"));
    QCOMPARE(weekdayHeader(&english, 7)->text(), QStringLiteral("SAT"));
    QCOMPARE(title(&english)->text(), QStringLiteral("March 2006"));
}

void MonthModelTest::theBareCLocaleGivesPortugueseNames()
{
    if (QLocale::system().language() != QLocale::C)
        QSKIP("the system locale is not the bare C locale here");
    Dayboard board; // no site: the control falls back on the system locale
    QVERIFY(weekdayHeader(&board, 2)->text().startsWith(QStringLiteral("SEG")));
}

void MonthModelTest::aMonthStartingOnSaturdayWith31DaysFillsCells7To37()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(2000, 1, 20))); // 1 January 2000: Saturday
    const QStringList texts = cellTexts(&board);
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(texts[i - 1], QStringLiteral(" "));
    QCOMPARE(texts[6], QStringLiteral("1"));
    QCOMPARE(texts[36], QStringLiteral("31"));
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 2000"));
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
    QTest::newRow("2006 is not leap") << 2006 << 28 << 4;
}

void MonthModelTest::februaryFollowsTheLeapYearRule()
{
    QFETCH(int, year);
    QFETCH(int, days);
    QFETCH(int, firstCell);
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(year, 2, 1)));
    const QStringList texts = cellTexts(&board);
    QCOMPARE(texts[firstCell - 1], QStringLiteral("1"));
    QCOMPARE(texts[firstCell + days - 2], QString::number(days));
    QCOMPARE(texts[firstCell + days - 1], QStringLiteral(" "));
    QCOMPARE(int(texts.count(QStringLiteral(" "))), 37 - days);
}

void MonthModelTest::leapYearsAreDivisibleBy4ButCenturiesOnlyBy400()
{
    QVERIFY(almanaq::IsLeapYear(2000));
    QVERIFY(almanaq::IsLeapYear(2004));
    QVERIFY(almanaq::IsLeapYear(1600));
    QVERIFY(!almanaq::IsLeapYear(1900));
    QVERIFY(!almanaq::IsLeapYear(2100));
    QVERIFY(!almanaq::IsLeapYear(2006));
}

void MonthModelTest::blankCellsAreASpaceOnWhite()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(2006, 4, 30))); // April 2006 starts on Saturday
    const QStringList texts = cellTexts(&board);
    QCOMPARE(texts[35], QStringLiteral("30"));
    QCOMPARE(texts[36], QStringLiteral(" "));
    for (int i : {1, 2, 3, 4, 5, 6, 37})
        QCOMPARE(background(cell(&board, i)), White);
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{36});
}

void MonthModelTest::steppingMonthsCrossesYears()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(2005, 12, 31)));
    moveButton(&board, 1)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 2006"));
    moveButton(&board, 0)->click();
    moveButton(&board, 0)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Novembro 2005"));
    // Stepping displays; the selected date stays.
    QCOMPARE(board.SelectedDate(), toAutomationDate(QDate(2005, 12, 31)));
    QVERIFY(site.warnings.isEmpty());
}

void MonthModelTest::steppingPastJanuary1753WarnsAndKeepsTheMonth()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(1753, 1, 15)));
    const QStringList before = cellTexts(&board);
    moveButton(&board, 0)->click();
    QCOMPARE(site.warnings.size(), 1);
    QCOMPARE(site.warnings[0].text, QStringLiteral("Ano inválido. O Ano deve estar no\r\n"
                                                   "intervalo de 1753 a 2078, inclusive."));
    QCOMPARE(site.warnings[0].title, Dayboard::applicationTitle());
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 1753"));
    QCOMPARE(cellTexts(&board), before);
    // Still there: the next step back warns again.
    moveButton(&board, 0)->click();
    QCOMPARE(site.warnings.size(), 2);
}

void MonthModelTest::steppingPastDecember2078WarnsAndKeepsTheMonth()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(2078, 12, 1)));
    moveButton(&board, 1)->click();
    QCOMPARE(site.warnings.size(), 1);
    QCOMPARE(title(&board)->text(), QStringLiteral("Dezembro 2078"));
}

void MonthModelTest::stepsNextToTheRangeEndsNeedNoWarning()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(1753, 12, 1)));
    moveButton(&board, 0)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Novembro 1753"));
    board.setSelectedDate(toAutomationDate(QDate(1754, 1, 1)));
    moveButton(&board, 0)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Dezembro 1753"));
    board.setSelectedDate(toAutomationDate(QDate(2078, 1, 1)));
    moveButton(&board, 1)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Fevereiro 2078"));
    QVERIFY(site.warnings.isEmpty());
}

void MonthModelTest::monthsOutsideTheRangeStepFreely()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(1700, 1, 10)));
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 1700"));
    moveButton(&board, 0)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Dezembro 1699"));
    board.setSelectedDate(toAutomationDate(QDate(2100, 12, 10)));
    moveButton(&board, 1)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Janeiro 2101"));
    QVERIFY(site.warnings.isEmpty());
}

void MonthModelTest::todayWinsOverTheSelectedDay()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(2006, 3, 10)));
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
    board.setSelectedDate(toAutomationDate(QDate(2006, 3, 2)));
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{5});
}

void MonthModelTest::selectingAnotherMonthDisplaysItWithTheDayGrey()
{
    TestSite site;
    Dayboard board(&site);
    board.setSelectedDate(toAutomationDate(QDate(1993, 2, 14)));
    QCOMPARE(title(&board)->text(), QStringLiteral("Fevereiro 1993"));
    // 1 February 1993 is a Monday.
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{15});
    QVERIFY(cellsColoured(&board, Yellow).isEmpty());
}

void MonthModelTest::aSelectedTimeOfDayIsKeptAndTheGreyMarkFollowsTheDay()
{
    TestSite site;
    Dayboard board(&site);
    const double evening = toAutomationDate(QDateTime(QDate(2006, 3, 20), QTime(21, 45)));
    board.setSelectedDate(evening);
    QCOMPARE(board.SelectedDate(), evening);
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{23});
}

void MonthModelTest::theTodayButtonShowsTheCurrentMonthAndLeavesTheSelection()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    const double july = toAutomationDate(QDate(2005, 7, 20));
    board.setSelectedDate(july);
    site.changedProperties.clear();

    todayButton(&board)->click();
    QCOMPARE(title(&board)->text(), QStringLiteral("Março 2006"));
    QCOMPARE(board.SelectedDate(), july);
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
    QCOMPARE(clicks.count(), 0);
    QVERIFY(site.changedProperties.isEmpty());

    // A selection in the current month stays grey after the today button.
    board.setSelectedDate(toAutomationDate(QDate(2006, 3, 25)));
    moveButton(&board, 1)->click();
    todayButton(&board)->click();
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{28});
}

void MonthModelTest::clickingADaySelectsItAndRaisesOneClick()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    double selectedInHandler = 0;
    connect(&board, &Dayboard::Click, this, [&] { selectedInHandler = board.SelectedDate(); });

    clickCell(&board, 20); // 17 March 2006
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(board.SelectedDate(), toAutomationDate(QDate(2006, 3, 17)));
    QCOMPARE(selectedInHandler, board.SelectedDate());
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{20});
    QCOMPARE(site.permissionRequests, QStringList{QStringLiteral("SelectedDate")});
    QCOMPARE(site.changedProperties, QStringList{QStringLiteral("SelectedDate")});
}

void MonthModelTest::clickingAnotherDayRepaintsThePreviousOne()
{
    TestSite site;
    Dayboard board(&site);
    clickCell(&board, 13); // today itself
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    clickCell(&board, 15);
    QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{15});
    clickCell(&board, 16);
    QCOMPARE(cellsColoured(&board, Grey), QList<int>{16});
    QCOMPARE(background(cell(&board, 15)), White);
}

void MonthModelTest::clickingABlankCellChangesAndRaisesNothing()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    const double before = board.SelectedDate();
    clickCell(&board, 1);
    clickCell(&board, 37);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(board.SelectedDate(), before);
    QVERIFY(cellsColoured(&board, Grey).isEmpty());
    QVERIFY(site.permissionRequests.isEmpty());
}

void MonthModelTest::doubleClickingADayRaisesOneClickAndOneDblClick()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy doubleClicks(&board, &Dayboard::DblClick);
    QLabel *day = cell(&board, 8);
    QTest::mouseClick(day, Qt::LeftButton);
    QTest::mouseDClick(day, Qt::LeftButton);
    QTest::mouseRelease(day, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(board.SelectedDate(), toAutomationDate(QDate(2006, 3, 5)));
}

void MonthModelTest::doubleClickingABlankCellRaisesNothing()
{
    TestSite site;
    Dayboard board(&site);
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy doubleClicks(&board, &Dayboard::DblClick);
    QTest::mouseDClick(cell(&board, 2), Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(doubleClicks.count(), 0);
}

void MonthModelTest::aRefusedChangeStillRaisesClick()
{
    TestSite site;
    Dayboard board(&site);
    const double before = toAutomationDate(QDate(2006, 3, 1));
    board.setSelectedDate(before);
    site.permitChanges = false;
    site.changedProperties.clear();
    QSignalSpy clicks(&board, &Dayboard::Click);
    QSignalSpy changes(&board, &Dayboard::SelectedDateChanged);

    clickCell(&board, 25);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(board.SelectedDate(), before);
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
    QTest::newRow("today at six in the evening") << QDate(2006, 3, 10) << QTime(18, 0) << 38786.75;
    QTest::newRow("the day before the epoch at 6:00") << QDate(1899, 12, 29) << QTime(6, 0) << -1.25;
    QTest::newRow("1 January 1753") << QDate(1753, 1, 1) << QTime(0, 0) << -53688.0;
    QTest::newRow("before 1900 at noon") << QDate(1800, 1, 1) << QTime(12, 0) << -36522.5;
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

void MonthModelTest::timesOfDayRoundTripToTheMillisecond()
{
    for (const QDate &date : {QDate(1600, 2, 29), QDate(1899, 12, 1), QDate(1899, 12, 30),
                              QDate(2006, 3, 10), QDate(9999, 12, 31)}) {
        for (const QTime &time : {QTime(0, 0), QTime(0, 0, 0, 1), QTime(11, 59, 59, 999),
                                  QTime(13, 7, 42, 321), QTime(23, 59, 59, 999)}) {
            const double value = toAutomationDate(date, time);
            QCOMPARE(almanaq::automationDateDay(value), date);
            QCOMPARE(almanaq::automationDateTime(value), time);
        }
    }
    QVERIFY(!almanaq::automationDateDay(qQNaN()).isValid());
}

void MonthModelTest::halvesRoundToEven()
{
    QCOMPARE(almanaq::RoundHalfEven(38786.5), 38786.0);
    QCOMPARE(almanaq::RoundHalfEven(38787.5), 38788.0);
    QCOMPARE(almanaq::RoundHalfEven(38786.51), 38787.0);
    QCOMPARE(almanaq::RoundHalfEven(38786.49), 38786.0);
}

QTEST_MAIN(MonthModelTest)
#include "tst_monthmodel.moc"
