// The calendar's layout: design positions, colours and fonts of its 48
// controls, the arrow pictures, tab order, and the proportional scaling that
// follows the control's size.

#include "arrowbitmap.h"
#include "dayboard.h"
#include "dayboardtesting.h"

#include <QSet>
#include <QTest>

using almanaq::Dayboard;

namespace {

// A loaded control inside a shown window, so that resizing it delivers its
// resize notifications at once, as a form does.
struct HostedBoard
{
    TestSite site;
    QWidget window;
    Dayboard *board;

    explicit HostedBoard(bool loaded = true)
        : board(new Dayboard(&site, &window))
    {
        window.resize(800, 800);
        if (loaded) {
            board->readProperties(almanaq::MapPropertyBag());
        } else {
            board->initProperties();
        }
    }

    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

int pointSize(const QWidget *control)
{
    return control->font().pointSize();
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace

class DayboardLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void controlsSitAtTheirDesignPositions_data();
    void controlsSitAtTheirDesignPositions();
    void coloursAndFontsFollowTheDesign();
    void arrowPicturesPointTheirWay();
    void tabOrderRunsBackTodayForward();
    void twiceTheDesignSizeDoublesPositionsAndFonts();
    void sizesBelowHalfTheDesignSnapBackToHalf();
    void stretchingTheWidthChangesFontsStretchingTheHeightDoesNot();
    void aNewInstanceKeepsItsInitialSizeUntilShown();
};

void DayboardLayoutTest::controlsSitAtTheirDesignPositions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("title") << "TitMesAno" << 0 << twips(150, 120, 3390, 375);
    QTest::newRow("Sunday header") << "lbDiaSem" << 1 << twips(165, 600, 495, 255);
    QTest::newRow("first cell") << "Casa" << 1 << twips(165, 840, 495, 435);
    QTest::newRow("last cell") << "Casa" << 37 << twips(165 + 480, 2940, 495, 435);
    QTest::newRow("back arrow") << "btMove" << 0 << twips(1155, 2970, 465, 405);
}

void DayboardLayoutTest::controlsSitAtTheirDesignPositions()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QRect, geometry);
    Dayboard board;
    QWidget *control = nullptr;
    for (QWidget *candidate : board.findChildren<QWidget *>(name)) {
        if (!candidate->property("Index").isValid() || candidate->property("Index").toInt() == index)
            control = candidate;
    }
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
}

void DayboardLayoutTest::coloursAndFontsFollowTheDesign()
{
    TestSite site;
    Dayboard board(&site);
    QLabel *heading = title(&board);
    QCOMPARE(heading->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(heading->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    QCOMPARE(heading->font().pointSizeF(), 15.75);
    QCOMPARE(weekdayHeader(&board, 3)->palette().color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(weekdayHeader(&board, 3)->font().pointSizeF(), 8.25);
    QCOMPARE(cell(&board, 10)->font().pointSizeF(), 15.0);
    QVERIFY(cell(&board, 10)->font().bold());
    QCOMPARE(todayButton(&board)->font().pointSizeF(), 8.25);

    // Day text colours belong to the column and survive month changes.
    moveButton(&board, 1)->click();
    const auto textColour = [&](int i) { return cell(&board, i)->palette().color(QPalette::WindowText); };
    for (int i : {1, 8, 36})
        QCOMPARE(textColour(i), QColor(255, 0, 0));
    for (int i : {7, 14, 35})
        QCOMPARE(textColour(i), QColor(0, 0, 0));
    QCOMPARE(textColour(37), board.palette().color(QPalette::Text));
}

void DayboardLayoutTest::arrowPicturesPointTheirWay()
{
    const QColor ground(192, 192, 192);
    const QColor teal(0, 128, 128);
    for (const auto direction : {almanaq::ArrowDirection::Left, almanaq::ArrowDirection::Right}) {
        const QImage image = almanaq::arrowImage(direction);
        QCOMPARE(image.size(), QSize(16, 17));
        QRect drawn;
        QSet<QRgb> colours;
        QList<int> columnHeights(16, 0);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) == ground)
                    continue;
                drawn |= QRect(x, y, 1, 1);
                colours.insert(image.pixel(x, y));
                ++columnHeights[x];
            }
        }
        QCOMPARE(drawn.size(), QSize(10, 11));
        QCOMPARE(colours, (QSet<QRgb>{teal.rgb(), QColor(Qt::black).rgb()}));
        // A one-pixel point where the arrow points, a five-pixel shaft end behind.
        const bool left = direction == almanaq::ArrowDirection::Left;
        QCOMPARE(columnHeights[left ? drawn.left() : drawn.right()], 1);
        QCOMPARE(columnHeights[left ? drawn.right() : drawn.left()], 5);
    }
}

void DayboardLayoutTest::tabOrderRunsBackTodayForward()
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

void DayboardLayoutTest::twiceTheDesignSizeDoublesPositionsAndFonts()
{
    HostedBoard hosted;
    hosted.show();
    Dayboard *board = hosted.board;
    // The first scaling, at the design size, records the layout and evens the fonts.
    QCOMPARE(board->size(), QSize(248, 236));
    QCOMPARE(pointSize(cell(board, 1)), 16);
    QCOMPARE(pointSize(title(board)), 16);
    QCOMPARE(pointSize(weekdayHeader(board, 1)), 8);

    board->resize(496, 472);
    QCOMPARE(cell(board, 1)->geometry(), QRect(22, 112, 66, 58));
    QCOMPARE(cell(board, 37)->geometry(), QRect(86, 392, 66, 58));
    QCOMPARE(title(board)->geometry(), QRect(20, 16, 452, 50));
    QCOMPARE(todayButton(board)->geometry(), QRect(218, 396, 190, 54));
    QCOMPARE(pointSize(cell(board, 1)), 30);
    QCOMPARE(pointSize(weekdayHeader(board, 1)), 16);
    QCOMPARE(pointSize(todayButton(board)), 16);
    QCOMPARE(pointSize(title(board)), 32);

    // Back at the design size the recorded layout still rules.
    board->resize(248, 236);
    QCOMPARE(cell(board, 1)->geometry(), twips(165, 840, 495, 435));
    QCOMPARE(pointSize(cell(board, 1)), 16);
}

void DayboardLayoutTest::sizesBelowHalfTheDesignSnapBackToHalf()
{
    HostedBoard hosted;
    hosted.show();
    Dayboard *board = hosted.board;
    board->resize(248, 40);
    QCOMPARE(board->size(), QSize(248, 118));
    // The final layout is the one of the final size: heights halved, widths kept.
    QCOMPARE(cell(board, 1)->geometry(), QRect(11, 28, 33, 14));
    QCOMPARE(pointSize(cell(board, 1)), 16);

    board->resize(30, 30);
    QCOMPARE(board->size(), QSize(124, 118));
    QCOMPARE(cell(board, 1)->geometry(), QRect(5, 28, 16, 14));
    QCOMPARE(pointSize(cell(board, 1)), 8);   // Int(15 / 2) = 7, raised to 8
    QCOMPARE(pointSize(title(board)), 8);
    QCOMPARE(pointSize(weekdayHeader(board, 1)), 4);
    QCOMPARE(board->minimumSizeHint(), QSize(124, 118));
}

void DayboardLayoutTest::stretchingTheWidthChangesFontsStretchingTheHeightDoesNot()
{
    HostedBoard hosted;
    hosted.show();
    Dayboard *board = hosted.board;
    board->resize(372, 236);
    QCOMPARE(pointSize(cell(board, 1)), 22); // Int(22.5) = 22
    QCOMPARE(pointSize(title(board)), 24);
    QCOMPARE(pointSize(weekdayHeader(board, 1)), 12);
    QCOMPARE(cell(board, 1)->geometry(), QRect(16, 56, 49, 29));

    board->resize(248, 472);
    QCOMPARE(pointSize(cell(board, 1)), 16);
    QCOMPARE(pointSize(title(board)), 16);
    QCOMPARE(pointSize(weekdayHeader(board, 1)), 8);
    QCOMPARE(cell(board, 1)->geometry(), QRect(11, 112, 33, 58));
}

void DayboardLayoutTest::aNewInstanceKeepsItsInitialSizeUntilShown()
{
    HostedBoard hosted(false);
    Dayboard *board = hosted.board;
    board->resize(496, 472); // before the first show
    hosted.show();
    QCOMPARE(board->size(), QSize(248, 236));
    QCOMPARE(pointSize(cell(board, 1)), 15); // never scaled yet

    // Once shown it scales like any other.
    board->resize(496, 472);
    QCOMPARE(board->size(), QSize(496, 472));
    QCOMPARE(pointSize(cell(board, 1)), 30);
}

QTEST_MAIN(DayboardLayoutTest)
#include "tst_dayboardlayout.moc"
