// The reminders-by-day view opened from the main window, with the calendar
// library loaded from the program's folder. Today is 10/03/2006.

#include "forms/frmpormes.h"

#include "formfixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QPointer>
#include <QPushButton>

namespace {

struct Fixture : MainWindowFixture
{
    Fixture()
        : MainWindowFixture({"2006/03/05|Passado", "2006/03/10|Hoje um", "2006/03/10|Hoje dois",
                             "2006/03/11|Amanhã", "2006/04/02|Abril", "2006/05/20|Maio"},
                            true)
    {
    }

    frmpormes *open()
    {
        window->mnulembretesdata_Click();
        return loaded<frmpormes>();
    }

    QStringList listed(frmpormes *view) const
    {
        QStringList rows = listedRows(view->findChild<QTreeView *>(QStringLiteral("lstlista")));
        rows.sort();
        return rows;
    }
};

const QStringList kToday{"10/03/2006|Hoje dois|0 dias", "10/03/2006|Hoje um|0 dias"};

} // namespace

class FrmPormesTest : public QObject
{
    Q_OBJECT

private slots:
    void theViewOpensOnTodaysRemindersWithOrWithoutItsPicture()
    {
        Fixture f;
        frmpormes *view = f.open();
        QVERIFY(view && view->isVisible());
        QCOMPARE(view->parentWidget(), f.window.get());
        QCOMPARE(view->selectedDay(), QDate(2006, 3, 10));
        QCOMPARE(f.listed(view), kToday);
        QVERIFY(view->picture().isNull());
        QVERIFY(f.fake.messages->shown.isEmpty());
        view->close();

        f.putPicture();
        QCOMPARE(f.open()->picture().size(), QSize(640, 480));
    }

    void theCalendarShowsInBoldTheDaysThatHaveReminders()
    {
        Fixture f;
        frmpormes *view = f.open();
        QVERIFY(view && view->calendarControl());
        QStringList bold;
        for (const QLabel *cell : view->calendarControl()->findChildren<QLabel *>(QStringLiteral("Casa"))) {
            if (cell->font().bold() && !cell->text().trimmed().isEmpty())
                bold << cell->text();
        }
        bold.sort();
        QCOMPARE(bold, (QStringList{"10", "11", "5"}));
        // Two months on, the days are still known.
        for (QPushButton *button : view->calendarControl()->findChildren<QPushButton *>(QStringLiteral("btMove"))) {
            if (button->property("Index").toInt() == 1) {
                button->click();
                button->click();
            }
        }
        bold.clear();
        for (const QLabel *cell : view->calendarControl()->findChildren<QLabel *>(QStringLiteral("Casa"))) {
            if (cell->font().bold() && !cell->text().trimmed().isEmpty())
                bold << cell->text();
        }
        QCOMPARE(bold, QStringList{"20"});
    }

    void theThreeColumnsFitTheListWithTheWholeLastHeader()
    {
        Fixture f;
        frmpormes *view = f.open();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        auto *list = view->findChild<QTreeView *>(QStringLiteral("lstlista"));
        QHeaderView *header = list->header();
        QCOMPARE(header->length(), list->viewport()->width());
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(header->sectionSize(2) >= header->fontMetrics().horizontalAdvance(QStringLiteral("Dias restantes")));
        QVERIFY(header->sectionSize(0) > list->fontMetrics().horizontalAdvance(QStringLiteral("10/03/2006")));
    }

    void clickingADayListsItsRemindersWithTheirDaysLeft()
    {
        Fixture f;
        if (!f.calendarCopied)
            QSKIP("The calendar library has not been built (target Almanaq).");
        frmpormes *view = f.open();
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("5")));
        QCOMPARE(f.listed(view), QStringList{"05/03/2006|Passado|-5 dias"});
        // The same day twice reloads rather than adds.
        for (int run = 0; run < 2; ++run) {
            QVERIFY(clickDay(view->calendarControl(), QStringLiteral("11")));
            QCOMPARE(f.listed(view), QStringList{"11/03/2006|Amanhã|1 dias"});
        }
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("10")));
        QCOMPARE(f.listed(view), kToday);
        // A day without reminders empties the list.
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("20")));
        QCOMPARE(view->selectedDay(), QDate(2006, 3, 20));
        QCOMPARE(f.listed(view), QStringList());
        QVERIFY(f.fake.messages->shown.isEmpty());
    }

    void aFailureAfterAClickIsReportedButNotAtLoad()
    {
        Fixture f;
        if (!f.calendarCopied)
            QSKIP("The calendar library has not been built (target Almanaq).");
        // The view reads through the connection the program last opened.
        QVERIFY(QFile::remove(f.fake.databasePath()));
        f.store.abrirbanco();
        f.fake.messages->shown.clear();
        frmpormes *view = f.open();
        QCOMPARE(f.listed(view), QStringList());
        QVERIFY(f.fake.messages->shown.isEmpty());

        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("10")));
        QCOMPARE(f.onlyMessage().icon, runtime::MessageIcon::Critical);
        QCOMPARE(f.onlyMessage().title, QStringLiteral("Erro"));
        QVERIFY(f.onlyMessage().text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")));
        QCOMPARE(f.listed(view), QStringList());
    }

    void theViewKeepsItsDayUntilClosed()
    {
        Fixture f;
        if (!f.calendarCopied)
            QSKIP("The calendar library has not been built (target Almanaq).");
        QPointer<frmpormes> view = f.open();
        QVERIFY(clickDay(view->calendarControl(), QStringLiteral("5")));
        f.store.appendReminder(QStringLiteral("2006/03/05"), QStringLiteral("Outro"), QString());
        // Shown again, the same window keeps the list of its last click.
        QCOMPARE(f.open(), view.data());
        QCOMPARE(f.listed(view), QStringList{"05/03/2006|Passado|-5 dias"});
        view->close();
        flushDeletes();
        frmpormes *fresh = f.open();
        QCOMPARE(fresh->selectedDay(), QDate(2006, 3, 10));
        QCOMPARE(f.listed(fresh), kToday);
    }
};

QTEST_MAIN(FrmPormesTest)
#include "tst_frmpormes.moc"
