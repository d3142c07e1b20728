// The about window, opened from the main window's menu and toolbar.

#include "buildconfig.h"
#include "forms/frmsobre.h"

#include "formfixture.h"

#include <QPointer>
#include <QPushButton>

namespace {

struct Fixture : MainWindowFixture
{
    frmsobre *open()
    {
        window->mnusoftware_Click();
        return loaded<frmsobre>();
    }
};

} // namespace

class FrmSobreTest : public QObject
{
    Q_OBJECT

private slots:
    void theLogoShowsAndTheLinkOpensTheWebAddressSayingNothing()
    {
        Fixture f;
        frmsobre *about = f.open();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->parentWidget(), f.window.get());
        QCOMPARE(about->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().size(), QSize(260, 88));
        QLabel *link = about->findChild<QLabel *>(QStringLiteral("Label5"));
        QCOMPARE(link->text(), QString::fromUtf8(buildconfig::webAddress));

        f.fake.shell->result = false; // no program for web addresses
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(f.fake.shell->opened, QStringList{QString::fromUtf8(buildconfig::webAddress)});
        QTest::keyClick(link, Qt::Key_Return);
        QCOMPARE(f.fake.shell->opened.size(), 2);
        QVERIFY(f.fake.messages->shown.isEmpty());
        QVERIFY(about->isVisible());
    }

    void theToolbarShowsTheSameWindowWithItsPictureAndOkUnloadsIt()
    {
        Fixture f;
        f.putPicture();
        QPointer<frmsobre> about = f.open();
        QCOMPARE(about->picture().size(), QSize(640, 480));
        f.window->Toolbar_ButtonClick(QStringLiteral("sobre"));
        QCOMPARE(f.loaded<frmsobre>(), about.data());
        QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
        flushDeletes();
        QVERIFY(about.isNull());
    }
};

QTEST_MAIN(FrmSobreTest)
#include "tst_frmsobre.moc"
