// The plain calendar window: a Dayboard over the whole client area, loaded
// through the control host, and still a window when the library is missing.

#include "support/fakeplatform.h"
#include "forms/frmcalendario.h"

#include <almanaqlib.h>

#include <QFile>
#include <QLabel>
#include <QTest>

class FrmCalendarioTest : public QObject
{
    Q_OBJECT

private slots:
    void theWindowShowsOneCalendarOverItsClientArea();
    void withoutTheLibraryTheWindowStillOpens();
};

void FrmCalendarioTest::theWindowShowsOneCalendarOverItsClientArea()
{
    FakePlatform fake;
    QVERIFY(QFile::link(QStringLiteral(ALMANAQ_LIBRARY),
                        fake.folder() + QLatin1Char('/') + QLatin1String(almanaq::LibraryFileName)));
    frmcalendario window(fake.platform());
    window.setAttribute(Qt::WA_DeleteOnClose, false); // the test owns it
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Calendário"));
    QWidget *calendar = window.findChild<QWidget *>(QStringLiteral("Dayboard1"));
    QVERIFY(calendar);
    QCOMPARE(window.Dayboard1(), calendar);
    QCOMPARE(calendar->mapTo(&window, QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(calendar->size(), window.size());
    QCOMPARE(calendar->findChild<QLabel *>(QStringLiteral("TitMesAno"))->text(), QStringLiteral("Março 2006"));

    window.resize(496, 472);
    QTRY_COMPARE(calendar->size(), QSize(496, 472));
    QVERIFY(fake.messages->shown.isEmpty());
}

void FrmCalendarioTest::withoutTheLibraryTheWindowStillOpens()
{
    FakePlatform fake;
    frmcalendario window(fake.platform());
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.testAttribute(Qt::WA_WState_Visible));
    QCOMPARE(window.Dayboard1(), nullptr);
    QCOMPARE(fake.messages->shown.size(), 1);
    QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Critical);
}

QTEST_MAIN(FrmCalendarioTest)
#include "tst_frmcalendario.moc"
