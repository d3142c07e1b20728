// The reminders-by-day view opened from the main window, with the calendar
// library loaded from the program's folder. Today is 10/03/2006.

#include "forms/frmpormes.h"
#include "forms/frmprincipal.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

namespace {

// The calendar library as the build puts it in the program's folder, beside
// the tests' own build folder.
QString builtCalendarLibrary()
{
    return QStringLiteral(QT_TESTCASE_BUILDDIR "/../programa/libAlmanaq.so");
}

struct Fixture
{
    Fixture()
    {
        fake.createEmptyDatabase();
        calendarCopied = QFile::copy(builtCalendarLibrary(),
                                     fake.platform().programFile(QStringLiteral("libAlmanaq.so")));
        window = std::make_unique<frmprincipal>(fake.platform(), store);
        const std::pair<const char *, const char *> reminders[] = {
            {"2006/03/05", "Passado"},
            {"2006/03/10", "Hoje um"},
            {"2006/03/10", "Hoje dois"},
            {"2006/03/11", "Amanhã"},
            {"2006/04/02", "Abril"},
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
        QStringList rows;
        QTreeWidget *list = lstlista(view);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
        }
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

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
    bool calendarCopied = false;
};

} // namespace

class FrmPormesTest : public QObject
{
    Q_OBJECT

private slots:
    void theViewOpensOnTodaysRemindersInABoldListOfThreeColumns();
    void clickingADayListsItsRemindersWithTheirDaysLeft();
    void clickingADayWithoutRemindersEmptiesTheListSilently();
    void aFailureAfterAClickIsReportedButNotAtLoad();
    void theViewIsOneWindowThatKeepsItsDayUntilClosed();
    void theViewOpensWithOrWithoutItsBackgroundPicture();
};

void FrmPormesTest::theViewOpensOnTodaysRemindersInABoldListOfThreeColumns()
{
    Fixture f;
    frmpormes *view = f.open();
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QCOMPARE(view->parentWidget(), f.window.get());
    QCOMPARE(view->windowTitle(), QStringLiteral("Visualizar lembretes por mês"));
    QCOMPARE(view->selectedDay(), QDate(2006, 3, 10));
    QCOMPARE(f.listed(view), (QStringList{QStringLiteral("10/03/2006|Hoje dois|0 dias"),
                                          QStringLiteral("10/03/2006|Hoje um|0 dias")}));

    QTreeWidget *list = f.lstlista(view);
    QVERIFY(list->font().bold());
    QVERIFY(!list->accessibleName().isEmpty());
    const QTreeWidgetItem *header = list->headerItem();
    QCOMPARE(header->text(0), QStringLiteral("Data"));
    QCOMPARE(header->text(1), QStringLiteral("Título do lembrete"));
    QCOMPARE(header->text(2), QStringLiteral("Dias restantes"));
    QVERIFY(list->columnWidth(1) > list->columnWidth(0));
    QVERIFY(list->columnWidth(1) > list->columnWidth(2));
    QCOMPARE(view->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
             QStringLiteral("Clique na data acima a tabela ao lado será carregada com todos os "
                            "lembretes cadastrados para o dia selecionado"));
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
    QCOMPARE(f.listed(view), QStringList{QStringLiteral("05/03/2006|Passado|-5 dias")});
    QVERIFY(f.clickDay(view, QStringLiteral("11")));
    QCOMPARE(f.listed(view), QStringList{QStringLiteral("11/03/2006|Amanhã|1 dias")});
    // The same day again reloads rather than adds.
    QVERIFY(f.clickDay(view, QStringLiteral("11")));
    QCOMPARE(f.listed(view), QStringList{QStringLiteral("11/03/2006|Amanhã|1 dias")});
    QVERIFY(f.clickDay(view, QStringLiteral("10")));
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 2);
    QVERIFY(f.fake.messages->shown.isEmpty());
}

void FrmPormesTest::clickingADayWithoutRemindersEmptiesTheListSilently()
{
    Fixture f;
    if (!f.calendarCopied)
        QSKIP("The calendar library has not been built (target Almanaq).");
    frmpormes *view = f.open();
    QCOMPARE(f.lstlista(view)->topLevelItemCount(), 2);
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
    QCOMPARE(f.listed(view), QStringList{QStringLiteral("05/03/2006|Passado|-5 dias")});
    QCOMPARE(f.fake.platform().windows().loaded().count(view.data()), 1);

    view->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(view.isNull());
    frmpormes *fresh = f.open();
    QCOMPARE(fresh->selectedDay(), QDate(2006, 3, 10));
    QCOMPARE(f.lstlista(fresh)->topLevelItemCount(), 2);

    // The main window takes it along when it closes.
    QPointer<frmpormes> last = fresh;
    f.window->show();
    QVERIFY(f.window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(last.isNull());
}

void FrmPormesTest::theViewOpensWithOrWithoutItsBackgroundPicture()
{
    Fixture f;
    frmpormes *view = f.open();
    QVERIFY(view->picture().isNull());
    view->close();

    const QString picture = QFINDTESTDATA("../../app/resources/fundo.gif");
    QVERIFY(!picture.isEmpty());
    QVERIFY(QFile::copy(picture, f.fake.platform().programFile(QStringLiteral("fundo.gif"))));
    QCOMPARE(f.open()->picture().size(), QSize(640, 480));
}

QTEST_MAIN(FrmPormesTest)
#include "tst_frmpormes.moc"
