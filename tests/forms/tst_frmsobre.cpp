// The about window, opened from the main window's menu and toolbar.

#include "buildconfig.h"
#include "forms/frmsobre.h"
#include "runtime/windowmanager.h"

#include "formfixture.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

struct Fixture : MainWindowFixture
{
    frmsobre *open()
    {
        window->mnusoftware_Click();
        return fake.platform().windows().find<frmsobre>();
    }
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
    void theLogoShowsAndTheLinkOpensTheWebAddressSayingNothing();
    void theMenuAndTheToolbarShowTheSameWindowWithoutReloadingIt();
    void okUnloadsTheWindowAndTheNextShowingLoadsItAfresh();
};

void FrmSobreTest::theLogoShowsAndTheLinkOpensTheWebAddressSayingNothing()
{
    Fixture f;
    frmsobre *about = f.open();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->parentWidget(), f.window.get());
    QCOMPARE(label(about, "Image1")->pixmap().size(), QSize(260, 88));
    QLabel *link = label(about, "Label5");
    QCOMPARE(link->text(), QString::fromUtf8(buildconfig::webAddress));
    QVERIFY(!link->accessibleName().isEmpty());

    f.fake.shell->result = false; // no program for web addresses
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(f.fake.shell->opened, QStringList{QString::fromUtf8(buildconfig::webAddress)});
    QTest::keyClick(link, Qt::Key_Return);
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
    flushDeletes();
    QVERIFY(about.isNull());

    f.putPicture();
    QPointer<frmsobre> fresh = f.open();
    QVERIFY(fresh);
    QCOMPARE(fresh->picture().size(), QSize(640, 480));

    f.window->show();
    QVERIFY(f.window->close());
    flushDeletes();
    QVERIFY(fresh.isNull());
}

QTEST_MAIN(FrmSobreTest)
#include "tst_frmsobre.moc"
