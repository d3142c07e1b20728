// The calendar control: month model, clicks, saved properties, class object,
// automation dates, layout and proportional scaling.

#include "dayboard.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using almanaq::Dayboard;
using almanaq::MapPropertyBag;
using almanaq::toAutomationDate;

extern "C" int DllGetClassObject(const char *classId, const char *interfaceId, void **factory);
extern "C" int DllCanUnloadNow();

namespace {

class TestSite final : public almanaq::ControlSite
{
public:
    // Friday 10 March 2006, the day every test of the program uses.
    QDateTime clock{QDate(2006, 3, 10), QTime(15, 30)};
    QLocale userLocale{QLocale::Portuguese, QLocale::Brazil};
    bool permitChanges = true;
    QStringList permissionRequests, changedProperties;
    QList<QPair<QString, QString>> warnings; // text, title

    bool canPropertyChange(const QString &name) override
    {
        permissionRequests.append(name);
        return permitChanges;
    }
    void propertyChanged(const QString &name) override { changedProperties.append(name); }
    QDateTime now() const override { return clock; }
    QLocale locale() const override { return userLocale; }
    void warn(QWidget *, const QString &text, const QString &title) override { warnings.append({text, title}); }
};

template<class Control = QLabel>
Control *indexed(const QWidget *board, const char *name, int index)
{
    for (Control *control : board->findChildren<Control *>(QString::fromLatin1(name))) {
        if (control->property("Index").toInt() == index)
            return control;
    }
    return nullptr;
}

QLabel *cell(const QWidget *board, int i) { return indexed(board, "Casa", i); }
QLabel *weekdayHeader(const QWidget *board, int i) { return indexed(board, "lbDiaSem", i); }
QPushButton *moveButton(const QWidget *board, int i) { return indexed<QPushButton>(board, "btMove", i); }
QPushButton *todayButton(const QWidget *board) { return board->findChild<QPushButton *>("btHoje"); }
QLabel *title(const QWidget *board) { return board->findChild<QLabel *>("TitMesAno"); }
QColor background(const QLabel *label) { return label->palette().color(QPalette::Window); }
void clickCell(QWidget *board, int i) { QTest::mouseClick(cell(board, i), Qt::LeftButton); }

const QColor Yellow{255, 255, 0};
const QColor Grey{192, 192, 192};
const QColor White{255, 255, 255};

// The indexes of the cells (1..37) painted in a colour.
QList<int> cellsColoured(const QWidget *board, const QColor &colour)
{
    QList<int> found;
    for (int i = 1; i <= 37; ++i) {
        if (background(cell(board, i)) == colour)
            found.append(i);
    }
    return found;
}

double day(int year, int month, int dayOfMonth) { return toAutomationDate(QDate(year, month, dayOfMonth)); }

// A control inside a window, so that once shown, resizing it delivers its resize
// notifications at once, as a form does.
struct HostedBoard
{
    TestSite site;
    QWidget window;
    Dayboard *board = new Dayboard(&site, &window);

    explicit HostedBoard(bool loaded = true)
    {
        window.resize(800, 800);
        loaded ? board->readProperties(MapPropertyBag()) : board->initProperties();
    }
    bool show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
};

int pointSize(const QWidget *control) { return control->font().pointSize(); }

} // namespace

class DayboardTest : public QObject
{
    Q_OBJECT

private slots:
    void todayIsYellowAndTheSelectedDayGreyUnlessItIsToday()
    {
        TestSite site;
        Dayboard board(&site);
        QCOMPARE(title(&board)->text(), QStringLiteral("Março 2006"));
        QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
        QVERIFY(cellsColoured(&board, Grey).isEmpty());
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

    void weekdayHeadersAreTheLocalesShortNamesFromSunday()
    {
        TestSite site;
        Dayboard portuguese(&site);
        QStringList headers;
        for (int i = 1; i <= 7; ++i)
            headers << weekdayHeader(&portuguese, i)->text();
        QCOMPARE(headers, (QStringList{"DOM", "SEG", "TER", "QUA", "QUI", "SEX", "SÁB"}));
        site.userLocale = QLocale(QLocale::English, QLocale::UnitedStates);
        Dayboard english(&site);
        QCOMPARE(weekdayHeader(&english, 1)->text(), QStringLiteral("SUN"));
        QCOMPARE(weekdayHeader(&english, 7)->text(), QStringLiteral("SAT"));
        QCOMPARE(title(&english)->text(), QStringLiteral("March 2006"));
        // Without a site the system locale rules, and the bare C locale means Portuguese.
        if (QLocale::system().language() == QLocale::C) {
            Dayboard standalone;
            QCOMPARE(weekdayHeader(&standalone, 2)->text(), QStringLiteral("SEG"));
        }
    }

    void monthsFillTheirCellsAndLeaveTheRestBlankAndWhite_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("firstCell");
        QTest::newRow("31 days from a Saturday") << 2000 << 1 << 31 << 7;
        QTest::newRow("February 1900 is not leap") << 1900 << 2 << 28 << 5;
        QTest::newRow("February 2000 is leap") << 2000 << 2 << 29 << 3;
        QTest::newRow("February 2004 is leap") << 2004 << 2 << 29 << 1;
        QTest::newRow("February 2100 is not leap") << 2100 << 2 << 28 << 2;
    }

    void monthsFillTheirCellsAndLeaveTheRestBlankAndWhite()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, days);
        QFETCH(int, firstCell);
        TestSite site;
        Dayboard board(&site);
        board.setSelectedDate(day(year, month, 1));
        for (int i = 1; i <= 37; ++i) {
            const int dayOfMonth = i - firstCell + 1;
            const bool blank = dayOfMonth < 1 || dayOfMonth > days;
            QCOMPARE(cell(&board, i)->text(), blank ? QStringLiteral(" ") : QString::number(dayOfMonth));
            if (blank)
                QCOMPARE(background(cell(&board, i)), White);
        }
    }

    void steppingMonthsCrossesYearsAndWarnsPastTheRangeEnds()
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
        QCOMPARE(board.SelectedDate(), day(2100, 12, 10)); // stepping only displays

        // Leaving 1753..2078 warns and keeps the month.
        QCOMPARE(stepFrom(day(1753, 1, 15), 0), QStringLiteral("Janeiro 1753"));
        QCOMPARE(cell(&board, 2)->text(), QStringLiteral("1"));
        QCOMPARE(site.warnings.size(), 1);
        QCOMPARE(site.warnings[0].first, QStringLiteral("Ano inválido. O Ano deve estar no\r\n"
                                                        "intervalo de 1753 a 2078, inclusive."));
        QCOMPARE(site.warnings[0].second, Dayboard::applicationTitle());
        QCOMPARE(stepFrom(day(2078, 12, 1), 1), QStringLiteral("Dezembro 2078"));
        QCOMPARE(site.warnings.size(), 2);
    }

    void theTodayButtonShowsTheCurrentMonthAndLeavesTheSelection()
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

    void dayClicksSelectAndRaiseOneClickEachEvenWhenRefused()
    {
        TestSite site;
        Dayboard board(&site);
        QSignalSpy clicks(&board, &Dayboard::Click);
        QSignalSpy doubleClicks(&board, &Dayboard::DblClick);
        double selectedInHandler = 0;
        connect(&board, &Dayboard::Click, this, [&] { selectedInHandler = board.SelectedDate(); });

        // Blank cells ignore clicks and double clicks.
        clickCell(&board, 1);
        clickCell(&board, 37);
        QTest::mouseDClick(cell(&board, 2), Qt::LeftButton);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(doubleClicks.count(), 0);
        QCOMPARE(board.SelectedDate(), 0.0);
        QVERIFY(site.permissionRequests.isEmpty());

        clickCell(&board, 20);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(board.SelectedDate(), day(2006, 3, 17));
        QCOMPARE(selectedInHandler, board.SelectedDate());
        QCOMPARE(cellsColoured(&board, Grey), QList<int>{20});
        QCOMPARE(site.permissionRequests, QStringList{QStringLiteral("SelectedDate")});

        clickCell(&board, 13); // today stays yellow when clicked
        QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
        // A double click raises one Click and one DblClick.
        QTest::mouseClick(cell(&board, 8), Qt::LeftButton);
        QTest::mouseDClick(cell(&board, 8), Qt::LeftButton);
        QTest::mouseRelease(cell(&board, 8), Qt::LeftButton);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(board.SelectedDate(), day(2006, 3, 5));
        QCOMPARE(cellsColoured(&board, Grey), QList<int>{8});

        site.permitChanges = false;
        site.changedProperties.clear();
        QSignalSpy changes(&board, &Dayboard::SelectedDateChanged);
        clickCell(&board, 25);
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(board.SelectedDate(), day(2006, 3, 5));
        QCOMPARE(changes.count(), 0);
        QVERIFY(site.changedProperties.isEmpty());
    }

    void newAndLoadedInstancesStartDifferently()
    {
        TestSite site;
        Dayboard board(&site);
        board.initProperties();
        QCOMPARE(board.SelectedDate(), day(2006, 3, 10));
        QCOMPARE(board.TodayCaption(), QStringLiteral("&Hoje"));
        QVERIFY(todayButton(&board)->toolTip().isEmpty());
        QCOMPARE(board.BorderStyle(), 1);
        QVERIFY(site.changedProperties.isEmpty());

        // Loaded without saved keys: the defaults and the long date as tooltip.
        Dayboard loaded(&site);
        loaded.readProperties(MapPropertyBag());
        QCOMPARE(loaded.TodayCaption(), QStringLiteral("&Hoje"));
        QCOMPARE(loaded.BorderStyle(), 1);
        QCOMPARE(todayButton(&loaded)->toolTip(), QStringLiteral("sexta-feira, 10 de março de 2006"));
        // The default date is the current one rounded to a day, halves to even.
        const QList<QPair<QDateTime, QDate>> roundings{
                {QDateTime(QDate(2006, 3, 10), QTime(15, 30)), QDate(2006, 3, 11)},
                {QDateTime(QDate(2006, 3, 10), QTime(9, 0)), QDate(2006, 3, 10)},
                {QDateTime(QDate(2006, 3, 10), QTime(12, 0)), QDate(2006, 3, 10)},
                {QDateTime(QDate(2006, 3, 11), QTime(12, 0)), QDate(2006, 3, 12)}};
        for (const auto &[clock, date] : roundings) {
            site.clock = clock;
            Dayboard atClock(&site);
            atClock.readProperties(MapPropertyBag());
            QCOMPARE(atClock.SelectedDate(), toAutomationDate(date));
        }
    }

    void onlyChangedPropertiesAreSavedAndLoadingDoesNotLayOutAgain()
    {
        TestSite site;
        site.clock = QDateTime(QDate(2006, 3, 10), QTime(9, 0));
        Dayboard board(&site);
        board.initProperties();
        MapPropertyBag bag;
        board.writeProperties(bag);
        QVERIFY2(bag.values().isEmpty(), qPrintable(QStringList(bag.values().keys()).join(',')));

        const double chosen = toAutomationDate(QDateTime(QDate(2006, 3, 20), QTime(8, 0)));
        board.setSelectedDate(chosen);
        board.setTodayCaption(QStringLiteral("&Agora"));
        board.setBorderStyle(0);
        board.writeProperties(bag);
        QCOMPARE(bag.values().size(), 3);
        QCOMPARE(bag.values().value("Date").toDouble(), chosen);
        QCOMPARE(bag.values().value("TodayCaption").toString(), QStringLiteral("&Agora"));
        QCOMPARE(bag.values().value("BorderStyle").typeId(), QMetaType::Short);
        QCOMPARE(bag.values().value("BorderStyle").toInt(), 0);

        site.changedProperties.clear();
        Dayboard loaded(&site);
        loaded.readProperties(bag);
        QCOMPARE(loaded.SelectedDate(), chosen);
        QCOMPARE(loaded.TodayCaption(), QStringLiteral("&Agora"));
        QCOMPARE(loaded.BorderStyle(), 0);
        // The loaded day is grey only after the next layout.
        QVERIFY(cellsColoured(&loaded, Grey).isEmpty());
        moveButton(&loaded, 1)->click();
        moveButton(&loaded, 0)->click();
        QCOMPARE(cellsColoured(&loaded, Grey), QList<int>{23});

        // Unreadable or unknown values are not taken.
        Dayboard unreadable(&site);
        unreadable.readProperties(MapPropertyBag({{"Date", QStringLiteral("ontem")}, {"BorderStyle", 7}}));
        QCOMPARE(unreadable.SelectedDate(), day(2006, 3, 10));
        QCOMPARE(unreadable.BorderStyle(), 1);
        unreadable.setBorderStyle(5);
        QCOMPARE(unreadable.BorderStyle(), 1);
        QVERIFY(site.changedProperties.isEmpty());
    }

    void propertiesWorkByNameAndTellTheContainer()
    {
        TestSite site;
        Dayboard board(&site);
        QObject *control = &board;
        QSignalSpy dateChanges(&board, &Dayboard::SelectedDateChanged);
        QVERIFY(control->setProperty("TodayCaption", QStringLiteral("&Hoje mesmo")));
        QCOMPARE(todayButton(&board)->text(), QStringLiteral("&Hoje mesmo"));
        QVERIFY(control->setProperty("BorderStyle", 0));
        QCOMPARE(control->property("BorderStyle").toInt(), 0);
        QVERIFY(control->setProperty("SelectedDate", day(2006, 5, 1)));
        QCOMPARE(control->property("SelectedDate").toDouble(), day(2006, 5, 1));
        QCOMPARE(title(&board)->text(), QStringLiteral("Maio 2006"));
        QCOMPARE(site.changedProperties, (QStringList{"TodayCaption", "BorderStyle", "SelectedDate"}));
        QCOMPARE(site.permissionRequests, QStringList{"SelectedDate"});
        QCOMPARE(dateChanges.count(), 1);
    }

    void theClassObjectCreatesDayboardsOnlyForItsClass()
    {
        void *object = reinterpret_cast<void *>(1);
        QCOMPARE(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", almanaq::ClassFactoryId, &object),
                 almanaq::StatusClassNotAvailable);
        QCOMPARE(object, nullptr);
        QCOMPARE(DllGetClassObject(almanaq::ClassId, "SomethingElse/1.0", &object), almanaq::StatusNoInterface);
        QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);

        QCOMPARE(DllGetClassObject(almanaq::ClassId, almanaq::ClassFactoryId, &object), almanaq::StatusOk);
        auto *factory = static_cast<almanaq::ClassFactory *>(object);
        QWidget parent;
        TestSite site;
        QWidget *control = factory->createInstance(&parent, &site);
        QVERIFY(qobject_cast<Dayboard *>(control));
        QCOMPARE(control->parentWidget(), &parent);
        QCOMPARE(DllCanUnloadNow(), almanaq::StatusFalse);
        delete control;
        QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);
        // An unbalanced unlock does not hide a later lock.
        factory->lockServer(false);
        factory->lockServer(true);
        QCOMPARE(DllCanUnloadNow(), almanaq::StatusFalse);
        factory->lockServer(false);
        QCOMPARE(DllCanUnloadNow(), almanaq::StatusOk);
    }

    void automationDatesConvertBothWays_data()
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
        QTest::newRow("ms before 1900") << QDate(1899, 12, 1) << QTime(13, 7, 42, 321) << -(29 + 47262321 / 864e5);
        QTest::newRow("a day's last ms") << QDate(2078, 12, 31) << QTime(23, 59, 59, 999) << 65380 + 86399999 / 864e5;
    }

    void automationDatesConvertBothWays()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(double, value);
        QCOMPARE(toAutomationDate(date, time), value);
        QCOMPARE(almanaq::automationDateDay(value), date);
        QCOMPARE(almanaq::automationDateTime(value), time);
    }

    void dayColoursBelongToTheColumnAndEveryBorderIsOneDarkColour()
    {
        Dayboard board;
        moveButton(&board, 1)->click();
        const auto textColour = [&](int i) { return cell(&board, i)->palette().color(cell(&board, i)->foregroundRole()); };
        for (int i : {1, 8, 36})
            QCOMPARE(textColour(i), QColor(255, 0, 0));
        for (int i : {7, 14, 35})
            QCOMPARE(textColour(i), QColor(0, 0, 0));
        QCOMPARE(textColour(37), board.palette().color(QPalette::Text));

        // Borders as drawn: the left edge's middle pixel.
        const auto border = [](QLabel *label) {
            const QImage image = label->grab().toImage();
            return image.pixelColor(0, image.height() / 2);
        };
        const QColor dark(0x40, 0x40, 0x40);
        for (QLabel *label : {cell(&board, 1), cell(&board, 4), cell(&board, 7), weekdayHeader(&board, 1)})
            QCOMPARE(border(label), dark);
    }

    void arrowKeysMoveTheSelectedDayAndEnterOrSpaceChooseIt_data()
    {
        QTest::addColumn<QDate>("from"); // null: today
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<int>("clicks");
        QTest::newRow("left") << QDate() << QList<int>{Qt::Key_Left} << QDate(2006, 3, 9) << 0;
        QTest::newRow("right") << QDate() << QList<int>{Qt::Key_Right} << QDate(2006, 3, 11) << 0;
        QTest::newRow("up a week") << QDate() << QList<int>{Qt::Key_Up} << QDate(2006, 3, 3) << 0;
        QTest::newRow("down, enter") << QDate() << QList<int>{Qt::Key_Down, Qt::Key_Return} << QDate(2006, 3, 17) << 1;
        QTest::newRow("space") << QDate() << QList<int>{Qt::Key_Space} << QDate(2006, 3, 10) << 1;
        QTest::newRow("within the last year") << QDate(2078, 12, 30) << QList<int>{Qt::Key_Right} << QDate(2078, 12, 31) << 0;
        QTest::newRow("not past the last day") << QDate(2078, 12, 31) << QList<int>{Qt::Key_Right} << QDate(2078, 12, 31) << 0;
        QTest::newRow("not before the first day") << QDate(1753, 1, 1) << QList<int>{Qt::Key_Left} << QDate(1753, 1, 1) << 0;
        QTest::newRow("into February") << QDate() << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Enter} << QDate(2006, 2, 24) << 1;
    }

    void arrowKeysMoveTheSelectedDayAndEnterOrSpaceChooseIt()
    {
        QFETCH(QDate, from);
        QFETCH(QList<int>, keys);
        QFETCH(QDate, selected);
        QFETCH(int, clicks);
        HostedBoard hosted(false); // today selected
        if (from.isValid())
            hosted.board->setSelectedDate(toAutomationDate(from));
        QVERIFY(hosted.show());
        QSignalSpy clicked(hosted.board, SIGNAL(Click()));
        for (int key : keys)
            QTest::keyClick(hosted.board, Qt::Key(key));
        QCOMPARE(almanaq::automationDateDay(hosted.board->SelectedDate()), selected);
        QCOMPARE(clicked.size(), clicks);
        if (selected != QDate(2006, 3, 10)) // today stays yellow until chosen
            QCOMPARE(cellsColoured(hosted.board, Grey).size(), 1);
        QCOMPARE(title(hosted.board)->text().startsWith(QStringLiteral("Fevereiro")), selected.month() == 2);
    }

    void boldDaysMarkTheirNumbersUntilTheListIsEmptied()
    {
        TestSite site;
        Dayboard board(&site);
        const auto boldCells = [&board] {
            QList<int> bold;
            for (int i = 1; i <= 37; ++i) {
                if (cell(&board, i)->font().bold())
                    bold.append(i);
            }
            return bold;
        };
        QCOMPARE(boldCells().size(), 37);
        // Through the meta-object, as a host sets it.
        const QVariantList days{day(2006, 3, 12), day(2006, 3, 1), day(2006, 4, 12)};
        QVERIFY(board.setProperty("BoldDays", days));
        QCOMPARE(boldCells(), (QList<int>{4, 15}));
        QCOMPARE(board.property("BoldDays").toList(), days);
        moveButton(&board, 1)->click();
        QCOMPARE(boldCells(), QList<int>{18});
        board.setProperty("BoldDays", QVariantList());
        QCOMPARE(boldCells().size(), 37);
    }

    void tabOrderRunsBackTodayForward()
    {
        Dayboard board;
        const auto nextFocusable = [](QWidget *from) {
            QWidget *next = from->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            return next;
        };
        QCOMPARE(nextFocusable(moveButton(&board, 0)), todayButton(&board));
        QCOMPARE(nextFocusable(todayButton(&board)), moveButton(&board, 1));
    }

    void scalingFollowsTheSizeAndWidthAloneSetsTheFonts_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("size");      // at least half the design size
        QTest::addColumn<QRect>("firstCell");
        QTest::addColumn<QList<int>>("fonts"); // day cells, title, weekday labels, today button
        // Fonts are Int(design points / width ratio), raised to the next even size.
        QTest::newRow("design") << QSize(248, 236) << QSize(248, 236) << QRect(11, 56, 33, 29) << QList{16, 16, 8, 8};
        QTest::newRow("twice") << QSize(496, 472) << QSize(496, 472) << QRect(22, 112, 66, 58) << QList{30, 32, 16, 16};
        QTest::newRow("wider") << QSize(372, 236) << QSize(372, 236) << QRect(16, 56, 49, 29) << QList{22, 24, 12, 12};
        QTest::newRow("taller") << QSize(248, 472) << QSize(248, 472) << QRect(11, 112, 33, 58) << QList{16, 16, 8, 8};
        QTest::newRow("too short") << QSize(248, 40) << QSize(248, 118) << QRect(11, 28, 33, 14) << QList{16, 16, 8, 8};
        QTest::newRow("too narrow") << QSize(80, 236) << QSize(124, 236) << QRect(5, 56, 16, 29) << QList{8, 8, 4, 4};
        QTest::newRow("too small") << QSize(30, 30) << QSize(124, 118) << QRect(5, 28, 16, 14) << QList{8, 8, 4, 4};
    }

    void scalingFollowsTheSizeAndWidthAloneSetsTheFonts()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, size);
        QFETCH(QRect, firstCell);
        QFETCH(QList<int>, fonts);
        HostedBoard hosted;
        QVERIFY(hosted.show());
        Dayboard *board = hosted.board;
        // The first scaling, at the design size, records the layout of 1/15-pixel units.
        QCOMPARE(board->size(), QSize(248, 236));
        QCOMPARE(cell(board, 37)->geometry(), QRect(645 / 15, 2940 / 15, 495 / 15, 435 / 15));
        QCOMPARE(board->minimumSizeHint(), QSize(124, 118));

        board->resize(requested);
        QCOMPARE(board->size(), size);
        QCOMPARE(cell(board, 1)->geometry(), firstCell);
        QCOMPARE((QList<int>{pointSize(cell(board, 1)), pointSize(title(board)), pointSize(weekdayHeader(board, 1)),
                             pointSize(todayButton(board))}),
                 fonts);

        // Back at the design size the recorded layout still rules.
        board->resize(248, 236);
        QCOMPARE(cell(board, 1)->geometry(), QRect(165 / 15, 840 / 15, 495 / 15, 435 / 15));
        QCOMPARE(pointSize(cell(board, 1)), 16);
    }

    void aNewInstanceKeepsItsInitialSizeUntilShown()
    {
        HostedBoard hosted(false);
        Dayboard *board = hosted.board;
        board->resize(496, 472); // before the first show
        QVERIFY(hosted.show());
        QCOMPARE(board->size(), QSize(248, 236));
        QCOMPARE(pointSize(cell(board, 1)), 15); // never scaled yet

        // Once shown it scales like any other.
        board->resize(496, 472);
        QCOMPARE(board->size(), QSize(496, 472));
        QCOMPARE(pointSize(cell(board, 1)), 30);
    }
};

QTEST_MAIN(DayboardTest)
#include "tst_dayboard.moc"
