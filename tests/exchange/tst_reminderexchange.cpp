#include "exchange/exchangecommands.h"
#include "exchange/reminderexchange.h"
#include "runtime/commandline.h"
#include "runtime/programlayout.h"
#include "store/dailycopy.h"
#include "store/modgeral.h"
#include "store/uidcolumn.h"
#include "support/fakeplatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimeZone>

namespace {

const QDateTime kStamp(QDate(2006, 3, 10), QTime(14, 30), Qt::UTC);

struct Reminder
{
    QString day; // stored form
    QString title;
    QString description;
};

const QList<Reminder> kReminders = {
    {"2006/03/10", "Consulta Dr", "Levar exames;\nchegar cedo"},
    {"2006/03/10", "Consulta Dr", ""}, // the same day and title twice
    {"2006/12/25", "Natal, \"ceia\" em família", "Comprar: peru\\farofa"},
    {"2007/01/01", "Ano novo 🎆", ""},
};

// A store on its own program folder whose database holds the given reminders.
struct OpenStore
{
    explicit OpenStore(const QList<Reminder> &reminders = {})
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
        for (const Reminder &reminder : reminders)
            store.appendReminder(reminder.day, reminder.title, reminder.description);
    }
    QString path(const QString &name) const { return QDir(fake.folder()).filePath(name); }

    FakePlatform fake;
    modgeral store{fake.platform()};
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray withoutStamps(const QByteArray &calendar)
{
    QList<QByteArray> kept;
    for (const QByteArray &line : calendar.split('\n'))
        if (!line.startsWith("DTSTAMP:"))
            kept << line;
    return kept.join('\n');
}

QStringList uidsIn(const QByteArray &calendar)
{
    QStringList uids;
    for (const QByteArray &line : calendar.split('\n'))
        if (line.startsWith("UID:"))
            uids << QString::fromUtf8(line.mid(4).trimmed());
    return uids;
}

QStringList expectedLines()
{
    QStringList lines;
    for (const Reminder &reminder : kReminders)
        lines << QString(reminder.day).replace(QLatin1Char('/'), QLatin1Char('-')) + QLatin1Char('|')
                + reminder.title + QLatin1Char('|') + reminder.description;
    lines.sort();
    return lines;
}

// What calcurse keeps after importing the file: one appointment line per
// event, the description in a note file named by the line.
QStringList readByCalcurse(const QString &file, const QString &folder, QString *failure)
{
    QProcess calcurse;
    calcurse.start(QStringLiteral("calcurse"), {QStringLiteral("-D"), folder, QStringLiteral("-i"), file});
    if (!calcurse.waitForFinished(30000) || calcurse.exitCode() != 0) {
        *failure = QStringLiteral("calcurse did not import the file: ") + calcurse.errorString()
            + QString::fromUtf8(calcurse.readAllStandardError());
        calcurse.kill();
        calcurse.waitForFinished();
        return {};
    }
    if (!calcurse.readAllStandardOutput().contains(" 0 skipped"))
        *failure = QStringLiteral("calcurse skipped part of the file");
    const QRegularExpression line(QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d{4}) \\[1\\] (?:>(\\S+) )?(.*)$"));
    QStringList lines;
    for (const QString &text : QString::fromUtf8(readAll(folder + QStringLiteral("/apts"))).split('\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        // calcurse ends every note with a line break of its own.
        QString note = QString::fromUtf8(readAll(folder + QStringLiteral("/notes/") + match.captured(4)));
        if (note.endsWith(QLatin1Char('\n')))
            note.chop(1);
        lines << match.captured(3) + '-' + match.captured(1) + '-' + match.captured(2) + '|' + match.captured(5)
                + '|' + note;
    }
    return lines;
}

// The reminders exported by this program, imported into calcurse and
// exported by it again: a calendar without UIDs.
QByteArray exportedByCalcurse(QString *failure)
{
    OpenStore source(kReminders);
    const QString file = source.path(QStringLiteral("lembretes.ics"));
    QTemporaryDir home;
    if (!exchange::exportCalendar(source.store, file, kStamp).ok || readByCalcurse(file, home.path(), failure).isEmpty())
        return QByteArray();
    QProcess calcurse;
    calcurse.start(QStringLiteral("calcurse"), {QStringLiteral("-D"), home.path(), QStringLiteral("-x")});
    if (!calcurse.waitForFinished(30000) || calcurse.exitCode() != 0) {
        *failure = QStringLiteral("calcurse did not export: ") + calcurse.errorString();
        return QByteArray();
    }
    const QByteArray exported = calcurse.readAllStandardOutput();
    if (exported.contains("UID:"))
        *failure = QStringLiteral("calcurse wrote UIDs");
    return exported;
}

// What Python's icalendar reads, with the event's length in days and its alarm.
QStringList readByPythonIcalendar(const QString &file, QString *failure)
{
    const QString script = QStringLiteral(R"(
import sys, icalendar
calendar = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for event in calendar.walk('VEVENT'):
    start, end = event['DTSTART'].dt, event['DTEND'].dt
    alarms = [a for a in event.subcomponents if a.name == 'VALARM']
    line = '|'.join([start.isoformat(), str(event['SUMMARY']), str(event.get('DESCRIPTION', '')),
                     str((end - start).days), str(alarms[0]['ACTION']), str(alarms[0]['TRIGGER'].dt)])
    sys.stdout.buffer.write(line.encode('utf-8') + b'\0')
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        *failure = QStringLiteral("python3-icalendar did not read the file: ") + python.errorString()
            + QString::fromUtf8(python.readAllStandardError());
        python.kill();
        python.waitForFinished();
        return {};
    }
    QStringList lines;
    for (const QByteArray &entry : python.readAllStandardOutput().split('\0')) {
        if (entry.isEmpty())
            continue;
        const QString text = QString::fromUtf8(entry);
        if (!text.endsWith(QStringLiteral("|1|DISPLAY|0:00:00")))
            *failure = QStringLiteral("not a one-day event with a display alarm at its start: ") + text;
        lines << text.chopped(QStringLiteral("|1|DISPLAY|0:00:00").size());
    }
    return lines;
}

// A reminder database of 2,000 rows whose day-and-title index (written last)
// has one page overwritten: the store opens it read-only.
void writeDamagedDatabase(const QString &path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damaged"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("create table lembrete (data text not null, titulo text not null, descricao text)"));
        db.transaction();
        for (int i = 0; i < 2000; ++i)
            query.exec(QStringLiteral("insert into lembrete values ('2006/03/%1', 'Lembrete %2', '%3')")
                           .arg(10 + i % 18).arg(i, 4, 10, QLatin1Char('0')).arg(QString(200, QLatin1Char('x'))));
        db.commit();
        QVERIFY(query.exec("create index lembrete_data on lembrete (data, titulo)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damaged"));
    QByteArray bytes = readAll(path);
    const qsizetype page = (bytes.size() / 4096 - 4) * 4096;
    bytes.replace(page + 100, 3900, QByteArray(3900, '\x55'));
    writeFile(path, bytes);
}

// Runs the command line as the program would, on the program in folder.
int runCommand(const QStringList &arguments, const QString &folder, QString *output)
{
    const runtime::CommandLineChoice choice = runtime::readCommandLine(QStringList{"lembrete"} + arguments);
    if (!choice.command) {
        *output = choice.errorOutput;
        return choice.finished ? choice.exitCode : -1;
    }
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status =
        choice.command({choice.commandValue, runtime::ProgramLayout::detect(folder), outStream, errStream});
    outStream.flush();
    errStream.flush();
    *output = out + err;
    return status;
}

} // namespace

class tst_reminderexchange : public QObject
{
    Q_OBJECT

private slots:
    void aTableWrittenByAnotherProgramGainsTheUidColumnAndKeepsItsRows()
    {
        FakePlatform fake;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            db.setDatabaseName(fake.databasePath());
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec("create table lembrete (data text, titulo text, descricao text)"));
            QVERIFY(query.exec("insert into lembrete values ('2006/03/10', 'Consulta', 'Dr. Silva')"));
            QVERIFY(query.exec("insert into lembrete values ('ontem', 'Sem data', '')"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));

        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isOpen());
        QVERIFY(uidcolumn::exists(store.connection()));
        QSqlQuery rows(store.connection());
        QVERIFY(rows.exec("select data, titulo, descricao, uid from lembrete order by rowid"));
        QVERIFY(rows.next());
        QCOMPARE(rows.value(1).toString() + rows.value(2).toString(), QStringLiteral("ConsultaDr. Silva"));
        QVERIFY(rows.value(3).isNull());

        const QString file = QDir(fake.folder()).filePath(QStringLiteral("a.ics"));
        const exchange::ExportResult first = exchange::exportCalendar(store, file, kStamp);
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE(first.written, 1);
        QCOMPARE(first.unreadableDays, 1);
        const QStringList uids = uidsIn(readAll(file));
        QCOMPARE(uids.size(), 1);

        // An edit, and a row added afterwards without a UID, as another program would.
        store.setEditStatement(modgeral::titleQuery(QStringLiteral("consulta")));
        QVERIFY(store.updateReminder(QStringLiteral("2006/03/11"), QStringLiteral("Consulta"), QString()));
        QVERIFY(store.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, ?)",
                               {"2006/03/12", "Outro", ""}}));
        QVERIFY(exchange::exportCalendar(store, file, kStamp.addDays(1)).ok);
        const QStringList again = uidsIn(readAll(file));
        QCOMPARE(again.size(), 2);
        QCOMPARE(again.first(), uids.first());
        QVERIFY(readAll(file).contains("DTSTART;VALUE=DATE:20060311"));
    }

    void aFileImportedAndExportedAgainIsTheSameApartFromTheStamp()
    {
        OpenStore original(kReminders);
        const QString first = original.path(QStringLiteral("primeiro.ics"));
        QVERIFY(exchange::exportCalendar(original.store, first, kStamp).ok);

        OpenStore copy;
        const exchange::ImportResult imported =
            exchange::importCalendar(copy.store, first, QDate(2006, 3, 10), copy.fake.folder());
        QVERIFY2(imported.ok, qPrintable(imported.error));
        QCOMPARE(imported.imported, int(kReminders.size()));
        const QString second = copy.path(QStringLiteral("segundo.ics"));
        QVERIFY(exchange::exportCalendar(copy.store, second, kStamp.addDays(3)).ok);
        QVERIFY(readAll(first) != readAll(second));
        QCOMPARE(withoutStamps(readAll(second)), withoutStamps(readAll(first)));

        // Importing the same file again, into either database, adds nothing.
        for (OpenStore *target : {&copy, &original}) {
            const exchange::ImportResult twice =
                exchange::importCalendar(target->store, first, QDate(2006, 3, 10), target->fake.folder());
            QVERIFY(twice.ok);
            QCOMPARE(twice.imported, 0);
            QCOMPARE(twice.alreadyPresent, int(kReminders.size()));
        }
    }

    void otherProgramsReadEveryExportedReminder_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::newRow("calcurse") << "calcurse";
        QTest::newRow("python3-icalendar") << "python";
    }

    void otherProgramsReadEveryExportedReminder()
    {
        QFETCH(QString, reader);
        OpenStore source(kReminders);
        const QString file = source.path(QStringLiteral("lembretes.ics"));
        QVERIFY(exchange::exportCalendar(source.store, file, kStamp).ok);
        QTemporaryDir home;
        QString failure;
        QStringList lines = reader == QStringLiteral("calcurse") ? readByCalcurse(file, home.path(), &failure)
                                                                : readByPythonIcalendar(file, &failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        lines.sort();
        QCOMPARE(lines, expectedLines());
    }

    void aDamagedDatabaseStillExportsEveryRowTheSameWayButTakesNoImport()
    {
        FakePlatform fake;
        writeDamagedDatabase(fake.databasePath());
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isReadOnly());
        const QString first = QDir(fake.folder()).filePath(QStringLiteral("resgate.ics"));
        const QString second = QDir(fake.folder()).filePath(QStringLiteral("resgate2.ics"));
        for (const QString &file : {first, second}) {
            const exchange::ExportResult result = exchange::exportCalendar(store, file, kStamp);
            QVERIFY2(result.ok, qPrintable(result.error));
            QCOMPARE(result.written, 2000);
            QVERIFY(result.uidsNotStored);
        }
        QCOMPARE(readAll(second), readAll(first));
        const QStringList uids = uidsIn(readAll(first));
        QCOMPARE(QSet<QString>(uids.cbegin(), uids.cend()).size(), 2000);

        const exchange::ImportResult imported =
            exchange::importCalendar(store, first, QDate(2006, 3, 10), fake.folder());
        QVERIFY(!imported.ok);
        QVERIFY2(imported.error.contains(QStringLiteral("somente para leitura")), qPrintable(imported.error));
    }

    void theMenuImportTellsWhatCameInWhatWasCutAndWhatWasSetAside()
    {
        OpenStore target;
        const QString file = target.path(QStringLiteral("agenda.ics"));
        writeFile(file, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//PT\r\n"
                        "BEGIN:VEVENT\r\nUID:r\r\nDTSTART:20000101T080000\r\nRRULE:FREQ=HOURLY\r\n"
                        "SUMMARY:Remédio\r\nEND:VEVENT\r\n"
                        "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:Sem dia\r\nEND:VTODO\r\n"
                        "END:VCALENDAR\r\n");
        target.fake.openDialog->nextFileName = file;
        ExchangeCommands commands(target.fake.platform(), target.store, nullptr);
        QVERIFY(commands.importarICalendar());
        QCOMPARE(DailyCopy::copiesIn(DailyCopy::folderFor(target.fake.databasePath())).size(), 1);
        QVERIFY(!commands.importarICalendar());

        QCOMPARE(target.fake.openDialog->filters, QStringList(2, QStringLiteral("Arquivos iCalendar (*.ics)")));
        QCOMPARE(target.fake.messages->shown.size(), 2);
        const QString reject = target.path(QStringLiteral("itens-de-calendario-nao-importados.txt"));
        QCOMPARE(target.fake.messages->shown.at(0).text,
                 QStringLiteral("1.000 lembretes foram importados de %1.\n\n"
                                "Os itens que se repetem viraram um lembrete para cada vez, de 10/03/2005 a "
                                "10/03/2008, no máximo 1.000 por item. 1 item passou desse limite; as vezes "
                                "seguintes não foram trazidas.\n\n"
                                "1 item não pôde ser trazido. Ele foi gravado, com o motivo, no arquivo %2.")
                     .arg(file, reject));
        QVERIFY(target.fake.messages->shown.at(1).text.startsWith(
            QStringLiteral("0 lembretes foram importados de %1. 1.000 itens já estavam no banco de dados").arg(file)));
        QVERIFY(QString::fromUtf8(readAll(reject)).contains(
            QStringLiteral("=== Sem dia ===\nMotivo: o item não tem data (DTSTART ou DUE).")));

        // A file that is no calendar changes nothing.
        writeFile(file, "Data;Título\r\n");
        QVERIFY(!commands.importarICalendar());
        QCOMPARE(target.fake.messages->shown.last().icon, runtime::MessageIcon::Critical);
        QVERIFY(target.store.openRecordset({"select count(*) from lembrete", {}}) && target.store.recordset().next());
        QCOMPARE(target.store.recordset().value(0).toInt(), 1000);
    }

    // What one import and the same import again say and keep, for files that
    // re-importing, duplicated UIDs or unreadable items could make lie.
    void importingTwiceTellsTheTruthAboutEveryItem_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("first");  // ok, imported, already present, set aside
        QTest::addColumn<QList<int>>("second"); // the same, importing the file again
        QTest::addColumn<QString>("told");      // in the set-aside file, else in the error

        const auto event = [](const QByteArray &uid, const QByteArray &title) {
            return "BEGIN:VEVENT\r\n" + (uid.isEmpty() ? QByteArray() : "UID:" + uid + "\r\n")
                + "DTSTART;VALUE=DATE:20060310\r\nSUMMARY:" + title + "\r\nEND:VEVENT\r\n";
        };
        const auto calendar = [](const QByteArray &body) { return "BEGIN:VCALENDAR\r\n" + body + "END:VCALENDAR\r\n"; };
        QTest::newRow("items without UID, two of them alike")
            << calendar(event("", "Pilates") + event("", "Pilates") + event("", "Yoga")) << QList<int>{1, 3, 0, 0}
            << QList<int>{1, 0, 3, 0} << QString();
        QString failure;
        QTest::newRow("a calcurse export, without UIDs")
            << exportedByCalcurse(&failure) << QList<int>{1, int(kReminders.size()), 0, 0}
            << QList<int>{1, 0, int(kReminders.size()), 0} << failure;
        QTest::newRow("one UID twice in the file")
            << calendar(event("a", "Primeiro") + event("a", "Segundo")) << QList<int>{1, 1, 0, 1}
            << QList<int>{1, 0, 1, 1}
            << "=== Segundo ===\nMotivo: outro item deste arquivo tem o mesmo identificador (UID a) e foi lido "
               "antes dele; só o primeiro foi considerado.";
        QTest::newRow("nothing in the calendar could be read")
            << calendar("BEGIN:VJOURNAL\r\nSUMMARY:Nota\r\nEND:VJOURNAL\r\n" + event("b", "")) << QList<int>{0, 0, 0, 0}
            << QList<int>{0, 0, 0, 0} << "nenhum dos 2 itens do calendário pôde ser trazido";
        QTest::newRow("calendars nested 100,000 deep")
            << QByteArray("BEGIN:VCALENDAR\r\n").repeated(100000) + QByteArray("END:VCALENDAR\r\n").repeated(100000)
            << QList<int>{0, 0, 0, 0} << QList<int>{0, 0, 0, 0}
            << "aninhados em mais de 10 níveis";
    }

    void importingTwiceTellsTheTruthAboutEveryItem()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, first);
        QFETCH(QList<int>, second);
        QFETCH(QString, told);
        OpenStore target;
        const QString path = target.path(QStringLiteral("agenda.ics"));
        writeFile(path, file);
        for (const QList<int> &expected : {first, second}) {
            const exchange::ImportResult result =
                exchange::importCalendar(target.store, path, QDate(2006, 3, 10), target.fake.folder());
            QCOMPARE((QList<int>{result.ok, result.imported, result.alreadyPresent, result.setAside}), expected);
            const QString reasons = result.rejectFile.isEmpty() ? QString() : QString::fromUtf8(readAll(result.rejectFile));
            QVERIFY2((result.ok ? reasons : result.error).contains(told), qPrintable(result.error + reasons));
        }
    }

    // Two equal items meet one equal reminder: one of them is new.
    void equalItemsMatchOnlyAsManyEqualReminders()
    {
        OpenStore target({{"2006/03/10", "Pilates", ""}});
        const QString path = target.path(QStringLiteral("agenda.ics"));
        const QByteArray event = "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20060310\r\nSUMMARY:Pilates\r\nEND:VEVENT\r\n";
        writeFile(path, "BEGIN:VCALENDAR\r\n" + event + event + "END:VCALENDAR\r\n");
        const exchange::ImportResult result =
            exchange::importCalendar(target.store, path, QDate(2006, 3, 10), target.fake.folder());
        QCOMPARE((QList<int>{result.imported, result.alreadyPresent}), (QList<int>{1, 1}));
    }

    // Nothing taken and no file for the reasons: the error says the file failed.
    void reasonsThatCouldNotBeWrittenAreReported()
    {
        OpenStore target;
        const QString path = target.path(QStringLiteral("agenda.ics"));
        writeFile(path, "BEGIN:VCALENDAR\r\nBEGIN:VJOURNAL\r\nSUMMARY:Nota\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n");
        const exchange::ImportResult result =
            exchange::importCalendar(target.store, path, QDate(2006, 3, 10), target.path(QStringLiteral("nao-existe")));
        QVERIFY2(!result.ok && result.error.contains(QStringLiteral("não pôde ser criado")), qPrintable(result.error));
    }

    void theCommandLineExportsByNameAndImportsByContent_data()
    {
        QTest::addColumn<QStringList>("arguments"); // %1 is the program's folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("written"); // the start of %1/saida.*, when one is written
        QTest::newRow("csv") << QStringList{"--exportar", "%1/saida.csv"} << 0 << "Lembretes exportados: 4"
                             << QByteArray("\xEF\xBB\xBF" "Data;T\xC3\xADtulo;Descri\xC3\xA7\xC3\xA3o\r\n"
                                           "10/03/2006;Consulta Dr;\"Levar exames;\nchegar cedo\"\r\n"
                                           "10/03/2006;Consulta Dr;\r\n"
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
            OpenStore source(kReminders);
            folder = source.fake.folder();
            writeFile(source.path(QStringLiteral("entrada.txt")),
                      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20060311T090000\r\nSUMMARY:Novo\r\n"
                      "END:VEVENT\r\nEND:VCALENDAR\r\n");
            writeFile(source.path(QStringLiteral("solto.txt")),
                      "\r\nBEGIN:VEVENT\r\nDTSTART:20060312\r\nSUMMARY:Solto\r\nEND:VEVENT\r\n");
            for (QString &argument : arguments)
                argument.replace(QStringLiteral("%1"), folder);
            QString text;
            QCOMPARE(runCommand(arguments, folder, &text), status);
            QVERIFY2(text.contains(output), qPrintable(text));
            if (!written.isEmpty())
                QCOMPARE(readAll(arguments.last()).left(written.size()), written);
        }
    }
};

QTEST_MAIN(tst_reminderexchange)
#include "tst_reminderexchange.moc"
