#include "exchange/caldavclient.h"
#include "exchange/passwordvault.h"
#include "exchange/synccommand.h"
#include "exchange/syncengine.h"
#include "exchange/syncsettings.h"
#include "radicaleserver.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTextStream>

#include <ctime>

namespace {

class FakeVault final : public PasswordVault
{
public:
    bool read(const QString &, QString *value, QString *error) override
    {
        if (password.isEmpty()) {
            *error = QStringLiteral("nenhuma senha guardada para esta conta");
            return false;
        }
        *value = password;
        return true;
    }
    bool write(const QString &, const QString &value, QString *) override
    {
        password = value;
        return true;
    }
    QString password;
};

// One device: a reminder database of its own.
struct Device
{
    Device()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
    }
    QSqlDatabase db() const { return store.connection(); }
    void add(const QString &day, const QString &title)
    {
        QVERIFY(store.appendReminder(day, title, QStringLiteral("")));
    }
    void run(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery query(db());
        QVERIFY(query.prepare(sql));
        for (const QVariant &value : values)
            query.addBindValue(value);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    }
    QString uidOf(const QString &title) const
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("select uid from lembrete where titulo = ?"));
        query.addBindValue(title);
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }
    // "yyyy/mm/dd|title", sorted.
    QStringList reminders() const
    {
        QStringList rows;
        QSqlQuery query(QStringLiteral("select data || '|' || titulo from lembrete"), db());
        while (query.next())
            rows.append(query.value(0).toString());
        rows.sort();
        return rows;
    }
    // Everything the database holds, to prove a failed sync changed nothing.
    QStringList everything() const
    {
        QStringList rows = reminders();
        QSqlQuery query(QStringLiteral("select href || etag || coalesce(chave, '') || conteudo from sincronia "
                                       "union all select nome || valor from sincronia_conta "
                                       "union all select coalesce(uid, '') from lembrete"),
                        db());
        while (query.next())
            rows.append(query.value(0).toString());
        rows.sort();
        return rows;
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
};

struct Options
{
    QString password = QLatin1String(RadicaleServer::password);
    QUrl collection;
    bool useSyncCollection = true;
    int batch = 200;
    int timeoutMs = 10000;
    SyncEngine::Progress progress;
};

} // namespace

class tst_caldavsync : public QObject
{
    Q_OBJECT

private:
    RadicaleServer m_server;
    int m_collections = 0;

    SyncOutcome sync(Device &device, const Options &options = {})
    {
        const QUrl collection = options.collection.isEmpty() ? m_server.collection() : options.collection;
        caldav::Client client({collection, QLatin1String(RadicaleServer::user), options.password},
                              options.timeoutMs);
        SyncEngine engine(device.db(), client, collection.toString(), QDate(2026, 3, 10),
                          QDateTime(QDate(2026, 3, 10), QTime(9, 0)), options.progress);
        engine.setBatchSize(options.batch);
        engine.setUseSyncCollection(options.useSyncCollection);
        return engine.run();
    }
    // "yyyy/mm/dd|summary" of every event on the server, sorted.
    QStringList serverReminders() const
    {
        QStringList rows;
        const QString listed = m_server.client({QStringLiteral("list")});
        for (const QString &line : listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(QLatin1Char('|'));
            rows.append(parts.value(1).left(4) + QLatin1Char('/') + parts.value(1).mid(4, 2) + QLatin1Char('/')
                        + parts.value(1).mid(6, 2) + QLatin1Char('|') + parts.value(2));
        }
        rows.sort();
        return rows;
    }

private slots:
    void initTestCase()
    {
        // Times in a zone are shown in the user's; the tests' user is in São Paulo.
        qputenv("TZ", "America/Sao_Paulo");
        tzset();
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    }

    // Every test works on a collection of its own on the same server.
    void init()
    {
        QVERIFY2(m_server.ensureRunning(), qPrintable(m_server.error()));
        QVERIFY2(m_server.useCollection(QStringLiteral("agenda%1").arg(++m_collections)),
                 qPrintable(m_server.error()));
    }

    void multistatusIsReadOrRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relatório de sincronização")
            << QByteArray("<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">"
                          "<d:response><d:href>/u/c/a%20b.ics</d:href><d:propstat><d:prop>"
                          "<d:getetag>\"1\"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status>"
                          "</d:propstat></d:response>"
                          "<d:response><d:href>/u/c/x.ics</d:href><d:status>HTTP/1.1 404 Not Found"
                          "</d:status></d:response><d:sync-token>t2</d:sync-token></d:multistatus>")
            << QStringLiteral("/u/c/a b.ics 0 \"1\"|/u/c/x.ics 404 |t2");
        QTest::newRow("XML malformado")
            << QByteArray("<d:multistatus xmlns:d=\"DAV:\"><d:response>") << QStringLiteral("XML malformado");
        QTest::newRow("página de erro") << QByteArray("<html><body>Erro</body></html>")
                                        << QStringLiteral("não é uma resposta multistatus");
    }
    void multistatusIsReadOrRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        caldav::MultiStatus status;
        QString error;
        if (!caldav::parseMultiStatus(body, &status, &error)) {
            QVERIFY2(error.contains(expected), qPrintable(error));
            return;
        }
        QStringList seen;
        for (const auto &response : status.responses)
            seen.append(QStringLiteral("%1 %2 %3")
                            .arg(response.href)
                            .arg(response.status)
                            .arg(response.found.value(QStringLiteral("DAV:|getetag")).text));
        QCOMPARE(seen.join(QLatin1Char('|')) + QLatin1Char('|') + status.syncToken, expected);
    }

    void firstSyncMergesBothSidesWithoutDuplicates()
    {
        Device device;
        device.add(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"));
        device.add(QStringLiteral("2026/03/12"), QStringLiteral("Reunião"));
        QCOMPARE(m_server.client({QStringLiteral("add"), QStringLiteral("outro-1"), QStringLiteral("20260310"),
                                  QStringLiteral("Dentista")}),
                 QString());
        QCOMPARE(m_server.client({QStringLiteral("add"), QStringLiteral("outro-2"), QStringLiteral("20260401"),
                                  QStringLiteral("Aniversário")}),
                 QString());

        const SyncOutcome first = sync(device);
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(device.reminders(), QStringList({QStringLiteral("2026/03/10|Dentista"),
                                                  QStringLiteral("2026/03/12|Reunião"),
                                                  QStringLiteral("2026/04/01|Aniversário")}));
        QCOMPARE(serverReminders(), device.reminders());
        QCOMPARE(device.uidOf(QStringLiteral("Dentista")), QStringLiteral("outro-1"));

        // A second device with the same reminders adds nothing twice.
        Device laptop;
        laptop.add(QStringLiteral("2026/03/12"), QStringLiteral("Reunião"));
        QVERIFY(sync(laptop).ok);
        QCOMPARE(laptop.reminders(), device.reminders());

        const SyncOutcome nothing = sync(device);
        QVERIFY(nothing.ok);
        QCOMPARE(nothing.sent + nothing.received + nothing.removedHere + nothing.removedThere, 0);

        // Pointed at another collection, the first sync there starts afresh.
        QVERIFY(m_server.useCollection(QStringLiteral("outra")));
        const SyncOutcome elsewhere = sync(device);
        QVERIFY2(elsewhere.ok, qPrintable(elsewhere.message));
        QCOMPARE(elsewhere.sent, 3);
        QCOMPARE(serverReminders(), device.reminders());
    }

    void serverChangesArriveHere_data()
    {
        QTest::addColumn<bool>("useSyncCollection");
        QTest::addColumn<bool>("forgetToken");
        QTest::newRow("sync-collection") << true << false;
        QTest::newRow("comparação de ETags") << false << false;
        QTest::newRow("token recusado pelo servidor") << true << true;
    }
    void serverChangesArriveHere()
    {
        QFETCH(bool, useSyncCollection);
        QFETCH(bool, forgetToken);
        Device device;
        device.add(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"));
        device.add(QStringLiteral("2026/03/12"), QStringLiteral("Reunião"));
        Options options;
        options.useSyncCollection = useSyncCollection;
        QVERIFY(sync(device, options).ok);
        if (forgetToken)
            device.run(QStringLiteral("update sincronia_conta set valor = 'http://radicale.org/ns/sync/x' "
                                      "where nome = 'token'"));

        m_server.client({QStringLiteral("edit"), device.uidOf(QStringLiteral("Dentista")),
                         QStringLiteral("Dentista às 15h")});
        m_server.client({QStringLiteral("remove"), device.uidOf(QStringLiteral("Reunião"))});
        m_server.client({QStringLiteral("add"), QStringLiteral("novo"), QStringLiteral("20260320"),
                         QStringLiteral("Vacina")});

        const SyncOutcome outcome = sync(device, options);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(device.reminders(),
                 QStringList({QStringLiteral("2026/03/10|Dentista às 15h"), QStringLiteral("2026/03/20|Vacina")}));
        QCOMPARE(outcome.received, 2);
        QCOMPARE(outcome.removedHere, 1);
        QCOMPARE(outcome.sent, 0);
    }

    void localChangesReachTheServer()
    {
        Device device;
        device.add(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"));
        device.add(QStringLiteral("2026/03/12"), QStringLiteral("Reunião"));
        QVERIFY(sync(device).ok);

        device.run(QStringLiteral("update lembrete set titulo = 'Dentista (remarcado)', data = '2026/03/11' "
                                  "where titulo = 'Dentista'"));
        device.run(QStringLiteral("delete from lembrete where titulo = 'Reunião'"));
        device.add(QStringLiteral("2026/05/01"), QStringLiteral("Feriado"));
        const SyncOutcome outcome = sync(device);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(outcome.sent, 2);
        QCOMPARE(outcome.removedThere, 1);
        QCOMPARE(serverReminders(), QStringList({QStringLiteral("2026/03/11|Dentista (remarcado)"),
                                                 QStringLiteral("2026/05/01|Feriado")}));

        // A row another program copied, UID and all, goes up as an object of its own.
        device.run(QStringLiteral("insert into lembrete (data, titulo, descricao, uid) select '2026/05/02', "
                                  "'Feriado (cópia)', '', uid from lembrete where titulo = 'Feriado'"));
        QVERIFY(sync(device).ok);
        QCOMPARE(serverReminders().size(), 3);
        QVERIFY(device.uidOf(QStringLiteral("Feriado (cópia)")) != device.uidOf(QStringLiteral("Feriado")));
    }

    void changesOnBothSidesLoseNothing_data()
    {
        QTest::addColumn<QString>("here");  // what happens to "Dentista" here: edit or remove
        QTest::addColumn<QString>("there"); // and on the server
        QTest::addColumn<bool>("duringSend"); // the server's change comes while this side sends
        QTest::addColumn<QStringList>("expected");
        const QStringList both{"2026/03/10|Dentista aqui (conflito)", "2026/03/10|Dentista lá"};
        QTest::newRow("editado nos dois lados") << "edit" << "edit" << false << both;
        QTest::newRow("editado lá durante o envio (412)") << "edit" << "edit" << true << both;
        QTest::newRow("removido aqui, editado lá") << "remove" << "edit" << false
                                                   << QStringList{"2026/03/10|Dentista lá"};
        QTest::newRow("editado aqui, removido lá") << "edit" << "remove" << false
                                                   << QStringList{"2026/03/10|Dentista aqui"};
        QTest::newRow("removido nos dois lados") << "remove" << "remove" << false << QStringList();
    }
    void changesOnBothSidesLoseNothing()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(bool, duringSend);
        QFETCH(QStringList, expected);
        Device device;
        device.add(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"));
        QVERIFY(sync(device).ok);
        const QString uid = device.uidOf(QStringLiteral("Dentista"));

        if (here == QLatin1String("edit"))
            device.run(QStringLiteral("update lembrete set titulo = 'Dentista aqui'"));
        else
            device.run(QStringLiteral("delete from lembrete"));
        const QStringList change = there == QLatin1String("edit")
            ? QStringList{QStringLiteral("edit"), uid, QStringLiteral("Dentista lá")}
            : QStringList{QStringLiteral("remove"), uid};
        Options options;
        if (duringSend) {
            options.progress = [&, done = false](const QString &step) mutable {
                if (!done && step.startsWith(QStringLiteral("Enviando")))
                    done = m_server.client(change).isEmpty();
            };
        } else {
            QCOMPARE(m_server.client(change), QString());
        }

        const SyncOutcome outcome = sync(device, options);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(device.reminders(), expected);
        QCOMPARE(serverReminders(), expected);
    }

    void failuresChangeNothingHere_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("senha errada") << "password" << "recusou o usuário ou a senha (HTTP 401)";
        QTest::newRow("coleção inexistente") << "collection" << "não foi encontrada no servidor (HTTP 404)";
        QTest::newRow("servidor fora do ar") << "port" << "Não foi possível conectar ao servidor";
        QTest::newRow("servidor sem resposta") << "frozen" << "O servidor não respondeu em 2 segundos";
        QTest::newRow("certificado não confiável") << "tls" << "o certificado não foi aceito";
    }
    void failuresChangeNothingHere()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        Device device;
        device.add(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"));
        QVERIFY(sync(device).ok);
        device.add(QStringLiteral("2026/03/12"), QStringLiteral("Reunião"));
        m_server.client({QStringLiteral("add"), QStringLiteral("lá"), QStringLiteral("20260320"),
                         QStringLiteral("Vacina")});
        const QStringList before = device.everything();

        Options options;
        RadicaleServer secure;
        if (failure == QLatin1String("password")) {
            options.password = QStringLiteral("errada");
        } else if (failure == QLatin1String("collection")) {
            options.collection = m_server.collection().resolved(QUrl(QStringLiteral("../nada/")));
        } else if (failure == QLatin1String("port")) {
            QTcpServer unused;
            QVERIFY(unused.listen(QHostAddress::LocalHost, 0));
            options.collection = QUrl(QStringLiteral("http://127.0.0.1:%1/zedo/agenda/").arg(unused.serverPort()));
        } else if (failure == QLatin1String("frozen")) {
            m_server.freeze(true);
            options.timeoutMs = 2000;
        } else {
            QVERIFY2(secure.start(true), qPrintable(secure.error()));
            options.collection = secure.collection();
        }
        const SyncOutcome outcome = sync(device, options);
        m_server.freeze(false);
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        QCOMPARE(device.everything(), before);
        QCOMPARE(serverReminders(), QStringList({QStringLiteral("2026/03/10|Dentista"),
                                                 QStringLiteral("2026/03/20|Vacina")}));
    }

    void aServerStoppedMidwayLeavesBothSidesConsistent()
    {
        Device device;
        for (int day = 1; day <= 12; ++day)
            device.add(QStringLiteral("2026/04/%1").arg(day, 2, 10, QLatin1Char('0')), QStringLiteral("Lembrete"));
        Options options;
        options.batch = 5;
        // The server goes away once the first five are sent.
        options.progress = [this](const QString &step) {
            if (step.startsWith(QStringLiteral("Enviando 10 de")))
                m_server.kill();
        };
        const SyncOutcome stopped = sync(device, options);
        QVERIFY(!stopped.ok);
        QVERIFY2(stopped.message.contains(QStringLiteral("Não foi possível conectar")), qPrintable(stopped.message));
        QSqlQuery linked(QStringLiteral("select count(*) from sincronia"), device.db());
        QVERIFY(linked.next());
        QCOMPARE(linked.value(0).toInt(), 5);

        QVERIFY2(m_server.restart(), qPrintable(m_server.error()));
        options.progress = {};
        const SyncOutcome resumed = sync(device, options);
        QVERIFY2(resumed.ok, qPrintable(resumed.message));
        QCOMPARE(resumed.sent, 7);
        QCOMPARE(device.reminders().size(), 12);
        QCOMPARE(serverReminders(), device.reminders());
    }

    void eventsFromOtherDevicesMapAsTheImportDoes()
    {
        Device device;
        const QByteArray weekly = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro//PT\r\nBEGIN:VEVENT\r\n"
                                  "UID:semanal\r\nDTSTAMP:20260101T000000Z\r\n"
                                  "DTSTART;TZID=America/Sao_Paulo:20260302T230000\r\nDURATION:PT1H\r\n"
                                  "RRULE:FREQ=WEEKLY;COUNT=3\r\nSUMMARY:Aula\r\n"
                                  "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QCOMPARE(m_server.client({QStringLiteral("raw")}, weekly), QString());
        const QByteArray dayless = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro//PT\r\nBEGIN:VTODO\r\n"
                                   "UID:sem-dia\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Algum dia\r\n"
                                   "END:VTODO\r\nEND:VCALENDAR\r\n";
        QCOMPARE(m_server.client({QStringLiteral("raw")}, dayless), QString());
        // What cannot become a reminder is named once, and the rest goes on.
        const SyncOutcome first = sync(device);
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(first.warnings.size(), 1);
        QVERIFY2(first.message.contains(QStringLiteral("não pôde ser lido")), qPrintable(first.message));
        // The series is one reminder with its rule, at the local time.
        QCOMPARE(device.reminders(), QStringList({QStringLiteral("2026/03/02|Aula")}));
        QSqlQuery timing(QStringLiteral("select hora || '|' || repeticao from lembrete"), device.db());
        QVERIFY(timing.next());
        QCOMPARE(timing.value(0).toString(), QStringLiteral("23:00|FREQ=WEEKLY;COUNT=3"));

        // One occurrence removed here is excluded there; the series stays on the server.
        device.run(QStringLiteral("update lembrete set excecoes = '2026/03/09'"));
        QVERIFY(sync(device).warnings.isEmpty());
        QVERIFY(sync(device).ok);
        QCOMPARE(serverReminders(), QStringList({QStringLiteral("2026/03/02|Aula")}));
        const QString there = m_server.client({QStringLiteral("get"), QStringLiteral("semanal")});
        QVERIFY2(there.contains(QStringLiteral("EXDATE;TZID=America/Sao_Paulo:20260309T230000"))
                     && there.contains(QStringLiteral("RRULE:FREQ=WEEKLY;COUNT=3"))
                     && there.contains(QStringLiteral("DURATION:PT1H")),
                 qPrintable(there));
    }

    void commandLineSyncReportsOnStandardError_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("senha do ambiente") << "server" << RadicaleServer::password << 0
                                           << "Sincronização concluída: 1 enviado(s)";
        QTest::newRow("senha errada") << "server" << "errada" << 1 << "Erro: O servidor recusou o usuário";
        QTest::newRow("sem endereço") << "" << RadicaleServer::password << 1
                                      << "a sincronização não está configurada";
    }
    void commandLineSyncReportsOnStandardError()
    {
        QFETCH(QString, address);
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        FakePlatform fake;
        fake.createEmptyDatabase();
        {
            modgeral store(fake.platform());
            store.abrirbanco();
            QVERIFY(store.appendReminder(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"), QString()));
        }
        SyncSettings settings;
        settings.address = address.isEmpty() ? QString() : m_server.collection().toString();
        settings.user = QLatin1String(RadicaleServer::user);
        settings.save(fake.platform().settings());
        FakeVault vault;
        QString errors;
        QTextStream err(&errors);
        QCOMPARE(runSyncCommand(fake.platform(), vault, password, err), exitCode);
        QVERIFY2(errors.contains(message), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(tst_caldavsync)
#include "tst_caldavsync.moc"
