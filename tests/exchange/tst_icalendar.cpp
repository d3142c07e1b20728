#include "exchange/icalendar.h"
#include "exchange/icalscan.h"
#include "fixture.h"

#include <QElapsedTimer>

using icalendar::Item;

namespace {

const QDate kToday(2026, 3, 10); // recurrences are read from 10/03/2025 to 10/03/2028

QByteArray dataFile(const QString &name)
{
    return fileBytes(QFINDTESTDATA("data/" + name));
}

QByteArray calendarOf(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//PT\r\n" + body + "END:VCALENDAR\r\n";
}

// The first items; repeating ones read natively add their rule and excluded days, an override the day it replaces.
QStringList lines(const QList<Item> &items, qsizetype first)
{
    QStringList result;
    for (const Item &item : items.first(qMin(first, items.size()))) {
        QString text = item.day.toString(Qt::ISODate) + '|' + item.title + '|' + item.description + '|'
            + icalendar::storedUid(item) + (item.time.isEmpty() ? QString() : ' ' + item.time)
            + (item.rule.isEmpty() ? QString() : '|' + item.rule);
        for (const QDate &day : item.exceptions)
            text += " -" + day.toString(Qt::ISODate);
        result << text + (item.replaces.isValid() ? "|em vez de " + item.replaces.toString(Qt::ISODate) : QString());
    }
    return result;
}

} // namespace

class tst_icalendar : public QObject
{
    Q_OBJECT

private slots:
    // Files as other programs write them, and files from outside, careless or hostile: each item is read or set
    // aside with its reason, quickly, whatever the file's shape.
    void filesAreReadOrSetAsideQuickly_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("itemCount");
        QTest::addColumn<QStringList>("firstItems");
        QTest::addColumn<int>("setAsideCount");
        QTest::addColumn<QStringList>("firstSetAside"); // "name: reason"
        QTest::addColumn<int>("capped");

        QTest::newRow("time zones: the day where the event happens")
            << dataFile("timezone.ics") << 3
            << QStringList{"2026-01-05|Jantar tarde||noite@exemplo 23:30", "2026-01-06|Chamada com Tóquio||manha@exemplo 18:30",
                           "2026-01-07|Servidor|Janela de manutenção, 2h; depois\nconferir|utc@exemplo 23:00"}
            << 0 << QStringList{} << 0;
        QTest::newRow("Windows-1252 declared per property")
            << dataFile("charset.ics") << 1 << QStringList{"2026-02-01|Reunião com José € 100|Café “forte”|cp@exemplo"}
            << 0 << QStringList{} << 0;
        QTest::newRow("folded inside a two-byte character")
            << dataFile("folding.ics") << 1
            << QStringList{"2026-03-10|Aniversário da vovó Conceição -- não esquecer do bolo de maçã e as velas "
                           + QStringLiteral("ção").repeated(10) + "||longo@exemplo"}
            << 0 << QStringList{} << 0;
        QTest::newRow("weekly with exceptions, a moved occurrence, an old rule and a single date")
            << dataFile("weekly.ics") << 6
            << QStringList{"2026-01-05|Aula||aula@exemplo 09:00|FREQ=WEEKLY;COUNT=6;BYDAY=MO,WE -2026-01-07 -2026-01-14",
                           "2026-01-20|Aula (remarcada)||aula@exemplo/20260119T090000 09:00|em vez de 2026-01-19",
                           "2025-03-11|Feira||feira@exemplo/20250311", "2025-03-18|Feira||feira@exemplo/20250318",
                           "2025-03-25|Feira||feira@exemplo/20250325", "2026-04-01|Feira||feira@exemplo/20260401"}
            << 0 << QStringList{} << 0;
        QTest::newRow("to-dos, missing parts, an endless rule and one long past")
            << dataFile("todo.ics") << 3
            << QStringList{"2026-04-30|Declarar imposto||imposto@exemplo", "2020-01-01|Remédio||diario@exemplo|FREQ=DAILY",
                           "1999-01-01|Antigo||antigo@exemplo|FREQ=YEARLY;COUNT=3"}
            << 2
            << QStringList{"Comprar pão: o item não tem data (DTSTART ou DUE).",
                           "semtitulo@exemplo: o item não tem título (SUMMARY)."}
            << 0;
        QTest::newRow("undeclared Latin text, a date that is no date, a second start")
            << calendarOf("BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260230\r\nSUMMARY:Fevereiro\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260301\r\nDTSTART;VALUE=DATE:20260302\r\n"
                          "SUMMARY:Ma\xe7\xe3\r\nEND:VEVENT\r\n")
            << 1 << QStringList{"2026-03-01|Maçã||b"} << 1 << QStringList{"Fevereiro: a data do item não pôde ser lida."} << 0;
        QTest::newRow("a rule stepping by seconds since long ago")
            << calendarOf("BEGIN:VEVENT\r\nUID:s\r\nDTSTART:19700101T000000\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:Tique\r\n"
                          "END:VEVENT\r\n")
            << icalendar::maxOccurrences << QStringList{"2025-03-10|Tique||s/20250310T000000"} << 0 << QStringList{} << 1;
        QByteArray manyBetween;
        for (int i = 0; i < 600; ++i)
            manyBetween += "BEGIN:VEVENT\r\nUID:f" + QByteArray::number(i) + "\r\nDTSTART;VALUE=DATE:20260201\r\n"
                           "SUMMARY:F\r\nEND:VEVENT\r\n";
        QTest::newRow("an occurrence moved far from its rule, in a large file")
            << calendarOf("BEGIN:VEVENT\r\nUID:m\r\nDTSTART:20260105T090000\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\nSUMMARY:R\r\n"
                          "END:VEVENT\r\n" + manyBetween + "BEGIN:VEVENT\r\nUID:m\r\nRECURRENCE-ID:20260112T090000\r\n"
                          "DTSTART:20260113T090000\r\nSUMMARY:Movida\r\nEND:VEVENT\r\n")
            << 602 << QStringList{"2026-01-05|R||m 09:00|FREQ=WEEKLY;COUNT=2", "2026-02-01|F||f0"} << 0 << QStringList{} << 0;
        QTest::newRow("the window's last day, by rule and by extra date")
            << calendarOf("BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260310\r\nRRULE:FREQ=YEARLY;COUNT=4\r\n"
                          "RDATE;VALUE=DATE:20260311\r\nSUMMARY:A\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:b\r\n"
                          "DTSTART;VALUE=DATE:20260301\r\nRDATE;VALUE=DATE:20280310,20280311\r\nSUMMARY:B\r\nEND:VEVENT\r\n")
            << 6 << QStringList{"2026-03-10|A||a/20260310", "2026-03-11|A||a/20260311", "2027-03-10|A||a/20270310",
                                "2028-03-10|A||a/20280310", "2026-03-01|B||b/20260301", "2028-03-10|B||b/20280310"}
            << 0 << QStringList{} << 0;
        QByteArray zones;
        for (const auto &[name, offset] : {std::pair("Leste", "+1400"), std::pair("Oeste", "-1100")})
            zones += QByteArray("BEGIN:VTIMEZONE\r\nTZID:") + name + "\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                     "TZOFFSETFROM:" + offset + "\r\nTZOFFSETTO:" + offset + "\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
        QTest::newRow("an excluded time written in a zone two days behind")
            << calendarOf(zones + "BEGIN:VEVENT\r\nUID:z\r\nDTSTART;TZID=Leste:20260103T003000\r\n"
                          "RRULE:FREQ=HOURLY;INTERVAL=24;COUNT=2\r\nEXDATE;TZID=Oeste:20260101T233000\r\nSUMMARY:Z\r\nEND:VEVENT\r\n")
            << 1 << QStringList{"2026-01-04|Z||z/20260104T003000"} << 0 << QStringList{} << 0;
        const QByteArray excluded = QByteArray("EXDATE;VALUE=DATE:20270104\r\n").repeated(5000);
        QTest::newRow("excluded days at the limit, and one past it")
            << calendarOf("BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260105\r\nRRULE:FREQ=WEEKLY\r\n" + excluded
                          + "SUMMARY:A\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260105\r\n"
                            "RRULE:FREQ=WEEKLY\r\n" + excluded + "EXDATE;VALUE=DATE:20270111\r\nSUMMARY:B\r\nEND:VEVENT\r\n")
            << 1 << QStringList{} << 1 << QStringList{"B: o item exclui mais de 5000 dias (EXDATE)."} << 0;

        const QByteArray event = "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:Evento\r\nEND:VEVENT\r\n";
        const QByteArray tenMegabytes(10 * 1024 * 1024, 'a');
        QTest::newRow("100,000 nested calendars")
            << QByteArray("BEGIN:VCALENDAR\r\n").repeated(100000) + event + QByteArray("END:VCALENDAR\r\n").repeated(100000)
            << 0 << QStringList{} << 1
            << QStringList{"trecho a partir da linha 11: os componentes do arquivo estão aninhados em mais de 10 níveis; o "
                           "que está dentro deles não foi lido."} << 0;
        QTest::newRow("10 MB without a line break")
            << "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:" + tenMegabytes
            << 0 << QStringList{} << 1 << QStringList{"x: a linha SUMMARY do item passa de 1 MB."} << 0;
        QTest::newRow("a 10 MB property line, folded, between two events")
            << calendarOf(event + "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20260302\r\nSUMMARY:Longo\r\n"
                          + "DESCRIPTION:" + (QByteArray(70, 'a') + "\r\n ").repeated(tenMegabytes.size() / 70 + 1)
                          + "a\r\nEND:VEVENT\r\n" + event)
            << 2 << QStringList{"2026-03-01|Evento||e", "2026-03-01|Evento||e"} << 1
            << QStringList{"Longo: a linha DESCRIPTION do item passa de 1 MB."} << 0;
        const char withNul[] = "X-WR-CALNAME:Agenda\0 pessoal\r\nBEGIN:VEVENT\r\nUID:n\r\nDTSTART;VALUE=DATE:20260305\r\n"
                               "SUMMARY:Re\0uni\xc3\xa3o\r\nEND:VEVENT\r\n";
        QTest::newRow("NUL in the header and in a title")
            << calendarOf(QByteArray(withNul, sizeof withNul - 1) + event.repeated(19))
            << 20 << QStringList{"2026-03-05|Reunião||n", "2026-03-01|Evento||e"} << 0 << QStringList{} << 0;
        QTest::newRow("a charset that lies, and control characters")
            << calendarOf("BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY;CHARSET=UTF-16:Reuni\xc3\xa3o\x1b]0;t\x07\x7f\r\n"
                          "DESCRIPTION:a\\nb\x01z\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY;CHARSET=UTF-16:Caf\x81\r\nEND:VEVENT\r\n")
            << 1 << QStringList{"2026-03-01|Reunião]0;t|a\nbz|c"} << 1
            << QStringList{"Caf: um texto do item não está no conjunto de caracteres declarado (UTF-16), nem em UTF-8 ou "
                           "Windows-1252."} << 0;
        QByteArray runaway;
        for (int i = 0; i < 1000; ++i)
            runaway += "BEGIN:VEVENT\r\nUID:s" + QByteArray::number(i) + "\r\nDTSTART:19700101T000000\r\n"
                       "RRULE:FREQ=SECONDLY\r\nSUMMARY:Tique\r\nEND:VEVENT\r\n";
        QTest::newRow("1,000 items repeating every second")
            << calendarOf(runaway) << 20000 << QStringList{"2025-03-10|Tique||s0/20250310T000000"} << 980
            << QStringList{"Tique: o arquivo já deu 20.000 lembretes de itens que se repetem, o máximo de uma importação; "
                           "este item não foi trazido."} << 20;
        QTest::newRow("bare items without a calendar, date-time in UTC late at night")
            << QByteArray("BEGIN:VTODO\nUID:t\nDUE:20260310T120000\nSUMMARY:Tarefa\nEND:VTODO\n"
                          "BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20260311T235959Z\r\nSUMMARY:Só\r\nEND:VEVENT\r\n")
            << 2 << QStringList{"2026-03-10|Tarefa||t 12:00", "2026-03-11|Só||x 20:59"} << 0 << QStringList{} << 0;
        QTest::newRow("untitled items are named by UID, start or place")
            << calendarOf("BEGIN:VEVENT\r\nUID:u\r\nDTSTART;VALUE=DATE:20260301\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260302\r\nSUMMARY: \r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\n")
            << 0 << QStringList{} << 3
            << QStringList{"u: o item não tem título (SUMMARY).", "item de 02/03/2026: o item não tem título (SUMMARY).",
                           "item 3 do arquivo: o item não tem título (SUMMARY)."} << 0;
    }
    void filesAreReadOrSetAsideQuickly()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, itemCount);
        QFETCH(QStringList, firstItems);
        QFETCH(int, setAsideCount);
        QFETCH(QStringList, firstSetAside);
        QFETCH(int, capped);
        QElapsedTimer timer;
        timer.start();
        const icalendar::ParseResult result = icalendar::parse(data, kToday);
        // Well under a second on an idle machine (bench_icalleitura); the margin is for a busy one.
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed()) + " ms"));
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QVERIFY(icalendar::looksLikeCalendar(data.left(256))); // what the import recognises a calendar by
        QCOMPARE(lines(result.items, firstItems.size()), firstItems);
        QStringList asideLines;
        for (const icalendar::SetAside &item : result.setAside.first(qMin(result.setAside.size(), firstSetAside.size())))
            asideLines << item.summary + ": " + item.reason;
        QCOMPARE(asideLines, firstSetAside);
        QCOMPARE((QList<qsizetype>{result.items.size(), result.setAside.size(), result.cappedRecurrences}),
                 (QList<qsizetype>{itemCount, setAsideCount, capped}));
    }

    // A line past the limit is dropped, in an item or a zone, even when it is short once its control bytes are cleaned.
    void anOverlongLineIsNeverKept()
    {
        const QByteArray controls(icalendar::scan::maxLineBytes, '\x01');
        for (const bool inZone : {false, true}) {
            const auto result = icalendar::scan::scan("BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Z\r\n" + (inZone ? "X-Z:" + controls : "")
                                                      + "\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\n" + (inZone ? "" : "X-A:" + controls)
                                                      + "\r\nEND:VEVENT\r\n");
            QVERIFY(inZone ? !result.zones.contains("X-Z") : result.items.at(0).text.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(tst_icalendar)
#include "tst_icalendar.moc"
