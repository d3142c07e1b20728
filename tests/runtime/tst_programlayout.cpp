#include "runtime/controlhost.h"
#include "runtime/platform.h"
#include "runtime/programlayout.h"
#include "runtime/translations.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <almanaqlib.h>

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using runtime::ProgramLayout;

namespace {

// A fake machine under root: its folders, HOME and, unless null, XDG_DATA_HOME
// (absolute values are taken inside root).
class FakeMachine
{
public:
    FakeMachine(const QStringList &folders, const QString &xdgDataHome = QStringLiteral("/xdg"))
    {
        for (const QString &folder : folders)
            QDir().mkpath(path(folder));
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home/ana")));
        if (!xdgDataHome.isNull())
            env.insert(QStringLiteral("XDG_DATA_HOME"),
                       xdgDataHome.startsWith(QLatin1Char('/')) ? path(xdgDataHome.mid(1)) : xdgDataHome);
    }

    QString path(const QString &relative) const { return root.path() + QLatin1Char('/') + relative; }
    ProgramLayout detect(const QString &executableFolder) const
    {
        return ProgramLayout::detect(path(executableFolder), env);
    }

    QTemporaryDir root;
    QProcessEnvironment env;
};

const QStringList kInstallation{QStringLiteral("usr/bin"), QStringLiteral("usr/share/zedozarir")};

} // namespace

class ProgramLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(runtime::installQtTranslations(*QCoreApplication::instance())); }

    // Qt's own texts that reach the user come in Brazilian Portuguese once the program has
    // loaded Qt's translations: the file dialogs' columns and network errors.
    void qtsOwnTextsArePortuguese()
    {
        QFileSystemModel model; // what QFileDialog lists the files with
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString() + ' ' + model.headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Nome Tamanho"));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!socket.waitForConnected(5000));
        QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
        QVERIFY2(socket.errorString().contains(QStringLiteral("recusada")), qPrintable(socket.errorString()));
    }

    void detectsPortableAndInstalledFolders_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QStringList>("found"); // data, private, resource folders
        QTest::newRow("build's program folder")
            << QStringList{"build/programa", "build/share/zedozarir"} << "build/programa" << "/xdg"
            << false << QStringList{"build/programa", "build/programa", "build/programa"};
        QTest::newRow("copy carried into a bin folder")
            << QStringList{"home/ana/bin"} << "home/ana/bin" << "/xdg"
            << false << QStringList{"home/ana/bin", "home/ana/bin", "home/ana/bin"};
        QTest::newRow("installation, XDG_DATA_HOME set")
            << kInstallation << "usr/bin" << "/xdg"
            << true << QStringList{"xdg/Zedozarir", "usr/lib/zedozarir", "usr/share/zedozarir"};
        QTest::newRow("installation, XDG_DATA_HOME unset")
            << QStringList{"opt/z/bin", "opt/z/share/zedozarir"} << "opt/z/bin/." << QString()
            << true << QStringList{"home/ana/.local/share/Zedozarir", "opt/z/lib/zedozarir", "opt/z/share/zedozarir"};
        QTest::newRow("installation, relative XDG_DATA_HOME ignored")
            << kInstallation << "usr/bin" << "dados"
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

    // An installation gives each user a private data folder and an empty
    // database once, or says why it cannot; a portable folder's missing file stays missing.
    void preparesTheUsersDatabaseOnlyWhenInstalled()
    {
        const FakeMachine installed(kInstallation);
        const ProgramLayout layout = installed.detect(QStringLiteral("usr/bin"));
        const QString database = layout.dataFolder() + QStringLiteral("/dados.mdb");
        QCOMPARE(layout.prepareDatabase(QStringLiteral("dados.mdb")), QString());
        QVERIFY(QFile::exists(database) && QFileInfo(database).size() == 0);
        QCOMPARE(QFile::permissions(layout.dataFolder()) & 0x0077, QFile::Permissions());

        QFile file(database);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("guardado") == 8);
        file.close();
        QCOMPARE(layout.prepareDatabase(QStringLiteral("dados.mdb")), QString());
        QCOMPARE(QFileInfo(database).size(), 8);

        const FakeMachine portable({QStringLiteral("programa")});
        const ProgramLayout carried = portable.detect(QStringLiteral("programa"));
        QVERIFY(carried.prepareDatabase("dados.mdb").isEmpty() && !QFile::exists(portable.path("programa/dados.mdb")));

        const FakeMachine machine(kInstallation, QStringLiteral("/arquivo"));
        QVERIFY(QFile(machine.path(QStringLiteral("arquivo"))).open(QIODevice::WriteOnly));
        const QString error = machine.detect(QStringLiteral("usr/bin")).prepareDatabase(QStringLiteral("dados.mdb"));
        QVERIFY2(error.startsWith(QStringLiteral("não foi possível criar a pasta ")), qPrintable(error));
    }

    // The whole program asks the same place: the store, the control host and
    // the background picture of an installed program.
    void theProgramUsesTheInstalledFolders()
    {
        const FakeMachine machine(kInstallation);
        qputenv("XDG_DATA_HOME", machine.env.value(QStringLiteral("XDG_DATA_HOME")).toLocal8Bit());
        runtime::Platform platform(machine.path(QStringLiteral("usr/bin")));
        auto *shown = new ScriptedMessageBoxes; // owned by the platform
        platform.setMessageBoxes(std::unique_ptr<ScriptedMessageBoxes>(shown));
        modgeral store(platform);
        store.abrirbanco();
        QVERIFY(store.isOpen() && store.appendReminder("2006/03/10", "Dentista", QString()) && shown->shown.isEmpty());
        QVERIFY(QFileInfo(machine.path("xdg/Zedozarir/dados.mdb")).size() > 0);
        QVERIFY(!QFile::exists(machine.path("usr/bin/dados.mdb")));

        QCOMPARE(runtime::ControlHost(platform).libraryPath(QString::fromLatin1(almanaq::ProgId)),
                 machine.path(QStringLiteral("usr/lib/zedozarir/libAlmanaq.so")));
        QCOMPARE(platform.resourceFile(QStringLiteral("fundo.gif")),
                 machine.path(QStringLiteral("usr/share/zedozarir/fundo.gif")));
        qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_MAIN(ProgramLayoutTest)
#include "tst_programlayout.moc"
