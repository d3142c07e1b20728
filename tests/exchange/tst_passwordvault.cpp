#include "exchange/passwordvault.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The desktop's secret service for real: gnome-keyring on a private session
// bus, its keyring in a home of its own, both stopped with the test.
class tst_passwordvault : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_bus, m_keyring;

private slots:
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY2(m_bus.waitForReadyRead(10000), "dbus-daemon did not start (Debian package dbus)");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath("data").toLocal8Bit());
        m_keyring.start("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"});
        m_keyring.write("chaveiro");
        m_keyring.closeWriteChannel();
        QTRY_VERIFY2_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.secrets"),
                                  "gnome-keyring-daemon did not come up (Debian package gnome-keyring)", 15000);
    }
    void cleanupTestCase()
    {
        for (QProcess *process : {&m_keyring, &m_bus})
            process->kill(), process->waitForFinished(5000);
    }

    // Each account keeps a password of its own; one never stored is said so.
    void eachAccountKeepsItsOwnPassword()
    {
        const std::unique_ptr<PasswordVault> vault = makeSystemVault();
        QString error, first, second;
        QVERIFY2(vault->write("http://a/|ana", "um", &error) && vault->write("http://b/|bia", "dois", &error), qPrintable(error));
        QVERIFY2(vault->read("http://a/|ana", &first, &error) && vault->read("http://b/|bia", &second, &error), qPrintable(error));
        QCOMPARE(first + '|' + second, QStringLiteral("um|dois"));
        QVERIFY(!vault->read("http://c/|caio", &first, &error));
        QCOMPARE(error, QStringLiteral("nenhuma senha guardada para esta conta"));
    }
};

QTEST_GUILESS_MAIN(tst_passwordvault)
#include "tst_passwordvault.moc"
