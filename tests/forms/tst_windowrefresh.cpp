// A reminder added by another run (lembrete --novo) shows in the open main
// window: the run tells the window's program over the single-instance socket.
#include "alerts/singleinstance.h"
#include "alerts/windowrefresh.h"
#include "formfixture.h"

#include <QDialog>
#include <QTemporaryDir>

class WindowRefreshTest : public QObject
{
    Q_OBJECT

private slots:
    void aReminderAddedElsewhereShowsInTheOpenWindow_data()
    {
        QTest::addColumn<bool>("questionOpen");
        QTest::newRow("at once") << false;
        QTest::newRow("after the open question closes") << true;
    }

    void aReminderAddedElsewhereShowsInTheOpenWindow()
    {
        QFETCH(bool, questionOpen);
        MainWindowFixture f({QStringLiteral("2006/03/10|Dentista")});
        f.window->show();
        QTemporaryDir runtimeFolder;
        alerts::SingleInstance running(runtimeFolder.path());
        QVERIFY(running.tryBecomeResident());
        alerts::WindowRefresh refresh([&f] { return f.window.get(); });
        connect(&running, &alerts::SingleInstance::reloadRequested, &refresh, &alerts::WindowRefresh::request);

        // A question of the window's own (in the middle of a save, say) holds the reload back.
        QDialog question(f.window.get());
        question.setWindowModality(Qt::ApplicationModal);
        if (questionOpen)
            question.show();

        {
            modgeral other(f.fake.platform());
            other.abrirbanco();
            QVERIFY(other.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("Feira"), QString()));
        }
        QVERIFY(alerts::SingleInstance(runtimeFolder.path()).tellChanged());
        if (questionOpen) {
            QTest::qWait(600);
            QCOMPARE(f.listed().size(), 1);
            question.close();
        }
        QTRY_COMPARE(f.listed(), (QStringList{"10/03/2006|Dentista|0 dias", "11/03/2006|Feira|1 dias"}));
    }

    void tellingWithoutARunningProgramReturnsAtOnce()
    {
        QTemporaryDir runtimeFolder;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!alerts::SingleInstance(runtimeFolder.path()).tellChanged());
        QVERIFY(timer.elapsed() < 500);
    }
};

QTEST_MAIN(WindowRefreshTest)
#include "tst_windowrefresh.moc"
