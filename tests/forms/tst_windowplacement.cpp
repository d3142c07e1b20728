// Windows that grow, open where they were left and stay on screen; dialogs
// that open over the window that opened them.

#include "forms/frmcalculardias.h"
#include "forms/frmcalendario.h"
#include "forms/frmlembretesys.h"
#include "forms/frmpormes.h"
#include "forms/frmpreferencias.h"
#include "forms/frmprocurar.h"
#include "forms/frmsobre.h"
#include "runtime/windowplacement.h"
#include "settings/settingsstore.h"

#include "formfixture.h"

#include <QHeaderView>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

using runtime::windowplacement::keptOnScreen;

namespace {

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect placeOf(const QWidget &window)
{
    return {window.pos(), window.size()};
}

} // namespace

class WindowPlacementTest : public QObject
{
    Q_OBJECT

private slots:
    void aPlaceIsKeptWhollyOnTheScreenItMostlyLiesOn_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("kept");
        QTest::newRow("inside") << QRect(100, 100, 545, 435) << QRect(100, 100, 545, 435);
        QTest::newRow("below the bottom") << QRect(100, 900, 545, 435) << QRect(100, 645, 545, 435);
        QTest::newRow("mostly on the second") << QRect(1800, 500, 545, 435) << QRect(1920, 500, 545, 435);
        QTest::newRow("on no screen any more") << QRect(5000, -900, 545, 435) << QRect(1375, 0, 545, 435);
        QTest::newRow("larger than the screen") << QRect(-10, 0, 2500, 1200) << QRect(0, 0, 1920, 1080);
    }

    void aPlaceIsKeptWhollyOnTheScreenItMostlyLiesOn()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, kept);
        QCOMPARE(keptOnScreen(wanted, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}), kept);
    }

    void theMainWindowGrowsWithItsListButNeverBelowItsDesign()
    {
        MainWindowFixture f({"2006/03/12|Um título bem comprido que não cabia na coluna"});
        frmprincipal &window = *f.window;
        const QSize designed = window.size();
        QCOMPARE(window.minimumSize(), designed);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTreeView *list = window.list();
        const QRect listBefore = list->geometry();
        const int titleBefore = list->columnWidth(1);
        window.resize(designed + QSize(200, 150));
        QTRY_COMPARE(list->geometry(), listBefore.adjusted(0, 0, 200, 150));
        QCOMPARE(list->columnWidth(1), titleBefore + 200);
        auto *bar = window.findChild<QProgressBar *>(QStringLiteral("barraprogresso"));
        QCOMPARE(bar->geometry().bottom(), list->parentWidget()->height() - 1);
        QCOMPARE(bar->width(), list->width());
        window.resize(300, 200);
        QTRY_COMPARE(window.size(), designed);
        QTRY_COMPARE(list->geometry(), listBefore);
    }

    void theMainWindowOpensWhereItWasLeftWhollyOnScreen_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QPoint>("position"); // from the screen area's top left
        QTest::addColumn<QSize>("grown");     // beyond the designed size
        QTest::newRow("where it was left") << "40,30,700,520" << QPoint(40, 30) << QSize(700, 520);
        QTest::newRow("below and right of the screen") << "9000,9000,700,520" << QPoint(-1, -1) << QSize(700, 520);
        QTest::newRow("smaller than designed") << "10,20,100,100" << QPoint(10, 20) << QSize();
    }

    void theMainWindowOpensWhereItWasLeftWhollyOnScreen()
    {
        QFETCH(QString, remembered);
        QFETCH(QPoint, position);
        QFETCH(QSize, grown);
        const QRect screen = screenArea();
        MainWindowFixture f;
        settings::write(f.fake.platform().settings(), settings::keys::JanelaPrincipal, remembered);
        frmprincipal window(f.fake.platform(), f.store);
        const QSize size = grown.isValid() ? grown : f.window->size();
        const QPoint topLeft = position == QPoint(-1, -1)
            ? screen.bottomRight() - QPoint(size.width(), size.height()) + QPoint(1, 1)
            : screen.topLeft() + position;
        QCOMPARE(placeOf(window), QRect(topLeft, size));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.move(screen.topLeft() + QPoint(25, 35));
        window.close();
        QCOMPARE(runtime::windowplacement::parse(
                     settings::read(f.fake.platform().settings(), settings::keys::JanelaPrincipal)),
                 QRect(screen.topLeft() + QPoint(25, 35), size));
    }

    void theByDayViewGrowsItsListAndOpensWhereItWasLeft()
    {
        MainWindowFixture f;
        f.window->move(screenArea().topLeft());
        f.window->mnulembretesdata_Click();
        frmpormes *view = f.loaded<frmpormes>();
        QVERIFY(view);
        auto *list = view->findChild<QTreeView *>(QStringLiteral("lstlista"));
        const int listWidth = list->width();
        const QRect left(screenArea().topLeft() + QPoint(30, 20), view->size() + QSize(60, 40));
        view->resize(left.size());
        view->move(left.topLeft());
        QTRY_COMPARE(list->width(), listWidth + 60);
        view->close();
        flushDeletes();
        f.window->mnulembretesdata_Click();
        QCOMPARE(placeOf(*f.loaded<frmpormes>()), left);
    }

    void dialogsOpenCentredOverTheirWindowAndWhollyOnScreen_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::newRow("editor") << &openWith<frmlembretesys, &frmprincipal::mnunovo_Click>;
        QTest::newRow("preferences") << &openWith<frmpreferencias, &frmprincipal::mnupreferencias_Click>;
        QTest::newRow("search") << &openWith<frmprocurar, &frmprincipal::mnuprocurar_Click>;
        QTest::newRow("day calculator") << &openWith<frmcalculardias, &frmprincipal::mnudias_Click>;
        QTest::newRow("about") << &openWith<frmsobre, &frmprincipal::mnusoftware_Click>;
        QTest::newRow("calendar") << &openWith<frmcalendario, &frmprincipal::mnucalendario_Click>;
    }

    // Each window is also loaded once however often it is shown, unloaded
    // when closed, and taken along when the main window closes.
    void dialogsOpenCentredOverTheirWindowAndWhollyOnScreen()
    {
        QFETCH(Opener, open);
        MainWindowFixture f;
        const QRect screen = screenArea();
        f.window->move(screen.topLeft() + QPoint(60, 40));
        QPointer<QWidget> dialog = open(f);
        QVERIFY(dialog);
        QCOMPARE(placeOf(*dialog).center(), placeOf(*f.window).center());
        QCOMPARE(open(f), dialog.data());
        QCOMPARE(f.fake.platform().windows().loaded().count(dialog.data()), 1);
        dialog->close();
        flushDeletes();
        QVERIFY(dialog.isNull());

        // Near the screen's bottom right corner the dialog is moved onto it.
        f.window->move(screen.bottomRight() - QPoint(100, 80));
        dialog = open(f);
        QVERIFY2(screen.contains(placeOf(*dialog)), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(dialog->x()).arg(dialog->y()).arg(dialog->width()).arg(dialog->height())));
        f.window->setAttribute(Qt::WA_DeleteOnClose, false);
        f.window->show();
        QVERIFY(f.window->close());
        flushDeletes();
        QVERIFY(dialog.isNull());
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
