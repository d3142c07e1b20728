#include "exchange/passwordvault.h"
#include "exchange/synccontroller.h"
#include "forms/frmprincipal.h"
#include "forms/frmsincronizacao.h"
#include "radicaleserver.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

namespace {

class FakeVault final : public PasswordVault
{
public:
    bool read(const QString &, QString *value, QString *error) override
    {
        *error = QStringLiteral("sem serviço de senhas");
        if (!available || password.isEmpty())
            return false;
        *value = password;
        return true;
    }
    bool write(const QString &, const QString &value, QString *error) override
    {
        *error = QStringLiteral("sem serviço de senhas");
        if (!available)
            return false;
        password = value;
        return true;
    }
    bool available = true;
    QString password;
};

class ScriptedPrompt final : public PasswordPrompt
{
public:
    bool ask(QWidget *, const QString &, QString *value) override
    {
        ++asked;
        *value = answer;
        return !answer.isEmpty();
    }
    QString answer;
    int asked = 0;
};

struct Fixture
{
    Fixture()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
        store.appendReminder(QStringLiteral("2026/03/10"), QStringLiteral("Dentista"), QString());
        auto ownedVault = std::make_unique<FakeVault>();
        auto ownedPrompt = std::make_unique<ScriptedPrompt>();
        vault = ownedVault.get();
        prompt = ownedPrompt.get();
        controller = std::make_unique<SyncController>(fake.platform(), store, std::move(ownedVault),
                                                      std::move(ownedPrompt));
    }
    // Fills the dialog as a user would and presses one of its buttons.
    void fillAndPress(const QString &address, const QString &password, const QString &button)
    {
        frmsincronizacao dialog(*controller);
        dialog.findChild<QLineEdit *>(QStringLiteral("txtendereco"))->setText(address);
        dialog.findChild<QLineEdit *>(QStringLiteral("txtusuario"))->setText(QLatin1String(RadicaleServer::user));
        dialog.findChild<QLineEdit *>(QStringLiteral("txtsenha"))->setText(password);
        dialog.findChild<QCheckBox *>(QStringLiteral("chkiniciar"))->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
    FakeVault *vault = nullptr;
    ScriptedPrompt *prompt = nullptr;
    std::unique_ptr<SyncController> controller;
};

} // namespace

class tst_synccontroller : public QObject
{
    Q_OBJECT

private:
    RadicaleServer m_server;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    }
    void init()
    {
        QVERIFY2(m_server.ensureRunning(), qPrintable(m_server.error()));
    }

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
        f.fillAndPress(m_server.collection().toString(), QLatin1String(RadicaleServer::password),
                       QStringLiteral("cmdok"));

        const SyncSettings saved = f.controller->settings();
        QCOMPARE(saved.address, m_server.collection().toString());
        QCOMPARE(saved.user, QLatin1String(RadicaleServer::user));
        QVERIFY(saved.atStart);
        QFile file(f.fake.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(RadicaleServer::password));
        QCOMPARE(f.fake.messages->shown.size(), notices);

        // Either way the next sync needs no question.
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.prompt->asked, 0);
    }

    void syncNowAsksOncePerRunAndAgainAfterARefusal()
    {
        Fixture f;
        f.vault->available = false;
        SyncSettings settings;
        settings.address = m_server.collection().toString();
        settings.user = QLatin1String(RadicaleServer::user);
        f.controller->save(settings, QString());
        QSignalSpy synchronized(f.controller.get(), &SyncController::synchronized);

        f.prompt->answer = QStringLiteral("errada");
        QVERIFY(!f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.fake.messages->shown.constLast().icon, runtime::MessageIcon::Critical);
        QVERIFY(f.fake.messages->shown.constLast().text.contains(QStringLiteral("usuário ou a senha")));

        f.prompt->answer = QLatin1String(RadicaleServer::password);
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QVERIFY(f.controller->syncNow(nullptr).ok);
        QCOMPARE(f.prompt->asked, 2);
        QCOMPARE(synchronized.count(), 3);
        QVERIFY2(f.fake.messages->shown.constLast().text.startsWith(QStringLiteral("Sincronização concluída")),
                 qPrintable(f.fake.messages->shown.constLast().text));
    }

    void thePrincipalMenuOffersTheSyncCommandsBeforeSair()
    {
        Fixture f;
        frmprincipal window(f.fake.platform(), f.store);
        QMenu *principal = window.findChild<QMenu *>(QStringLiteral("mnuprincipal"));
        QStringList names;
        for (const QAction *action : principal->actions())
            names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
        const int settings = names.indexOf(QStringLiteral("mnusincronizacao"));
        QVERIFY(settings > 0);
        QCOMPARE(names.mid(settings - 1),
                 QStringList({"-", "mnusincronizacao", "mnusincronizar", "-", "mnusair"}));
        QCOMPARE(principal->actions().at(settings)->text().remove(QLatin1Char('&')), QStringLiteral("Sincronização..."));
        QCOMPARE(principal->actions().at(settings + 1)->text().remove(QLatin1Char('&')),
                 QStringLiteral("Sincronizar agora"));
    }
};

QTEST_MAIN(tst_synccontroller)
#include "tst_synccontroller.moc"
