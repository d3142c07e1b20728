#include "exchange/caldavclient.h"
#include "exchange/syncengine.h"
#include "hostileserver.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTest>

#include <sys/resource.h>

// A calendar server that tries to take the password or the reminders
// elsewhere, to make this side touch what is not its collection, to flood or
// stall it, or to crash it with an object: the sync must give it nothing.
class tst_hostileserver : public QObject
{
    Q_OBJECT

    struct Device
    {
        Device()
        {
            fake.createEmptyDatabase();
            store.abrirbanco();
            store.appendReminder(QStringLiteral("2026/03/12"), QStringLiteral("Dentista"), QString());
        }
        QStringList reminders() const
        {
            QStringList rows;
            QSqlQuery query(QStringLiteral("select data || '|' || titulo from lembrete order by 1"),
                            store.connection());
            while (query.next())
                rows.append(query.value(0).toString());
            return rows;
        }
        SyncOutcome sync(const QUrl &collection, int timeLimitMs = 120000)
        {
            caldav::Client client({collection, QStringLiteral("zedo"), QStringLiteral("segredo")}, 10000);
            client.setRequestTimeLimit(timeLimitMs);
            SyncEngine engine(store.connection(), client, collection.toString(), QDate(2026, 3, 10),
                              QDateTime(QDate(2026, 3, 10), QTime(9, 0)));
            return engine.run();
        }
        FakePlatform fake;
        modgeral store{fake.platform()};
    };

private slots:
    void redirectsStayOnTheConfiguredOrigin_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("other"); // where the server sends the client: "port", "localhost"
        QTest::addColumn<QString>("path");  // of the collection as configured
        QTest::addColumn<QString>("message");
        QTest::newRow("307 para outra porta") << "307" << "port" << "/cal/" << "outro endereço";
        QTest::newRow("308 para outro nome") << "308" << "localhost" << "/cal/" << "http://localhost:";
        QTest::newRow("PUT para outra porta") << "put" << "port" << "/cal/" << "outro endereço";
        QTest::newRow("laço de redirecionamentos") << "laco" << "" << "/cal/" << "mais de 5 vezes";
        QTest::newRow("301 na mesma origem, mesmo método") << "301" << "" << "/cal" << "";
    }
    void redirectsStayOnTheConfiguredOrigin()
    {
        QFETCH(QString, mode);
        QFETCH(QString, other);
        QFETCH(QString, path);
        QFETCH(QString, message);
        HostileServer elsewhere;
        QVERIFY(elsewhere.start(QStringLiteral("-")));
        HostileServer server;
        QVERIFY(server.start(mode, other == QLatin1String("port") ? elsewhere.base() : other));
        Device device;
        const SyncOutcome outcome = device.sync(QUrl(server.base() + path));

        QVERIFY2(outcome.ok == message.isEmpty(), qPrintable(outcome.message));
        QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        if (other == QLatin1String("port"))
            QVERIFY2(outcome.message.contains(elsewhere.base()), qPrintable(outcome.message));
        QCOMPARE(elsewhere.log(), QStringList());
        const QStringList seen = server.log();
        QVERIFY2(seen.filter(QStringLiteral("localhost")).isEmpty(), qPrintable(seen.join('\n')));
        QVERIFY2(seen.filter(QStringLiteral("GET ")).isEmpty(), qPrintable(seen.join('\n')));
        QVERIFY2(seen.size() <= 6 || outcome.ok, qPrintable(seen.join('\n')));
        if (outcome.ok)
            QCOMPARE(device.reminders(), QStringList({"2026/03/10|Consulta", "2026/03/12|Dentista"}));
    }

    void objectsOutsideTheCollectionAreNeverTouched_data()
    {
        QTest::addColumn<QString>("href");
        QTest::newRow("outra coleção") << "/other/evil.ics";
        QTest::newRow("ponto-ponto") << "/cal/../admin/x.ics";
        QTest::newRow("ponto-ponto codificado") << "/cal/%2e%2e/y.ics";
        QTest::newRow("barra codificada") << "/cal/%2e%2e%2fadmin/w.ics";
        QTest::newRow("barra invertida") << "/cal/..%5cadmin/v.ics";
        QTest::newRow("endereço de outro servidor") << "OTHER/cal/z.ics";
    }
    void objectsOutsideTheCollectionAreNeverTouched()
    {
        QFETCH(QString, href);
        HostileServer elsewhere;
        QVERIFY(elsewhere.start(QStringLiteral("-")));
        HostileServer server;
        QVERIFY(server.start(QStringLiteral("-"), elsewhere.base(), href));
        href.replace(QStringLiteral("OTHER"), elsewhere.base());
        Device device;

        const SyncOutcome first = device.sync(server.collection());
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(device.reminders(), QStringList({"2026/03/10|Consulta", "2026/03/12|Dentista"}));
        QCOMPARE(first.message.count(href), 1);

        // Removing everything here removes only what lies in the collection.
        QSqlQuery(QStringLiteral("delete from lembrete"), device.store.connection());
        QVERIFY(device.sync(server.collection()).ok);
        const QStringList removals = server.log().filter(QRegularExpression(QStringLiteral("^DELETE")));
        QCOMPARE(removals.size(), 2);
        QCOMPARE(removals.filter(QRegularExpression(QStringLiteral("^DELETE /cal/[a-z0-9@.-]+\\.ics "))), removals);
        QCOMPARE(elsewhere.log(), QStringList());
    }

    void endlessOrDrippingAnswersEndTheSync_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("resposta sem fim") << "sem-fim" << "grande demais";
        QTest::newRow("um byte de cada vez") << "gotejando" << "mais de 2 segundos";
    }
    void endlessOrDrippingAnswersEndTheSync()
    {
        QFETCH(QString, mode);
        QFETCH(QString, message);
        HostileServer server;
        QVERIFY(server.start(mode));
        Device device;
        QElapsedTimer clock;
        clock.start();
        const SyncOutcome outcome = device.sync(server.collection(), 2000);
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        QVERIFY2(usage.ru_maxrss < 400 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
    }

    void anUnreadableObjectIsSkippedAndRemembered()
    {
        HostileServer server;
        QVERIFY(server.start(QStringLiteral("fundo")));
        Device device;
        const SyncOutcome first = device.sync(server.collection());
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(first.message.count(QStringLiteral("fundo.ics")), 1);
        QCOMPARE(device.reminders(), QStringList({"2026/03/10|Consulta", "2026/03/12|Dentista"}));

        const SyncOutcome second = device.sync(server.collection());
        QVERIFY2(second.ok, qPrintable(second.message));
        QVERIFY2(!second.message.contains(QStringLiteral("fundo.ics")), qPrintable(second.message));
        QCOMPARE(server.log().filter(QStringLiteral("REPORT")).size(), 3); // fetched once
    }
};

QTEST_GUILESS_MAIN(tst_hostileserver)
#include "tst_hostileserver.moc"
