#include "exchange/synccommand.h"
#include "exchange/synccontroller.h"
#include "exchange/syncsettings.h"
#include "fixture.h"
#include "forms/frmsincronizacao.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextStream>

namespace {

// A secret service that may be missing, and a user who types answer when asked.
struct FakeVault final : PasswordVault
{
    bool read(const QString &, QString *value, QString *error) override
    {
        *error = QStringLiteral("sem serviço de senhas");
        *value = password;
        return available && !password.isEmpty();
    }
    bool write(const QString &, const QString &value, QString *error) override
    {
        *error = QStringLiteral("sem serviço de senhas");
        password = available ? value : password;
        return available;
    }
    bool available = true;
    QString password;
};

struct ScriptedPrompt final : PasswordPrompt
{
    bool ask(QWidget *, const QString &, QString *value) override
    {
        *value = answer;
        return ++asked, !answer.isEmpty();
    }
    QString answer;
    int asked = 0;
};

struct Fixture : Device
{
    Fixture()
    {
        add("2026/03/10", "Dentista");
        controller = std::make_unique<SyncController>(fake.platform(), store, std::unique_ptr<FakeVault>(vault),
                                                      std::unique_ptr<ScriptedPrompt>(prompt));
    }
    FakeVault *vault = new FakeVault; // owned by the controller
    ScriptedPrompt *prompt = new ScriptedPrompt;
    std::unique_ptr<SyncController> controller;
};
} // namespace

class tst_caldavsync : public QObject
{
    Q_OBJECT

    RadicaleServer m_server;
    int m_collections = 0;

    SyncOutcome sync(Device &device, const Device::Options &options = {})
    {
        return device.sync(m_server.collection(), options);
    }
    QString client(const QString &arguments, const QByteArray &input = {})
    {
        return m_server.client(arguments.split(QLatin1Char(' ')), input);
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }
    // Every test works on a collection of its own on the same server.
    void init()
    {
        QVERIFY2(m_server.ensureRunning(), qPrintable(m_server.error()));
        QVERIFY2(m_server.useCollection(QStringLiteral("agenda%1").arg(++m_collections)), qPrintable(m_server.error()));
    }

    // Both sides merge, what the other client reads included (characters the format escapes), without duplicates.
    void firstSyncMergesBothSidesWithoutDuplicates()
    {
        const QString meeting = "Reunião; sala 2, \"B\" \\ 3";
        Device device;
        device.add("2026/03/10", "Dentista");
        device.add("2026/03/12", meeting);
        QCOMPARE(client("add outro-1 20260310 Dentista"), QString());
        QCOMPARE(client("add outro-2 20260401 Aniversário"), QString());
        const SyncOutcome first = sync(device);
        QVERIFY2(first.ok, qPrintable(first.message));
        QCOMPARE(device.reminders(), QStringList({"2026/03/10|Dentista", "2026/03/12|" + meeting, "2026/04/01|Aniversário"}));
        QCOMPARE(serverReminders(m_server), device.reminders());
        QCOMPARE(device.uidOf("Dentista"), QStringLiteral("outro-1"));

        // A second device with the same reminders adds nothing twice.
        Device laptop;
        laptop.add("2026/03/12", meeting);
        QVERIFY(sync(laptop).ok);
        QCOMPARE(laptop.reminders(), device.reminders());
        const SyncOutcome nothing = sync(device);
        QVERIFY(nothing.ok && nothing.sent + nothing.received + nothing.removedHere + nothing.removedThere == 0);

        // Pointed at another collection, the first sync there starts afresh.
        QVERIFY(m_server.useCollection(QStringLiteral("outra")));
        const SyncOutcome elsewhere = sync(device);
        QVERIFY2(elsewhere.ok && elsewhere.sent == 3, qPrintable(elsewhere.message));
        QCOMPARE(serverReminders(m_server), device.reminders());
    }

    // Changes on either side reach the other, however the server tells its own.
    void changesOnEitherSideReachTheOther_data()
    {
        QTest::addColumn<bool>("useSyncCollection");
        QTest::addColumn<bool>("forgetToken");
        QTest::newRow("sync-collection") << true << false;
        QTest::newRow("comparação de ETags") << false << false;
        QTest::newRow("token recusado pelo servidor") << true << true;
    }
    void changesOnEitherSideReachTheOther()
    {
        QFETCH(bool, useSyncCollection);
        QFETCH(bool, forgetToken);
        Device device;
        for (const char *title : {"Dentista", "Reunião", "Cinema", "Yoga"})
            device.add("2026/03/10", title);
        const Device::Options options{.useSyncCollection = useSyncCollection};
        QVERIFY(sync(device, options).ok);
        if (forgetToken)
            device.run("update sincronia_conta set valor = 'http://radicale.org/ns/sync/x' where nome = 'token'");
        m_server.client({"edit", device.uidOf("Dentista"), "Dentista às 15h"});
        client("remove " + device.uidOf("Reunião"));
        client("add novo 20260320 Vacina");
        device.run("update lembrete set titulo = 'Cinema (remarcado)', data = '2026/03/11' where titulo = 'Cinema'");
        device.run("delete from lembrete where titulo = 'Yoga'");
        device.add("2026/05/01", "Feriado");
        const SyncOutcome outcome = sync(device, options);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE((QList<int>{outcome.received, outcome.removedHere, outcome.sent, outcome.removedThere}),
                 (QList<int>{2, 1, 2, 1}));
        const QStringList expected{"2026/03/10|Dentista às 15h", "2026/03/11|Cinema (remarcado)", "2026/03/20|Vacina",
                                   "2026/05/01|Feriado"};
        QCOMPARE(device.reminders(), expected);
        QCOMPARE(serverReminders(m_server), expected);

        // A row another program copied, UID and all, goes up as an object of its own.
        device.run("insert into lembrete (data, titulo, descricao, uid) select '2026/05/02', 'Feriado (cópia)', '', uid "
                   "from lembrete where titulo = 'Feriado'");
        QVERIFY(sync(device, options).ok);
        QCOMPARE(serverReminders(m_server).size(), 5);
        QVERIFY(device.uidOf("Feriado (cópia)") != device.uidOf("Feriado"));
    }

    void changesOnBothSidesLoseNothing_data()
    {
        QTest::addColumn<QString>("here");    // the statement run here on "Dentista"
        QTest::addColumn<QString>("there");   // the other client's change on the server
        QTest::addColumn<bool>("duringSend"); // the server's change comes while this side sends
        QTest::addColumn<QStringList>("expected");
        const QString edit = "update lembrete set titulo = 'Dentista aqui'", remove = "delete from lembrete";
        const QStringList both{"2026/03/10|Dentista aqui (conflito)", "2026/03/10|Dentista lá"};
        QTest::newRow("editado nos dois lados") << edit << "edit" << false << both;
        QTest::newRow("editado lá durante o envio (412)") << edit << "edit" << true << both;
        QTest::newRow("removido aqui, editado lá") << remove << "edit" << false << QStringList{"2026/03/10|Dentista lá"};
        QTest::newRow("editado aqui, removido lá") << edit << "remove" << false << QStringList{"2026/03/10|Dentista aqui"};
        QTest::newRow("removido nos dois lados") << remove << "remove" << false << QStringList();
        QTest::newRow("removido lá durante o envio") << remove << "remove" << true << QStringList();
    }
    void changesOnBothSidesLoseNothing()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(bool, duringSend);
        QFETCH(QStringList, expected);
        Device device;
        device.add("2026/03/10", "Dentista");
        QVERIFY(sync(device).ok);
        const QStringList change{there, device.uidOf("Dentista"), "Dentista lá"};
        device.run(here);
        Device::Options options;
        if (duringSend)
            options.progress = [&, done = false](const QString &step) mutable {
                if (!done && step.startsWith(QStringLiteral("Enviando")))
                    done = m_server.client(change).isEmpty();
            };
        else
            QCOMPARE(m_server.client(change), QString());
        const SyncOutcome outcome = sync(device, options);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(device.reminders(), expected);
        QCOMPARE(serverReminders(m_server), expected);
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
        // One statement of the sync's transaction fails: none of it is kept.
        QTest::newRow("uma gravação recusada") << "sql" << "O banco de dados de lembretes não pôde ser gravado";
    }
    void failuresChangeNothingHere()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        Device device;
        device.add("2026/03/10", "Dentista");
        QVERIFY(sync(device).ok);
        device.add("2026/03/12", "Reunião");
        client("add aa 20260320 Vacina");
        client("add zz 20260321 Gripe");
        const auto everything = [&] {
            return device.rows("select data || titulo || coalesce(uid, '') from lembrete union all select href || etag "
                               "|| coalesce(chave, '') || conteudo from sincronia union all select nome || valor from "
                               "sincronia_conta order by 1");
        };
        const QStringList before = everything();
        Device::Options options;
        QUrl collection = m_server.collection();
        RadicaleServer secure;
        QTcpServer unused;
        QVERIFY(unused.listen(QHostAddress::LocalHost, 0));
        if (failure == "password")
            options.password = QStringLiteral("errada");
        else if (failure == "collection")
            collection = collection.resolved(QUrl(QStringLiteral("../nada/")));
        else if (failure == "port")
            collection.setPort(unused.serverPort()), unused.close(); // a port nothing listens on
        else if (failure == "frozen") {
            m_server.freeze(true);
            options.timeoutMs = 2000;
        } else if (failure == "tls") {
            QVERIFY2(secure.start(true), qPrintable(secure.error()));
            collection = secure.collection();
        } else
            device.run("create trigger recusa before insert on lembrete when new.titulo = 'Gripe' "
                       "begin select raise(abort, 'recusado'); end");
        const SyncOutcome outcome = device.sync(collection, options);
        m_server.freeze(false);
        QVERIFY2(!outcome.ok && outcome.message.contains(message), qPrintable(outcome.message));
        QCOMPARE(everything(), before);
        QCOMPARE(serverReminders(m_server), QStringList({"2026/03/10|Dentista", "2026/03/20|Vacina", "2026/03/21|Gripe"}));
    }

    void aServerStoppedMidwayLeavesBothSidesConsistent()
    {
        Device device;
        for (int day = 1; day <= 12; ++day)
            device.add(QStringLiteral("2026/04/%1").arg(day, 2, 10, QLatin1Char('0')), "Lembrete");
        // The server goes away once the first five are sent.
        Device::Options options{.batch = 5, .progress = [this](const QString &step) {
                                    if (step.startsWith(QStringLiteral("Enviando 10 de")))
                                        m_server.kill();
                                }};
        const SyncOutcome stopped = sync(device, options);
        QVERIFY2(!stopped.ok && stopped.message.contains("Não foi possível conectar"), qPrintable(stopped.message));
        QCOMPARE(device.rows("select count(*) from sincronia"), QStringList{"5"});
        QVERIFY2(m_server.restart(), qPrintable(m_server.error()));
        options.progress = {};
        const SyncOutcome resumed = sync(device, options);
        QVERIFY2(resumed.ok && resumed.sent == 7, qPrintable(resumed.message));
        QCOMPARE(device.reminders().size(), 12);
        QCOMPARE(serverReminders(m_server), device.reminders());
    }

    void commandLineSyncReportsOnStandardError_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("senha do ambiente") << true << RadicaleServer::password << 0 << "Sincronização concluída: 1 enviado(s)";
        QTest::newRow("senha errada") << true << "errada" << 1 << "Erro: O servidor recusou o usuário";
        QTest::newRow("sem endereço") << false << RadicaleServer::password << 1 << "a sincronização não está configurada";
    }
    void commandLineSyncReportsOnStandardError()
    {
        QFETCH(bool, configured);
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Device device;
        device.add("2026/03/10", "Dentista");
        SyncSettings{configured ? m_server.collection().toString() : QString(), RadicaleServer::user}.save(
            device.fake.platform().settings());
        FakeVault vault;
        QString errors;
        QTextStream err(&errors);
        QCOMPARE(runSyncCommand(device.fake.platform(), vault, password, err), exitCode);
        QVERIFY2(errors.contains(message), qPrintable(errors));
    }

    // With or without a secret service, the password never reaches the settings file.
    void theDialogKeepsThePasswordOutOfTheSettingsFile_data()
    {
        QTest::addColumn<bool>("secretService");
        QTest::addColumn<int>("notices");
        QTest::newRow("com serviço de senhas") << true << 0;
        QTest::newRow("sem serviço de senhas") << false << 1;
    }
    void theDialogKeepsThePasswordOutOfTheSettingsFile()
    {
        QFETCH(bool, secretService);
        QFETCH(int, notices);
        Fixture f;
        f.vault->available = secretService;
        {
            frmsincronizacao dialog(*f.controller);
            dialog.findChild<QLineEdit *>("txtendereco")->setText(m_server.collection().toString());
            dialog.findChild<QLineEdit *>("txtusuario")->setText(QLatin1String(RadicaleServer::user));
            dialog.findChild<QLineEdit *>("txtsenha")->setText(QLatin1String(RadicaleServer::password));
            dialog.findChild<QCheckBox *>("chkiniciar")->setChecked(true);
            QTest::mouseClick(dialog.findChild<QPushButton *>("cmdok"), Qt::LeftButton);
        }
        const SyncSettings saved = f.controller->settings();
        QCOMPARE(saved.address + '|' + saved.user, m_server.collection().toString() + '|' + RadicaleServer::user);
        QVERIFY(saved.atStart);
        const QByteArray file = fileBytes(f.fake.settingsPath());
        QVERIFY2(file.contains(RadicaleServer::user) && !file.contains(RadicaleServer::password), file);
        QCOMPARE(f.fake.messages->shown.size(), notices);
        // Either way the next sync needs no question.
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.prompt->asked, 0);
    }

    void syncNowAsksOncePerRunAndAgainAfterARefusal()
    {
        Fixture f;
        f.vault->available = false;
        f.controller->save({m_server.collection().toString(), RadicaleServer::user}, QString());
        QSignalSpy synchronized(f.controller.get(), &SyncController::synchronized);
        f.prompt->answer = QStringLiteral("errada");
        QVERIFY(!f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.fake.messages->shown.constLast().icon, runtime::MessageIcon::Critical);
        QVERIFY(f.fake.messages->shown.constLast().text.contains("usuário ou a senha"));
        f.prompt->answer = QLatin1String(RadicaleServer::password);
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.prompt->asked, 2);
        QCOMPARE(synchronized.count(), 3);
        QVERIFY2(f.fake.messages->shown.constLast().text.startsWith("Sincronização concluída"),
                 qPrintable(f.fake.messages->shown.constLast().text));
    }
};

QTEST_MAIN(tst_caldavsync)
#include "tst_caldavsync.moc"
