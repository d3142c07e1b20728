#include "exchange/icalendar.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimeZone>

using icalendar::Item;

namespace {

const QDate kToday(2026, 3, 10); // recurrences are read from 10/03/2025 to 10/03/2028

QByteArray dataFile(const QString &name)
{
    QFile file(QFINDTESTDATA(QStringLiteral("data/") + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing " + name.toUtf8() + ">");
}

QByteArray calendarOf(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//PT\r\n" + body + "END:VCALENDAR\r\n";
}

QString line(const Item &item)
{
    return item.day.toString(Qt::ISODate) + QLatin1Char('|') + item.title + QLatin1Char('|')
        + item.description + QLatin1Char('|') + icalendar::storedUid(item);
}

QStringList lines(const QList<Item> &items, qsizetype first)
{
    QStringList result;
    for (qsizetype i = 0; i < qMin(first, items.size()); ++i)
        result << line(items.at(i));
    return result;
}

} // namespace

class tst_icalendar : public QObject
{
    Q_OBJECT

private slots:
    void calendarsAsOtherProgramsWriteThemImportAsExpected_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("itemCount");
        QTest::addColumn<QStringList>("firstItems");
        QTest::addColumn<QStringList>("setAside"); // "summary: reason"
        QTest::addColumn<int>("capped");

        QTest::newRow("time zones: the day where the event happens")
            << dataFile("timezone.ics") << 3
            << QStringList{"2026-01-05|Jantar tarde||noite@exemplo",
                           "2026-01-07|Chamada com Tóquio||manha@exemplo",
                           "2026-01-08|Servidor|Janela de manutenção, 2h; depois\nconferir|utc@exemplo"}
            << QStringList{} << 0;
        QTest::newRow("Windows-1252 declared per property")
            << dataFile("charset.ics") << 1
            << QStringList{"2026-02-01|Reunião com José € 100|Café “forte”|cp@exemplo"} << QStringList{} << 0;
        QTest::newRow("folded inside a two-byte character")
            << dataFile("folding.ics") << 1
            << QStringList{"2026-03-10|Aniversário da vovó Conceição -- não esquecer do bolo de maçã e as velas "
                           + QStringLiteral("ção").repeated(10) + "||longo@exemplo"}
            << QStringList{} << 0;
        QTest::newRow("weekly with exceptions, a moved occurrence, an old rule and a single date")
            << dataFile("weekly.ics") << 8
            << QStringList{"2026-01-05|Aula||aula@exemplo/20260105T090000",
                           "2026-01-12|Aula||aula@exemplo/20260112T090000",
                           "2026-01-21|Aula||aula@exemplo/20260121T090000",
                           "2026-01-20|Aula (remarcada)||aula@exemplo/20260119T090000",
                           "2025-03-11|Feira||feira@exemplo/20250311",
                           "2025-03-18|Feira||feira@exemplo/20250318",
                           "2025-03-25|Feira||feira@exemplo/20250325",
                           "2026-04-01|Feira||feira@exemplo/20260401"}
            << QStringList{} << 0;
        QTest::newRow("to-dos, missing parts, an endless rule and one long past")
            << dataFile("todo.ics") << 1 + icalendar::maxOccurrences
            << QStringList{"2026-04-30|Declarar imposto||imposto@exemplo",
                           "2025-03-10|Remédio||diario@exemplo/20250310",
                           "2025-03-11|Remédio||diario@exemplo/20250311"}
            << QStringList{"Comprar pão: o item não tem data (DTSTART ou DUE).",
                           "semtitulo@exemplo: o item não tem título (SUMMARY).",
                           "Antigo: o item se repete, mas nenhuma vez entre 10/03/2025 e 10/03/2028."}
            << 1;
        QTest::newRow("a bare event without its calendar, date-time in UTC late at night")
            << QByteArray("BEGIN:VEVENT\r\nUID:x\r\nDTSTART:20260311T235959Z\r\nSUMMARY:Só\r\nEND:VEVENT\r\n")
            << 1 << QStringList{"2026-03-11|Só||x"} << QStringList{} << 0;
        QTest::newRow("undeclared Latin text and a date that is no date")
            << calendarOf("BEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260230\r\nSUMMARY:Fevereiro\r\nEND:VEVENT\r\n"
                          "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:Ma\xe7\xe3\r\nEND:VEVENT\r\n")
            << 1 << QStringList{"2026-03-01|Maçã||b"}
            << QStringList{"Fevereiro: a data do item não pôde ser lida."} << 0;
        QTest::newRow("a rule stepping by seconds since long ago")
            << calendarOf("BEGIN:VEVENT\r\nUID:s\r\nDTSTART:19700101T000000\r\nRRULE:FREQ=SECONDLY\r\n"
                          "SUMMARY:Tique\r\nEND:VEVENT\r\n")
            << icalendar::maxOccurrences << QStringList{"2025-03-10|Tique||s/20250310T000000"} << QStringList{}
            << 1;
        QByteArray manyBetween;
        for (int i = 0; i < 600; ++i)
            manyBetween += "BEGIN:VEVENT\r\nUID:f" + QByteArray::number(i) + "\r\nDTSTART;VALUE=DATE:20260201\r\n"
                           "SUMMARY:F\r\nEND:VEVENT\r\n";
        QTest::newRow("an occurrence moved far from its rule, in a large file")
            << calendarOf("BEGIN:VEVENT\r\nUID:m\r\nDTSTART:20260105T090000\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\n"
                          "SUMMARY:R\r\nEND:VEVENT\r\n" + manyBetween
                          + "BEGIN:VEVENT\r\nUID:m\r\nRECURRENCE-ID:20260112T090000\r\n"
                            "DTSTART:20260113T090000\r\nSUMMARY:Movida\r\nEND:VEVENT\r\n")
            << 602 << QStringList{"2026-01-05|R||m/20260105T090000", "2026-02-01|F||f0"} << QStringList{} << 0;
        QTest::newRow("a journal entry is no reminder")
            << calendarOf("BEGIN:VJOURNAL\r\nUID:j\r\nDTSTART;VALUE=DATE:20260301\r\nSUMMARY:Diário\r\nEND:VJOURNAL\r\n")
            << 0 << QStringList{}
            << QStringList{"Diário: é uma anotação (VJOURNAL), não um evento nem uma tarefa."} << 0;
    }

    void calendarsAsOtherProgramsWriteThemImportAsExpected()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, itemCount);
        QFETCH(QStringList, firstItems);
        QFETCH(QStringList, setAside);
        QFETCH(int, capped);

        QElapsedTimer timer;
        timer.start();
        const icalendar::ParseResult result = icalendar::parse(data, kToday);
        QVERIFY2(timer.elapsed() < 2000, "reading a small calendar must not keep the program busy");
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(lines(result.items, firstItems.size()), firstItems);
        QCOMPARE(result.items.size(), itemCount);
        QStringList asideLines;
        for (const icalendar::SetAside &item : result.setAside)
            asideLines << item.summary + QStringLiteral(": ") + item.reason;
        QCOMPARE(asideLines, setAside);
        QCOMPARE(result.cappedRecurrences, capped);
    }

    void dataThatIsNoCalendarIsReportedWithoutItems_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("Data;Título\r\n10/03/2006;Consulta\r\n");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }

    void dataThatIsNoCalendarIsReportedWithoutItems()
    {
        QFETCH(QByteArray, data);
        const icalendar::ParseResult result = icalendar::parse(data, kToday);
        QVERIFY(result.items.isEmpty());
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!icalendar::looksLikeCalendar(data));
    }

    void anExportedReminderIsAnAllDayEventWithAnAlarmAtTheStartOfItsDay()
    {
        const Item item{QDate(2006, 3, 10), QStringLiteral("Consulta; Dr, \\ João"), QStringLiteral("Levar\nexames"),
                        QStringLiteral("abc@zedozarir"), QString()};
        const QByteArray object =
            icalendar::eventObject(item, QDateTime(QDate(2006, 3, 9), QTime(17, 30), Qt::UTC));
        const QList<QByteArray> expectedInOrder = {
            "BEGIN:VCALENDAR", "VERSION:2.0", "BEGIN:VEVENT", "UID:abc@zedozarir", "DTSTAMP:20060309T173000Z",
            "DTSTART;VALUE=DATE:20060310", "DTEND;VALUE=DATE:20060311",
            "SUMMARY:Consulta\\; Dr\\, \\\\ Jo\xc3\xa3o", "DESCRIPTION:Levar\\nexames", "BEGIN:VALARM",
            "ACTION:DISPLAY", "TRIGGER:PT0S", "END:VALARM", "END:VEVENT", "END:VCALENDAR"};
        const QList<QByteArray> written = object.split('\n');
        qsizetype at = 0;
        for (const QByteArray &expected : expectedInOrder) {
            while (at < written.size() && written.at(at).trimmed() != expected)
                ++at;
            QVERIFY2(at < written.size(), "missing or out of order: " + expected);
        }
        QVERIFY(object.endsWith("END:VCALENDAR\r\n"));
    }

    void textsComeBackAsTheyWereWritten_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::newRow("plain") << "Consulta" << "";
        QTest::newRow("characters the format escapes") << "a,b;c\\d" << "linha 1\nlinha 2, \\n literal";
        QTest::newRow("long, folded through multi-byte characters")
            << QStringLiteral("ção😀").repeated(60) << QStringLiteral("é").repeated(300);
        QTest::newRow("blanks inside") << "com  espaços" << "a\tb";
    }

    void textsComeBackAsTheyWereWritten()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        const QList<Item> items{{QDate(2026, 3, 10), title, description, QStringLiteral("u1"), QString()},
                                {QDate(2027, 12, 31), title, description, QStringLiteral("u2"), QStringLiteral("20271231")}};
        const QByteArray file = icalendar::calendarFile(items, QDateTime::currentDateTimeUtc());
        for (const QByteArray &written : file.split('\n'))
            QVERIFY2(written.size() <= 76, "longer than 75 octets: " + written);
        const icalendar::ParseResult result = icalendar::parse(file, kToday);
        QCOMPARE(lines(result.items, 10),
                 QStringList({"2026-03-10|" + title + "|" + description + "|u1",
                              "2027-12-31|" + title + "|" + description + "|u2/20271231"}));
    }
};

QTEST_GUILESS_MAIN(tst_icalendar)
#include "tst_icalendar.moc"
