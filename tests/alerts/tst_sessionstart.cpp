#include "alerts/autostart.h"
#include "alerts/singleinstance.h"
#include "forms/frmpreferencias.h"
#include "support/fakeplatform.h"
#include "support/filebytes.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// One resident program per user, and the autostart entry that starts it.
class tst_sessionstart : public QObject
{
    Q_OBJECT

private:
    static bool writeFile(const QString &path, const QByteArray &text)
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
               && file.write(text) == text.size();
    }

private slots:
    void aSecondStartHandsOverToTheResidentOne()
    {
        QTemporaryDir runtime;
        {
            alerts::SingleInstance resident(runtime.path());
            QVERIFY(resident.tryBecomeResident());
            QSignalSpy activations(&resident, &alerts::SingleInstance::activationRequested);
            alerts::SingleInstance second(runtime.path());
            QVERIFY(!second.tryBecomeResident() && second.handOver());
            QVERIFY(activations.wait(5000));
        }
        // The resident one gone, the next start stays (nobody answering: tst_frmprincipal).
        QVERIFY(alerts::SingleInstance(runtime.path()).tryBecomeResident());
    }

    // The user's entry: the installed one with --bandeja, or, for a portable copy even beside an installation, one
    // of its own; written and removed (twice: no failure).
    void theEntryStartsTheResidentProgram_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("expectedLines");
        QTest::newRow("installed entry, field code dropped") << true << "/usr/bin/lembrete"
            << QStringList{"Name=Zedozarir", "Exec=lembrete --bandeja", "Icon=example.zedozarir.lembrete",
                           "StartupNotify=false", "Exec=lembrete --novo"};
        QTest::newRow("portable program in a folder with blanks") << false << "/home/ana/Meus programas/lembrete"
            << QStringList{"Type=Application", "Exec=\"/home/ana/Meus programas/lembrete\" --bandeja"};
    }
    void theEntryStartsTheResidentProgram()
    {
        QFETCH(bool, installed);
        QFETCH(QString, program);
        QFETCH(QStringList, expectedLines);
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        QVERIFY(writeFile(dir.filePath("data/applications/example.zedozarir.lembrete.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Zedozarir\nExec=lembrete %F\n"
                          "Icon=example.zedozarir.lembrete\nStartupNotify=true\n[Desktop Action Novo]\nExec=lembrete --novo\n"));
        const alerts::AutostartEntry entry = alerts::AutostartEntry::forUser(program, installed);
        QVERIFY(!entry.exists());
        QString error;
        QVERIFY(entry.write(&error));
        const QStringList lines = QString::fromUtf8(fileBytes(dir.filePath("config/autostart/example.zedozarir.lembrete.desktop"))).split('\n');
        for (const QString &line : expectedLines)
            QVERIFY2(lines.contains(line), qPrintable(line));
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        QVERIFY(entry.remove(&error) && !entry.exists());
        QVERIFY(entry.remove(&error));
    }

    void thePreferencesBoxWritesAndRemovesTheEntry()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString path = config.filePath("autostart/example.zedozarir.lembrete.desktop");
        QVERIFY(writeFile(path, "")); // written by an earlier run
        FakePlatform fake;
        {
            frmpreferencias window(fake.platform());
            auto *box = window.findChild<QCheckBox *>("chkavisarsessao");
            QVERIFY(box && box->isChecked());
            box->click();
            QVERIFY(!QFile::exists(path));
            box->click();
            QVERIFY(fileBytes(path).contains("--bandeja"));
        }
        frmpreferencias reopened(fake.platform());
        QVERIFY(reopened.findChild<QCheckBox *>("chkavisarsessao")->isChecked());
        QVERIFY(fake.messages->shown.isEmpty());
    }
};

QTEST_MAIN(tst_sessionstart)
#include "tst_sessionstart.moc"
