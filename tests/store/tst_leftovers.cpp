// What a killed run of "lembrete --importar" leaves behind, and how the next run deals with it. The program and its
// reader run from a folder of their own, so that their database is the test's.
#include "store/dailycopy.h"
#include "store/leftovers.h"
#include "storefixture.h"
#include "support/importfuzz.h"
#include "support/startupfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes many rows into the database at path and kills itself before the commit, as a killed import would.
const QString kKilledWrite = QStringLiteral(
    "import os, sqlite3, sys\n"
    "db = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
    "db.executescript('pragma cache_size=2; begin; create table if not exists lembrete (id integer primary key "
    "autoincrement, data text not null, titulo text not null, descricao text not null default \\'\\')')\n"
    "db.executemany(\"insert into lembrete (data, titulo, descricao) values ('2030/01/01', 'morto', ?)\", "
    "[('x' * 1000,)] * 3000)\n"
    "os.kill(os.getpid(), 9)\n");

int rowCount(const QString &path)
{
    return rowsIn(path, QStringLiteral("select count(*) from lembrete")).value(0).toInt();
}

QStringList partialCopiesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.parcial-*")}, QDir::Files);
}

} // namespace

class tst_Leftovers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const QString &name : {QStringLiteral("lembrete"), QStringLiteral("lembrete-formato-antigo")})
            QVERIFY(QFile::copy(QDir(QStringLiteral(LEMBRETE_PROGRAM_DIR)).filePath(name), m_program.filePath(name)));
        const QString failure = importfuzz::makeSampleFile(QStringLiteral(JET_FIXTURE_TOOL), m_oldFile, false);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A copy another user's run is making stays, also when the tests run as root.
    void anotherUsersCopyUnderWayStays()
    {
        QTemporaryDir copies;
        QVERIFY(QFile::setPermissions(copies.path(), QFileDevice::Permissions(0x7777)));
        const QString other = QDir(copies.path()).filePath(QStringLiteral("dados-2006-03-10.mdb.parcial-1"));
        QVERIFY(writeFile(other, QByteArray()));
        const pid_t child = ::fork();
        if (child == 0) { // as nobody, for whom the first process is another user's
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            leftovers::removeUnfinishedCopies(copies.path());
            ::_exit(0);
        }
        int status = -1;
        QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(other));
    }

    void whatAKilledRunLeavesIsGoneAfterTheNextRun_data()
    {
        QTest::addColumn<QString>("killed");
        QTest::newRow("write into the database, journal left") << "journal";
        QTest::newRow("new database being built") << "new database";
        QTest::newRow("day's copy ended by SIGTERM") << "SIGTERM";
        QTest::newRow("day's copy killed outright") << "SIGKILL";
        QTest::newRow("day's copy named first by another run") << "named";
    }

    void whatAKilledRunLeavesIsGoneAfterTheNextRun()
    {
        QFETCH(QString, killed);
        const QDir folder(m_program.path());
        const QString database = folder.filePath(QStringLiteral("dados.mdb"));
        const QString copies = DailyCopy::folderFor(database);
        QDir(copies).removeRecursively();
        for (const QString &file : folder.entryList({QStringLiteral("dados.mdb*")}, QDir::Files | QDir::Hidden))
            QVERIFY(QFile::remove(folder.filePath(file)));
        const QString today = QDir(copies).filePath(DailyCopy::fileNameFor(QDate::currentDate()));
        const QString otherRun = today + QStringLiteral(".parcial-%1").arg(QCoreApplication::applicationPid());
        const QString otherUser = today + QStringLiteral(".parcial-1"); // the first process runs for ever, as root

        int before = 0;
        if (killed == QLatin1String("journal") || killed == QLatin1String("new database")) {
            QProcess first;
            import(first);
            QVERIFY(first.waitForFinished(60000) && first.exitCode() == 0);
            before = rowCount(database);
            const QString target = killed == QLatin1String("journal") ? database
                                                                     : folder.filePath(QStringLiteral("dados.mdb.Ab12Cd.novo"));
            // -1: the child ended by a signal, as it meant to.
            QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), kKilledWrite, target}), -1);
            QVERIFY(QFile::exists(target + QStringLiteral("-journal")));
        } else {
            // About 60 MB, whose day's copy takes long enough to be caught midway.
            QVERIFY(startupfiles::asAnotherProgram(database, {
                "create table lembrete (id integer primary key autoincrement, data text not null, "
                "titulo text not null, descricao text not null default '')",
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 60000) insert into lembrete "
                "(data, titulo, descricao) select '2006/03/10', i, replace(hex(zeroblob(500)), '0', 'x') from n"}));
            before = rowCount(database);
            QProcess process;
            const int pid = import(process);
            const QString partial = today + QStringLiteral(".parcial-%1").arg(pid);
            QElapsedTimer clock;
            clock.start();
            while (!QFile::exists(partial) && process.state() == QProcess::Running && clock.elapsed() < 60000)
                QThread::usleep(500);
            const bool caught = QFile::exists(partial) && process.state() == QProcess::Running;
            if (killed == QLatin1String("named")) { // the other run's copy serves: nothing failed
                QVERIFY(writeFile(today, QByteArray()) && process.waitForFinished(60000));
                const QByteArray said = process.readAll();
                QVERIFY2(caught && process.exitCode() == 0 && !said.contains("cópia do dia"), said.constData());
                QCOMPARE(partialCopiesIn(copies), QStringList());
                return;
            }
            ::kill(pid, killed == QLatin1String("SIGTERM") ? SIGTERM : SIGKILL);
            process.waitForFinished(60000);
            QVERIFY2(caught, "the day's copy was not caught under way");
            // Ended by a signal it can catch, the copy takes its partial file with it.
            QVERIFY(killed == QLatin1String("SIGKILL") ? QFile::exists(partial) : partialCopiesIn(copies).isEmpty());
            // Copies that other runs of the program, this user's or another's, are making right now stay.
            QVERIFY(writeFile(otherRun, QByteArray()) && writeFile(otherUser, QByteArray()));
        }

        QProcess next;
        import(next);
        QVERIFY2(next.waitForFinished(120000) && next.exitStatus() == QProcess::NormalExit && next.exitCode() == 0,
                 next.readAll().constData());
        // Nothing of the killed write came in; the import did, once.
        QCOMPARE(rowCount(database), before + int(importfuzz::sampleRows().size()));
        QCOMPARE(folder.entryList({QStringLiteral("dados.mdb*")}, QDir::Files | QDir::Hidden), QStringList{"dados.mdb"});
        const QStringList live{otherUser.section('/', -1), otherRun.section('/', -1)};
        QCOMPARE(partialCopiesIn(copies), killed.startsWith(QLatin1String("SIG")) ? live : QStringList());
    }

private:
    int import(QProcess &process)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(m_program.filePath(QStringLiteral("lembrete")), {QStringLiteral("--importar"), m_oldFile});
        return process.waitForStarted() ? int(process.processId()) : 0;
    }

    QTemporaryDir m_program;
    const QString m_oldFile = m_program.filePath(QStringLiteral("antigo.mdb"));
};

QTEST_GUILESS_MAIN(tst_Leftovers)
#include "tst_leftovers.moc"
