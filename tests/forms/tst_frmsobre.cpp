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

    void theMenuAndToolbarShowOneWindowThatOkUnloads()
    {
        Fixture f;
        f.putPicture();
        QPointer<frmsobre> about = f.open();
        QCOMPARE(about->picture().size(), QSize(640, 480));

        // Had the window loaded again, it would now come up without its picture.
        QVERIFY(QFile::remove(f.fake.platform().programFile(QStringLiteral("fundo.gif"))));
        f.window->Toolbar_ButtonClick(QStringLiteral("sobre"));
        QCOMPARE(f.loaded<frmsobre>(), about.data());
        QCOMPARE(f.open(), about.data());
        QVERIFY(!about->picture().isNull());
        QCOMPARE(f.fake.platform().windows().loaded().count(about), 1);

        QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("cmdok")), Qt::LeftButton);
        QVERIFY(!f.loaded<frmsobre>());
        flushDeletes();
        QVERIFY(about.isNull());
        QPointer<frmsobre> fresh = f.open();
        QVERIFY(fresh->picture().isNull());

        f.window->show();
        QVERIFY(f.window->close());
        flushDeletes();
        QVERIFY(fresh.isNull());
    }
};

QTEST_MAIN(FrmSobreTest)
#include "tst_frmsobre.moc"
