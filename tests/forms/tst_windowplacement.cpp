// Windows that open where they were left and stay on screen; dialogs that open
// over the window that opened them and answer Enter and Escape; the about
// window's link and the command icons.
#include "buildconfig.h"
#include "forms/commandicons.h"
#include "runtime/windowplacement.h"

#include "formfixture.h"

#include <QScreen>

namespace {

QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }
QRect placeOf(const QWidget &window) { return {window.pos(), window.size()}; }

} // namespace

class WindowPlacementTest : public QObject
{
    Q_OBJECT

private slots:
    // Inside, below the bottom, mostly on the second screen, on no screen any more, larger than the screen.
    void aPlaceIsKeptWhollyOnTheScreenItMostlyLiesOn()
    {
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        const QList<std::pair<QRect, QRect>> cases{{{100, 100, 545, 435}, {100, 100, 545, 435}},
                                                   {{100, 900, 545, 435}, {100, 645, 545, 435}},
                                                   {{1800, 500, 545, 435}, {1920, 500, 545, 435}},
                                                   {{5000, -900, 545, 435}, {1375, 0, 545, 435}},
                                                   {{-10, 0, 2500, 1200}, {0, 0, 1920, 1080}}};
        for (const auto &[wanted, kept] : cases)
            QCOMPARE(runtime::windowplacement::keptOnScreen(wanted, screens), kept);
    }

    void theMainWindowOpensWhereItWasLeftWhollyOnScreen_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QPoint>("position"); // from the screen area's top left; -1,-1 its bottom right
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
            ? screen.bottomRight() - QPoint(size.width(), size.height()) + QPoint(1, 1) : screen.topLeft() + position;
        QCOMPARE(placeOf(window), QRect(topLeft, size));
        QVERIFY(exposed(&window));
        window.move(screen.topLeft() + QPoint(25, 35));
        window.close();
        QCOMPARE(runtime::windowplacement::parse(settings::read(f.fake.platform().settings(), settings::keys::JanelaPrincipal)),
                 QRect(screen.topLeft() + QPoint(25, 35), size));
    }

    // Each window is loaded once however often it is shown, unloaded when
    // closed (by Escape too), and taken along when the main window closes;
    // Enter typed in a box presses the default button. One not centred opens
    // where it was left.
    void dialogsOpenCentredOverTheirWindowAndWhollyOnScreen_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::addColumn<bool>("centred"); // else where it was left
        QTest::addColumn<bool>("escape");  // Escape closes it
        QTest::addColumn<QStringList>("enter"); // "box=text" typed, the last box Enter, then what shows
        QTest::newRow("editor") << &openWith<frmlembretesys, &frmprincipal::mnunovo_Click> << true << false
                                << QStringList{"txttitulo=", "O campo título é de preenchimento obrigatório!"};
        QTest::newRow("preferences") << &openWith<frmpreferencias, &frmprincipal::mnupreferencias_Click> << true << true << QStringList();
        QTest::newRow("search") << &openWith<frmprocurar, &frmprincipal::mnuprocurar_Click> << true << true << QStringList();
        QTest::newRow("day calculator") << &openWith<frmcalculardias, &frmprincipal::mnudias_Click> << true << true
                                        << QStringList{"txtinicio=01/03/2006", "txtfim=11/03/2006", "10 dias"};
        QTest::newRow("about") << &openWith<frmsobre, &frmprincipal::mnusoftware_Click> << true << true << QStringList();
        QTest::newRow("calendar") << &openWith<frmcalendario, &frmprincipal::mnucalendario_Click> << true << true << QStringList();
        QTest::newRow("by-day view") << &openWith<frmpormes, &frmprincipal::mnulembretesdata_Click> << false << true << QStringList();
    }

    void dialogsOpenCentredOverTheirWindowAndWhollyOnScreen()
    {
        QFETCH(Opener, open);
        QFETCH(bool, centred);
        QFETCH(bool, escape);
        QFETCH(QStringList, enter);
        MainWindowFixture f({}, true);
        const QRect screen = screenArea();
        f.window->move(screen.topLeft() + QPoint(60, 40));
        QPointer<QWidget> dialog = open(f);
        QVERIFY(dialog);
        if (centred)
            QCOMPARE(placeOf(*dialog).center(), placeOf(*f.window).center());
        QCOMPARE(open(f), dialog.data());
        QCOMPARE(f.fake.platform().windows().loaded().count(dialog.data()), 1);
        showActive(*dialog);
        if (!enter.isEmpty()) {
            QLineEdit *box = nullptr;
            for (const QString &typed : enter.mid(0, enter.size() - 1)) {
                QVERIFY2((box = dialog->findChild<QLineEdit *>(typed.section(u'=', 0, 0))), qPrintable(typed));
                box->setText(typed.section(u'=', 1));
            }
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
            const auto *result = child<QLineEdit>(dialog, "txtdias");
            QCOMPARE(f.fake.messages->shown.isEmpty() ? result->text() : f.onlyMessage().text, enter.constLast());
        }
        const QRect left(screen.topLeft() + QPoint(30, 20), dialog->size() + QSize(60, 40));
        dialog->resize(left.size());
        dialog->move(left.topLeft());
        if (escape) {
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog.data(), Qt::Key_Escape);
        } else {
            dialog->close();
        }
        flushDeletes();
        QVERIFY(dialog.isNull());

        // Near the screen's bottom right corner the dialog is moved onto it.
        f.window->move(screen.bottomRight() - QPoint(100, 80));
        dialog = open(f);
        if (!centred)
            QCOMPARE(placeOf(*dialog), left);
        QVERIFY2(screen.contains(placeOf(*dialog)), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(dialog->x()).arg(dialog->y()).arg(dialog->width()).arg(dialog->height())));
        f.window->setAttribute(Qt::WA_DeleteOnClose, false);
        f.window->show();
        QVERIFY(f.window->close());
        flushDeletes();
        QVERIFY(dialog.isNull());
    }

    // The link opens the web address, saying nothing when nothing can open it.
    void theAboutWindowsLinkOpensTheWebAddress()
    {
        MainWindowFixture f;
        f.window->mnusoftware_Click();
        QPointer<frmsobre> about = f.loaded<frmsobre>();
        QVERIFY(about && about->isVisible());
        QLabel *link = child<QLabel>(about, "Label5");
        f.fake.shell->result = false;
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::keyClick(link, Qt::Key_Return);
        QCOMPARE(f.fake.shell->opened, QStringList(2, QString::fromUtf8(buildconfig::webAddress)));
        QVERIFY(f.fake.messages->shown.isEmpty() && about->isVisible());
    }

    // Without an icon theme: the program's own pictures, each showing a light
    // drawing on its square and no two alike.
    void everyCommandShowsItsOwnPictureWithoutATheme()
    {
        QIcon::setThemeName(QString());
        QIcon::setThemeSearchPaths({});
        QList<QImage> seen;
        for (const char *name : {"novo", "editar", "remover", "sair", "software", "site", "html", "txt", "imprimir",
                                 "preferencias"}) {
            const QImage picture = commandIcon(QLatin1String(name)).pixmap(16, 16).toImage();
            int light = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x)
                    light += picture.pixelColor(x, y).lightness() > 170 && picture.pixelColor(x, y).alpha() > 200;
            }
            QVERIFY2(!picture.isNull() && light >= 6 && !seen.contains(picture), name);
            seen << picture;
        }
        QCOMPARE(commandIcon(QStringLiteral("sobre")).pixmap(16, 16).toImage(), seen[4]);
        QVERIFY(commandIcon(QStringLiteral("nada")).isNull());
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
