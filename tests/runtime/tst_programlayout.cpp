#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "runtime/translations.h"

#include <almanaqlib.h>

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using runtime::ProgramLayout;

namespace {

// A fake machine under root: its folders, HOME and, unless null, XDG_DATA_HOME (absolute ones are taken inside root).
struct FakeMachine
{
    FakeMachine(const QStringList &folders, const QString &xdgDataHome = "/xdg")
    {
        for (const QString &folder : folders)
            QDir().mkpath(path(folder));
        env.insert("HOME", path("home/ana"));
        if (!xdgDataHome.isNull())
            env.insert("XDG_DATA_HOME", xdgDataHome.startsWith('/') ? path(xdgDataHome.mid(1)) : xdgDataHome);
    }
    QString path(const QString &relative) const { return root.path() + '/' + relative; }
    ProgramLayout detect(const QString &folder) const { return ProgramLayout::detect(path(folder), env); }

    QTemporaryDir root;
    QProcessEnvironment env;
};

const QStringList kInstallation{"usr/bin", "usr/share/zedozarir"};

} // namespace

class ProgramLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(runtime::installQtTranslations(*QCoreApplication::instance())); }

    // Qt's own texts reaching the user (file dialogs' columns, network errors) are Portuguese once translations load.
    void qtsOwnTextsArePortuguese()
    {
        QCOMPARE(QFileSystemModel().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nome")); // QFileDialog's
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, 1); // nobody serves port 1
        QVERIFY(!socket.waitForConnected(5000));
        QVERIFY2(socket.errorString().contains(QStringLiteral("recusada")), qPrintable(socket.errorString()));
    }

    void detectsPortableAndInstalledFolders_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("found"); // data, private, resource folders
        QTest::newRow("build's program folder") << QStringList{"build/programa", "build/share/zedozarir"}
            << "build/programa" << "/xdg" << false << QStringList(3, "build/programa");
        QTest::newRow("copy carried into a bin folder")
            << QStringList{"home/ana/bin"} << "home/ana/bin" << "/xdg" << false << QStringList(3, "home/ana/bin");
        QTest::newRow("installation, XDG_DATA_HOME set") << kInstallation << "usr/bin" << "/xdg"
            << true << QStringList{"xdg/Zedozarir", "usr/lib/zedozarir", "usr/share/zedozarir"};
        QTest::newRow("installation, XDG_DATA_HOME unset") << QStringList{"opt/z/bin", "opt/z/share/zedozarir"}
            << "opt/z/bin/." << QString() << true
            << QStringList{"home/ana/.local/share/Zedozarir", "opt/z/lib/zedozarir", "opt/z/share/zedozarir"};
        QTest::newRow("installation, relative XDG_DATA_HOME ignored") << kInstallation << "usr/bin" << "dados"
            << true << QStringList{"home/ana/.local/share/Zedozarir", "usr/lib/zedozarir", "usr/share/zedozarir"};
    }

    void detectsPortableAndInstalledFolders()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, executableFolder);
        QFETCH(QString, xdgDataHome);
        const FakeMachine machine(folders, xdgDataHome);
        const ProgramLayout layout = machine.detect(executableFolder);
        QTEST(layout.isInstalled(), "installed");
        QStringList found{layout.dataFolder(), layout.privateFolder(), layout.resourceFolder()};
        QTEST(found.replaceInStrings(QRegularExpression('^' + QRegularExpression::escape(machine.path({}))), {}), "found");
    }

    // An installation gives each user a private data folder and an empty database once, or says why it cannot; a
    // portable folder's missing file stays missing.
    void preparesTheUsersDatabaseOnlyWhenInstalled()
    {
        const FakeMachine installed(kInstallation);
        const ProgramLayout layout = installed.detect("usr/bin");
        QFile database(layout.dataFolder() + "/dados.mdb");
        QCOMPARE(layout.prepareDatabase("dados.mdb"), QString());
        QVERIFY(database.exists() && database.size() == 0);
        QCOMPARE(QFile::permissions(layout.dataFolder()) & 0x0077, QFile::Permissions());
        QVERIFY(database.open(QIODevice::WriteOnly) && database.write("guardado") == 8);
        database.close();
        QCOMPARE(layout.prepareDatabase("dados.mdb"), QString());
        QCOMPARE(database.size(), 8);

        const FakeMachine portable({"programa"});
        QVERIFY(portable.detect("programa").prepareDatabase("dados.mdb").isEmpty()
                && !QFile::exists(portable.path("programa/dados.mdb")));

        const FakeMachine machine(kInstallation, "/arquivo");
        QVERIFY(QFile(machine.path("arquivo")).open(QIODevice::WriteOnly));
        const QString error = machine.detect("usr/bin").prepareDatabase("dados.mdb");
        QVERIFY2(error.startsWith("não foi possível criar a pasta "), qPrintable(error));
    }

    // An installed program's control host and background picture are in its folders (its store: install_test).
    void theProgramUsesTheInstalledFolders()
    {
        const FakeMachine machine(kInstallation);
        runtime::Platform platform(machine.path("usr/bin"));
        QCOMPARE(runtime::ControlHost(platform).libraryPath(QString::fromLatin1(almanaq::ProgId)),
                 machine.path("usr/lib/zedozarir/libAlmanaq.so"));
        QCOMPARE(platform.resourceFile("fundo.gif"), machine.path("usr/share/zedozarir/fundo.gif"));
    }
};

QTEST_MAIN(ProgramLayoutTest)
#include "tst_programlayout.moc"
