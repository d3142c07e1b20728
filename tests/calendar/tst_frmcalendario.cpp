// The plain calendar window: a Dayboard over the whole client area, loaded
// through the control host, and still a window when the library is missing.

#include "forms/frmcalendario.h"
#include "hostdoubles.h"

#include <QLabel>
#include <QTemporaryDir>
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
    QList<ShownMessage> messages;
    auto platform = testPlatform(QStringLiteral(ALMANAQ_PROGRAM_DIR), &messages);
    auto *window = new frmcalendario(*platform);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("Calendário"));
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QWidget *calendar = window->findChild<QWidget *>(QStringLiteral("Dayboard1"));
    QVERIFY(calendar);
    QCOMPARE(window->Dayboard1(), calendar);
    QCOMPARE(calendar->mapTo(window, QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(calendar->size(), window->size());
    QCOMPARE(calendar->findChild<QLabel *>(QStringLiteral("TitMesAno"))->text(), QStringLiteral("Março 2006"));

    window->resize(496, 472);
    QTRY_COMPARE(calendar->size(), QSize(496, 472));
    QVERIFY(messages.isEmpty());
    window->close();
}

void FrmCalendarioTest::withoutTheLibraryTheWindowStillOpens()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QList<ShownMessage> messages;
    auto platform = testPlatform(folder.path(), &messages);
    frmcalendario window(*platform);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.Dayboard1(), nullptr);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].icon, runtime::MessageIcon::Critical);
}

QTEST_MAIN(FrmCalendarioTest)
#include "tst_frmcalendario.moc"
