#include "settings/settingsstore.h"
#include "store/dailycopy.h"
#include "store/daytext.h"
#include "store/reminderindexes.h"
#include "store/remindersearch.h"
#include "store/remindercommands.h"
#include "store/removalundo.h"
#include "store/searchindex.h"
#include "store/startupwork.h"
#include "storefixture.h"
#include "support/startupfiles.h"

#include <QDir>
#include <QTextStream>

using remindercommands::ListFormat;
using startupfiles::sqliteFile;

namespace {

const QString kCount = QStringLiteral("select count(*) from lembrete");
const QString kStored = QStringLiteral("select data, titulo, descricao from lembrete order by rowid");
const QStringList kSigned{"d'água", "100%", "a_c", "aspas \"duplas\"", "barra \\ invertida", "duas\nlinhas"};

struct Run
{
    int status = -1;
    QString out, err;
};

// Runs listReminders (with a view) or addReminder (with a day) with its own store, as the program does.
Run run(FakePlatform &fake, const QStringList &arguments, ListFormat format = ListFormat::Text)
{
    modgeral store(fake.platform());
    Run run;
    QTextStream out(&run.out), err(&run.err);
    run.status = arguments.size() == 1
        ? remindercommands::listReminders(store, fake.platform(), arguments[0], format, out, err)
        : remindercommands::addReminder(store, fake.platform(), arguments[0], arguments[1], arguments.value(2), out, err);
    out.flush();
    err.flush();
    return run;
}

} // namespace

class ReminderStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void foreignFilesAreReportedAndLeftByteForByte_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("wordInMessage"); // none: the file opens and gets the table
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("other bytes") << QByteArray("X\0\xff\x01", 4).repeated(1024) << "não é um banco de dados de lembretes";
        for (const char *engine : {"Standard Jet DB", "Standard ACE DB"})
            QTest::newRow(engine) << QByteArray(4, '\0') + engine + QByteArray(2029, '\0') << "formato antigo";
        QTest::newRow("damaged database") << QByteArray("SQLite format 3") + '\0' + QByteArray(200, '\x7f') << "";
        QTest::newRow("another program's database") << sqliteFile({"create table outra (x integer)"}) << "de outro programa";
        QTest::newRow("a lembrete table beside another program's tables")
            << sqliteFile({"create table lembrete (id integer primary key, data text, titulo text, descricao text)",
                           "create table clientes (nome text)", "insert into lembrete values (1, '2006/03/10', 't', 'd')"})
            << "tem as tabelas clientes";
        QTest::newRow("table names in capitals") << sqliteFile({"create table LEMBRETE (x text)"})
                                                 << "faltam as colunas data, titulo, descricao";
        QTest::newRow("program folder gone") << QByteArray() << "não foi encontrado"; // no crash, no file made
        QTest::newRow("empty file") << QByteArray("") << QString();
        QTest::newRow("no table, a header value set") << sqliteFile({"pragma user_version = 7"}) << QString();
    }

    void foreignFilesAreReportedAndLeftByteForByte()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, wordInMessage);
        FakePlatform fake;
        QVERIFY(content.isNull() || writeFile(fake.databasePath(), content));
        if (QTest::currentDataTag() == QByteArrayView("program folder gone"))
            QVERIFY(QDir(fake.folder()).removeRecursively());
        modgeral store(fake.platform());
        store.abrirbanco();
        if (wordInMessage.isNull()) {
            QVERIFY(store.isOpen() && fake.messages->shown.isEmpty());
            QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("a"), QString()));
            QCOMPARE(rowsIn(fake.databasePath(), kCount), QStringList{"1"});
            return;
        }
        store.abrirbanco(); // told again at every try
        QVERIFY(!store.isOpen() && fake.messages->shown.size() >= 2);
        const RecordedMessage &last = fake.messages->shown.last();
        QVERIFY2(last.text.startsWith(QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: "))
                     && last.text.contains(wordInMessage) && last.icon == runtime::MessageIcon::Critical,
                 qPrintable(last.text));
        QVERIFY(!store.openRecordset(modgeral::allReminders()));
        QVERIFY(!store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("a"), QString()));
        QCOMPARE(QFile::exists(fake.databasePath()), !content.isNull());
        QCOMPARE(fileBytes(fake.databasePath()), content);
    }

    void aChangeWaitsForTheCheckAndADamagedFileIsOnlyRead_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("deferred"); // as the window starts: nothing is checked, written or told before it shows
        QTest::addColumn<bool>("checkStarted");
        QTest::newRow("damaged") << true << false << false;
        QTest::newRow("sound, check not yet started") << false << true << false;
        QTest::newRow("sound, check running") << false << true << true;
        QTest::newRow("damaged, check not yet started") << true << true << false;
        QTest::newRow("damaged, check running") << true << true << true;
    }

    // A change before the check has ended waits for it, and goes in only on a sound file; a damaged one is told once
    // and only read.
    void aChangeWaitsForTheCheckAndADamagedFileIsOnlyRead()
    {
        QFETCH(bool, damaged);
        QFETCH(bool, deferred);
        QFETCH(bool, checkStarted);
        FakePlatform fake;
        QVERIFY(writeFile(fake.databasePath(), startupfiles::reminders(3000, damaged)));
        const QByteArray before = fileBytes(fake.databasePath());
        modgeral store(fake.platform());
        if (deferred)
            store.deferStartupWork();
        store.abrirbanco();
        QVERIFY(store.isOpen());
        QCOMPARE(store.isReadOnly() || !fake.messages->shown.isEmpty(), !deferred && damaged);
        QCOMPARE(fileBytes(fake.databasePath()), before);
        if (checkStarted) {
            store.continueStartupWork();
            QCOMPARE(store.startupWork().stage(), StartupWork::Stage::Checking);
        }
        QCOMPARE(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()), !damaged);
        store.abrirbanco(); // every list load opens again; the report comes once
        QCOMPARE(store.isReadOnly(), damaged);
        QCOMPARE(fake.messages->shown.size(), damaged ? 1 : 0);
        if (!damaged) {
            QCOMPARE(rowsIn(fake.databasePath(), "select count(*) from lembrete where titulo = 'novo'"), QStringList{"1"});
            return;
        }
        QVERIFY2(store.lastError().contains(QStringLiteral("somente para leitura")), qPrintable(store.lastError()));
        QVERIFY(store.openRecordset(modgeral::titleQuery(QStringLiteral("Lembrete 0007"))) && store.recordset().next());
        QVERIFY(!store.execute(modgeral::titleDelete(QStringLiteral("Lembrete 0007"))));
        store.setEditStatement(modgeral::titleQuery(QStringLiteral("Lembrete 0007")));
        QVERIFY(!store.updateReminder(QStringLiteral("2006/03/10"), QStringLiteral("x"), QString()));
        const Run command = ::run(fake, {"hoje", "Novo"});
        QVERIFY2(command.status == 1 && command.out.isEmpty() && command.err.contains(QStringLiteral(
                     "Erro: Ocorreu o seguinte erro: o banco de dados de lembretes está danificado")), qPrintable(command.err));
        QCOMPARE(fileBytes(fake.databasePath()), before);
    }

    void aTitleMatchesOnlyItselfWhateverItsCaseAndSigns_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("found"); // what the title finds, and its removal removes
        for (const QString &title : kSigned)
            QTest::newRow(qPrintable(title)) << title << QStringList{title};
        QTest::newRow("percent is no wildcard") << "a%" << QStringList();
        QTest::newRow("capitals across Unicode") << "ótimo DIA" << QStringList{"ÓTIMO Dia"};
    }

    void aTitleMatchesOnlyItselfWhateverItsCaseAndSigns()
    {
        QFETCH(QString, asked);
        QFETCH(QStringList, found);
        Store s;
        QStringList all = kSigned + QStringList{"abc", "1000", "ÓTIMO Dia"};
        for (const QString &title : all)
            QVERIFY(s.store.appendReminder(QStringLiteral("2006/03/10"), title, QString()));
        QCOMPARE(s.titles(modgeral::titleQuery(asked)), found);
        QVERIFY(s.store.execute(modgeral::titleDelete(asked)));
        all.removeIf([&](const QString &title) { return found.contains(title); });
        QStringList left = s.titles(modgeral::allReminders());
        left.sort();
        all.sort();
        QCOMPARE(left, all);
    }

    // Undo puts a removed row back as it was, key and every column included, and only once; a row whose key was taken
    // meanwhile cannot come back: said so, and the undo is kept.
    void undoPutsTheRemovedRowBackAsItWas()
    {
        Store s;
        s.add("2006/03/12", "Pagar");
        s.add("2006/03/13", "pagar", "FREQ=WEEKLY", "09:00", "2006/03/20");
        const QString everyRow = QStringLiteral("select rowid, * from lembrete order by rowid");
        const QStringList before = rowsIn(s.fake.databasePath(), everyRow);
        RemovalUndo removal;
        QString error;
        QVERIFY(removal.remove(s.store, 2, &error));
        QCOMPARE(s.titles(modgeral::allReminders()), QStringList{"Pagar"});
        // A key no row has any more removes nothing and keeps the undo.
        QVERIFY(!removal.remove(s.store, 2, &error));
        QVERIFY2(error.contains(QStringLiteral("não existe mais")) && removal.canUndo(), qPrintable(error));
        QVERIFY2(removal.undo(s.store, &error), qPrintable(error));
        QCOMPARE(rowsIn(s.fake.databasePath(), everyRow), before);
        QVERIFY(!removal.canUndo() && !removal.undo(s.store, &error));
        QVERIFY(removal.remove(s.store, 2, &error));
        QVERIFY(startupfiles::asAnotherProgram(s.fake.databasePath(), {"insert into lembrete (rowid, data, titulo) "
                                                                       "values (2, '2006/03/14', 'Outro')"}));
        QVERIFY(!removal.undo(s.store, &error) && removal.canUndo());
    }

    void everyChangeFirstCopiesTheDatabaseOnceADay_data()
    {
        QTest::addColumn<bool>("blocked"); // a file where the copies' folder should be: told once, the changes go in
        QTest::newRow("keeping seven") << false;
        QTest::newRow("the copy cannot be made") << true;
    }

    void everyChangeFirstCopiesTheDatabaseOnceADay()
    {
        QFETCH(bool, blocked);
        Store s;
        const QDir copies(DailyCopy::folderFor(s.fake.databasePath()));
        QVERIFY(blocked ? writeFile(copies.path(), "a file where the folder should be") : QDir().mkpath(copies.path()));
        for (int day = 1; day <= 8 && !blocked; ++day) // older copies; the two oldest must go
            QVERIFY(writeFile(copies.filePath(QStringLiteral("dados-2006-02-%1.mdb").arg(day, 2, 10, QLatin1Char('0'))), "x"));
        // A copy dated ahead (the clock was set back) is the newest, and kept.
        QVERIFY(blocked || writeFile(copies.filePath(QStringLiteral("dados-2006-04-01.mdb")), "x"));
        QVERIFY(blocked || writeFile(copies.filePath(QStringLiteral("outro.txt")), "not a copy"));
        QVERIFY(s.store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("primeiro"), QString()));
        QVERIFY(s.store.appendReminder(QStringLiteral("2006/03/11"), QStringLiteral("segundo"), QString()));
        QCOMPARE(s.titles(modgeral::allReminders()), (QStringList{"primeiro", "segundo"}));
        QCOMPARE(s.fake.messages->shown.size(), blocked ? 1 : 0);
        if (blocked) {
            const RecordedMessage &told = s.fake.messages->shown[0];
            QVERIFY2(told.icon == runtime::MessageIcon::Warning && told.text.contains(QStringLiteral("não pôde ser feita")),
                     qPrintable(told.text));
            return;
        }
        QCOMPARE(DailyCopy::copiesIn(copies.path()).join(' '),
                 QStringLiteral("dados-2006-02-04.mdb dados-2006-02-05.mdb dados-2006-02-06.mdb dados-2006-02-07.mdb "
                                "dados-2006-02-08.mdb dados-2006-03-10.mdb dados-2006-04-01.mdb"));
        QVERIFY(copies.exists(QStringLiteral("outro.txt")));
        // The copy is the database as it was before the day's first change.
        QCOMPARE(rowsIn(copies.filePath(QStringLiteral("dados-2006-03-10.mdb")), kCount), QStringList{"0"});
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
            QVERIFY(QSqlQuery(store.connection()).exec(
                QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                               "insert into lembrete (data, titulo, descricao) "
                               "select '2006/03/10', i, replace(hex(zeroblob(500)), '0', 'x') from n").arg(kRows)));
            store.makeDailyCopyAhead();
            if (copyEndsFirst)
                QTRY_VERIFY(QFileInfo::exists(copy));
            if (!programEndsDuringCopy)
                QVERIFY(store.appendReminder(QStringLiteral("2006/03/10"), QStringLiteral("novo"), QString()));
        }
        // Only a whole copy of the file as it was before the change carries the day's name.
        const bool made = QFileInfo::exists(copy);
        QVERIFY(programEndsDuringCopy || made);
        QCOMPARE(copies.entryList(QDir::Files), made ? QStringList{copy.section('/', -1)} : QStringList());
        if (made)
            QCOMPARE(rowsIn(copy, kCount), QStringList{QString::number(kRows)});
        QVERIFY(fake.messages->shown.isEmpty());
    }

    void storedDaysReadOnlyInTheirOneForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("nines") << "2019/09/29" << QDate(2019, 9, 29);
        QTest::newRow("no such day") << "2006/02/30" << QDate();
        QTest::newRow("as shown") << "05/03/2006" << QDate();
        QTest::newRow("another second separator") << "2006/03-05" << QDate();
        QTest::newRow("a letter") << "2006/0a/05" << QDate();
    }

    void storedDaysReadOnlyInTheirOneForm()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(daytext::fromStored(text), expected);
        if (expected.isValid())
            QCOMPARE(daytext::stored(expected), text);
    }

    // Built in steps while others write: rows added, edited and removed on both sides of the step's mark are all
    // indexed exactly once.
    void rowsChangedWhileTheSearchIndexIsBuiltAreFoundAsTheyAre()
    {
        FakePlatform fake;
        QVERIFY(writeFile(fake.databasePath(), startupfiles::reminders(12000, false)));
        modgeral store(fake.platform());
        store.deferStartupWork(); // the indexes are built here
        store.abrirbanco();
        const QSqlDatabase db = store.connection();
        StepGate gate;
        int steps = 0;
        QString failed;
        const bool built = reminderindexes::build(db, gate, [&](int) {
            if (!searchindex::exists(db) || steps >= 6)
                return;
            ++steps;
            const QString n = QString::number(steps);
            startupfiles::asAnotherProgram(
                fake.databasePath(),
                {QStringLiteral("insert into lembrete (data, titulo, descricao) values ('2006/03/10', 'Novo%1', 'x')").arg(n),
                 QStringLiteral("update lembrete set descricao = 'baixo%1' where id = %2").arg(n).arg(steps * 3),
                 QStringLiteral("update lembrete set descricao = 'alto%1' where id = %2").arg(n).arg(8000 + steps),
                 QStringLiteral("delete from lembrete where id in (%1, %2)").arg(100 + steps).arg(8500 + steps)},
                &failed);
        });
        QVERIFY2(built && failed.isEmpty(), qPrintable(failed));
        QVERIFY(steps >= 3); // the changes fell between several steps
        QVERIFY(searchindex::complete(db));
        // Against the table too (rank 1): every row indexed once, as it is now.
        QSqlQuery check(db);
        QVERIFY2(check.exec(QStringLiteral("insert into lembrete_busca (lembrete_busca, rank) values ('integrity-check', 1)")),
                 qPrintable(check.lastError().text()));
        QStringList results;
        for (const char *typed : {"novo2", "baixo1", "alto2", "lembrete 0100", "lembrete 8500", "lembrete 0099"})
            results << listed(db, remindersearch::statement(remindersearch::words(QString::fromLatin1(typed)))).join(u',');
        QCOMPARE(results, (QStringList{"Novo2", "Lembrete 0002", "Lembrete 8001", "", "", "Lembrete 0099"}));
    }

    // lembrete --listar and lembrete --novo, with the editor's checks.
    void theCommandsListAndAddAsTheWindowDoes_data()
    {
        QTest::addColumn<QStringList>("stored"); // day|title|description
        QTest::addColumn<QStringList>("arguments"); // a view to list, or a reminder to add
        QTest::addColumn<QString>("saved"); // the view the window saved
        QTest::addColumn<bool>("tsv");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed"); // standard output or, on failure, the start of standard error
        QTest::addColumn<QString>("written"); // the row added
        const QStringList rows{"2006/03/26|Depois|", "2006/03/10|Dentista|", "2006/03/17|Uma semana|", "2006/03/01|Passado|",
                               "2006/03/11|Feira|", "2006/03/10|dentista|", "2006/03/25|Quinze dias|", "2006/03/10|Academia|"};
        const QString past = QStringLiteral("01/03/2006     -9 dias  Passado\n");
        const QString today = QStringLiteral("10/03/2006      0 dias  Academia\n"
                                             "10/03/2006      0 dias  Dentista\n"
                                             "10/03/2006      0 dias  dentista\n");
        const QString tomorrow = QStringLiteral("11/03/2006      1 dias  Feira\n");
        const QString week = QStringLiteral("17/03/2006      7 dias  Uma semana\n");
        const QString fortnight = QStringLiteral("25/03/2006     15 dias  Quinze dias\n");
        const QString all = past + today + tomorrow + week + fortnight + QStringLiteral("26/03/2006     16 dias  Depois\n");
        const auto list = [&rows](const char *name, const char *view, const char *saved, const QString &lines) {
            QTest::newRow(name) << rows << QStringList{view} << QString::fromUtf8(saved) << false << (lines.isEmpty() ? 2 : 0)
                                << (lines.isEmpty() ? "lembrete: visão desconhecida: " + QString::fromUtf8(view) : lines) << QString();
        };
        list("todos", "todos", "Hoje", all);
        list("hoje", "hoje", "Todos", today);
        list("amanha", "amanha", "Todos", tomorrow);
        list("amanhã", "amanhã", "Todos", tomorrow);
        list("15dias", "15dias", "Todos", today + tomorrow + week + fortnight);
        list("the saved view", "", "7dias", today + tomorrow + week);
        list("a saved value of no view lists all", "", "semana", all);
        list("an unknown view is refused", "semana", "Todos", "");
        // As tab-separated values, each reminder on one line.
        const auto tsv = [](const char *name, const QString &row, const QString &line) {
            QTest::newRow(name) << QStringList{row} << QStringList{"todos"} << "Todos" << true << 0 << line << QString();
        };
        tsv("the editor's line breaks", "2006/03/09|Ontem|linha 1\r\nlinha 2\r\n", "09/03/2006\t-1\tOntem\tlinha 1\\nlinha 2\\n\n");
        tsv("other programs' line breaks", "2006/03/10|Título\nquebrado|a\nb\rc", "10/03/2006\t0\tTítulo\\nquebrado\ta\\nb\\rc\n");
        tsv("tabs and backslashes", "2006/03/10|C:\\temp\tx|\\n literal", "10/03/2006\t0\tC:\\\\temp\\tx\t\\\\n literal\n");
        tsv("a day edited by hand", "amanhã|Estranho|", "amanhã\t\tEstranho\t\n");
        const auto add = [](const char *name, const QStringList &typed, const QString &written, const QString &printed) {
            QTest::newRow(name) << QStringList() << typed << QString() << false << (written.isEmpty() ? 2 : 0) << printed << written;
        };
        const QString done = QStringLiteral("Lembrete cadastrado com sucesso!\n");
        const QString error = QStringLiteral("Erro: Ocorreu o seguinte erro: ");
        add("a typed day", {"25/12/2006", "Natal", "Ceia\nPresentes"}, "2006/12/25|Natal|Ceia\r\nPresentes",
            done + "25/12/2006    290 dias  Natal\n");
        add("hoje", {"hoje", "Dentista", ""}, "2006/03/10|Dentista|", done + "10/03/2006      0 dias  Dentista\n");
        for (const char *tomorrow : {"Amanhã", "amanha"})
            add(tomorrow, {tomorrow, "Feira", ""}, "2006/03/11|Feira|", done + "11/03/2006      1 dias  Feira\n");
        add("no such day", {"31/02/2006", "Natal", ""}, "", error + "A data \"31/02/2006\" não existe no calendário.\n");
        add("another form", {"2006-12-25", "Natal", ""}, "", error + "A data \"2006-12-25\" não está no formato dd/mm/aaaa.\n");
        add("no day", {" ", "Natal", ""}, "", "Aviso: O campo data é de preenchimento obrigatório!\n");
        add("a blank title", {"hoje", "   ", "algo"}, "", "Aviso: O campo título é de preenchimento obrigatório!\n");
    }

    void theCommandsListAndAddAsTheWindowDoes()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, arguments);
        QFETCH(QString, saved);
        QFETCH(bool, tsv);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QFETCH(QString, written);
        Store s;
        for (const QString &row : stored)
            QVERIFY(s.store.appendReminder(row.section(u'|', 0, 0), row.section(u'|', 1, 1), row.section(u'|', 2)));
        s.fake.platform().settings().write(settings::preferencesSection, QStringLiteral("Exibir"), saved);
        const Run run = ::run(s.fake, arguments, tsv ? ListFormat::Tsv : ListFormat::Text);
        QCOMPARE((QStringList{QString::number(run.status), status ? run.out : run.err, status ? run.err.left(printed.size()) : run.out}),
                 (QStringList{QString::number(status), QString(), printed}));
        QCOMPARE(rowsIn(s.fake.databasePath(), kStored), stored + (written.isEmpty() ? QStringList() : QStringList{written}));
    }
};

QTEST_MAIN(ReminderStoreTest)
#include "tst_modgeral.moc"
