#include "exchange/exchangecommands.h"
#include "fixture.h"
#include "runtime/commandline.h"
#include "runtime/programlayout.h"
#include "store/dailycopy.h"
#include "store/uidcolumn.h"

#include <QRegularExpression>
#include <QTextStream>

namespace {

const QDateTime kStamp(QDate(2006, 3, 10), QTime(14, 30), Qt::UTC);
const QDate kToday(2006, 3, 10);

// The same day and title twice, the characters CSV and iCalendar escape, a title long enough to fold
// through multi-byte characters, blanks around and control characters.
const QString kLongTitle = " Título " + QStringLiteral("ção😀").repeated(40) + ' ';
void addReminders(Device &device)
{
    device.add("2006/03/10", "Consulta Dr", "Levar exames;\nchegar cedo");
    device.add("2006/03/10", "Consulta Dr");
    device.add("2006/12/25", "Natal, \"ceia\" em família", "Comprar: peru\\farofa");
    device.add("2007/01/01", "Ano novo 🎆");
    device.add("2007/01/02", kLongTitle, "\tlinha 1 \r\nlinha 2\x1b[31m \n ");
}

QStringList uidsIn(const QByteArray &calendar)
{
    return QString::fromUtf8(calendar).split("\r\n").filter(QRegularExpression("^UID:")).replaceInStrings("UID:", "");
}

// A reminder table as another program writes it.
void writeForeignDatabase(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase("foreign");
}

// The item blocks of a calendar, each as its sorted unfolded lines, by kind, RECURRENCE-ID, TZID and UID.
QMap<QString, QStringList> components(const QByteArray &data)
{
    static const QRegularExpression block("^BEGIN:(VEVENT|VTIMEZONE)\r?$(.*?)^END:\\1\r?$",
                                          QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression key("^(UID:|RECURRENCE-ID|TZID:)");
    QMap<QString, QStringList> blocks;
    const QString text = QString::fromUtf8(QByteArray(data).replace("\r\n", "\n").replace("\n ", "").replace("\n\t", ""));
    for (const QRegularExpressionMatch &match : block.globalMatch(text)) {
        QStringList lines = match.captured(2).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        blocks.insert((QStringList{match.captured(1)} + lines.filter(key)).join('|'), lines);
    }
    return blocks;
}

QString dataFile(const QString &name) { return QFINDTESTDATA("data/kept/" + name); }

// Each event as Python's icalendar reads it, property by property.
QStringList readByPythonIcalendar(const QString &file, QString *failure)
{
    const QString script = QStringLiteral(R"(
import sys, icalendar
def when(p):
    zone = getattr(getattr(p.dt, 'tzinfo', None), 'zone', '')
    return p.dt.isoformat() + (' ' + zone if zone else '')
def listed(v):
    return [] if v is None else v if isinstance(v, list) else [v]
for e in icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read()).walk('VEVENT'):
    print('|'.join([e['UID'], when(e['RECURRENCE-ID']) if 'RECURRENCE-ID' in e else '', e['SUMMARY'],
                    when(e['DTSTART']), when(e['DTEND']) if 'DTEND' in e else '',
                    e['RRULE'].to_ical().decode() if 'RRULE' in e else '',
                    ','.join(d.dt.isoformat() for x in listed(e.get('EXDATE')) for d in x.dts),
                    e.get('LOCATION', ''), ','.join(listed(e.get('ATTENDEE'))),
                    ','.join('%s %s' % (a['ACTION'], a['TRIGGER'].dt) for a in e.walk('VALARM')),
                    ','.join('%s=%s' % (k, v) for k, v in e.items() if k.startswith('X-')),
                    e.get('DESCRIPTION', '').replace('\n', '/')]))
)");
    QStringList lines = runProgram("/usr/bin/python3", {"-c", script, file}, failure).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

// calcurse's appointment lines after importing the file, each note in brackets
// instead of its file name; with exported, what calcurse exports again.
QStringList readByCalcurse(const QString &file, QString *failure, QByteArray *exported = nullptr)
{
    QTemporaryDir home;
    const QString report = runProgram("calcurse", {"-D", home.path(), "-i", file}, failure);
    if (!report.contains(" 0 skipped"))
        *failure += "calcurse skipped part of the file: " + report;
    if (exported && (*exported = runProgram("calcurse", {"-D", home.path(), "-x"}, failure).toUtf8()).contains("UID:"))
        *failure += "calcurse wrote UIDs";
    const QRegularExpression note(">([0-9a-f]{40}) ?");
    QStringList lines;
    for (QString line : QString::fromUtf8(fileBytes(home.filePath("apts"))).split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = note.match(line);
        if (match.hasMatch())
            line.replace(match.capturedStart(), match.capturedLength(),
                         " [" + QString::fromUtf8(fileBytes(home.filePath("notes/" + match.captured(1)))).trimmed().replace('\n', " / ") + "] ");
        lines.append(line.simplified());
    }
    lines.sort();
    return lines;
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
        writeForeignDatabase(fake.databasePath(), {"create table lembrete (data text, titulo text, descricao text)",
                                                   "insert into lembrete values ('2006/03/10', 'Consulta', 'Dr. Silva'), "
                                                   "('ontem', 'Sem data', '')"});
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isOpen() && uidcolumn::exists(store.connection()));
        QSqlQuery rows("select titulo || descricao || '|' || (uid is null) from lembrete order by rowid", store.connection());
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), QStringLiteral("ConsultaDr. Silva|1"));

        const QString file = QDir(fake.folder()).filePath("a.ics");
        const exchange::ExportResult first = exchange::exportCalendar(store, file, kStamp);
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE((QList<int>{first.written, first.unreadableDays}), (QList<int>{1, 1}));
        const QStringList uids = uidsIn(fileBytes(file));
        QCOMPARE(uids.size(), 1);
        // An edit, and a row added afterwards without a UID, as another program would.
        store.setEditStatement(modgeral::titleQuery("consulta"));
        QVERIFY(store.updateReminder("2006/03/11", "Consulta", QString()));
        QVERIFY(store.execute({"insert into lembrete (data, titulo, descricao) values (?, ?, ?)", {"2006/03/12", "Outro", ""}}));
        QVERIFY(exchange::exportCalendar(store, file, kStamp.addDays(1)).ok);
        QCOMPARE(uidsIn(fileBytes(file)), (QStringList{uids.first(), uidsIn(fileBytes(file)).value(1)}));
        QVERIFY(fileBytes(file).contains("DTSTART;VALUE=DATE:20060311"));
    }

    void aFileImportedAndExportedAgainIsTheSameApartFromTheStamp()
    {
        Device original, copy;
        addReminders(original);
        const QByteArray first = original.exported(kStamp);
        for (const QByteArray &line : first.split('\n'))
            QVERIFY2(line.size() <= 76 && std::all_of(line.cbegin(), line.cend() - line.endsWith('\r'), [](char c) {
                         return uchar(c) >= 0x20 || c == '\t';
                     }), line);
        const exchange::ImportResult imported = copy.import(original.path("saida.ics"), kToday);
        QVERIFY2(imported.ok && imported.imported == 5, qPrintable(imported.error));
        QCOMPARE(copy.rows("select titulo || '|' || descricao from lembrete where data = '2007/01/02'"),
                 QStringList{kLongTitle + "|\tlinha 1 \nlinha 2[31m \n "});
        QByteArray second = copy.exported(kStamp.addDays(3));
        QVERIFY(first != second);
        QCOMPARE(second.replace("20060313T143000Z", "20060310T143000Z"), first);
    }

    void aDamagedDatabaseStillExportsEveryRowTheSameWayButTakesNoImport()
    {
        // 2,000 rows whose day-and-title index (written last) has one page overwritten: the store opens it read-only.
        FakePlatform fake;
        writeForeignDatabase(fake.databasePath(),
                             {"create table lembrete (data text not null, titulo text not null, descricao text)",
                              "with recursive n(i) as (select 0 union all select i + 1 from n where i < 1999) insert into "
                              "lembrete select '2006/03/' || (10 + i % 18), 'Lembrete ' || substr('000' || i, -4), "
                              "replace(hex(zeroblob(100)), '0', 'x') from n",
                              "create index lembrete_data on lembrete (data, titulo)"});
        QByteArray bytes = fileBytes(fake.databasePath());
        bytes.replace((bytes.size() / 4096 - 4) * 4096 + 100, 3900, QByteArray(3900, '\x55'));
        writeFile(fake.databasePath(), bytes);
        modgeral store(fake.platform());
        store.abrirbanco();
        QVERIFY(store.isReadOnly());
        QByteArray written[2];
        for (QByteArray &bytes : written) {
            const QString file = QDir(fake.folder()).filePath("resgate.ics");
            const exchange::ExportResult result = exchange::exportCalendar(store, file, kStamp);
            QVERIFY2(result.ok && result.written == 2000 && result.uidsNotStored, qPrintable(result.error));
            bytes = fileBytes(file);
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
        QVERIFY(fileBytes(reject).contains("=== Sem dia ===\nMotivo: o item não tem data (DTSTART ou DUE)."));
        // A file that is no calendar changes nothing.
        writeFile(file, "Data;Título\r\n");
        QVERIFY(!commands.importarICalendar());
        QCOMPARE(target.fake.messages->shown.last().icon, runtime::MessageIcon::Critical);
        QCOMPARE(target.rows("select count(*) from lembrete"), QStringList{"1000"});
    }

    // What one import and the same import again say and keep, for files that re-importing, duplicated UIDs or
    // unreadable items could make lie.
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
        Device source;
        addReminders(source);
        source.exported(kStamp);
        QString failure;
        QByteArray exported;
        readByCalcurse(source.path("saida.ics"), &failure, &exported);
        QTest::newRow("a calcurse export, without UIDs")
            << exported << QString() << QList<int>{1, 5, 0, 0} << QList<int>{1, 0, 5, 0} << failure;
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
            const QString reasons = result.rejectFile.isEmpty() ? QString() : QString::fromUtf8(fileBytes(result.rejectFile));
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
        QTest::newRow("csv") << QStringList{"--exportar", "%1/saida.csv"} << 0 << "Lembretes exportados: 5"
                             << QByteArray("\xEF\xBB\xBF" "Data;T\xC3\xADtulo;Descri\xC3\xA7\xC3\xA3o\r\n"
                                           "10/03/2006;Consulta Dr;\"Levar exames;\nchegar cedo\"\r\n10/03/2006;Consulta Dr;\r\n"
                                           "25/12/2006;\"Natal, \"\"ceia\"\" em fam\xC3\xADlia\";Comprar: peru\\farofa\r\n");
        QTest::newRow("import by content, whatever the name")
            << QStringList{"--importar", "%1/entrada.txt"} << 0 << "1 lembrete foi importado" << QByteArray();
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
        Device source;
        addReminders(source);
        writeFile(source.path("entrada.txt"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20060311T090000\r\n"
                                              "SUMMARY:Novo\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        arguments.replaceInStrings("%1", source.fake.folder());
        // As the program runs it, on the program in the folder.
        const runtime::CommandLineChoice choice = runtime::readCommandLine(QStringList{"lembrete"} + arguments);
        QString text = choice.errorOutput;
        QTextStream stream(&text);
        QCOMPARE(choice.command ? choice.command({choice.commandValue, runtime::ProgramLayout::detect(source.fake.folder()),
                                                  stream, stream})
                                : choice.finished ? choice.exitCode : -1,
                 status);
        stream.flush();
        QVERIFY2(text.contains(output), qPrintable(text));
        if (!written.isEmpty())
            QCOMPARE(fileBytes(arguments.last()).left(written.size()), written);
    }

    // Read natively (times in the user's zone, rules, overrides), exported with every property it came with, and
    // imported twice without a duplicate.
    void filesAreReadNativelyAndComeBackWhole_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        // 12:30 in Tokyo is 00:30 of the same day in São Paulo (12 hours behind).
        QTest::newRow("hora, fuso, local, participantes, dois alarmes")
            << "meeting.ics" << QStringList{"2026/03/10|00:30|||30|||Reunião de obra"};
        QTest::newRow("série com exceção e uma vez reescrita, dia inteiro")
            << "series.ics"
            << QStringList{"2026/03/02|09:00|FREQ=WEEKLY;BYDAY=MO|2026/03/09,2026/03/16||||Aula",
                           "2026/03/16|11:00||||2026/03/16|1|Aula (mudou)", "2026/03/20|||||||Feriado"};
    }
    void filesAreReadNativelyAndComeBackWhole()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        Device store;
        QVERIFY(store.import(dataFile(file)).ok);
        const QString rows = "select data || '|' || coalesce(hora, '') || '|' || coalesce(repeticao, '') || '|' || "
                             "coalesce(excecoes, '') || '|' || coalesce(antecedencia, '') || '|' || coalesce(ocorrencia, "
                             "'') || '|' || coalesce((select 1 from lembrete s where s.rowid = l.serie), '') || '|' || "
                             "titulo from lembrete l order by data, titulo";
        QCOMPARE(store.rows(rows), expected);
        const exchange::ImportResult again = store.import(dataFile(file));
        QVERIFY(again.ok && again.imported == 0);
        QCOMPARE(store.rows(rows), expected);
        QCOMPARE(components(store.exported()), components(fileBytes(dataFile(file))));
    }

    // Only what was changed here is written into the object; the rest stays.
    void changesArePatchedIntoTheKeptObject_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("lines"); // "!" before a line that must be gone
        const QStringList kept{"LOCATION:Sala 2\\, prédio B", "ATTENDEE;CN=Bruno;PARTSTAT=ACCEPTED:mailto:bruno@example.org",
                               "X-OUTRO-APP;X-NIVEL=2:valor próprio", "TRIGGER:-P1D", "CATEGORIES:OBRA", "SEQUENCE:4"};
        const QString tokyo = "DTSTART;TZID=Asia/Tokyo:20260310T123000";
        QTest::newRow("título") << "titulo = 'Obra'"
                                << kept + QStringList{"SUMMARY:Obra", tokyo, "TRIGGER:-PT30M", "!SUMMARY:Reunião de obra"};
        QTest::newRow("dia inteiro") << "hora = null" << kept + QStringList{"DTSTART;VALUE=DATE:20260310", '!' + tokyo};
        QTest::newRow("repetição e dia excluído")
            << "repeticao = 'FREQ=DAILY;COUNT=5', excecoes = '2026/03/11'"
            << kept + QStringList{"RRULE:FREQ=DAILY;COUNT=5", "EXDATE;TZID=Asia/Tokyo:20260311T123000"};
        QTest::newRow("aviso") << "antecedencia = '45'" << kept + QStringList{"TRIGGER:-PT45M", "!TRIGGER:-PT30M"};
        QTest::newRow("nada") << "titulo = titulo" << QStringList{"SEQUENCE:3", "SUMMARY:Reunião de obra", "!SEQUENCE:4"};
    }
    void changesArePatchedIntoTheKeptObject()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, lines);
        Device store;
        QVERIFY(store.import(dataFile("meeting.ics")).ok);
        store.run("update lembrete set " + change);
        const QStringList written = components(store.exported()).value("VEVENT|UID:reuniao-1@outro");
        for (const QString &line : lines)
            QVERIFY2(written.contains(line.startsWith('!') ? line.mid(1) : line) != line.startsWith('!'),
                     qPrintable(line + " in:\n" + written.join('\n')));
    }

    // Kept objects and this program's own (escaped characters, the same day and title twice).
    void otherReadersReadWhatTheySupportFromTheExport_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("python3-icalendar") << "python" << QStringList{
            "dia-1@outro||Feriado|2026-03-20|2026-03-21||||||X-ALT-DESC=<b>Feriado</b>|",
            "p1||Consulta Dr|2006-03-10|2006-03-11|||||DISPLAY 0:00:00||Levar exames;/chegar cedo",
            "p2||Consulta Dr|2006-03-10|2006-03-11|||||DISPLAY 0:00:00||",
            "p3||Natal, \"ceia\" em família|2006-12-25|2006-12-26|||||DISPLAY 0:00:00||Comprar: peru\\farofa",
            "p4||Ano novo 🎆|2007-01-01|2007-01-02|||||DISPLAY 0:00:00||",
            "remedio-1@zedozarir||Remédio|2026-03-05T08:15:00||FREQ=WEEKLY;UNTIL=20260326T081500|"
            "2026-03-12T08:15:00|||DISPLAY -1 day, 23:45:00||Depois do café",
            "reuniao-1@outro||Reunião de obra|2026-03-10T12:30:00+09:00 Asia/Tokyo|2026-03-10T14:00:00+09:00 Asia/Tokyo|||"
            "Sala 2, prédio B|mailto:bruno@example.org|DISPLAY -1 day, 23:30:00,EMAIL -1 day, 0:00:00|"
            "X-OUTRO-APP=valor próprio|Levar as plantas",
            "semanal-1@outro|2026-03-16T09:00:00|Aula (mudou)|2026-03-16T11:00:00|2026-03-16T12:00:00|||Auditório||||",
            "semanal-1@outro||Aula|2026-03-02T09:00:00|2026-03-02T10:00:00|FREQ=WEEKLY;BYDAY=MO|2026-03-09T09:00:00|"
            "Escola|||X-COR=verde|"};
        // calcurse shows Tokyo's time in São Paulo's and has no overrides: the changed class stands alone.
        QTest::newRow("calcurse") << "calcurse" << QStringList{
            "03/02/2026 @ 09:00 -> 03/02/2026 @ 10:00 {1W w1 !03/09/2026} [-- / Location: Escola] |Aula",
            "03/05/2026 @ 08:15 -> 03/05/2026 @ 08:15 {1W -> 03/26/2026 !03/12/2026} [Depois do café] !Remédio",
            "03/10/2006 [1] Consulta Dr",
            "03/10/2006 [1] [Levar exames; / chegar cedo] Consulta Dr",
            "03/10/2026 @ 00:30 -> 03/10/2026 @ 02:00 [Levar as plantas / -- / Location: Sala 2, prédio B / Import: "
            "TZID=Asia/Tokyo] !Reunião de obra",
            "03/16/2026 @ 11:00 -> 03/16/2026 @ 12:00 [-- / Location: Auditório] |Aula (mudou)",
            "03/20/2026 [1] Feriado", "12/25/2006 [1] [Comprar: peru\\farofa] Natal, \"ceia\" em família",
            "01/01/2007 [1] Ano novo 🎆"};
    }
    void otherReadersReadWhatTheySupportFromTheExport()
    {
        QFETCH(QString, reader);
        QFETCH(QStringList, expected);
        Device store;
        QVERIFY(store.import(dataFile("meeting.ics")).ok);
        QVERIFY(store.import(dataFile("series.ics")).ok);
        store.run("insert into lembrete (data, titulo, descricao, uid, hora, repeticao, excecoes, antecedencia) values "
                  "('2026/03/05', 'Remédio', 'Depois do café', 'remedio-1@zedozarir', '08:15', "
                  "'FREQ=WEEKLY;UNTIL=20260326T081500', '2026/03/12', '15'), ('2006/03/10', 'Consulta Dr', 'Levar exames;"
                  "' || char(10) || 'chegar cedo', 'p1', null, null, null, null), ('2006/03/10', 'Consulta Dr', '', 'p2', "
                  "null, null, null, null), ('2006/12/25', 'Natal, \"ceia\" em família', 'Comprar: peru\\farofa', 'p3', "
                  "null, null, null, null), ('2007/01/01', 'Ano novo 🎆', '', 'p4', null, null, null, null)");
        QVERIFY(!store.exported().isEmpty());
        QString failure;
        QStringList lines = reader == "python" ? readByPythonIcalendar(store.path("saida.ics"), &failure)
                                               : readByCalcurse(store.path("saida.ics"), &failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        expected.sort();
        QCOMPARE(lines, expected);
    }

    // Control bytes that came in a file are not written out again with the kept object.
    void controlBytesAreNotKeptInTheObject()
    {
        Device store;
        writeFile(store.path("k.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:k\r\nDTSTART;VALUE=DATE:20260310\r\n"
                                       "SUMMARY:K\r\nX-NOTA:a\x7f" "b\x01" "c\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        QVERIFY(store.import(store.path("k.ics")).ok);
        const QByteArray out = store.exported();
        QVERIFY2(out.contains("X-NOTA:abc\r\n"), out);
    }

    // An occurrence rewritten in a later file takes its day out of the series
    // imported before, and travels inside the series' object from then on.
    void aLaterOverrideJoinsTheSeriesImportedBefore()
    {
        Device store;
        QVERIFY(store.import(dataFile("series.ics")).ok);
        QVERIFY(store.import(dataFile("override-later.ics")).ok);
        QCOMPARE(store.import(dataFile("override-later.ics")).imported, 0);
        QCOMPARE(store.rows("select excecoes from lembrete where uid = 'semanal-1@outro'"),
                 QStringList{"2026/03/09,2026/03/16,2026/03/23"});
        const QMap<QString, QStringList> exported = components(store.exported());
        const QStringList moved = exported.value("VEVENT|RECURRENCE-ID:20260323T090000|UID:semanal-1@outro");
        for (const char *line : {"LOCATION:Pátio", "SUMMARY:Aula no pátio", "DTSTART:20260323T093000"})
            QVERIFY2(moved.contains(line), qPrintable(line + (" missing from:\n" + moved.join('\n'))));
        QVERIFY(!exported.value("VEVENT|UID:semanal-1@outro").join('\n').contains(u"20260323"));
        // With its series gone, a moved occurrence is still written, on its own.
        store.run("delete from lembrete where titulo = 'Aula'");
        QVERIFY(store.exported().contains("SUMMARY:Aula no pátio"));
    }
};

QTEST_MAIN(tst_reminderexchange)
#include "tst_reminderexchange.moc"
