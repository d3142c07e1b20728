#include "exchange/reminderexchange.h"
#include "store/modgeral.h"
#include "store/uidcolumn.h"
#include "support/fakeplatform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {

// A reminder database on its own program folder.
struct Store
{
    Store()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
    }
    QString path(const QString &name) const { return QDir(fake.folder()).filePath(name); }
    exchange::ImportResult import(const QString &file)
    {
        return exchange::importCalendar(store, file, QDate(2026, 3, 10), fake.folder());
    }
    QByteArray exported()
    {
        const exchange::ExportResult result =
            exchange::exportCalendar(store, path(QStringLiteral("saida.ics")), QDateTime(QDate(2026, 3, 10), QTime(9, 0)));
        if (!result.ok)
            qWarning() << result.error;
        QFile file(path(QStringLiteral("saida.ics")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void run(const QString &sql)
    {
        QSqlQuery query(store.connection());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }
    QStringList rows(const QString &sql) const
    {
        QStringList result;
        QSqlQuery query(sql, store.connection());
        while (query.next())
            result.append(query.value(0).toString());
        return result;
    }
    FakePlatform fake;
    modgeral store{fake.platform()};
};

// The item blocks of a calendar, each as its sorted unfolded lines, by UID and RECURRENCE-ID.
QMap<QString, QStringList> components(const QByteArray &data)
{
    QByteArray text = data;
    text.replace("\r\n ", "").replace("\r\n\t", "");
    QMap<QString, QStringList> blocks;
    QStringList lines;
    QString key;
    int depth = 0;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw.trimmed());
        if (line == QLatin1String("BEGIN:VEVENT") || line == QLatin1String("BEGIN:VTIMEZONE"))
            depth = 1, lines.clear(), key = line.mid(6);
        else if (depth > 0 && (line == QLatin1String("END:VEVENT") || line == QLatin1String("END:VTIMEZONE"))) {
            lines.sort();
            blocks.insert(key, lines);
            depth = 0;
        } else if (depth > 0) {
            if (line.startsWith(QLatin1String("UID:")) || line.startsWith(QLatin1String("RECURRENCE-ID"))
                || line.startsWith(QLatin1String("TZID:")))
                key += QLatin1Char('|') + line;
            lines.append(line);
        }
    }
    return blocks;
}

QString dataFile(const QString &name)
{
    return QFINDTESTDATA(QStringLiteral("data/kept/") + name);
}

QString run(const QString &program, const QStringList &arguments, QString *failure)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *failure = program + QStringLiteral(" failed: ") + process.errorString() + QLatin1Char(' ')
            + QString::fromUtf8(process.readAllStandardError());
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Each event as Python's icalendar reads it: UID, RECURRENCE-ID, title, start
// and end (with their zone), rule, excluded starts, place, attendees, alarms
// and X- properties.
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
                    ','.join('%s=%s' % (k, v) for k, v in e.items() if k.startswith('X-'))]))
)");
    QStringList lines = run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file}, failure)
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

// What calcurse keeps after importing the file: its appointment lines (day,
// times, repetition with excluded days, alarm mark, title), each note (the
// description and place) in brackets instead of the note's file name.
QStringList readByCalcurse(const QString &file, QString *failure)
{
    QTemporaryDir home;
    const QString report =
        run(QStringLiteral("calcurse"), {QStringLiteral("-D"), home.path(), QStringLiteral("-i"), file}, failure);
    if (!report.contains(QLatin1String(" 0 skipped")))
        *failure += QStringLiteral("calcurse skipped part of the file: ") + report;
    QFile apts(home.filePath(QStringLiteral("apts")));
    if (!apts.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression note(QStringLiteral(">([0-9a-f]{40}) ?"));
    QStringList lines;
    for (QString line : QString::fromUtf8(apts.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = note.match(line);
        if (match.hasMatch()) {
            QFile text(home.filePath(QStringLiteral("notes/") + match.captured(1)));
            text.open(QIODevice::ReadOnly);
            const QString content = QString::fromUtf8(text.readAll()).trimmed().replace(QLatin1Char('\n'), " / ");
            line.replace(match.capturedStart(), match.capturedLength(), QStringLiteral(" [%1] ").arg(content));
        }
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
    void initTestCase()
    {
        // The user's zone decides the local day and time an event is shown on.
        qputenv("TZ", "America/Sao_Paulo");
        tzset();
    }

    void fileComesBackWithEveryPropertyAndTwiceAddsNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("reminders");
        QTest::newRow("hora, fuso, local, participantes, dois alarmes") << QStringLiteral("meeting.ics") << 1;
        QTest::newRow("série com exceção e uma vez reescrita, dia inteiro") << QStringLiteral("series.ics") << 3;
    }
    void fileComesBackWithEveryPropertyAndTwiceAddsNothing()
    {
        QFETCH(QString, file);
        QFETCH(int, reminders);
        Store store;
        QFile input(dataFile(file));
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QByteArray original = input.readAll();
        QVERIFY(store.import(dataFile(file)).ok);
        QCOMPARE(store.rows(QStringLiteral("select count(*) from lembrete")).value(0).toInt(), reminders);
        const exchange::ImportResult again = store.import(dataFile(file));
        QVERIFY(again.ok);
        QCOMPARE(again.imported, 0);
        QCOMPARE(store.rows(QStringLiteral("select count(*) from lembrete")).value(0).toInt(), reminders);
        QCOMPARE(components(store.exported()), components(original));
    }

    void timesRulesAndOccurrencesAreReadNatively_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        // 12:30 in Tokyo is 00:30 of the same day in São Paulo (12 hours behind).
        QTest::newRow("fuso") << QStringLiteral("meeting.ics")
                              << QStringList{QStringLiteral("2026/03/10|00:30|||30|||Reunião de obra")};
        QTest::newRow("série") << QStringLiteral("series.ics")
                               << QStringList{QStringLiteral("2026/03/02|09:00|FREQ=WEEKLY;BYDAY=MO|2026/03/09,"
                                                             "2026/03/16||||Aula"),
                                              QStringLiteral("2026/03/16|11:00||||2026/03/16|1|Aula (mudou)"),
                                              QStringLiteral("2026/03/20|||||||Feriado")};
    }
    void timesRulesAndOccurrencesAreReadNatively()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        Store store;
        QVERIFY(store.import(dataFile(file)).ok);
        QCOMPARE(store.rows(QStringLiteral(
                     "select data || '|' || coalesce(hora, '') || '|' || coalesce(repeticao, '') || '|' || "
                     "coalesce(excecoes, '') || '|' || coalesce(antecedencia, '') || '|' || coalesce(ocorrencia, '') "
                     "|| '|' || coalesce((select 1 from lembrete s where s.rowid = l.serie), '') || '|' || titulo "
                     "from lembrete l order by data, titulo")),
                 expected);
    }

    // Only what was changed here is written into the object; the rest stays.
    void changesArePatchedIntoTheKeptObject_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QStringList kept{QStringLiteral("LOCATION:Sala 2\\, prédio B"),
                               QStringLiteral("ATTENDEE;CN=Bruno;PARTSTAT=ACCEPTED:mailto:bruno@example.org"),
                               QStringLiteral("X-OUTRO-APP;X-NIVEL=2:valor próprio"), QStringLiteral("TRIGGER:-P1D"),
                               QStringLiteral("CATEGORIES:OBRA"), QStringLiteral("SEQUENCE:4")};
        QTest::newRow("título") << QStringLiteral("titulo = 'Obra'")
                                << kept + QStringList{QStringLiteral("SUMMARY:Obra"),
                                                      QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T123000"),
                                                      QStringLiteral("TRIGGER:-PT30M")}
                                << QStringList{QStringLiteral("SUMMARY:Reunião de obra")};
        QTest::newRow("hora") << QStringLiteral("hora = '01:00'")
                              << kept + QStringList{QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T130000"),
                                                    QStringLiteral("DTEND;TZID=Asia/Tokyo:20260310T143000")}
                              << QStringList{QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T123000")};
        QTest::newRow("dia inteiro") << QStringLiteral("hora = null")
                                     << kept + QStringList{QStringLiteral("DTSTART;VALUE=DATE:20260310")}
                                     << QStringList{QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T123000")};
        QTest::newRow("repetição e dia excluído")
            << QStringLiteral("repeticao = 'FREQ=DAILY;COUNT=5', excecoes = '2026/03/11'")
            << kept + QStringList{QStringLiteral("RRULE:FREQ=DAILY;COUNT=5"),
                                  QStringLiteral("EXDATE;TZID=Asia/Tokyo:20260311T123000")}
            << QStringList();
        QTest::newRow("aviso") << QStringLiteral("antecedencia = '45'")
                               << kept + QStringList{QStringLiteral("TRIGGER:-PT45M")}
                               << QStringList{QStringLiteral("TRIGGER:-PT30M")};
        QTest::newRow("nada") << QStringLiteral("titulo = titulo")
                              << QStringList{QStringLiteral("SEQUENCE:3"), QStringLiteral("SUMMARY:Reunião de obra")}
                              << QStringList{QStringLiteral("SEQUENCE:4")};
    }
    void changesArePatchedIntoTheKeptObject()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        Store store;
        QVERIFY(store.import(dataFile(QStringLiteral("meeting.ics"))).ok);
        store.run(QStringLiteral("update lembrete set ") + change);
        const QStringList lines = components(store.exported()).value(QStringLiteral("VEVENT|UID:reuniao-1@outro"));
        for (const QString &line : present)
            QVERIFY2(lines.contains(line), qPrintable(line + QLatin1String(" missing from:\n") + lines.join('\n')));
        for (const QString &line : absent)
            QVERIFY2(!lines.contains(line), qPrintable(line));
    }

    // Kept objects (zone, place, attendee, alarms, X- properties, a series
    // with an excluded day and an override, a whole day) and one of this
    // program's own (a time, a weekly rule, an excluded day, a warning).
    void otherReadersReadWhatTheySupportFromTheExport_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("python3-icalendar") << QStringLiteral("python") << QStringList{
            QStringLiteral("dia-1@outro||Feriado|2026-03-20|2026-03-21||||||X-ALT-DESC=<b>Feriado</b>"),
            QStringLiteral("remedio-1@zedozarir||Remédio|2026-03-05T08:15:00||FREQ=WEEKLY;UNTIL=20260326T081500|"
                           "2026-03-12T08:15:00|||DISPLAY -1 day, 23:45:00|"),
            QStringLiteral("reuniao-1@outro||Reunião de obra|2026-03-10T12:30:00+09:00 Asia/Tokyo|"
                           "2026-03-10T14:00:00+09:00 Asia/Tokyo|||Sala 2, prédio B|mailto:bruno@example.org|"
                           "DISPLAY -1 day, 23:30:00,EMAIL -1 day, 0:00:00|X-OUTRO-APP=valor próprio"),
            QStringLiteral("semanal-1@outro|2026-03-16T09:00:00|Aula (mudou)|2026-03-16T11:00:00|"
                           "2026-03-16T12:00:00|||Auditório|||"),
            QStringLiteral("semanal-1@outro||Aula|2026-03-02T09:00:00|2026-03-02T10:00:00|FREQ=WEEKLY;BYDAY=MO|"
                           "2026-03-09T09:00:00|Escola|||X-COR=verde")};
        // calcurse shows the Tokyo time in the user's zone (São Paulo, 12
        // hours behind) and has no overrides: the changed class is one more
        // appointment beside its series.
        QTest::newRow("calcurse") << QStringLiteral("calcurse") << QStringList{
            QStringLiteral("03/02/2026 @ 09:00 -> 03/02/2026 @ 10:00 {1W w1 !03/09/2026} [-- / Location: Escola] |Aula"),
            QStringLiteral("03/05/2026 @ 08:15 -> 03/05/2026 @ 08:15 {1W -> 03/26/2026 !03/12/2026} "
                           "[Depois do café] !Remédio"),
            QStringLiteral("03/10/2026 @ 00:30 -> 03/10/2026 @ 02:00 [Levar as plantas / -- / Location: Sala 2, "
                           "prédio B / Import: TZID=Asia/Tokyo] !Reunião de obra"),
            QStringLiteral("03/16/2026 @ 11:00 -> 03/16/2026 @ 12:00 [-- / Location: Auditório] |Aula (mudou)"),
            QStringLiteral("03/20/2026 [1] Feriado")};
    }
    void otherReadersReadWhatTheySupportFromTheExport()
    {
        QFETCH(QString, reader);
        QFETCH(QStringList, expected);
        Store store;
        QVERIFY(store.import(dataFile(QStringLiteral("meeting.ics"))).ok);
        QVERIFY(store.import(dataFile(QStringLiteral("series.ics"))).ok);
        store.run(QStringLiteral("insert into lembrete (data, titulo, descricao, uid, hora, repeticao, excecoes, "
                                 "antecedencia) values ('2026/03/05', 'Remédio', 'Depois do café', "
                                 "'remedio-1@zedozarir', '08:15', 'FREQ=WEEKLY;UNTIL=20260326T081500', '2026/03/12', '15')"));
        QVERIFY(!store.exported().isEmpty());
        const QString file = store.path(QStringLiteral("saida.ics"));
        QString failure;
        const QStringList lines = reader == QLatin1String("python") ? readByPythonIcalendar(file, &failure)
                                                                    : readByCalcurse(file, &failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(lines, expected);
    }

    // Copies an earlier version made, one per occurrence, become the one series again.
    void expandedCopiesFoldIntoTheSeries()
    {
        Store store;
        QVERIFY(uidcolumn::ensure(store.store.connection()));
        store.run(QStringLiteral(
            "insert into lembrete (data, titulo, descricao, uid) values "
            "('2026/03/02', 'Aula', '', 'semanal-1@outro/20260302T090000'), "
            "('2026/03/23', 'Aula', '', 'semanal-1@outro/20260323T090000'), "
            "('2026/03/30', 'Aula na quadra', '', 'semanal-1@outro/20260330T090000')"));
        QVERIFY(store.import(dataFile(QStringLiteral("series.ics"))).ok);
        QCOMPARE(store.rows(QStringLiteral("select titulo || '|' || coalesce(excecoes, '') || '|' || "
                                           "coalesce(ocorrencia, '') from lembrete order by rowid")),
                 (QStringList{QStringLiteral("Aula na quadra||2026/03/30"),
                              QStringLiteral("Aula|2026/03/09,2026/03/16,2026/03/30|"), QStringLiteral("Feriado||"),
                              QStringLiteral("Aula (mudou)||2026/03/16")}));
    }

    // An occurrence rewritten in a later file takes its day out of the series
    // imported before, and travels inside the series' object from then on.
    void aLaterOverrideJoinsTheSeriesImportedBefore()
    {
        Store store;
        QVERIFY(store.import(dataFile(QStringLiteral("series.ics"))).ok);
        QVERIFY(store.import(dataFile(QStringLiteral("override-later.ics"))).ok);
        QCOMPARE(store.import(dataFile(QStringLiteral("override-later.ics"))).imported, 0);
        QCOMPARE(store.rows(QStringLiteral("select excecoes from lembrete where uid = 'semanal-1@outro'")),
                 QStringList{QStringLiteral("2026/03/09,2026/03/16,2026/03/23")});
        const QMap<QString, QStringList> exported = components(store.exported());
        const QStringList moved =
            exported.value(QStringLiteral("VEVENT|UID:semanal-1@outro|RECURRENCE-ID:20260323T090000"));
        for (const QString &line : {QStringLiteral("LOCATION:Pátio"), QStringLiteral("SUMMARY:Aula no pátio"),
                                    QStringLiteral("DTSTART:20260323T093000")})
            QVERIFY2(moved.contains(line), qPrintable(line + QLatin1String(" missing from:\n") + moved.join('\n')));
        QVERIFY(!exported.value(QStringLiteral("VEVENT|UID:semanal-1@outro")).join('\n').contains(u"20260323"));
    }
};

QTEST_MAIN(tst_keptobjects)
#include "tst_keptobjects.moc"
