#include "store/reminderindexes.h"
#include "store/remindersearch.h"
#include "store/searchindex.h"
#include "store/startupwork.h"
#include "storefixture.h"
#include "support/startupfiles.h"

class StartupWorkTest : public QObject
{
    Q_OBJECT

private slots:
    void aChangeBeforeTheCheckHasEndedWaitsForIt_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("checkStarted");
        QTest::newRow("sound, check not yet started") << false << false;
        QTest::newRow("sound, check running") << false << true;
        QTest::newRow("damaged, check not yet started") << true << false;
        QTest::newRow("damaged, check running") << true << true;
    }

    // The window's start: nothing is written or told before the check; a
    // change then waits for it and goes in only on a sound file.
    void aChangeBeforeTheCheckHasEndedWaitsForIt()
    {
        QFETCH(bool, damaged);
        QFETCH(bool, checkStarted);
        FakePlatform fake;
        QVERIFY(writeFile(fake.databasePath(), startupfiles::reminders(3000, damaged)));
        const QByteArray before = fileBytes(fake.databasePath());
        modgeral store(fake.platform());
        store.deferStartupWork();
        store.abrirbanco();
        QVERIFY(store.isOpen() && !store.isReadOnly() && fake.messages->shown.isEmpty());
        QCOMPARE(fileBytes(fake.databasePath()), before);
        if (checkStarted) {
            store.continueStartupWork();
            QCOMPARE(store.startupWork().stage(), StartupWork::Stage::Checking);
        }

        QCOMPARE(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()), !damaged);
        QCOMPARE(store.isReadOnly(), damaged);
        QCOMPARE(fake.messages->shown.size(), damaged ? 1 : 0);
        if (damaged) {
            QVERIFY2(store.lastError().contains(QStringLiteral("somente para leitura")), qPrintable(store.lastError()));
            QVERIFY(fake.messages->shown[0].text.contains(QStringLiteral("está danificado")));
            QCOMPARE(fileBytes(fake.databasePath()), before);
        } else {
            QCOMPARE(rowsIn(fake.databasePath(), "select count(*) from lembrete where titulo = 'novo'"), QStringList{"1"});
        }
    }

    // Built in steps while others write: rows added, edited and removed on
    // both sides of the step's mark are all indexed exactly once.
    void rowsChangedWhileTheSearchIndexIsBuiltAreFoundAsTheyAre()
    {
        FakePlatform fake;
        QVERIFY(writeFile(fake.databasePath(), startupfiles::reminders(12000, false)));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("construcao"));
        db.setDatabaseName(fake.databasePath());
        QVERIFY(db.open());
        StepGate gate;
        int steps = 0;
        QString failed;
        const bool built = reminderindexes::build(db, gate, [&](int) {
            if (!searchindex::exists(db) || steps >= 6)
                return;
            ++steps;
            const QString n = QString::number(steps);
            startupfiles::asAnotherProgram(
                fake.databasePath(),
                {QStringLiteral("insert into lembrete (data, titulo, descricao) values ('2006/03/10', 'Novo%1', 'x')").arg(n),
                 QStringLiteral("update lembrete set descricao = 'baixo%1' where id = %2").arg(n).arg(steps * 3),
                 QStringLiteral("update lembrete set descricao = 'alto%1' where id = %2").arg(n).arg(8000 + steps),
                 QStringLiteral("delete from lembrete where id in (%1, %2)").arg(100 + steps).arg(8500 + steps)},
                &failed);
        });
        QVERIFY2(built && failed.isEmpty(), qPrintable(failed));
        QVERIFY(steps >= 3); // the changes fell between several steps
        QVERIFY(searchindex::complete(db));
        // Against the table too (rank 1): every row indexed once, as it is now.
        QSqlQuery check(db);
        QVERIFY2(check.exec(QStringLiteral("insert into lembrete_busca (lembrete_busca, rank) values ('integrity-check', 1)")),
                 qPrintable(check.lastError().text()));
        QStringList results;
        for (const char *typed : {"novo2", "baixo1", "alto2", "lembrete 0100", "lembrete 8500", "lembrete 0099"})
            results << listed(db, remindersearch::statement(remindersearch::words(QString::fromLatin1(typed)))).join(u',');
        QCOMPARE(results, (QStringList{"Novo2", "Lembrete 0002", "Lembrete 8001", "", "", "Lembrete 0099"}));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("construcao"));
    }
};

QTEST_MAIN(StartupWorkTest)
#include "tst_startupwork.moc"
