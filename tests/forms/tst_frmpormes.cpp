// The reminders-by-day view opened from the main window, with the calendar
// library loaded from the program's folder. Today is 10/03/2006.

#include "forms/frmpormes.h"
#include "runtime/windowmanager.h"

#include "formfixture.h"

#include <QLabel>
#include <QPointer>

namespace {

struct Fixture : MainWindowFixture
{
    Fixture() : MainWindowFixture(true)
    {
        const std::pair<const char *, const char *> reminders[] = {
            {"2006/03/05", "Passado"}, {"2006/03/10", "Hoje um"}, {"2006/03/10", "Hoje dois"},
            {"2006/03/11", "Amanhã"},  {"2006/04/02", "Abril"},
        };
        for (const auto &[day, title] : reminders)
            store.appendReminder(QLatin1String(day), QString::fromUtf8(title), QString());
    }

    frmpormes *open()
    {
        window->mnulembretesdata_Click();
        return fake.platform().windows().find<frmpormes>();
    }

    QTreeWidget *lstlista(frmpormes *view) const
    {
        return view->findChild<QTreeWidget *>(QStringLiteral("lstlista"));
    }

    QStringList listed(frmpormes *view) const
    {
        QStringList rows = listedRows(lstlista(view));
        rows.sort();
        return rows;
    }

    // Clicks the cell showing the given day number of the displayed month.
    bool clickDay(frmpormes *view, const QString &number) const
    {
        for (QLabel *cell : view->calendarControl()->findChildren<QLabel *>(QStringLiteral("Casa"))) {
            if (cell->text() == number) {
                QTest::mouseClick(cell, Qt::LeftButton);
                return true;
            }
        }
        return false;
    }
};

} // namespace

class FrmPormesTest : public QObject
{
    Q_OBJECT

private slots:
    void theViewOpensOnTodaysReminders();
    void clickingADayListsItsRemindersWithTheirDaysLeft();
    void aFailureAfterAClickIsReportedButNotAtLoad();
    void theViewIsOneWindowThatKeepsItsDayUntilClosed();
    void theViewOpensWithOrWithoutItsBackgroundPicture();
};

void FrmPormesTest::theViewOpensOnTodaysReminders()
{
    Fixture f;
    frmpormes *view = f.open();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->parentWidget(), f.window.get());
    QCOMPARE(view->selectedDay(), QDate(2006, 3, 10));
    QCOMPARE(f.listed(view), (QStringList{"10/03/2006|Hoje dois|0 dias", "10/03/2006|Hoje um|0 dias"}));
    QVERIFY(!f.lstlista(view)->accessibleName().isEmpty());
    QVERIFY(f.fake.messages->shown.isEmpty());
}

void FrmPormesTest::clickingADayListsItsRemindersWithTheirDaysLeft()
{
    Fixture f;
    if (!f.calendarCopied)
        QSKIP("The calendar library has not been built (target Almanaq).");
    frmpormes *view = f.open();
    QVERIFY(view->calendarControl());

    QVERIFY(f.clickDay(view, QStringLiteral("5")));
    QCOMPARE(f.listed(view), QStringList{"05/03/2006|Passado|-5 dias"});
    QVERIFY(f.clickDay(view, QStringLiteral("11")));
    QCOMPARE(f.listed(view), QStringList{"11/03/2006|Amanhã|1 dias"});
    // The same day again reloads rather than adds.
    QVERIFY(f.clickDay(view, QStringLiteral("11")));
    QCOMPARE(f.listed(view), QStringList{"11/03/2006|Amanhã|1 dias"});
    QVERIFY(f.clickDay(view, QStringLiteral("10")));
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 2);
    // A day without reminders empties the list.
    QVERIFY(f.clickDay(view, QStringLiteral("20")));
    QCOMPARE(view->selectedDay(), QDate(2006, 3, 20));
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 0);
    QVERIFY(f.fake.messages->shown.isEmpty());
}

void FrmPormesTest::aFailureAfterAClickIsReportedButNotAtLoad()
{
    Fixture f;
    if (!f.calendarCopied)
        QSKIP("The calendar library has not been built (target Almanaq).");
    // The view reads through the connection the program last opened.
    QVERIFY(QFile::remove(f.fake.databasePath()));
    f.store.abrirbanco();
    f.fake.messages->shown.clear();

    frmpormes *view = f.open();
    QVERIFY(view);
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 0);
    QVERIFY(f.fake.messages->shown.isEmpty());

    QVERIFY(f.clickDay(view, QStringLiteral("10")));
    QCOMPARE(f.fake.messages->shown.size(), 1);
    const RecordedMessage message = f.fake.messages->shown.constFirst();
    QCOMPARE(message.icon, runtime::MessageIcon::Critical);
    QCOMPARE(message.title, QStringLiteral("Erro"));
    QVERIFY2(message.text.startsWith(QStringLiteral("Ocorreu o seguinte erro: ")), qPrintable(message.text));
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 0);
}

void FrmPormesTest::theViewIsOneWindowThatKeepsItsDayUntilClosed()
{
    Fixture f;
    if (!f.calendarCopied)
        QSKIP("The calendar library has not been built (target Almanaq).");
    QPointer<frmpormes> view = f.open();
    QVERIFY(f.clickDay(view, QStringLiteral("5")));
    f.store.appendReminder(QStringLiteral("2006/03/05"), QStringLiteral("Outro"), QString());

    // Shown again, the same window keeps the list of its last click.
    QCOMPARE(f.open(), view.data());
    QCOMPARE(f.listed(view), QStringList{"05/03/2006|Passado|-5 dias"});
    QCOMPARE(f.fake.platform().windows().loaded().count(view.data()), 1);

    view->close();
    flushDeletes();
    QVERIFY(view.isNull());
    frmpormes *fresh = f.open();
    QCOMPARE(fresh->selectedDay(), QDate(2006, 3, 10));
    QCOMPARE(f.lstlista(fresh)->topLevelItemCount(), 2);

    // The main window takes it along when it closes.
    QPointer<frmpormes> last = fresh;
    f.window->show();
    QVERIFY(f.window->close());
    flushDeletes();
    QVERIFY(last.isNull());
}

void FrmPormesTest::theViewOpensWithOrWithoutItsBackgroundPicture()
{
    Fixture f;
    frmpormes *view = f.open();
    QVERIFY(view->picture().isNull());
    view->close();

    f.putPicture();
    QCOMPARE(f.open()->picture().size(), QSize(640, 480));
}

QTEST_MAIN(FrmPormesTest)
#include "tst_frmpormes.moc"
