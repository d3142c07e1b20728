// The reminders-by-day view opened from the main window, with the calendar
// library loaded from the program's folder. Today is 10/03/2006.

#include "formfixture.h"

#include <QScrollBar>

namespace {

const QStringList kToday{"10/03/2006|Hoje dois|0 dias", "10/03/2006|Hoje um|0 dias"};

struct Fixture : MainWindowFixture
{
    Fixture()
        : MainWindowFixture({"2006/03/05|Passado", "2006/03/10|Hoje um", "2006/03/10|Hoje dois", "2006/03/11|Amanhã",
                             "2006/04/02|Abril", "2006/05/20|Maio"}, true)
    {
        QVERIFY(calendarCopied);
    }

    frmpormes *open()
    {
        window->mnulembretesdata_Click();
        return loaded<frmpormes>();
    }

    QStringList listed(frmpormes *view) const
    {
        QStringList rows = listedRows(child<QTreeView>(view, "lstlista"));
        rows.sort();
        return rows;
    }

    static QStringList boldDays(frmpormes *view)
    {
        QStringList bold;
        for (const QLabel *cell : view->calendarControl()->findChildren<QLabel *>(QStringLiteral("Casa"))) {
            if (cell->font().bold() && !cell->text().trimmed().isEmpty())
                bold << cell->text();
        }
        bold.sort();
        return bold;
    }
};

} // namespace

class FrmPormesTest : public QObject
{
    Q_OBJECT

private slots:
    // Two months on, the busy days are still known; the three columns fit
    // the list with the whole last header.
    void theCalendarShowsInBoldTheDaysThatHaveReminders()
    {
        Fixture f;
        frmpormes *view = f.open();
        QVERIFY(view && view->calendarControl() && QTest::qWaitForWindowExposed(view));
        auto *list = child<QTreeView>(view, "lstlista");
        QHeaderView *header = list->header();
        QCOMPARE(header->length(), list->viewport()->width());
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(header->sectionSize(2) >= header->fontMetrics().horizontalAdvance(QStringLiteral("Dias restantes")));
        QVERIFY(header->sectionSize(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
        QCOMPARE(f.boldDays(view), (QStringList{"10", "11", "5"}));
        for (QPushButton *button : view->calendarControl()->findChildren<QPushButton *>(QStringLiteral("btMove"))) {
            if (button->property("Index").toInt() == 1) {
                button->click();
                button->click();
            }
        }
        QCOMPARE(f.boldDays(view), QStringList{"20"});
    }

    // The same day twice reloads rather than adds; a day without reminders empties the list.
    void clickingADayListsItsRemindersWithTheirDaysLeft_data()
    {
        QTest::addColumn<QStringList>("days");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("past") << QStringList{"5"} << QStringList{"05/03/2006|Passado|-5 dias"};
        QTest::newRow("twice") << QStringList{"11", "11"} << QStringList{"11/03/2006|Amanhã|1 dias"};
        QTest::newRow("back to today") << QStringList{"5", "10"} << kToday;
        QTest::newRow("none") << QStringList{"10", "20"} << QStringList();
    }

    void clickingADayListsItsRemindersWithTheirDaysLeft()
    {
        QFETCH(QStringList, days);
        QFETCH(QStringList, listed);
        Fixture f;
        frmpormes *view = f.open();
        for (const QString &day : days)
            QVERIFY(clickDay(view->calendarControl(), day));
        QCOMPARE(view->selectedDay(), QDate(2006, 3, days.constLast().toInt()));
        QCOMPARE(f.listed(view), listed);
        QVERIFY(f.fake.messages->shown.isEmpty());
    }

    // The view reads through the connection the program last opened.
    void aFailureAfterAClickIsReportedButNotAtLoad()
    {
        Fixture f;
        QVERIFY(QFile::remove(f.fake.databasePath()));
        f.store.abrirbanco();
        f.fake.messages->shown.clear();
        frmpormes *view = f.open();
        QCOMPARE(f.listed(view), QStringList());
        QVERIFY(f.fake.messages->shown.isEmpty());
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("10")));
        QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Critical);
        QVERIFY(f.onlyMessage().text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")));
        QCOMPARE(f.listed(view), QStringList());
    }

    // It opens on today; shown again, the same window keeps the list of its
    // last click; reopened, today's again, with the picture when there is one.
    void theViewKeepsItsDayUntilClosed()
    {
        Fixture f;
        QPointer<frmpormes> view = f.open();
        QVERIFY(view && view->isVisible() && view->picture().isNull());
        QCOMPARE(view->selectedDay(), QDate(2006, 3, 10));
        QCOMPARE(f.listed(view), kToday);
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("5")));
        f.store.appendReminder(QStringLiteral("2006/03/05"), QStringLiteral("Outro"), QString());
        QCOMPARE(f.open(), view.data());
        QCOMPARE(f.listed(view), QStringList{"05/03/2006|Passado|-5 dias"});
        view->close();
        flushDeletes();
        f.putPicture();
        frmpormes *fresh = f.open();
        QCOMPARE(fresh->selectedDay(), QDate(2006, 3, 10));
        QCOMPARE(f.listed(fresh), kToday);
        QCOMPARE(fresh->picture().size(), QSize(640, 480));
        QVERIFY(f.fake.messages->shown.isEmpty());
    }
};

QTEST_MAIN(FrmPormesTest)
#include "tst_frmpormes.moc"
