// The about window, opened from the main window's menu and toolbar.

#include "buildconfig.h"
#include "forms/frmprincipal.h"
#include "forms/frmsobre.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

struct Fixture
{
    Fixture()
    {
        fake.createEmptyDatabase();
        window = std::make_unique<frmprincipal>(fake.platform(), store);
        fake.messages->shown.clear();
    }

    frmsobre *open()
    {
        window->mnusoftware_Click();
        return fake.platform().windows().find<frmsobre>();
    }

    void putPicture()
    {
        const QString picture = QFINDTESTDATA("../../app/resources/fundo.gif");
        QVERIFY(!picture.isEmpty());
        QVERIFY(QFile::copy(picture, fake.platform().programFile(QStringLiteral("fundo.gif"))));
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
    std::unique_ptr<frmprincipal> window;
};

QLabel *label(QWidget *window, const char *name)
{
    return window->findChild<QLabel *>(QLatin1String(name));
}

} // namespace

class FrmSobreTest : public QObject
{
    Q_OBJECT

private slots:
    void theWindowNamesTheProgramItsVersionAndItsAuthors();
    void theLinkOpensTheWebAddressAndSaysNothing();
    void theMenuAndTheToolbarShowTheSameWindowWithoutReloadingIt();
    void okUnloadsTheWindowAndTheNextShowingLoadsItAfresh();
};

void FrmSobreTest::theWindowNamesTheProgramItsVersionAndItsAuthors()
{
    Fixture f;
    frmsobre *about = f.open();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QCOMPARE(about->parentWidget(), f.window.get());
    QCOMPARE(about->windowTitle(), QStringLiteral("Sobre o software"));

    const QPixmap logo = label(about, "Image1")->pixmap();
    QCOMPARE(logo.size(), QSize(260, 88));
    QCOMPARE(label(about, "Label1")->text(), QStringLiteral("Sistema de lembretes"));
    QCOMPARE(label(about, "Label6")->text(), QStringLiteral("Versão 1.0"));
    QCOMPARE(label(about, "Label2")->text(), QStringLiteral("Desenvolvido por:"));
    QCOMPARE(label(about, "Label3")->text(), QStringLiteral("Equipe Zedozarir"));
    QVERIFY(!label(about, "Label4")->text().isEmpty());
    for (const char *bold : {"Label1", "Label6", "Label3", "Label5"})
        QVERIFY2(label(about, bold)->font().bold(), bold);
    QLabel *link = label(about, "Label5");
    QCOMPARE(link->text(), QString::fromUtf8(buildconfig::webAddress));
    QVERIFY(link->font().underline());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!link->accessibleName().isEmpty());
    QCOMPARE(about->findChild<QPushButton *>(QStringLiteral("cmdok"))->text(), QStringLiteral("OK"));

    // Top to bottom: logo, name, version, authors, notice, link, button.
    int previous = -1;
    for (const char *name : {"Picture1", "Label1", "Label6", "Label2", "Label3", "Label4", "Label5", "cmdok"}) {
        const int top = about->findChild<QWidget *>(QLatin1String(name))->mapTo(about, QPoint(0, 0)).y();
        QVERIFY2(top > previous, name);
        previous = top;
    }
}

void FrmSobreTest::theLinkOpensTheWebAddressAndSaysNothing()
{
    Fixture f;
    frmsobre *about = f.open();
    f.fake.shell->result = false; // no program for web addresses
    QTest::mouseClick(label(about, "Label5"), Qt::LeftButton);
    QCOMPARE(f.fake.shell->opened, QStringList{QString::fromUtf8(buildconfig::webAddress)});
    QTest::keyClick(label(about, "Label5"), Qt::Key_Return);
    QCOMPARE(f.fake.shell->opened.size(), 2);
    QVERIFY(f.fake.messages->shown.isEmpty());
    QVERIFY(about->isVisible());
}

void FrmSobreTest::theMenuAndTheToolbarShowTheSameWindowWithoutReloadingIt()
{
    Fixture f;
    f.putPicture();
    frmsobre *about = f.open();
    QCOMPARE(about->picture().size(), QSize(640, 480));

    // Had the window loaded again, it would now come up without its picture.
    QVERIFY(QFile::remove(f.fake.platform().programFile(QStringLiteral("fundo.gif"))));
    f.window->Toolbar_ButtonClick(QStringLiteral("sobre"));
    QCOMPARE(f.fake.platform().windows().find<frmsobre>(), about);
    QCOMPARE(f.open(), about);
    QVERIFY(!about->picture().isNull());
    QCOMPARE(f.fake.platform().windows().loaded().count(about), 1);
}

void FrmSobreTest::okUnloadsTheWindowAndTheNextShowingLoadsItAfresh()
{
    Fixture f;
    QPointer<frmsobre> about = f.open();
    QVERIFY(about->picture().isNull());
    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
    QVERIFY(!f.fake.platform().windows().find<frmsobre>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());

    f.putPicture();
    QPointer<frmsobre> fresh = f.open();
    QVERIFY(fresh);
    QCOMPARE(fresh->picture().size(), QSize(640, 480));

    f.window->show();
    QVERIFY(f.window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(fresh.isNull());
}

QTEST_MAIN(FrmSobreTest)
#include "tst_frmsobre.moc"
