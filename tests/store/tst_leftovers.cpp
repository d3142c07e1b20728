// What a run of "lembrete --importar" that is killed midway leaves behind, and
// how the next run deals with it. The program and its reader run from a folder
// of their own, so that their database is the test's.

#include "store/dailycopy.h"
#include "support/importfuzz.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Starts a write of many rows into the database at path and kills itself
// before the commit, as a killed import would: the journal is left hot.
const QString kKilledWrite = QStringLiteral(
    "import os, sqlite3, sys\n"
    "db = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
    "db.execute('pragma cache_size=2')\n"
    "db.execute('begin')\n"
    "db.execute('create table if not exists lembrete (id integer primary key autoincrement, "
    "data text not null, titulo text not null, descricao text not null default \\'\\')')\n"
    "for i in range(3000):\n"
    "    db.execute(\"insert into lembrete (data, titulo, descricao) values ('2030/01/01', 'morto', ?)\", "
    "('x' * 1000,))\n"
    "os.kill(os.getpid(), 9)\n");

int rowsIn(const QString &path)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("select count(*) from lembrete")) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return rows;
}

// A reminder database of about 60 MB, whose day's copy takes long enough to be
// caught midway.
void makeLargeDatabase(const QString &path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("large"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("create table lembrete (id integer primary key autoincrement, "
                                          "data text not null, titulo text not null, "
                                          "descricao text not null default '')")));
        QVERIFY(db.transaction());
        QVERIFY(query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao) "
                                             "values ('2006/03/10', ?, ?)")));
        for (int i = 0; i < 60000; ++i) {
            query.addBindValue(QString::number(i));
            query.addBindValue(QString(1000, QLatin1Char('x')));
            QVERIFY(query.exec());
        }
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("large"));
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
    void initTestCase();
    void whatAKilledRunLeavesIsGoneAfterTheNextRun_data();
    void whatAKilledRunLeavesIsGoneAfterTheNextRun();

private:
    int import(QProcess &process);
    QString killDuringTheDayCopy(int signal);

    QTemporaryDir m_program;
    QString m_oldFile;
};

void tst_Leftovers::initTestCase()
{
    for (const QString &name : {QStringLiteral("lembrete"), QStringLiteral("lembrete-formato-antigo")})
        QVERIFY(QFile::copy(QDir(QStringLiteral(LEMBRETE_PROGRAM_DIR)).filePath(name), m_program.filePath(name)));
    m_oldFile = m_program.filePath(QStringLiteral("antigo.mdb"));
    const QString failure = importfuzz::makeSampleFile(QStringLiteral(JET_FIXTURE_TOOL), m_oldFile, false);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

int tst_Leftovers::import(QProcess &process)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(m_program.filePath(QStringLiteral("lembrete")), {QStringLiteral("--importar"), m_oldFile});
    return process.waitForStarted() ? int(process.processId()) : 0;
}

// Starts an import into the large database and sends signal once its day's
// copy is under way; returns the partial copy seen then.
QString tst_Leftovers::killDuringTheDayCopy(int signal)
{
    const QString copies = DailyCopy::folderFor(m_program.filePath(QStringLiteral("dados.mdb")));
    QProcess process;
    const int pid = import(process);
    const QString partial = QDir(copies).filePath(
        DailyCopy::fileNameFor(QDate::currentDate()) + QStringLiteral(".parcial-%1").arg(pid));
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(partial) && process.state() == QProcess::Running && clock.elapsed() < 60000)
        QThread::usleep(500);
    const bool caught = QFile::exists(partial) && process.state() == QProcess::Running;
    ::kill(pid, signal);
    process.waitForFinished(60000);
    if (!caught)
        return QString();
    return partial;
}

void tst_Leftovers::whatAKilledRunLeavesIsGoneAfterTheNextRun_data()
{
    QTest::addColumn<QString>("killed");
    QTest::newRow("write into the database, journal left") << "journal";
    QTest::newRow("new database being built") << "new database";
    QTest::newRow("day's copy ended by SIGTERM") << "SIGTERM";
    QTest::newRow("day's copy killed outright") << "SIGKILL";
}

void tst_Leftovers::whatAKilledRunLeavesIsGoneAfterTheNextRun()
{
    QFETCH(QString, killed);
    const QDir folder(m_program.path());
    const QString database = folder.filePath(QStringLiteral("dados.mdb"));
    const QString copies = DailyCopy::folderFor(database);
    QDir(copies).removeRecursively();
    for (const QString &file : folder.entryList({QStringLiteral("dados.mdb*")}, QDir::Files | QDir::Hidden))
        QVERIFY(QFile::remove(folder.filePath(file)));
    const QString otherRun = QDir(copies).filePath(
        DailyCopy::fileNameFor(QDate::currentDate())
        + QStringLiteral(".parcial-%1").arg(QCoreApplication::applicationPid()));

    int before = 0;
    if (killed == QLatin1String("journal") || killed == QLatin1String("new database")) {
        QProcess first;
        import(first);
        QVERIFY(first.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        before = rowsIn(database);
        const QString target = killed == QLatin1String("journal")
            ? database
            : folder.filePath(QStringLiteral("dados.mdb.Ab12Cd.novo"));
        // -1: the child ended by a signal, as it meant to.
        QCOMPARE(QProcess::execute(kPython, {QStringLiteral("-c"), kKilledWrite, target}), -1);
        QVERIFY(QFile::exists(target + QStringLiteral("-journal")));
    } else {
        makeLargeDatabase(database);
        before = rowsIn(database);
        const QString partial = killDuringTheDayCopy(killed == QLatin1String("SIGTERM") ? SIGTERM : SIGKILL);
        QVERIFY2(!partial.isEmpty(), "the day's copy was not caught under way");
        // Ended by a signal it can catch, the copy takes its partial file with it.
        QCOMPARE(QFile::exists(partial), killed == QLatin1String("SIGKILL"));
        if (killed == QLatin1String("SIGTERM"))
            QCOMPARE(partialCopiesIn(copies), QStringList());
        // A copy that another run of the program is making right now stays.
        QVERIFY(QDir().mkpath(copies));
        QFile live(otherRun);
        QVERIFY(live.open(QIODevice::WriteOnly));
    }

    QProcess next;
    import(next);
    QVERIFY(next.waitForFinished(120000));
    QVERIFY2(next.exitStatus() == QProcess::NormalExit && next.exitCode() == 0, next.readAll().constData());
    // Nothing of the killed write came in; the import did, once.
    QCOMPARE(rowsIn(database), before + int(importfuzz::sampleRows().size()));
    QCOMPARE(folder.entryList({QStringLiteral("dados.mdb*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("dados.mdb")});
    const QStringList partials = partialCopiesIn(copies);
    QCOMPARE(partials, QFile::exists(otherRun) ? QStringList{otherRun.section('/', -1)} : QStringList());
    QFile::remove(otherRun);
}

QTEST_GUILESS_MAIN(tst_Leftovers)
#include "tst_leftovers.moc"
