#include "hostileserver.h"
#include "fixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <sys/resource.h>

// A calendar server that tries to take the password or the reminders elsewhere, to make this side touch what is not
// its collection, to flood or stall it, or to crash it with an object: the sync must give it nothing.
class tst_hostileserver : public QObject
{
    Q_OBJECT

    const QStringList m_both{"2026/03/10|Consulta", "2026/03/12|Dentista"};

private slots:
    void init() { m_device = std::make_unique<Device>(), m_device->add("2026/03/12", "Dentista"); }

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
        QTest::newRow("cinco redirecionamentos, o máximo") << "cinco" << "" << "/cal/" << "";
        QTest::newRow("301 na mesma origem, mesmo método") << "301" << "" << "/cal" << "";
    }
    void redirectsStayOnTheConfiguredOrigin()
    {
        QFETCH(QString, mode);
        QFETCH(QString, other);
        QFETCH(QString, path);
        QFETCH(QString, message);
        HostileServer elsewhere, server;
        QVERIFY(elsewhere.start("-"));
        QVERIFY(server.start(mode, other == "port" ? elsewhere.base() : other));
        const SyncOutcome outcome = m_device->sync(QUrl(server.base() + path));
        QVERIFY2(outcome.ok == message.isEmpty() && outcome.message.contains(message), qPrintable(outcome.message));
        QVERIFY2(other != "port" || outcome.message.contains(elsewhere.base()), qPrintable(outcome.message));
        QCOMPARE(elsewhere.log(), QStringList());
        const QStringList seen = server.log();
        QVERIFY2(seen.filter("localhost").isEmpty() && seen.filter("GET ").isEmpty() && (seen.size() <= 6 || outcome.ok),
                 qPrintable(seen.join('\n')));
        if (outcome.ok)
            QCOMPARE(m_device->reminders(), m_both);
    }

    void objectsOutsideTheCollectionAreNeverTouched_data()
    {
        QTest::addColumn<QString>("href");
        QTest::newRow("outra coleção") << "/other/evil.ics";
        QTest::newRow("ponto-ponto") << "/cal/../admin/x.ics";
        QTest::newRow("ponto-ponto codificado") << "/cal/%2e%2e/y.ics";
        QTest::newRow("ponto-ponto codificado acima da raiz") << "/%2e%2e%2fcal/w.ics";
        QTest::newRow("barra codificada") << "/cal/%2e%2e%2fadmin/w.ics";
        QTest::newRow("barra invertida") << "/cal/..%5cadmin/v.ics";
        QTest::newRow("endereço de outro servidor") << "OTHER/cal/z.ics";
    }
    void objectsOutsideTheCollectionAreNeverTouched()
    {
        QFETCH(QString, href);
        HostileServer elsewhere, server;
        QVERIFY(elsewhere.start("-"));
        QVERIFY(server.start("-", elsewhere.base(), href));
        const SyncOutcome first = m_device->sync(server.collection());
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(m_device->reminders(), m_both);
        QCOMPARE(first.message.count(href.replace("OTHER", elsewhere.base())), 1);

        // Removing everything here removes only what lies in the collection.
        m_device->run("delete from lembrete");
        QVERIFY(m_device->sync(server.collection()).ok);
        const QStringList removals = server.log().filter(QRegularExpression("^DELETE"));
        QCOMPARE(removals.size(), 2);
        QCOMPARE(removals.filter(QRegularExpression("^DELETE /cal/[a-z0-9@.-]+\\.ics ")), removals);
        QCOMPARE(elsewhere.log(), QStringList());
    }

    // What the server names is ours only below the collection, not the collection itself.
    void onlyHrefsBelowTheCollectionAreOurs()
    {
        const caldav::Collection collection(QUrl(QStringLiteral("http://127.0.0.1:5232/u/cal/")));
        const QList<bool> contained{collection.contains(collection.resolve("a.ics")), collection.contains(collection.resolve("/u/cal/"))};
        QCOMPARE(contained, (QList<bool>{true, false}));
    }

    // What a server lists without an ETag is fetched again at every sync; unchanged, it does not undo a
    // removal here, and a removal the server answers with 404 is done, not failed.
    void objectsWithoutETagAreFetchedAgain()
    {
        HostileServer server;
        QVERIFY(server.start("sem-etag"));
        QVERIFY(m_device->sync(server.collection()).ok);
        const SyncOutcome second = m_device->sync(server.collection());
        QVERIFY2(second.ok, qPrintable(second.message));
        QCOMPARE(m_device->reminders(), QStringList({"2026/03/10|Consulta 2", "2026/03/12|Dentista"}));
        m_device->run("delete from lembrete");
        const SyncOutcome removal = m_device->sync(server.collection());
        QVERIFY2(removal.ok && removal.removedThere == 2, qPrintable(removal.message));
        QCOMPARE(m_device->reminders(), QStringList());
    }

    // Answers that never end, drip, or are no multistatus end the sync quickly.
    void badAnswersEndTheSync_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("resposta sem fim") << "sem-fim" << "grande demais";
        QTest::newRow("um byte de cada vez") << "gotejando" << "mais de 2 segundos";
        QTest::newRow("página de erro") << "pagina" << "não é uma resposta multistatus";
        QTest::newRow("XML malformado") << "quebrado" << "XML malformado";
    }
    void badAnswersEndTheSync()
    {
        QFETCH(QString, mode);
        QFETCH(QString, message);
        HostileServer server;
        QVERIFY(server.start(mode));
        QElapsedTimer clock;
        clock.start();
        const SyncOutcome outcome = m_device->sync(server.collection(), {.timeLimitMs = 2000});
        QVERIFY2(!outcome.ok && outcome.message.contains(message), qPrintable(outcome.message));
        QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        QVERIFY2(usage.ru_maxrss < 400 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
    }

    // An object too deep to read is named once and not fetched again.
    void anUnreadableObjectIsSkippedAndRemembered()
    {
        HostileServer server;
        QVERIFY(server.start("fundo"));
        const SyncOutcome first = m_device->sync(server.collection());
        QVERIFY2(first.ok && first.message.count("fundo.ics") == 1, qPrintable(first.message));
        QCOMPARE(m_device->reminders(), m_both);
        const SyncOutcome second = m_device->sync(server.collection());
        QVERIFY2(second.ok && !second.message.contains("fundo.ics"), qPrintable(second.message));
        QCOMPARE(server.log().filter("REPORT").size(), 3);
    }

private:
    std::unique_ptr<Device> m_device;
};

QTEST_GUILESS_MAIN(tst_hostileserver)
#include "tst_hostileserver.moc"
