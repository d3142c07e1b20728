#include "fixture.h"
#include "store/uidcolumn.h"

#include <QRegularExpression>

namespace {

// The item blocks of a calendar, each as its sorted unfolded lines, by UID and RECURRENCE-ID.
QMap<QString, QStringList> components(const QByteArray &data)
{
    QMap<QString, QStringList> blocks;
    QStringList lines;
    QString key;
    for (QString line : QString::fromUtf8(QByteArray(data).replace("\r\n", "\n").replace("\n ", "").replace("\n\t", "")).split('\n')) {
        line = line.trimmed();
        if (line == "BEGIN:VEVENT" || line == "BEGIN:VTIMEZONE")
            lines.clear(), key = line.mid(6);
        else if (!key.isEmpty() && (line == "END:VEVENT" || line == "END:VTIMEZONE")) {
            lines.sort();
            blocks.insert(key, lines);
            key.clear();
        } else if (!key.isEmpty()) {
            if (line.startsWith("UID:") || line.startsWith("RECURRENCE-ID") || line.startsWith("TZID:"))
                key += '|' + line;
            lines.append(line);
        }
    }
    return blocks;
}

QString dataFile(const QString &name)
{
    return QFINDTESTDATA("data/kept/" + name);
}

// Each event as Python's icalendar reads it: UID, RECURRENCE-ID, title, start
// and end (with their zone), rule, excluded starts, place, attendees, alarms,
// X- properties, description and the length of a whole-day event.
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

// What calcurse keeps after importing the file: its appointment lines (day,
// times, repetition with excluded days, alarm mark, title), each note (the
// description and place) in brackets instead of the note's file name.
QStringList readByCalcurse(const QString &file, QString *failure)
{
    QTemporaryDir home;
    const QString report = runProgram("calcurse", {"-D", home.path(), "-i", file}, failure);
    if (!report.contains(" 0 skipped"))
        *failure += "calcurse skipped part of the file: " + report;
    const QRegularExpression note(">([0-9a-f]{40}) ?");
    QStringList lines;
    for (QString line : QString::fromUtf8(readAll(home.filePath("apts"))).split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = note.match(line);
        if (match.hasMatch())
            line.replace(match.capturedStart(), match.capturedLength(),
                         " [" + QString::fromUtf8(readAll(home.filePath("notes/" + match.captured(1)))).trimmed().replace('\n', " / ") + "] ");
        lines.append(line.simplified());
    }
    lines.sort();
    return lines;
}

} // namespace

class tst_keptobjects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { inSaoPaulo(); }

    // Read natively (times in the user's zone, rules, overrides), exported with
    // every property it came with, and imported twice without a duplicate.
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
        QVERIFY(again.ok);
        QCOMPARE(again.imported, 0);
        QCOMPARE(store.rows(rows), expected);
        QCOMPARE(components(store.exported()), components(readAll(dataFile(file))));
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
        QTest::newRow("hora") << "hora = '01:00'"
                              << kept + QStringList{"DTSTART;TZID=Asia/Tokyo:20260310T130000",
                                                    "DTEND;TZID=Asia/Tokyo:20260310T143000", '!' + tokyo};
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

    // Kept objects (zone, place, attendee, alarms, X- properties, a series
    // with an excluded day and an override, a whole day) and this program's
    // own (a time, a weekly rule, an excluded day, a warning; whole days with
    // the characters the format escapes, the same day and title twice).
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
        // calcurse shows the Tokyo time in the user's zone (São Paulo, 12
        // hours behind) and has no overrides: the changed class is one more
        // appointment beside its series.
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

    // Copies an earlier version made, one per occurrence, become the one series again.
    void expandedCopiesFoldIntoTheSeries()
    {
        Device store;
        QVERIFY(uidcolumn::ensure(store.db()));
        store.run("insert into lembrete (data, titulo, descricao, uid) values ('2026/03/02', 'Aula', '', "
                  "'semanal-1@outro/20260302T090000'), ('2026/03/23', 'Aula', '', 'semanal-1@outro/20260323T090000'), "
                  "('2026/03/30', 'Aula na quadra', '', 'semanal-1@outro/20260330T090000')");
        QVERIFY(store.import(dataFile("series.ics")).ok);
        QCOMPARE(store.rows("select titulo || '|' || coalesce(excecoes, '') || '|' || coalesce(ocorrencia, '') from "
                            "lembrete order by rowid"),
                 QStringList({"Aula na quadra||2026/03/30", "Aula|2026/03/09,2026/03/16,2026/03/30|", "Feriado||",
                              "Aula (mudou)||2026/03/16"}));
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
        const QStringList moved = exported.value("VEVENT|UID:semanal-1@outro|RECURRENCE-ID:20260323T090000");
        for (const char *line : {"LOCATION:Pátio", "SUMMARY:Aula no pátio", "DTSTART:20260323T093000"})
            QVERIFY2(moved.contains(line), qPrintable(line + (" missing from:\n" + moved.join('\n'))));
        QVERIFY(!exported.value("VEVENT|UID:semanal-1@outro").join('\n').contains(u"20260323"));
    }
};

QTEST_MAIN(tst_keptobjects)
#include "tst_keptobjects.moc"
