// The calendar control: month model, clicks, saved properties, class object, automation dates, keys,
// layout and proportional scaling; its about box, the system registry and the system-information button.

#include "dayboard.h"
#include "frmabout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using almanaq::Dayboard;
using almanaq::frmAbout;
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
    QStringList permissionRequests, changedProperties, warnings; // warnings: "text|title"

    bool canPropertyChange(const QString &name) override { permissionRequests.append(name); return permitChanges; }
    void propertyChanged(const QString &name) override { changedProperties.append(name); }
    QDateTime now() const override { return clock; }
    QLocale locale() const override { return userLocale; }
    void warn(QWidget *, const QString &text, const QString &title) override { warnings.append(text + '|' + title); }
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
QLabel *titleLabel(const QWidget *board) { return board->findChild<QLabel *>("TitMesAno"); }
QString title(const QWidget *board) { return titleLabel(board)->text(); }
int pointSize(const QWidget *control) { return control->font().pointSize(); }
double day(int year, int month, int dayOfMonth) { return toAutomationDate(QDate(year, month, dayOfMonth)); }

const QColor Yellow{255, 255, 0}, Grey{192, 192, 192}, White{255, 255, 255};

// The indexes of the cells (1..37) painted in a colour, or drawn bold.
QList<int> cellsWhere(const QWidget *board, const std::function<bool(QLabel *)> &test)
{
    QList<int> found;
    for (int i = 1; i <= 37; ++i) {
        if (test(cell(board, i)))
            found.append(i);
    }
    return found;
}
QList<int> cellsColoured(const QWidget *board, const QColor &colour)
{
    return cellsWhere(board, [&](QLabel *c) { return c->palette().color(QPalette::Window) == colour; });
}

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
    bool show() { window.show(); return QTest::qWaitForWindowExposed(&window); }
};

const QByteArray InfoSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";

class RecordingServices final : public almanaq::AboutServices
{
public:
    bool startProgram(const QString &path) override { started.append(path); return startSucceeds; }
    void showMessage(QWidget *, const QString &text, const QString &title) override { messages.append(text + '|' + title); }
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        cursorWhileOpening = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        return false;
    }

    bool startSucceeds = true;
    QStringList started, messages;
    QList<QUrl> opened;
    Qt::CursorShape cursorWhileOpening = Qt::ArrowCursor;
};

} // namespace

class DayboardTest : public QObject
{
    Q_OBJECT

private slots:
    void weekdayHeadersAreTheLocalesShortNamesFromSunday()
    {
        TestSite site;
        QStringList headers;
        for (const auto &locale : {site.userLocale, QLocale(QLocale::English, QLocale::UnitedStates)}) {
            site.userLocale = locale;
            Dayboard board(&site);
            for (int i = 1; i <= 7; ++i)
                headers << weekdayHeader(&board, i)->text();
            headers << title(&board);
        }
        QCOMPARE(headers.join(','), "DOM,SEG,TER,QUA,QUI,SEX,SÁB,Março 2006,SUN,MON,TUE,WED,THU,FRI,SAT,March 2006");
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
    }
    void monthsFillTheirCellsAndLeaveTheRestBlankAndWhite()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, days);
        QFETCH(int, firstCell);
        Dayboard board;
        board.setSelectedDate(day(year, month, 1));
        for (int i = 1; i <= 37; ++i) {
            const int dayOfMonth = i - firstCell + 1;
            const bool blank = dayOfMonth < 1 || dayOfMonth > days;
            QCOMPARE(cell(&board, i)->text(), blank ? QStringLiteral(" ") : QString::number(dayOfMonth));
            if (blank)
                QCOMPARE(cell(&board, i)->palette().color(QPalette::Window), White);
        }
    }

    // Today is yellow, the selected day grey unless it is today; a time of day is kept. The buttons
    // only display: back (-), forward (+) and today (h) keep the selection, raise no Click and tell
    // the container nothing; leaving 1753..2078 warns and keeps the month.
    void theMonthShownMarksTodayAndTheSelection_data()
    {
        QTest::addColumn<double>("from"); // 0: nothing selected
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QString>("shown"); // "!" when warned
        QTest::addColumn<QList<int>>("yellow");
        QTest::addColumn<QList<int>>("grey");
        const QList<int> none, today{13};
        QTest::newRow("nothing selected") << 0.0 << "" << "Março 2006" << today << none;
        QTest::newRow("today selected") << day(2006, 3, 10) << "" << "Março 2006" << today << none;
        QTest::newRow("another day") << day(2006, 3, 2) << "" << "Março 2006" << today << QList{5};
        QTest::newRow("another month, evening") << toAutomationDate(QDateTime(QDate(1993, 2, 14), QTime(21, 45)))
                                                << "" << "Fevereiro 1993" << none << QList{15};
        QTest::newRow("into a new year") << day(2005, 12, 31) << "+" << "Janeiro 2006" << none << none;
        QTest::newRow("into the first year") << day(1754, 1, 1) << "-" << "Dezembro 1753" << none << none;
        QTest::newRow("within the first year") << day(1753, 12, 1) << "-" << "Novembro 1753" << none << none;
        QTest::newRow("within the last year") << day(2078, 1, 1) << "+" << "Fevereiro 2078" << none << none;
        QTest::newRow("back from outside") << day(1700, 1, 10) << "-" << "Dezembro 1699" << none << none;
        QTest::newRow("on from outside") << day(2100, 12, 10) << "+" << "Janeiro 2101" << none << none;
        QTest::newRow("before the first year") << day(1753, 1, 15) << "-" << "Janeiro 1753!" << none << QList{16};
        QTest::newRow("after the last year") << day(2078, 12, 1) << "+" << "Dezembro 2078!" << none << QList{5};
        QTest::newRow("today") << day(2005, 7, 20) << "h" << "Março 2006" << today << none;
        QTest::newRow("today, the selection's month") << day(2006, 3, 25) << "+h" << "Março 2006" << today << QList{28};
    }
    void theMonthShownMarksTodayAndTheSelection()
    {
        QFETCH(double, from);
        QFETCH(QString, buttons);
        TestSite site;
        Dayboard board(&site);
        if (from != 0)
            board.setSelectedDate(from);
        site.changedProperties.clear();
        QSignalSpy clicks(&board, &Dayboard::Click);
        for (const QChar button : buttons)
            (button == 'h' ? todayButton(&board) : moveButton(&board, button == '+'))->click();
        QTEST(title(&board) + (site.warnings.isEmpty() ? "" : "!"), "shown");
        QTEST(cellsColoured(&board, Yellow), "yellow");
        QTEST(cellsColoured(&board, Grey), "grey");
        QCOMPARE((QVariantList{board.SelectedDate(), clicks.count(), site.changedProperties.size()}), (QVariantList{from, 0, 0}));
        if (!site.warnings.isEmpty())
            QCOMPARE(site.warnings, QStringList{"Ano inválido. O Ano deve estar no\r\nintervalo de 1753 a 2078, "
                                                "inclusive.|" + Dayboard::applicationTitle()});
    }

    void dayClicksSelectAndRaiseOneClickEachEvenWhenRefused()
    {
        TestSite site;
        Dayboard board(&site);
        QSignalSpy clicks(&board, &Dayboard::Click), doubleClicks(&board, &Dayboard::DblClick);
        double selectedInHandler = 0;
        connect(&board, &Dayboard::Click, this, [&] { selectedInHandler = board.SelectedDate(); });
        // Blank cells ignore clicks and double clicks.
        for (int i : {1, 37})
            QTest::mouseClick(cell(&board, i), Qt::LeftButton);
        QTest::mouseDClick(cell(&board, 2), Qt::LeftButton);
        QCOMPARE(clicks.count() + doubleClicks.count() + site.permissionRequests.size() + board.SelectedDate(), 0);

        QTest::mouseClick(cell(&board, 20), Qt::LeftButton);
        QCOMPARE((QVariantList{clicks.count(), board.SelectedDate(), selectedInHandler, site.permissionRequests}),
                 (QVariantList{1, day(2006, 3, 17), day(2006, 3, 17), QStringList{"SelectedDate"}}));
        QCOMPARE(cellsColoured(&board, Grey), QList<int>{20});
        QTest::mouseClick(cell(&board, 13), Qt::LeftButton); // today stays yellow when clicked
        QCOMPARE(cellsColoured(&board, Yellow), QList<int>{13});
        // A double click raises one Click and one DblClick.
        QTest::mouseClick(cell(&board, 8), Qt::LeftButton);
        QTest::mouseDClick(cell(&board, 8), Qt::LeftButton);
        QTest::mouseRelease(cell(&board, 8), Qt::LeftButton);
        QCOMPARE((QVariantList{clicks.count(), doubleClicks.count(), board.SelectedDate()}),
                 (QVariantList{3, 1, day(2006, 3, 5)}));
        QCOMPARE(cellsColoured(&board, Grey), QList<int>{8});

        site.permitChanges = false;
        site.changedProperties.clear();
        QSignalSpy changes(&board, &Dayboard::SelectedDateChanged);
        QTest::mouseClick(cell(&board, 25), Qt::LeftButton);
        QCOMPARE((QVariantList{board.SelectedDate(), changes.count(), site.changedProperties.size(), clicks.count()}),
                 (QVariantList{day(2006, 3, 5), 0, 0, 4}));
    }

    // A loaded control without saved keys takes the current day rounded, halves to even.
    void aLoadedControlStartsOnTheRoundedCurrentDay_data()
    {
        QTest::addColumn<QDateTime>("clock");
        QTest::addColumn<QDate>("date");
        QTest::newRow("morning") << QDateTime(QDate(2006, 3, 10), QTime(9, 0)) << QDate(2006, 3, 10);
        QTest::newRow("noon, even day") << QDateTime(QDate(2006, 3, 10), QTime(12, 0)) << QDate(2006, 3, 10);
        QTest::newRow("noon, odd day") << QDateTime(QDate(2006, 3, 11), QTime(12, 0)) << QDate(2006, 3, 12);
    }
    void aLoadedControlStartsOnTheRoundedCurrentDay()
    {
        QFETCH(QDateTime, clock);
        QFETCH(QDate, date);
        TestSite site;
        site.clock = clock;
        Dayboard loaded(&site);
        loaded.readProperties(MapPropertyBag());
        QCOMPARE(loaded.SelectedDate(), toAutomationDate(date));
        QCOMPARE(todayButton(&loaded)->toolTip(), site.userLocale.toString(clock.date(), QLocale::LongFormat));
    }

    // A new control starts on today, saves nothing until changed, and reads back what it saved.
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
        // Through the meta-object, as a host sets them; only the date asks first.
        for (const auto &[name, value] : {std::pair<const char *, QVariant>{"TodayCaption", "&Agora"},
                                          {"BorderStyle", 0}, {"SelectedDate", chosen}})
            QVERIFY(board.setProperty(name, value));
        QCOMPARE(site.changedProperties + site.permissionRequests,
                 (QStringList{"TodayCaption", "BorderStyle", "SelectedDate", "SelectedDate"}));
        QCOMPARE(todayButton(&board)->text(), QStringLiteral("&Agora"));
        board.writeProperties(bag);
        QCOMPARE((QVariantList{bag.values().size(), bag.values().value("Date"), bag.values().value("BorderStyle").typeId()}),
                 (QVariantList{3, chosen, int(QMetaType::Short)}));
        site.changedProperties.clear();
        Dayboard loaded(&site);
        loaded.readProperties(bag);
        // The loaded day is grey only after the next layout.
        QVERIFY(cellsColoured(&loaded, Grey).isEmpty());
        moveButton(&loaded, 1)->click();
        moveButton(&loaded, 0)->click();
        QCOMPARE(cellsColoured(&loaded, Grey), QList<int>{23});

        // Unreadable or unknown values are not taken.
        Dayboard unreadable(&site);
        unreadable.readProperties(MapPropertyBag({{"Date", QStringLiteral("ontem")}, {"BorderStyle", 7}}));
        unreadable.setBorderStyle(5);
        QCOMPARE((QVariantList{unreadable.SelectedDate(), unreadable.BorderStyle(), site.changedProperties.size()}),
                 (QVariantList{day(2006, 3, 10), 1, 0}));
    }

    void theClassObjectCreatesDayboardsOnlyForItsClass()
    {
        void *object = reinterpret_cast<void *>(1);
        QCOMPARE(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", almanaq::ClassFactoryId, &object),
                 almanaq::StatusClassNotAvailable);
        QCOMPARE(object, nullptr);
        QCOMPARE(DllGetClassObject(almanaq::ClassId, "SomethingElse/1.0", &object), almanaq::StatusNoInterface);
        QCOMPARE(DllGetClassObject(almanaq::ClassId, almanaq::ClassFactoryId, &object), almanaq::StatusOk);
        auto *factory = static_cast<almanaq::ClassFactory *>(object);
        QWidget parent;
        QWidget *control = factory->createInstance(&parent, nullptr);
        QVERIFY(qobject_cast<Dayboard *>(control) && control->parentWidget() == &parent);
        QList<int> unload{DllCanUnloadNow()};
        delete control;
        // An unbalanced unlock does not hide a later lock.
        for (const bool lock : {false, true, false}) {
            unload << DllCanUnloadNow();
            factory->lockServer(lock);
        }
        QCOMPARE(unload + QList<int>{DllCanUnloadNow()}, (QList<int>{almanaq::StatusFalse, almanaq::StatusOk, almanaq::StatusOk,
                                                                     almanaq::StatusFalse, almanaq::StatusOk}));
    }

    void automationDatesConvertBothWays_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("value");
        QTest::newRow("the epoch") << QDate(1899, 12, 30) << QTime(0, 0) << 0.0;
        QTest::newRow("six in the evening") << QDate(2006, 3, 10) << QTime(18, 0) << 38786.75;
        QTest::newRow("before the epoch at 6:00") << QDate(1899, 12, 29) << QTime(6, 0) << -1.25;
        QTest::newRow("1 January 1753") << QDate(1753, 1, 1) << QTime(0, 0) << -53688.0;
        QTest::newRow("ms before 1900") << QDate(1899, 12, 1) << QTime(13, 7, 42, 321) << -(29 + 47262321 / 864e5);
        QTest::newRow("a day's last ms") << QDate(2078, 12, 31) << QTime(23, 59, 59, 999) << 65380 + 86399999 / 864e5;
    }
    void automationDatesConvertBothWays()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(double, value);
        QCOMPARE(toAutomationDate(date, time), value);
        QCOMPARE(QDateTime(almanaq::automationDateDay(value), almanaq::automationDateTime(value)), QDateTime(date, time));
    }

    // Sundays red, Saturdays black, blanks in the palette's text; every border one dark grey.
    void dayColoursBelongToTheColumnAndEveryBorderIsOneDarkColour()
    {
        Dayboard board;
        moveButton(&board, 1)->click();
        const auto textColour = [&](int i) { return cell(&board, i)->palette().color(cell(&board, i)->foregroundRole()); };
        QCOMPARE((QList<QColor>{textColour(1), textColour(8), textColour(36), textColour(7), textColour(14),
                                textColour(35), textColour(37)}),
                 (QList<QColor>{Qt::red, Qt::red, Qt::red, Qt::black, Qt::black, Qt::black,
                                board.palette().color(QPalette::Text)}));
        for (QLabel *label : {cell(&board, 1), cell(&board, 4), cell(&board, 7), weekdayHeader(&board, 1)}) {
            const QImage image = label->grab().toImage();
            QCOMPARE(image.pixelColor(0, image.height() / 2), QColor(0x40, 0x40, 0x40));
        }
    }

    void arrowKeysMoveTheSelectedDayAndEnterOrSpaceChooseIt_data()
    {
        QTest::addColumn<QDate>("from"); // null: today
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<int>("clicks");
        QTest::newRow("left, right twice") << QDate() << QList<int>{Qt::Key_Left, Qt::Key_Right, Qt::Key_Right} << QDate(2006, 3, 11) << 0;
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
        HostedBoard hosted(false); // today selected
        if (from.isValid())
            hosted.board->setSelectedDate(toAutomationDate(from));
        QVERIFY(hosted.show());
        QSignalSpy clicked(hosted.board, SIGNAL(Click()));
        for (int key : keys)
            QTest::keyClick(hosted.board, Qt::Key(key));
        QCOMPARE(almanaq::automationDateDay(hosted.board->SelectedDate()), selected);
        QTEST(int(clicked.size()), "clicks");
        if (selected != QDate(2006, 3, 10)) // today stays yellow until chosen
            QCOMPARE(cellsColoured(hosted.board, Grey).size(), 1);
        QCOMPARE(title(hosted.board).startsWith(QStringLiteral("Fevereiro")), selected.month() == 2);
    }

    void boldDaysMarkTheirNumbersUntilTheListIsEmptied()
    {
        TestSite site;
        Dayboard board(&site);
        const auto boldCells = [&board] { return cellsWhere(&board, [](QLabel *c) { return c->font().bold(); }); };
        QCOMPARE(boldCells().size(), 37);
        // Through the meta-object, as a host sets it.
        QVERIFY(board.setProperty("BoldDays", QVariantList{day(2006, 3, 12), day(2006, 3, 1), day(2006, 4, 12)}));
        QCOMPARE(boldCells(), (QList<int>{4, 15}));
        board.setProperty("BoldDays", QVariantList());
        QCOMPARE(boldCells().size(), 37);
    }

    void scalingFollowsTheSizeAndWidthAloneSetsTheFonts_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("size");      // at least half the design size
        QTest::addColumn<QRect>("firstCell");
        QTest::addColumn<QList<int>>("fonts"); // day cells, title, weekday labels, today button
        // Fonts are Int(design points / width ratio), raised to the next even size.
        QTest::newRow("design") << QSize(248, 236) << QSize(248, 236) << QRect(11, 56, 33, 29) << QList{16, 16, 8, 8};
        QTest::newRow("wider") << QSize(372, 236) << QSize(372, 236) << QRect(16, 56, 49, 29) << QList{22, 24, 12, 12};
        QTest::newRow("taller") << QSize(248, 472) << QSize(248, 472) << QRect(11, 112, 33, 58) << QList{16, 16, 8, 8};
        QTest::newRow("too short") << QSize(248, 40) << QSize(248, 118) << QRect(11, 28, 33, 14) << QList{16, 16, 8, 8};
        QTest::newRow("too narrow") << QSize(80, 236) << QSize(124, 236) << QRect(5, 56, 16, 29) << QList{8, 8, 4, 4};
    }
    void scalingFollowsTheSizeAndWidthAloneSetsTheFonts()
    {
        QFETCH(QSize, requested);
        HostedBoard hosted;
        QVERIFY(hosted.show());
        Dayboard *board = hosted.board;
        // The first scaling, at the design size, records the layout of 1/15-pixel units.
        QCOMPARE(cell(board, 37)->geometry(), QRect(645 / 15, 2940 / 15, 495 / 15, 435 / 15));
        board->resize(requested);
        QTEST(board->size(), "size");
        QTEST(cell(board, 1)->geometry(), "firstCell");
        QTEST((QList<int>{pointSize(cell(board, 1)), pointSize(titleLabel(board)),
                          pointSize(weekdayHeader(board, 1)), pointSize(todayButton(board))}),
              "fonts");
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
        const QVariantList before{board->size(), pointSize(cell(board, 1))}; // never scaled yet
        board->resize(496, 472); // once shown it scales like any other
        QCOMPARE(before + QVariantList({board->size(), pointSize(cell(board, 1))}),
                 (QVariantList{QSize(248, 236), 15, QSize(496, 472), 30}));
    }

    void aboutBoxShowsTheFormModallyEachTimeItIsCalled()
    {
        almanaq::Dayboard board;
        board.show();
        QStringList seen;
        // Closes whatever modal window appears, once with Esc and once with OK.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto *form = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!form)
                return;
            seen.append(form->objectName() + QLatin1Char('|') + form->windowTitle());
            seen.size() == 1 ? QTest::keyClick(form, Qt::Key_Escape) : form->findChild<QPushButton *>("cmdOK")->click();
        });
        closer.start(20);

        for (int time = 0; time < 2; ++time)
            QVERIFY(QMetaObject::invokeMethod(&board, "AboutBox"));
        QCOMPARE(seen, QStringList(2, QStringLiteral("frmAbout|About Almanaq")));
        QVERIFY(board.window()->findChildren<frmAbout *>().isEmpty()); // closing unloaded it
    }

    void theFormShowsTheLibrarysIdentityAndOpensItsLinks()
    {
        RecordingServices services;
        frmAbout form(nullptr, almanaq::SystemRegistry(QString()), services);
        for (QWidget *control : form.findChildren<QWidget *>()) {
            if (control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }

        for (auto *link : form.findChildren<almanaq::LinkLabel *>(QStringLiteral("lblLink")))
            QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(services.opened, (QList<QUrl>{QUrl(QStringLiteral("https://www.zedozarir.example")),
                                               QUrl(QStringLiteral("mailto:contato@zedozarir.example"))}));
        QCOMPARE(services.cursorWhileOpening, Qt::BusyCursor);
        // A failed open is not reported, and the cursor is back.
        QVERIFY(!QApplication::overrideCursor() && services.messages.isEmpty());
    }

    void systemInformation_data()
    {
        QTest::addColumn<QByteArray>("entries"); // %1: a folder holding MSINFO32.EXE unless the row says not
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("started"); // %1 as above; empty when nothing may start
        const QByteArray info = InfoSection + "PATH=";
        const QByteArray location = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\nMSINFO=sz:%1\\0\n";
        QTest::newRow("path recorded") << info + "sz:%1/info\\0\n" + location << true << "%1/info";
        QTest::newRow("text without terminator") << info + "sz:%1/info\n" << true << "%1/info";
        QTest::newRow("only the last zero byte goes") << info + "sz:a\\0\\0\n" << true << QStringLiteral("a") + QChar(0);
        QTest::newRow("32-bit number") << info + "dword:00000102\n" << true << "&h00000102";
        QTest::newRow("another type") << info + "hex(3):41,42\n" << true << "";
        QTest::newRow("unreadable value") << info + "sz:a\\q\n" + location << true << "%1/MSINFO32.EXE";
        QTest::newRow("longer than the buffer") << info + "sz:" + QByteArray(1025, 'x') + '\n' << true << "";
        QTest::newRow("under another root") << "[HKEY_CURRENT_USER\\" + InfoSection.mid(20) + "PATH=sz:%1/info\n" << true << "";
        QTest::newRow("program in the recorded folder") << location << true << "%1/MSINFO32.EXE";
        QTest::newRow("recorded folder without the program") << location << true << "";
        QTest::newRow("nothing recorded") << QByteArray() << true << "";
        QTest::newRow("program does not start") << info + "sz:%1/info\\0\n" << false << "%1/info";
    }
    void systemInformation()
    {
        QFETCH(QByteArray, entries);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, started);
        QTemporaryDir folder;
        if (QTest::currentDataTag() != QByteArray("recorded folder without the program"))
            QVERIFY(QFile(folder.filePath(QStringLiteral("MSINFO32.EXE"))).open(QIODevice::WriteOnly));
        QFile file(folder.filePath(QStringLiteral("registro-sistema.ini")));
        const QString text = QString::fromLatin1(entries).replace("%1", folder.path());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.flush());
        RecordingServices services;
        services.startSucceeds = startSucceeds;
        frmAbout form(nullptr, almanaq::SystemRegistry(file.fileName()), services);
        form.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
        started.replace(QStringLiteral("%1"), folder.path());
        QCOMPARE(services.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(services.messages, startSucceeds && !started.isEmpty() ? QStringList()
                                    : QStringList{"System Information Is Unavailable At This Time|Almanaq"});
    }
};

QTEST_MAIN(DayboardTest)
#include "tst_dayboard.moc"
