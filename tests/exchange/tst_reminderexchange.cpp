#include "exchange/exchangecommands.h"
#include "fixture.h"
#include "runtime/commandline.h"
#include "runtime/programlayout.h"
#include "store/dailycopy.h"
#include "store/uidcolumn.h"

#include <QTextStream>

namespace {

const QDateTime kStamp(QDate(2006, 3, 10), QTime(14, 30), Qt::UTC);
const QDate kToday(2006, 3, 10);

// The same day and title twice, and the characters CSV and iCalendar escape.
void addReminders(Device &device)
{
    device.add("2006/03/10", "Consulta Dr", "Levar exames;\nchegar cedo");
    device.add("2006/03/10", "Consulta Dr");
    device.add("2006/12/25", "Natal, \"ceia\" em família", "Comprar: peru\\farofa");
    device.add("2007/01/01", "Ano novo 🎆");
}

QStringList uidsIn(const QByteArray &calendar)
{
    QStringList uids;
    for (const QByteArray &line : calendar.split('\n'))
        if (line.startsWith("UID:"))
            uids << QString::fromUtf8(line.mid(4).trimmed());
    return uids;
}

// The reminders exported here, imported into calcurse and exported by it again: a calendar without UIDs.
QByteArray exportedByCalcurse(QString *failure)
{
    Device source;
    addReminders(source);
    QTemporaryDir home;
    source.exported(kStamp);
    if (!runProgram("calcurse", {"-D", home.path(), "-i", source.path("saida.ics")}, failure).contains(" 0 skipped"))
        *failure += "calcurse skipped part of the file";
    const QByteArray exported = runProgram("calcurse", {"-D", home.path(), "-x"}, failure).toUtf8();
    if (exported.contains("UID:") || !exported.contains("BEGIN:VEVENT"))
        *failure += "calcurse wrote UIDs, or no event: " + exported;
    return exported;
}

// A reminder database of 2,000 rows whose day-and-title index (written last)
// has one page overwritten: the store opens it read-only.
void writeDamagedDatabase(const QString &path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "damaged");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("create table lembrete (data text not null, titulo text not null, descricao text)"));
        db.transaction();
        for (int i = 0; i < 2000; ++i)
            query.exec(QStringLiteral("insert into lembrete values ('2006/03/%1', 'Lembrete %2', '%3')")
                           .arg(10 + i % 18).arg(i, 4, 10, QLatin1Char('0')).arg(QString(200, 'x')));
        db.commit();
        QVERIFY(query.exec("create index lembrete_data on lembrete (data, titulo)"));
    }
    QSqlDatabase::removeDatabase("damaged");
    QByteArray bytes = readAll(path);
    bytes.replace((bytes.size() / 4096 - 4) * 4096 + 100, 3900, QByteArray(3900, '\x55'));
    writeFile(path, bytes);
}

} // namespace

class tst_reminderexchange : public QObject
{
    Q_OBJECT

private slots:
    // A table another program made gains the UID column; UIDs stay the same from one export to the next.
    void aTableWrittenByAnotherProgramGainsTheUidColumnAndKeepsItsRows()
    {
        FakePlatform fake;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(fake.databasePath());
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec("create table lembrete (data text, titulo text, descricao text)"));
            QVERIFY(query.exec("insert into lembrete values ('2006/03/10', 'Consulta', 'Dr. Silva'), ('ontem', 'Sem data', '')"));
        }
        QSqlDatabase::removeDatabase("other");
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isOpen() && uidcolumn::exists(store.connection()));
        QSqlQuery rows(store.connection());
        QVERIFY(rows.exec("select titulo || descricao, uid from lembrete order by rowid") && rows.next());
        QCOMPARE(rows.value(0).toString(), QStringLiteral("ConsultaDr. Silva"));
        QVERIFY(rows.value(1).isNull());

        const QString file = QDir(fake.folder()).filePath("a.ics");
        const exchange::ExportResult first = exchange::exportCalendar(store, file, kStamp);
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE((QList<int>{first.written, first.unreadableDays}), (QList<int>{1, 1}));
        const QStringList uids = uidsIn(readAll(file));
        QCOMPARE(uids.size(), 1);
        // An edit, and a row added afterwards without a UID, as another program would.
        store.setEditStatement(modgeral::titleQuery("consulta"));
        QVERIFY(store.updateReminder("2006/03/11", "Consulta", QString()));
        QVERIFY(store.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, ?)", {"2006/03/12", "Outro", ""}}));
        QVERIFY(exchange::exportCalendar(store, file, kStamp.addDays(1)).ok);
        const QStringList again = uidsIn(readAll(file));
        QCOMPARE(again.size(), 2);
        QCOMPARE(again.first(), uids.first());
        QVERIFY(readAll(file).contains("DTSTART;VALUE=DATE:20060311"));
    }

    void aFileImportedAndExportedAgainIsTheSameApartFromTheStamp()
    {
        Device original, copy;
        addReminders(original);
        const QByteArray first = original.exported(kStamp);
        const exchange::ImportResult imported = copy.import(original.path("saida.ics"), kToday);
        QVERIFY2(imported.ok, qPrintable(imported.error));
        QCOMPARE(imported.imported, 4);
        QByteArray second = copy.exported(kStamp.addDays(3));
        QVERIFY(first != second);
        QCOMPARE(second.replace("20060313T143000Z", "20060310T143000Z"), first);
        // Importing the same file again, into either database, adds nothing.
        for (Device *target : {&copy, &original}) {
            const exchange::ImportResult twice = target->import(original.path("saida.ics"), kToday);
            QCOMPARE((QList<int>{twice.ok, twice.imported, twice.alreadyPresent}), (QList<int>{1, 0, 4}));
        }
    }

    void aDamagedDatabaseStillExportsEveryRowTheSameWayButTakesNoImport()
    {
        FakePlatform fake;
        writeDamagedDatabase(fake.databasePath());
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isReadOnly());
        QByteArray written[2];
        for (QByteArray &bytes : written) {
            const QString file = QDir(fake.folder()).filePath("resgate.ics");
            const exchange::ExportResult result = exchange::exportCalendar(store, file, kStamp);
            QVERIFY2(result.ok && result.written == 2000 && result.uidsNotStored, qPrintable(result.error));
            bytes = readAll(file);
        }
        QCOMPARE(written[1], written[0]);
        const QStringList uids = uidsIn(written[0]);
        QCOMPARE(QSet<QString>(uids.cbegin(), uids.cend()).size(), 2000);
        const exchange::ImportResult imported =
            exchange::importCalendar(store, QDir(fake.folder()).filePath("resgate.ics"), kToday, fake.folder());
        QVERIFY2(!imported.ok && imported.error.contains("somente para leitura"), qPrintable(imported.error));
    }

    void theMenuImportTellsWhatCameInWhatWasCutAndWhatWasSetAside()
    {
        Device target;
        const QString file = target.path("agenda.ics");
        writeFile(file, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//PT\r\nBEGIN:VEVENT\r\nUID:r\r\n"
                        "DTSTART:20000101T080000\r\nRRULE:FREQ=HOURLY\r\nSUMMARY:Remédio\r\nEND:VEVENT\r\n"
                        "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:Sem dia\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
        target.fake.openDialog->nextFileName = file;
        ExchangeCommands commands(target.fake.platform(), target.store, nullptr);
        QVERIFY(commands.importarICalendar());
        QCOMPARE(DailyCopy::copiesIn(DailyCopy::folderFor(target.fake.databasePath())).size(), 1);
        QVERIFY(!commands.importarICalendar());
        QCOMPARE(target.fake.messages->shown.size(), 2);
        const QString reject = target.path("itens-de-calendario-nao-importados.txt");
        QCOMPARE(target.fake.messages->shown.at(0).text,
                 QStringLiteral("1.000 lembretes foram importados de %1.\n\nOs itens que se repetem viraram um lembrete "
                                "para cada vez, de 10/03/2005 a 10/03/2008, no máximo 1.000 por item. 1 item passou desse "
                                "limite; as vezes seguintes não foram trazidas.\n\n1 item não pôde ser trazido. Ele foi "
                                "gravado, com o motivo, no arquivo %2.")
                     .arg(file, reject));
        QVERIFY(target.fake.messages->shown.at(1).text.startsWith(
            QStringLiteral("0 lembretes foram importados de %1. 1.000 itens já estavam no banco de dados").arg(file)));
        QVERIFY(readAll(reject).contains("=== Sem dia ===\nMotivo: o item não tem data (DTSTART ou DUE)."));
        // A file that is no calendar changes nothing.
        writeFile(file, "Data;Título\r\n");
        QVERIFY(!commands.importarICalendar());
        QCOMPARE(target.fake.messages->shown.last().icon, runtime::MessageIcon::Critical);
        QCOMPARE(target.rows("select count(*) from lembrete"), QStringList{"1000"});
    }

    // What one import and the same import again say and keep, for files that
    // re-importing, duplicated UIDs or unreadable items could make lie.
    void importingTwiceTellsTheTruthAboutEveryItem_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("present"); // a reminder already here, "day|title"
        QTest::addColumn<QList<int>>("first");  // ok, imported, already present, set aside
        QTest::addColumn<QList<int>>("second"); // the same, importing the file again
        QTest::addColumn<QString>("told");      // in the set-aside file, else in the error
        const auto event = [](const QByteArray &uid, const QByteArray &title) {
            return "BEGIN:VEVENT\r\n" + (uid.isEmpty() ? QByteArray() : "UID:" + uid + "\r\n")
                + "DTSTART;VALUE=DATE:20060310\r\nSUMMARY:" + title + "\r\nEND:VEVENT\r\n";
        };
        const auto calendar = [](const QByteArray &body) { return "BEGIN:VCALENDAR\r\n" + body + "END:VCALENDAR\r\n"; };
        QTest::newRow("items without UID, two of them alike")
            << calendar(event("", "Pilates") + event("", "Pilates") + event("", "Yoga")) << QString()
            << QList<int>{1, 3, 0, 0} << QList<int>{1, 0, 3, 0} << QString();
        // Two equal items meet one equal reminder: one of them is new.
        QTest::newRow("two equal items, one equal reminder here")
            << calendar(event("", "Pilates") + event("", "Pilates")) << "2006/03/10|Pilates"
            << QList<int>{1, 1, 1, 0} << QList<int>{1, 0, 2, 0} << QString();
        QString failure;
        QTest::newRow("a calcurse export, without UIDs")
            << exportedByCalcurse(&failure) << QString() << QList<int>{1, 4, 0, 0} << QList<int>{1, 0, 4, 0} << failure;
        QTest::newRow("one UID twice in the file")
            << calendar(event("a", "Primeiro") + event("a", "Segundo")) << QString() << QList<int>{1, 1, 0, 1}
            << QList<int>{1, 0, 1, 1}
            << "=== Segundo ===\nMotivo: outro item deste arquivo tem o mesmo identificador (UID a) e foi lido "
               "antes dele; só o primeiro foi considerado.";
        QTest::newRow("nothing in the calendar could be read")
            << calendar("BEGIN:VJOURNAL\r\nSUMMARY:Nota\r\nEND:VJOURNAL\r\n" + event("b", "")) << QString()
            << QList<int>{0, 0, 0, 0} << QList<int>{0, 0, 0, 0} << "nenhum dos 2 itens do calendário pôde ser trazido";
    }
    void importingTwiceTellsTheTruthAboutEveryItem()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, present);
        QFETCH(QList<int>, first);
        QFETCH(QList<int>, second);
        QFETCH(QString, told);
        Device target;
        if (!present.isEmpty())
            target.add(present.section('|', 0, 0), present.section('|', 1));
        writeFile(target.path("agenda.ics"), file);
        for (const QList<int> &expected : {first, second}) {
            const exchange::ImportResult result = target.import(target.path("agenda.ics"), kToday);
            QCOMPARE((QList<int>{result.ok, result.imported, result.alreadyPresent, result.setAside}), expected);
            const QString reasons = result.rejectFile.isEmpty() ? QString() : QString::fromUtf8(readAll(result.rejectFile));
            QVERIFY2((result.ok ? reasons : result.error).contains(told), qPrintable(result.error + reasons));
        }
    }

    // Nothing taken and no file for the reasons: the error says the file failed.
    void reasonsThatCouldNotBeWrittenAreReported()
    {
        Device target;
        writeFile(target.path("agenda.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nSUMMARY:Nota\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n");
        const exchange::ImportResult result =
            exchange::importCalendar(target.store, target.path("agenda.ics"), kToday, target.path("nao-existe"));
        QVERIFY2(!result.ok && result.error.contains("não pôde ser criado"), qPrintable(result.error));
    }

    void theCommandLineExportsByNameAndImportsByContent_data()
    {
        QTest::addColumn<QStringList>("arguments"); // %1 is the program's folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("written"); // the start of %1/saida.*, when one is written
        QTest::newRow("csv") << QStringList{"--exportar", "%1/saida.csv"} << 0 << "Lembretes exportados: 4"
                             << QByteArray("\xEF\xBB\xBF" "Data;T\xC3\xADtulo;Descri\xC3\xA7\xC3\xA3o\r\n"
                                           "10/03/2006;Consulta Dr;\"Levar exames;\nchegar cedo\"\r\n10/03/2006;Consulta Dr;\r\n"
                                           "25/12/2006;\"Natal, \"\"ceia\"\" em fam\xC3\xADlia\";Comprar: peru\\farofa\r\n");
        QTest::newRow("ics") << QStringList{"--exportar", "%1/saida.ics"} << 0 << "Lembretes exportados: 4"
                             << QByteArray("BEGIN:VCALENDAR\r\n");
        QTest::newRow("import by content, whatever the name")
            << QStringList{"--importar", "%1/entrada.txt"} << 0 << "1 lembrete foi importado" << QByteArray();
        QTest::newRow("bare events without a calendar")
            << QStringList{"--importar", "%1/solto.txt"} << 0 << "1 lembrete foi importado" << QByteArray();
        QTest::newRow("a file that is neither a calendar nor an old-format database")
            << QStringList{"--importar", "%1/dados.mdb"} << 1
            << "não é um calendário iCalendar nem um banco de dados do programa antigo" << QByteArray();
        QTest::newRow("neither .ics nor .csv") << QStringList{"--exportar", "%1/saida.txt"} << 2
                                               << "deve terminar em .ics (iCalendar) ou .csv" << QByteArray();
        QTest::newRow("a folder that does not exist")
            << QStringList{"--exportar", "%1/nao-existe/saida.ics"} << 1 << "não pôde ser gravado" << QByteArray();
    }
    void theCommandLineExportsByNameAndImportsByContent()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QByteArray, written);
        QString folder;
        {
            Device source;
            addReminders(source);
            folder = source.fake.folder();
            writeFile(source.path("entrada.txt"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20060311T090000\r\n"
                                                  "SUMMARY:Novo\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
            writeFile(source.path("solto.txt"), "\r\nBEGIN:VEVENT\r\nDTSTART:20060312\r\nSUMMARY:Solto\r\nEND:VEVENT\r\n");
            arguments.replaceInStrings("%1", folder);
            // As the program runs it, on the program in the folder.
            const runtime::CommandLineChoice choice = runtime::readCommandLine(QStringList{"lembrete"} + arguments);
            QString text = choice.errorOutput;
            QTextStream stream(&text);
            QCOMPARE(choice.command ? choice.command({choice.commandValue, runtime::ProgramLayout::detect(folder), stream, stream})
                                    : choice.finished ? choice.exitCode : -1,
                     status);
            stream.flush();
            QVERIFY2(text.contains(output), qPrintable(text));
            if (!written.isEmpty())
                QCOMPARE(readAll(arguments.last()).left(written.size()), written);
        }
    }
};

QTEST_MAIN(tst_reminderexchange)
#include "tst_reminderexchange.moc"
