#include "store/dailycopy.h"
#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/removalundo.h"
#include "support/fakeplatform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSqlRecord>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray checksum(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList titlesOf(modgeral &store, const Statement &statement)
{
    QStringList titles;
    if (!store.openRecordset(statement))
        return {QStringLiteral("<falhou: ") + store.lastError() + QLatin1Char('>')};
    while (store.recordset().next())
        titles << store.recordset().value(2).toString();
    return titles;
}

// The bytes of an SQLite file made by running statements in a fresh database.
QByteArray sqliteFile(const QStringList &statements)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        db.transaction();
        for (const QString &statement : statements)
            query.exec(statement);
        db.commit();
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("seed"));
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A reminder database of 3,000 rows whose day-and-title index has one page
// overwritten: its check fails and a list in day order stops midway.
QByteArray damagedReminderDatabase()
{
    QStringList statements{QStringLiteral("create table lembrete (id integer primary key autoincrement, "
                                          "data text not null, titulo text not null, "
                                          "descricao text not null default '')")};
    for (int i = 0; i < 3000; ++i)
        statements << QStringLiteral("insert into lembrete (data, titulo, descricao) values "
                                     "('2006/%1/%2', 'Lembrete %3', '%4')")
                          .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                          .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                          .arg(i, 4, 10, QLatin1Char('0'))
                          .arg(QString(200, QLatin1Char('x')));
    statements << QStringLiteral("create index lembrete_data on lembrete (data, titulo)");
    QByteArray bytes = sqliteFile(statements);
    const qsizetype page = (bytes.size() / 4096 - 4) * 4096;
    bytes.replace(page + 100, 3900, QByteArray(3900, '\x55'));
    return bytes;
}

// Every row with every column, in key order.
QStringList everyRow(modgeral &store)
{
    QStringList rows;
    QSqlQuery query(QStringLiteral("select rowid, * from lembrete order by rowid"), store.connection());
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << query.value(i).toString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

const QString kOpenFailure = QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ");

} // namespace

class ReminderStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void openingAMissingFileReportsOncePerCallAndCreatesNothing()
    {
        FakePlatform fake;
        modgeral store(fake.platform());
        store.abrirbanco();
        store.abrirbanco();
        QCOMPARE(fake.messages->shown.size(), 2);
        for (const RecordedMessage &message : fake.messages->shown) {
            QVERIFY(message.text.startsWith(kOpenFailure));
            QCOMPARE(message.title, QStringLiteral("Erro"));
            QCOMPARE(message.icon, runtime::MessageIcon::Critical);
        }
        QVERIFY(!store.isOpen());
        QVERIFY(!QFile::exists(fake.databasePath()));
    }

    void foreignFilesAreReportedAndLeftByteForByte_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("wordInMessage");
        QByteArray noise(4096, '\0');
        for (char &byte : noise)
            byte = char(QRandomGenerator::global()->bounded(256));
        noise[0] = 'X'; // never a database header by chance
        QTest::newRow("random bytes") << noise << QStringLiteral("não é um banco de dados de lembretes");
        QByteArray jet(2048, '\0');
        jet.replace(4, 15, "Standard Jet DB");
        QTest::newRow("older engine") << jet << QStringLiteral("formato antigo");
        QByteArray ace(2048, '\0');
        ace.replace(4, 15, "Standard ACE DB");
        QTest::newRow("newer older engine") << ace << QStringLiteral("formato antigo");
        QByteArray damaged("SQLite format 3");
        damaged.append('\0');
        damaged.append(QByteArray(200, '\x7f'));
        QTest::newRow("damaged database") << damaged << QString();
        QTest::newRow("another program's database")
            << sqliteFile({QStringLiteral("create table outra (x integer)")})
            << QStringLiteral("de outro programa");
        QTest::newRow("a lembrete table of another shape")
            << sqliteFile({QStringLiteral("create table lembrete (quando text, oque text)")})
            << QStringLiteral("faltam as colunas data, titulo, descricao");
    }

    void foreignFilesAreReportedAndLeftByteForByte()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, wordInMessage);
        FakePlatform fake;
        writeFile(fake.databasePath(), content);
        const QByteArray before = checksum(fake.databasePath());

        modgeral store(fake.platform());
        store.abrirbanco();

        QVERIFY(!store.isOpen());
        QVERIFY(!fake.messages->shown.isEmpty());
        const RecordedMessage &last = fake.messages->shown.last();
        QVERIFY(last.text.startsWith(kOpenFailure));
        QVERIFY2(last.text.contains(wordInMessage), qPrintable(last.text));
        QCOMPARE(checksum(fake.databasePath()), before);
    }

    void anEmptyFileOrADatabaseWithoutTheTableGetsTheTable()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isOpen());
        QVERIFY(fake.messages->shown.isEmpty());
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("a"), QString()));

        // A database without a single table (only a header value set).
        FakePlatform other;
        writeFile(other.databasePath(), sqliteFile({QStringLiteral("pragma user_version = 7")}));
        modgeral otherStore(other.platform());
        otherStore.abrirbanco();
        QVERIFY(otherStore.isOpen());
        QCOMPARE(titlesOf(otherStore, modgeral::allReminders()), QStringList());
    }

    void aDamagedDatabaseIsReportedOnceAndOnlyRead()
    {
        FakePlatform fake;
        writeFile(fake.databasePath(), damagedReminderDatabase());
        const QByteArray before = checksum(fake.databasePath());
        modgeral store(fake.platform());
        store.abrirbanco();
        store.abrirbanco(); // every list load opens again; the report comes once

        QVERIFY(store.isOpen());
        QVERIFY(store.isReadOnly());
        QCOMPARE(fake.messages->shown.size(), 1);
        QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
        QVERIFY2(fake.messages->shown[0].text.contains(QStringLiteral("está danificado"))
                     && fake.messages->shown[0].text.contains(QStringLiteral("somente para leitura")),
                 qPrintable(fake.messages->shown[0].text));
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("Lembrete 0007"))),
                 QStringList{QStringLiteral("Lembrete 0007")});
        QVERIFY(!store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        QVERIFY(store.lastError().contains(QStringLiteral("somente para leitura")));
        QVERIFY(!store.execute(modgeral::titleDelete(QStringLiteral("Lembrete 0007"))));
        store.setEditStatement(modgeral::titleQuery(QStringLiteral("Lembrete 0007")));
        QVERIFY(!store.updateReminder(QStringLiteral("2006/03/10"), QStringLiteral("x"), QString()));
        // The day-ordered list stops at the damaged page with an error, never quietly.
        QVERIFY(store.openRecordset(modgeral::allReminders()));
        int read = 0;
        while (store.recordset().next())
            ++read;
        QVERIFY(read > 0 && read < 3000);
        QVERIFY(store.recordset().lastError().isValid());
        store.closeRecordset();
        QCOMPARE(checksum(fake.databasePath()), before);
    }

    void aProgramFolderThatIsGoneIsReportedWithoutACrash()
    {
        FakePlatform fake;
        runtime::Platform gone(fake.folder() + QStringLiteral("/nao-existe"));
        auto messages = std::make_unique<ScriptedMessageBoxes>();
        ScriptedMessageBoxes *recorded = messages.get();
        gone.setMessageBoxes(std::move(messages));
        modgeral store(gone);
        store.abrirbanco();
        QVERIFY(!store.isOpen());
        QCOMPARE(recorded->shown.size(), 1);
        QVERIFY(!store.openRecordset(modgeral::allReminders()));
        QVERIFY(!store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("a"), QString()));
    }

    void titlesWithQuotesAndWildcardsMatchOnlyThemselves()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        const QStringList awkward{
            QStringLiteral("d'água"), QStringLiteral("100%"), QStringLiteral("a_c"),
            QStringLiteral("aspas \"duplas\""), QStringLiteral("barra \\ invertida"),
            QStringLiteral("duas\nlinhas"), QStringLiteral("abc"), QStringLiteral("1000"),
        };
        for (const QString &title : awkward)
            QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), title, title + QStringLiteral("!")));

        for (const QString &title : awkward) {
            QVERIFY(store.openRecordset(modgeral::titleQuery(title)));
            QVERIFY(store.recordset().next());
            QCOMPARE(store.recordset().value(2).toString(), title);
            QCOMPARE(store.recordset().value(3).toString(), title + QStringLiteral("!"));
            QVERIFY2(!store.recordset().next(), qPrintable(title));
        }
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("%"))), QStringList());
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("a%"))), QStringList());

        QVERIFY(store.execute(modgeral::titleDelete(QStringLiteral("a_c"))));
        QVERIFY(store.execute(modgeral::titleDelete(QStringLiteral("d'água"))));
        const QStringList left = titlesOf(store, modgeral::allReminders());
        QCOMPARE(left.size(), awkward.size() - 2);
        QVERIFY(left.contains(QStringLiteral("abc")));
        QVERIFY(!left.contains(QStringLiteral("a_c")));
    }

    void titlesMatchWithoutRegardToLetterCaseAcrossUnicode()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("ÓTIMO Dia"), QString()));
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("ótimo dia"))),
                 QStringList{QStringLiteral("ÓTIMO Dia")});
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("otimo dia"))), QStringList());
        QVERIFY(store.execute(modgeral::titleDelete(QStringLiteral("Ótimo DIA"))));
        QCOMPARE(titlesOf(store, modgeral::allReminders()), QStringList());
    }

    // Reminders sharing a title stay apart: each is found by its key.
    void aRowIsEditedAndRemovedByItsKeyAndUndoPutsItBack()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/12"), QStringLiteral("Pagar"), QStringLiteral("primeiro")));
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("Pagar"), QStringLiteral("segundo")));
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/13"), QStringLiteral("pagar"), QString()));

        store.setEditStatement(modgeral::keyQuery(2));
        QVERIFY(store.updateReminder(QStringLiteral("2006/04/01"), QStringLiteral("Pago"), QStringLiteral("novo")));
        QCOMPARE(titlesOf(store, modgeral::titleQuery(QStringLiteral("pago"))), QStringList{QStringLiteral("Pago")});
        const QStringList before = everyRow(store);
        RemovalUndo removal;
        QString error;
        QVERIFY(!removal.canUndo());
        QVERIFY(removal.remove(store, 1, &error));
        QCOMPARE(titlesOf(store, modgeral::allReminders()), (QStringList{QStringLiteral("pagar"), QStringLiteral("Pago")}));
        // A key no row has any more removes nothing and keeps the undo.
        QVERIFY(!removal.remove(store, 1, &error));
        QVERIFY2(error.contains(QStringLiteral("não existe mais")), qPrintable(error));
        QVERIFY(removal.canUndo());

        // Undo puts the row back as it was, key included, and only once.
        QVERIFY2(removal.undo(store, &error), qPrintable(error));
        QCOMPARE(everyRow(store), before);
        QVERIFY(!removal.canUndo());
        QVERIFY(!removal.undo(store, &error));
    }

    void everyChangeFirstCopiesTheDatabaseOnceADayKeepingSeven()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        const QDir copies(DailyCopy::folderFor(fake.databasePath()));
        QVERIFY(QDir().mkpath(copies.path()));
        for (int day = 1; day <= 8; ++day) // older copies; the two oldest must go
            writeFile(copies.filePath(QStringLiteral("dados-2006-02-%1.mdb").arg(day, 2, 10, QLatin1Char('0'))), "x");
        writeFile(copies.filePath(QStringLiteral("outro.txt")), "not a copy");
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("primeiro"), QString()));
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("segundo"), QString()));

        const QString today = copies.filePath(QStringLiteral("dados-2006-03-10.mdb"));
        QCOMPARE(DailyCopy::copiesIn(copies.path()).size(), DailyCopy::kKept);
        QCOMPARE(DailyCopy::copiesIn(copies.path()).constFirst(), QStringLiteral("dados-2006-02-03.mdb"));
        QVERIFY(copies.exists(QStringLiteral("outro.txt")));
        // The copy is the database as it was before the day's first change.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        db.setDatabaseName(today);
        QVERIFY(db.open());
        QSqlQuery query(QStringLiteral("select count(*) from sqlite_master where name = 'lembrete'"), db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QVERIFY(query.exec(QStringLiteral("select count(*) from lembrete")) && query.next());
        QCOMPARE(query.value(0).toInt(), 0);
        query.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
        QVERIFY(fake.messages->shown.isEmpty());
    }

    void theDayCopyIsMadeAheadAndTheFirstChangeWaitsForIt_data()
    {
        QTest::addColumn<bool>("copyEndsFirst");
        QTest::addColumn<bool>("programEndsDuringCopy");
        QTest::newRow("copy made before the change") << true << false;
        QTest::newRow("change while the copy runs") << false << false;
        QTest::newRow("program ends during the copy") << false << true;
    }

    void theDayCopyIsMadeAheadAndTheFirstChangeWaitsForIt()
    {
        QFETCH(bool, copyEndsFirst);
        QFETCH(bool, programEndsDuringCopy);
        FakePlatform fake;
        fake.createEmptyDatabase();
        const QDir copies(DailyCopy::folderFor(fake.databasePath()));
        const QString copy = copies.filePath(DailyCopy::fileNameFor(fake.platform().clock().today()));
        constexpr int kRows = 40000; // about 40 MB: the copy takes several steps
        {
            modgeral store(fake.platform());
            store.abrirbanco();
            QSqlDatabase db = store.connection();
            db.transaction();
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao) values ('2006/03/10', ?, ?)"));
            for (int i = 0; i < kRows; ++i) {
                insert.addBindValue(QString::number(i));
                insert.addBindValue(QString(1000, QLatin1Char('x')));
                insert.exec();
            }
            db.commit();

            store.makeDailyCopyAhead();
            if (copyEndsFirst)
                QTRY_VERIFY(QFileInfo::exists(copy));
            if (!programEndsDuringCopy)
                QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        }
        // Only a whole copy of the file as it was before the change carries the day's name.
        QCOMPARE(copies.entryList(QDir::Files), QFileInfo::exists(copy) ? QStringList{copy.section('/', -1)}
                                                                         : QStringList());
        QVERIFY(programEndsDuringCopy || QFileInfo::exists(copy));
        if (QFileInfo::exists(copy)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
            db.setDatabaseName(copy);
            QVERIFY(db.open());
            QSqlQuery query(QStringLiteral("select count(*) from lembrete"), db);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), kRows);
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
        QVERIFY(fake.messages->shown.isEmpty());
    }

    void aCopyThatCannotBeMadeIsToldOnceAndTheChangeStillGoesIn()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        writeFile(DailyCopy::folderFor(fake.databasePath()), "a file where the folder should be");
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("um"), QString()));
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("dois"), QString()));
        QCOMPARE(titlesOf(store, modgeral::allReminders()), (QStringList{"dois", "um"}));
        QCOMPARE(fake.messages->shown.size(), 1);
        QCOMPARE(fake.messages->shown[0].icon, runtime::MessageIcon::Warning);
        QVERIFY2(fake.messages->shown[0].text.contains(QStringLiteral("não pôde ser feita")),
                 qPrintable(fake.messages->shown[0].text));
    }

    void anEditWhoseReminderIsGoneWritesNothing()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/12"), QStringLiteral("Sumiu"), QString()));
        store.setEditStatement(modgeral::titleQuery(QStringLiteral("Sumiu")));
        QVERIFY(store.execute(modgeral::titleDelete(QStringLiteral("Sumiu"))));
        QVERIFY(!store.updateReminder(QStringLiteral("2006/03/12"), QStringLiteral("Outro"), QString()));
        QVERIFY(store.lastError().contains(QStringLiteral("não foi encontrado")));
        QCOMPARE(titlesOf(store, modgeral::allReminders()), QStringList());
    }

    void dayQueriesIncludeBothEndsOfTheirRange()
    {
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("dez"), QString()));
        const QStringList dez{QStringLiteral("dez")};
        QCOMPARE(titlesOf(store, modgeral::oneDay(QDate(2006, 3, 10))), dez);
        QCOMPARE(titlesOf(store, modgeral::oneDay(QDate(2006, 3, 11))), QStringList());
        QCOMPARE(titlesOf(store, modgeral::dateRange(QDate(2006, 3, 5), QDate(2006, 3, 10))), dez);
        QCOMPARE(titlesOf(store, modgeral::dateRange(QDate(2006, 3, 10), QDate(2006, 3, 17))), dez);
        QCOMPARE(titlesOf(store, modgeral::dateRange(QDate(2006, 3, 11), QDate(2006, 3, 18))), QStringList());
    }

    void theOpenDocumentHelperHandsThePathToTheShell()
    {
        FakePlatform fake;
        modgeral store(fake.platform());
        fake.shell->result = false; // a failure is not examined
        store.openDocument(QStringLiteral("/tmp/relatorio.html"), nullptr);
        QCOMPARE(fake.shell->opened, QStringList{QStringLiteral("/tmp/relatorio.html")});
        QVERIFY(fake.messages->shown.isEmpty());
    }

    void dayTextsConvertBothWays()
    {
        QCOMPARE(daytext::stored(QDate(2006, 3, 5)), QStringLiteral("2006/03/05"));
        QCOMPARE(daytext::shown(QDate(2006, 3, 5)), QStringLiteral("05/03/2006"));
        QCOMPARE(daytext::shown(QDate(800, 1, 2)), QStringLiteral("02/01/0800"));
        QCOMPARE(daytext::fromStored(QStringLiteral("2006/03/05")), QDate(2006, 3, 5));
        QVERIFY(!daytext::fromStored(QStringLiteral("2006/02/30")).isValid());
        QVERIFY(!daytext::fromStored(QStringLiteral("05/03/2006")).isValid());
        QCOMPARE(daytext::fromTyped(QStringLiteral(" 05/03/2006 ")).day, QDate(2006, 3, 5));
        QCOMPARE(daytext::fromTyped(QStringLiteral("5/3/2006")).day, QDate(2006, 3, 5));
        QVERIFY(!daytext::fromTyped(QStringLiteral("31/02/2007")).ok());
        QVERIFY(daytext::fromTyped(QStringLiteral("31/02/2007")).error.contains(QStringLiteral("não existe")));
        QVERIFY(!daytext::fromTyped(QStringLiteral("  /  /    ")).ok());
        QVERIFY(!daytext::fromTyped(QString()).ok());
        QCOMPARE(daytext::daysLeft(QDate(2006, 3, 7), QDate(2006, 3, 10)), QStringLiteral("-3 dias"));
        QCOMPARE(daytext::daysLeft(QDate(2006, 3, 11), QDate(2006, 3, 10)), QStringLiteral("1 dias"));
    }
};

QTEST_MAIN(ReminderStoreTest)
#include "tst_modgeral.moc"
