// Bringing reminders over from a dados.mdb of the earlier Windows program.
// The old files are generated here with the fixture generator of the shared
// tools folder, so every case states exactly what the old file holds.

#include "store/dailycopy.h"
#include "store/jetimport.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

#ifndef JET_FIXTURE_TOOL
#define JET_FIXTURE_TOOL ""
#endif

using runtime::MessageAnswer;
using runtime::MessageButtons;
using runtime::MessageIcon;

namespace {

const QString kOpenFailure = QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ");

struct Reminder
{
    QString day;
    QString title;
    QString description;
    bool operator==(const Reminder &other) const
    {
        return day == other.day && title == other.title && description == other.description;
    }
};

QString fixtureTool()
{
    const QString fromEnvironment = qEnvironmentVariable("MAKE_JET_MDB");
    return fromEnvironment.isEmpty() ? QStringLiteral(JET_FIXTURE_TOOL) : fromEnvironment;
}

// Writes an old-format file; rows are JSON values (null for NULL).
void makeOldFile(const QString &path, const QJsonArray &rows, const QStringList &options = {})
{
    const QString rowsFile = path + QStringLiteral(".rows.json");
    {
        QFile file(rowsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(rows).toJson());
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{fixtureTool(), path, QStringLiteral("--rows"), rowsFile} + options);
    QVERIFY2(python.waitForFinished(60000), "the fixture generator did not finish");
    QVERIFY2(python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0,
             python.readAllStandardError().constData());
    QVERIFY(QFile::remove(rowsFile));
}

// One JSON row per reminder (braces alone would copy a single row instead).
QJsonArray rowsOf(std::initializer_list<QJsonArray> rows)
{
    QJsonArray all;
    for (const QJsonArray &row : rows)
        all.append(row);
    return all;
}

QByteArray checksum(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QList<Reminder> remindersIn(const QString &databasePath)
{
    QList<Reminder> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(databasePath);
        if (db.open()) {
            QSqlQuery query(QStringLiteral("select data, titulo, descricao from lembrete order by id"), db);
            while (query.next())
                rows.append({query.value(0).toString(), query.value(1).toString(),
                             query.value(2).toString()});
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

QString longDescription()
{
    QString text;
    for (int i = 1; text.size() <= 25000; ++i)
        text += QStringLiteral("Linha %1: pão, maçã, café e açúcar \"ok\"\r\n").arg(i, 4, 10, QLatin1Char('0'));
    return text;
}

// Rows that every old format can hold (Jet 3 keeps texts in cp1252).
QJsonArray sampleRows()
{
    return rowsOf({
        QJsonArray{"2024/01/15", "Reunião com a diretoria", "Levar relatório.\nConfirmar sala às 9h."},
        QJsonArray{"29/02/2024", "Ligar p/ o Sr. O'Brien", "Assunto: \"orçamento\" d'água\r\nTel.: 5555"},
        QJsonArray{"5-3-2024", "Pagar condomínio", QJsonValue::Null},
        QJsonArray{"2024-12-24", "Véspera de Natal € — família", ""},
        QJsonArray{"2006/03/10", "Memo longo", longDescription()},
    });
}

// Damages the description of one row in place: "length" makes the length
// field of a description kept on a page of its own one byte short, "chain"
// wipes a page in the middle of the longest description's chain.
void damageDescription(const QString &path, const QString &damage, const QString &description, bool jet3)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray content = file.readAll();
    if (damage == QLatin1String("length")) {
        // Jet 4 keeps such a short text compressed: FF FE, then a byte per letter.
        const quint32 length = quint32(description.size() + (jet3 ? 0 : 2));
        const quint32 header = qToLittleEndian(length | 0x40000000u);
        const QByteArray field(reinterpret_cast<const char *>(&header), 4);
        const qsizetype at = content.indexOf(field);
        QVERIFY(at > 0 && content.indexOf(field, at + 1) < 0);
        content[at] = char(content.at(at) - 1);
    } else {
        const int pageSize = jet3 ? 2048 : 4096;
        QList<qint64> chainPages;
        for (qint64 at = pageSize; at < content.size(); at += pageSize) {
            if (content.mid(at + 4, 4) == "LVAL")
                chainPages.append(at);
        }
        QVERIFY(chainPages.size() > 2);
        content.replace(chainPages[chainPages.size() - 2], pageSize, QByteArray(pageSize, '\0'));
    }
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(content), content.size());
}

QList<Reminder> sampleReminders()
{
    return {
        {"2024/01/15", "Reunião com a diretoria", "Levar relatório.\nConfirmar sala às 9h."},
        {"2024/02/29", "Ligar p/ o Sr. O'Brien", "Assunto: \"orçamento\" d'água\r\nTel.: 5555"},
        {"2024/03/05", "Pagar condomínio", ""},
        {"2024/12/24", "Véspera de Natal € — família", ""},
        {"2006/03/10", "Memo longo", longDescription()},
    };
}

} // namespace

class tst_JetImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void yesBringsEveryRowOver_data();
    void yesBringsEveryRowOver();
    void dateTimeDayColumn();
    void unreadableRowsAreSetAsideNotDropped();
    void damagedRowsAreSetAsideAndTheOthersCome_data();
    void damagedRowsAreSetAsideAndTheOthersCome();
    void failedImportLeavesFolderAsItWas_data();
    void failedImportLeavesFolderAsItWas();
    void fullDiskLeavesFolderAsItWas();
    void answerNoKeepsFileAndIsNotAskedAgain();
    void takenBackupNameIsNeverOverwritten();
    void commandLine();
};

void tst_JetImport::initTestCase()
{
    QVERIFY2(QFileInfo(fixtureTool()).isFile(),
             qPrintable(QStringLiteral("the fixture generator make_jet_mdb.py was not found at \"%1\"; "
                                       "it belongs in shared/tools beside the source tree")
                            .arg(fixtureTool())));
}

void tst_JetImport::yesBringsEveryRowOver_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QJsonArray>("rows");
    QTest::addColumn<QList<Reminder>>("expected");
    QTest::newRow("Jet 4") << QStringList() << sampleRows() << sampleReminders();
    QTest::newRow("Jet 3") << QStringList{QStringLiteral("--jet3")} << sampleRows() << sampleReminders();
    QTest::newRow("empty table") << QStringList() << QJsonArray() << QList<Reminder>();
}

void tst_JetImport::yesBringsEveryRowOver()
{
    QFETCH(QStringList, options);
    QFETCH(QJsonArray, rows);
    QFETCH(QList<Reminder>, expected);
    FakePlatform fake;
    makeOldFile(fake.databasePath(), rows, options);
    const QByteArray original = checksum(fake.databasePath());

    fake.messages->answers.enqueue(MessageAnswer::Yes);
    modgeral store(fake.platform());
    store.setOpenFallback(olderEngineImportOffer(fake.platform()));
    store.abrirbanco();

    QVERIFY2(store.isOpen(), qPrintable(fake.messages->shown.last().text));
    QCOMPARE(fake.messages->shown.size(), 2);
    QCOMPARE(fake.messages->shown[0].buttons, MessageButtons::YesNo);
    QVERIFY(fake.messages->shown[0].text.contains(QStringLiteral("Deseja trazer os lembretes")));
    QCOMPARE(fake.messages->shown[1].icon, MessageIcon::Information);
    QVERIFY(fake.messages->shown[1].text.startsWith(
        QStringLiteral("%1 lembretes foram trazidos").arg(expected.size())));
    QCOMPARE(remindersIn(fake.databasePath()), expected);
    QCOMPARE(checksum(fake.databasePath() + QStringLiteral(".anterior")), original);
    QCOMPARE(entries(fake.folder()), (QStringList{"dados.mdb", "dados.mdb.anterior"}));

    // The new file opens like any reminder database, without a question.
    store.abrirbanco();
    QVERIFY(store.isOpen());
    QCOMPARE(fake.messages->shown.size(), 2);
}

void tst_JetImport::dateTimeDayColumn()
{
    QTemporaryDir folder;
    const QString old = folder.filePath(QStringLiteral("velho.mdb"));
    makeOldFile(old,
                rowsOf({QJsonArray{45306, "Só o dia", "a"},                // 15/01/2024
                 QJsonArray{45306.999, "Quase meia-noite", "b"},     // same day, 23:58
                 QJsonArray{-1.5, "Antes de 1900", "c"},             // 29/12/1899, 12:00
                 QJsonArray{QJsonValue::Null, "Sem data", "d"}}),
                {QStringLiteral("--columns"), QStringLiteral("data:datetime,titulo:text:255,descricao:memo")});
    const JetImportResult result = JetImport(old, folder.path()).run();
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.imported, 3);
    QCOMPARE(result.setAside, 1);
    QVERIFY(JetImport::summary(result).endsWith(
        QStringLiteral("no arquivo %1.").arg(QDir::toNativeSeparators(result.rejectFile))));
    QCOMPARE(remindersIn(folder.filePath(QStringLiteral("dados.mdb"))),
             (QList<Reminder>{{"2024/01/15", "Só o dia", "a"},
                              {"2024/01/15", "Quase meia-noite", "b"},
                              {"1899/12/29", "Antes de 1900", "c"}}));
}

void tst_JetImport::unreadableRowsAreSetAsideNotDropped()
{
    FakePlatform fake;
    const QString secret = QStringLiteral("Descrição guardada\ncom duas linhas");
    makeOldFile(fake.databasePath(),
                rowsOf({QJsonArray{"31/02/2024", "Dia que não existe", secret},
                 QJsonArray{"amanhã", "Dia em palavras", "x"},
                 QJsonArray{"15/01/24", "Ano com dois dígitos", "y"},
                 QJsonArray{QJsonValue::Null, "Sem data", "z"},
                 QJsonArray{"2024/01/15", "", "sem título"},
                 QJsonArray{"16.01.2024 08:00:00", "Este vem", "ok"}}),
                {QStringLiteral("--columns"), QStringLiteral("data:text:30,titulo:text:255,descricao:memo")});
    fake.messages->answers.enqueue(MessageAnswer::Yes);
    modgeral store(fake.platform());
    store.setOpenFallback(olderEngineImportOffer(fake.platform()));
    store.abrirbanco();

    QVERIFY(store.isOpen());
    QCOMPARE(remindersIn(fake.databasePath()), (QList<Reminder>{{"2024/01/16", "Este vem", "ok"}}));
    const QString rejectPath = fake.platform().programFile(JetImport::rejectFileBaseName());
    const QString summary = fake.messages->shown.last().text;
    QVERIFY2(summary.contains(QStringLiteral("5 lembretes não puderam ser trazidos")), qPrintable(summary));
    QVERIFY(summary.contains(QDir::toNativeSeparators(rejectPath)));

    QFile reject(rejectPath);
    QVERIFY(reject.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(reject.readAll());
    for (const QString &expected :
         {QStringLiteral("Dia que não existe"), secret, QStringLiteral("\"31/02/2024\" não existe"),
          QStringLiteral("\"amanhã\" não está em um formato conhecido"),
          QStringLiteral("\"15/01/24\" não tem um ano de quatro dígitos"),
          QStringLiteral("Sem data"), QStringLiteral("não tem título"), QStringLiteral("sem título")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    QVERIFY(!text.contains(QStringLiteral("Este vem")));
}

void tst_JetImport::damagedRowsAreSetAsideAndTheOthersCome_data()
{
    QTest::addColumn<bool>("jet3");
    QTest::addColumn<QStringList>("damages");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QList<int>>("damagedRows"); // from 1, in the order of damages
    QTest::newRow("length one short") << false << QStringList{"length"} << 3 << QList<int>{2};
    QTest::newRow("Jet 3 length one short") << true << QStringList{"length"} << 3 << QList<int>{2};
    QTest::newRow("six of eight rows whole") << false << QStringList{"length", "chain"} << 8
                                             << QList<int>{3, 7};
}

void tst_JetImport::damagedRowsAreSetAsideAndTheOthersCome()
{
    QFETCH(bool, jet3);
    QFETCH(QStringList, damages);
    QFETCH(int, rowCount);
    QFETCH(QList<int>, damagedRows);
    // A description on a page of its own (70 letters), and one on a chain of pages.
    const QString shortOne = QStringLiteral("Descrição de uma página só, que termina em ponto final sem faltar nada.");
    QJsonArray rows;
    QList<Reminder> whole;
    for (int n = 1; n <= rowCount; ++n) {
        const QString day = QStringLiteral("2024/01/%1").arg(n, 2, 10, QLatin1Char('0'));
        const QString title = QStringLiteral("Lembrete %1").arg(n);
        const int damage = int(damagedRows.indexOf(n));
        const QString description = damage < 0 ? QStringLiteral("d%1").arg(n)
            : damages.at(damage) == QLatin1String("length") ? shortOne
                                                            : longDescription();
        rows.append(QJsonArray{day, title, description});
        if (damage < 0)
            whole.append({day, title, description});
    }
    QTemporaryDir folder;
    const QString old = folder.filePath(QStringLiteral("velho.mdb"));
    makeOldFile(old, rows, jet3 ? QStringList{QStringLiteral("--jet3")} : QStringList());
    for (const QString &damage : damages)
        damageDescription(old, damage, shortOne, jet3);

    const JetImportResult result = JetImport(old, folder.path()).run();

    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(remindersIn(folder.filePath(QStringLiteral("dados.mdb"))), whole);
    QCOMPARE(result.setAside, damagedRows.size());
    QCOMPARE(result.rejectFile, folder.filePath(JetImport::rejectFileBaseName()));
    QFile reject(result.rejectFile);
    QVERIFY(reject.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(reject.readAll());
    for (const int n : damagedRows) {
        for (const QString &expected :
             {QStringLiteral("=== Linha %1 da tabela lembrete ===\nMotivo: o texto da coluna descricao não pôde "
                             "ser lido por inteiro").arg(n),
              QStringLiteral("Data como estava: 2024/01/%1\nTítulo: Lembrete %2\n").arg(n, 2, 10, QLatin1Char('0')).arg(n)})
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in\n") + text));
    }
    // Nothing of a description that could not be read whole is passed off as it.
    QVERIFY(!text.contains(shortOne.left(20)));
    QVERIFY(!text.contains(longDescription().left(20)));
}

void tst_JetImport::failedImportLeavesFolderAsItWas_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<qint64>("truncateTo"); // 0 keeps the file whole; < 0 cuts pages off the end
    QTest::addColumn<QString>("expected");
    const QStringList jet3{QStringLiteral("--jet3")};
    QTest::newRow("other table") << QStringList{QStringLiteral("--table"), QStringLiteral("tarefas")}
                                 << qint64(0) << QStringLiteral("não tem a tabela lembrete");
    QTest::newRow("missing columns")
        << QStringList{QStringLiteral("--columns"), QStringLiteral("data:text:10,texto:memo")}
        << qint64(0) << QStringLiteral("não tem as colunas titulo, descricao");
    QTest::newRow("day column of numbers")
        << QStringList{QStringLiteral("--columns"), QStringLiteral("data:long,titulo:text:255,descricao:memo")}
        << qint64(0) << QStringLiteral("não é de texto nem de data/hora");
    QTest::newRow("cut inside a page") << QStringList() << qint64(20000) << QStringLiteral("incompleto");
    QTest::newRow("Jet 3 cut inside a page") << jet3 << qint64(5000) << QStringLiteral("incompleto");
    // Whole pages missing at the end: the rows and the long description.
    QTest::newRow("last pages missing") << QStringList() << qint64(-3 * 4096)
                                        << QStringLiteral("danificado ou incompleto");
}

void tst_JetImport::failedImportLeavesFolderAsItWas()
{
    QFETCH(QStringList, options);
    QFETCH(qint64, truncateTo);
    QFETCH(QString, expected);
    FakePlatform fake;
    QJsonArray rows = sampleRows();
    if (options.contains(QStringLiteral("data:long,titulo:text:255,descricao:memo")))
        rows = rowsOf({QJsonArray{20240115, "Título", "d"}});
    else if (options.contains(QStringLiteral("data:text:10,texto:memo")))
        rows = rowsOf({QJsonArray{"2024/01/15", "d"}});
    makeOldFile(fake.databasePath(), rows, options);
    if (truncateTo != 0) {
        QFile file(fake.databasePath());
        QVERIFY(file.resize(truncateTo > 0 ? truncateTo : file.size() + truncateTo));
    }
    const QByteArray original = checksum(fake.databasePath());

    fake.messages->answers.enqueue(MessageAnswer::Yes);
    modgeral store(fake.platform());
    store.setOpenFallback(olderEngineImportOffer(fake.platform()));
    store.abrirbanco();

    QVERIFY(!store.isOpen());
    QCOMPARE(fake.messages->shown.size(), 2);
    const RecordedMessage failure = fake.messages->shown[1];
    QCOMPARE(failure.icon, MessageIcon::Critical);
    QVERIFY2(failure.text.startsWith(kOpenFailure) && failure.text.contains(expected),
             qPrintable(failure.text));
    QCOMPARE(checksum(fake.databasePath()), original);
    QCOMPARE(entries(fake.folder()), QStringList{"dados.mdb"});
}

void tst_JetImport::fullDiskLeavesFolderAsItWas()
{
    FakePlatform fake;
    makeOldFile(fake.databasePath(), sampleRows());
    const QByteArray original = checksum(fake.databasePath());

    // A file size limit makes every write past 16 KiB fail as on a full disk.
    struct rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const JetImportResult result = JetImport(fake.databasePath(), fake.folder()).run();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QStringLiteral("não puderam ser gravados")), qPrintable(result.error));
    QCOMPARE(checksum(fake.databasePath()), original);
    QCOMPARE(entries(fake.folder()), QStringList{"dados.mdb"});
}

void tst_JetImport::answerNoKeepsFileAndIsNotAskedAgain()
{
    FakePlatform fake;
    makeOldFile(fake.databasePath(), sampleRows(), {QStringLiteral("--jet3")});
    const QByteArray original = checksum(fake.databasePath());
    fake.messages->answers.enqueue(MessageAnswer::No);
    modgeral store(fake.platform());
    store.setOpenFallback(olderEngineImportOffer(fake.platform()));

    store.abrirbanco();
    store.abrirbanco();

    QVERIFY(!store.isOpen());
    QCOMPARE(fake.messages->shown.size(), 3);
    QCOMPARE(fake.messages->shown[0].buttons, MessageButtons::YesNo);
    for (int i : {1, 2}) {
        QCOMPARE(fake.messages->shown[i].icon, MessageIcon::Critical);
        QCOMPARE(fake.messages->shown[i].title, QStringLiteral("Erro"));
        QVERIFY(fake.messages->shown[i].text.startsWith(kOpenFailure));
        QVERIFY(fake.messages->shown[i].text.contains(QStringLiteral("formato antigo")));
    }
    QCOMPARE(checksum(fake.databasePath()), original);
    QCOMPARE(entries(fake.folder()), QStringList{"dados.mdb"});
}

void tst_JetImport::takenBackupNameIsNeverOverwritten()
{
    FakePlatform fake;
    makeOldFile(fake.databasePath(), sampleRows());
    const QByteArray original = checksum(fake.databasePath());
    const QString taken = fake.databasePath() + QStringLiteral(".anterior");
    {
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("um arquivo do usuário");
    }
    fake.messages->answers.enqueue(MessageAnswer::Yes);
    modgeral store(fake.platform());
    store.setOpenFallback(olderEngineImportOffer(fake.platform()));
    store.abrirbanco();

    QVERIFY(store.isOpen());
    QCOMPARE(checksum(taken), QCryptographicHash::hash("um arquivo do usuário", QCryptographicHash::Sha256));
    QCOMPARE(checksum(taken + QStringLiteral(".2")), original);
    QVERIFY(fake.messages->shown.last().text.contains(QStringLiteral("dados.mdb.anterior.2")));
    QCOMPARE(remindersIn(fake.databasePath()).size(), 5);
}

void tst_JetImport::commandLine()
{
    QTemporaryDir program;
    QTemporaryDir elsewhere;
    const QString first = elsewhere.filePath(QStringLiteral("primeiro.mdb"));
    const QString second = elsewhere.filePath(QStringLiteral("segundo.mdb"));
    const QString broken = elsewhere.filePath(QStringLiteral("quebrado.mdb"));
    makeOldFile(first, sampleRows());
    makeOldFile(second, rowsOf({QJsonArray{"01/01/2025", "Ano novo", "festa"}}), {QStringLiteral("--jet3")});
    makeOldFile(broken, sampleRows());
    QVERIFY(QFile(broken).resize(9000));
    const QByteArray firstSum = checksum(first);
    QString out, err;
    const auto run = [&](const QStringList &arguments) {
        out.clear(), err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return runImportCommand(QStringList{QStringLiteral("lembrete")} + arguments, outStream,
                                errStream, program.path());
    };
    const QString database = program.filePath(QStringLiteral("dados.mdb"));

    QVERIFY(isImportCommand(QStringList{"lembrete", "--importar", first}));
    QVERIFY(!isImportCommand(QStringList{"lembrete"}));
    QCOMPARE(run({QStringLiteral("--importar")}), 2);
    QVERIFY(err.contains(QStringLiteral("Uso: lembrete --importar CAMINHO")));

    // A failure prints the reason and leaves no database behind.
    QCOMPARE(run({QStringLiteral("--importar"), broken}), 1);
    QVERIFY2(err.contains(QStringLiteral("incompleto")), qPrintable(err));
    QVERIFY(entries(program.path()).isEmpty());

    // The first file creates the database; the old file stays where it was.
    QCOMPARE(run({QStringLiteral("--importar"), first}), 0);
    QVERIFY2(out.contains(QStringLiteral("Lembretes importados: 5\n")), qPrintable(out + err));
    QVERIFY(out.contains(QStringLiteral("Lembretes não importados: 0\n")));
    QCOMPARE(checksum(first), firstSum);
    QCOMPARE(remindersIn(database), sampleReminders());

    // Further files are added to it, in one transaction each, after the day's
    // copy of the database as it was.
    QCOMPARE(run({QStringLiteral("--importar"), second}), 0);
    QCOMPARE(remindersIn(database).size(), 6);
    QCOMPARE(remindersIn(database).last(), (Reminder{"2025/01/01", "Ano novo", "festa"}));
    const QString copy = QDir(DailyCopy::folderFor(database)).filePath(DailyCopy::fileNameFor(QDate::currentDate()));
    QCOMPARE(remindersIn(copy), sampleReminders());
    const QByteArray databaseSum = checksum(database);
    QCOMPARE(run({QStringLiteral("--importar"), broken}), 1);
    QCOMPARE(checksum(database), databaseSum);
    QCOMPARE(entries(program.path()), QStringList{"dados.mdb"});

    // Another program's database is never added to.
    QVERIFY(QFile::remove(database));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(QStringLiteral("create table outra (x integer)"), db).isActive());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    const QByteArray foreignSum = checksum(database);
    QCOMPARE(run({QStringLiteral("--importar"), first}), 1);
    QVERIFY2(err.contains(QStringLiteral("de outro programa")), qPrintable(err));
    QCOMPARE(checksum(database), foreignSum);
}

QTEST_GUILESS_MAIN(tst_JetImport)
#include "tst_jetimport.moc"
