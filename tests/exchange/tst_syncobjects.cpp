#include "exchange/caldavclient.h"
#include "exchange/syncengine.h"
#include "radicaleserver.h"
#include "store/modgeral.h"
#include "store/occurrences.h"
#include "store/removalundo.h"
#include "store/uidcolumn.h"
#include "support/fakeplatform.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <ctime>

namespace {

struct Device
{
    Device()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
    }
    QSqlDatabase db() const { return store.connection(); }
    void run(const QString &sql)
    {
        QSqlQuery query(db());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }
    qint64 keyOf(const QString &title) const
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("select rowid from lembrete where titulo = ?"));
        query.addBindValue(title);
        return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
    }
    QStringList rows(const QString &sql) const
    {
        QStringList result;
        QSqlQuery query(sql, db());
        while (query.next())
            result.append(query.value(0).toString());
        return result;
    }
    QString uidOf(qint64 key) const
    {
        return rows(QStringLiteral("select uid from lembrete where rowid = %1").arg(key)).value(0);
    }
    // What an earlier version left of the weekly class: one reminder per
    // occurrence under "UID/occurrence" and no object kept; synced, each with
    // its row in the sync state, else as an import left them.
    void expandClass(bool synced)
    {
        QVERIFY(uidcolumn::ensure(db()));
        run(QStringLiteral("with dias(d) as (values ('02'), ('09'), ('16'), ('23')) insert into lembrete (data, "
                           "titulo, descricao, uid) select '2026/03/' || d, 'Aula', '', 'aula-1/202603' || d || "
                           "'T090000' from dias"));
        if (!synced)
            return;
        for (const char *sql : {"insert into sincronia (href, etag, uid, ocorrencia, chave, conteudo) select s.href, "
                                "s.etag, s.uid, substr(l.uid, 8), l.rowid, l.data || char(31) || 'Aula' || char(31) "
                                "from lembrete l, sincronia s where l.uid like 'aula-1/%' and s.uid = 'aula-1'",
                                "delete from sincronia where uid = 'aula-1' and ocorrencia = ''",
                                "delete from lembrete where uid = 'aula-1'", "delete from lembrete_ical",
                                "delete from sincronia_conta where nome = 'copias_juntadas'"})
            run(QLatin1String(sql));
    }
    FakePlatform fake;
    modgeral store{fake.platform()};
};

// Made on the other device: a timed event in Tokyo with place, people, two
// alarms and a property of that program, and a weekly class.
const QByteArray kMeeting =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro aparelho//PT\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nTZOFFSETFROM:+0900\r\n"
    "TZOFFSETTO:+0900\r\nTZNAME:JST\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
    "BEGIN:VEVENT\r\nUID:reuniao-1\r\nDTSTAMP:20260101T000000Z\r\nSEQUENCE:3\r\n"
    "DTSTART;TZID=Asia/Tokyo:20260310T123000\r\nDTEND;TZID=Asia/Tokyo:20260310T140000\r\n"
    "SUMMARY:Reunião\r\nLOCATION:Sala 2\r\nATTENDEE;CN=Bruno:mailto:bruno@example.org\r\nX-OUTRO:sim\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reunião\r\nTRIGGER:-PT30M\r\nEND:VALARM\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Amanhã\r\nTRIGGER:-P1D\r\nEND:VALARM\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";
const QByteArray kClass =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro aparelho//PT\r\n"
    "BEGIN:VEVENT\r\nUID:aula-1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260302T090000\r\n"
    "DTEND:20260302T100000\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\nSUMMARY:Aula\r\nLOCATION:Escola\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

} // namespace

class tst_syncobjects : public QObject
{
    Q_OBJECT

private:
    RadicaleServer m_radicale;
    RadicaleServer m_xandikos;
    RadicaleServer *m_current = &m_radicale;
    int m_collections = 0;

    SyncOutcome sync(Device &device)
    {
        caldav::Client client({m_current->collection(), QLatin1String(RadicaleServer::user),
                               QLatin1String(RadicaleServer::password)},
                              10000);
        SyncEngine engine(device.db(), client, m_current->collection().toString(), QDate(2026, 3, 10),
                          QDateTime(QDate(2026, 3, 10), QTime(9, 0)));
        return engine.run();
    }
    QString object(const QString &uid) const { return m_current->client({QStringLiteral("get"), uid}); }
    int resources() const { return m_current->client({QStringLiteral("count")}).toInt(); }

private slots:
    // Every test runs against both servers Debian has.
    void initTestCase_data()
    {
        QTest::addColumn<bool>("xandikos");
        QTest::newRow("radicale") << false;
        QTest::newRow("xandikos") << true;
    }
    void initTestCase()
    {
        qputenv("TZ", "America/Sao_Paulo");
        tzset();
        QVERIFY2(m_radicale.start(), qPrintable(m_radicale.error()));
        QVERIFY2(m_xandikos.startXandikos(), qPrintable(m_xandikos.error()));
    }
    void init()
    {
        QFETCH_GLOBAL(bool, xandikos);
        m_current = xandikos ? &m_xandikos : &m_radicale;
        QVERIFY2(m_current->ensureRunning(), qPrintable(m_current->error()));
        QVERIFY2(m_current->useCollection(QStringLiteral("objetos%1").arg(++m_collections)),
                 qPrintable(m_current->error()));
        QCOMPARE(m_current->client({QStringLiteral("raw")}, kMeeting), QString());
        QCOMPARE(m_current->client({QStringLiteral("raw")}, kClass), QString());
    }

    // What is changed here reaches the other device; everything else it made stays.
    void anEditHereKeepsEverythingElseThere_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("título") << QStringLiteral("titulo = 'Reunião geral'")
                                << QStringList{QStringLiteral("SUMMARY:Reunião geral"),
                                               QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T123000")};
        QTest::newRow("hora") << QStringLiteral("hora = '01:00'")
                              << QStringList{QStringLiteral("DTSTART;TZID=Asia/Tokyo:20260310T130000"),
                                             QStringLiteral("DTEND;TZID=Asia/Tokyo:20260310T143000")};
    }
    void anEditHereKeepsEverythingElseThere()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        Device device;
        QVERIFY(sync(device).ok);
        // The other device's library numbers its own saves too; the edit here adds one.
        const QString before = object(QStringLiteral("reuniao-1"));
        const int sequence =
            QRegularExpression(QStringLiteral("SEQUENCE:(\\d+)")).match(before).captured(1).toInt();
        QVERIFY(sequence >= 3);
        device.run(QStringLiteral("update lembrete set ") + change + QStringLiteral(" where uid = 'reuniao-1'"));
        const SyncOutcome outcome = sync(device);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        const QString there = object(QStringLiteral("reuniao-1")).remove(QStringLiteral("\r\n "));
        for (const QString &line : expected + QStringList{QStringLiteral("LOCATION:Sala 2"),
                                                          QStringLiteral("ATTENDEE;CN=Bruno:mailto:bruno@example.org"),
                                                          QStringLiteral("X-OUTRO:sim"), QStringLiteral("TRIGGER:-PT30M"),
                                                          QStringLiteral("TRIGGER:-P1D"),
                                                          QStringLiteral("SEQUENCE:%1").arg(sequence + 1)})
            QVERIFY2(there.contains(line), qPrintable(line + QLatin1String(" missing:\n") + there));
    }

    void anEventNeverTouchedHereIsNeverRewritten()
    {
        Device device;
        QVERIFY(sync(device).ok);
        const QString before = object(QStringLiteral("reuniao-1"));
        device.run(QStringLiteral("update lembrete set titulo = 'Aula de piano' where uid = 'aula-1'"));
        QVERIFY(sync(device).ok);
        QVERIFY(sync(device).ok);
        QCOMPARE(object(QStringLiteral("reuniao-1")), before);
    }

    // One occurrence edited, one removed, then the series removed and put back.
    void occurrencesStayInsideTheirSeries()
    {
        Device device;
        QVERIFY(sync(device).ok);
        const qint64 series = device.keyOf(QStringLiteral("Aula"));
        QVERIFY(series > 0);
        QString error;
        QVERIFY2(occurrences::detach(device.store, series, QDate(2026, 3, 16),
                                     {QStringLiteral("2026/03/16"), QStringLiteral("Aula na quadra"), QString(),
                                      {QStringLiteral("10:00"), QString(), QString()}},
                                     &error),
                 qPrintable(error));
        QVERIFY(sync(device).ok);
        QString there = object(QStringLiteral("aula-1"));
        QCOMPARE(resources(), 2);
        QVERIFY2(there.contains(QStringLiteral("RECURRENCE-ID:20260316T090000"))
                     && there.contains(QStringLiteral("SUMMARY:Aula na quadra"))
                     && there.contains(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO")),
                 qPrintable(there));
        QVERIFY2(!there.contains(QStringLiteral("EXDATE:20260316")), qPrintable(there));

        RemovalUndo removal;
        QVERIFY(removal.removeOccurrence(device.store, series, QDate(2026, 3, 23), &error));
        QVERIFY(sync(device).ok);
        there = object(QStringLiteral("aula-1"));
        QVERIFY2(there.contains(QStringLiteral("EXDATE:20260323T090000"))
                     && there.contains(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO")),
                 qPrintable(there));
        QCOMPARE(resources(), 2);

        const QString beforeRemoval = there;
        QVERIFY(removal.remove(device.store, series, &error));
        QVERIFY(sync(device).ok);
        QCOMPARE(resources(), 2); // the other event, and the occurrence edited here as an object of its own
        QVERIFY(removal.undo(device.store, &error));
        QVERIFY(sync(device).ok);
        QCOMPARE(resources(), 2);
        there = object(QStringLiteral("aula-1"));
        for (const QString &line : {QStringLiteral("UID:aula-1"), QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO"),
                                    QStringLiteral("LOCATION:Escola"), QStringLiteral("EXDATE:20260323T090000"),
                                    QStringLiteral("RECURRENCE-ID:20260316T090000")})
            QVERIFY2(there.contains(line), qPrintable(line + QLatin1String(" missing:\n") + there));
    }

    // The copies an earlier version made of the class become the one series
    // at the next sync, even with the object unchanged on the server.
    void copiesAnEarlierVersionMadeFoldIntoTheSeries_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("there"); // EXDATE and RECURRENCE-ID only where named
        QTest::addColumn<QStringList>("here"); // title|excluded days|occurrence|linked
        for (const bool synced : {true, false}) {
            QTest::addRow("intactas %d", synced)
                << synced << QString() << QStringList{QStringLiteral("RRULE:FREQ=WEEKLY")}
                << QStringList{QStringLiteral("Aula|||")};
            QTest::addRow("uma editada %d", synced)
                << synced << QStringLiteral("update lembrete set titulo = 'Aula na quadra' where uid like '%0316T%'")
                << QStringList{QStringLiteral("RECURRENCE-ID:20260316T090000"),
                               QStringLiteral("SUMMARY:Aula na quadra")}
                << QStringList{QStringLiteral("Aula na quadra||2026/03/16|1"), QStringLiteral("Aula|2026/03/16||")};
            QTest::addRow("uma removida %d", synced)
                << synced << QStringLiteral("delete from lembrete where uid like '%0309T%'")
                << QStringList{QStringLiteral("EXDATE:20260309T090000")}
                << QStringList{QStringLiteral("Aula|2026/03/09||")};
        }
    }
    void copiesAnEarlierVersionMadeFoldIntoTheSeries()
    {
        QFETCH(bool, synced);
        QFETCH(QString, change);
        QFETCH(QStringList, there);
        QFETCH(QStringList, here);
        Device device;
        if (synced)
            QVERIFY(sync(device).ok);
        device.expandClass(synced);
        if (!change.isEmpty())
            device.run(change);
        const SyncOutcome outcome = sync(device);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(device.rows(QStringLiteral("select titulo || '|' || coalesce(excecoes, '') || '|' || "
                                            "coalesce(ocorrencia, '') || '|' || coalesce((select 1 from lembrete s "
                                            "where s.rowid = l.serie), '') from lembrete l where titulo like 'Aula%' "
                                            "order by rowid")),
                 here);
        const QString object = this->object(QStringLiteral("aula-1"));
        for (const QString &line : there + QStringList{QStringLiteral("LOCATION:Escola")})
            QVERIFY2(object.contains(line), qPrintable(line + QLatin1Char('\n') + object));
        for (const QString &name : {QStringLiteral("EXDATE"), QStringLiteral("RECURRENCE-ID")})
            QVERIFY2(there.join(QChar()).contains(name) || !object.contains(name), qPrintable(object));
        QCOMPARE(resources(), 2);
        const SyncOutcome again = sync(device);
        QCOMPARE(again.sent + again.received, 0);
        QCOMPARE(this->object(QStringLiteral("aula-1")), object);
    }

    // An occurrence edited here goes inside its series' object; when the series
    // is removed it stays a reminder with an object of its own (a new UID), and
    // goes back inside the series if the removal is undone.
    void anOccurrenceEditedHereTravelsWithItsSeriesAndOutlivesIt_data()
    {
        QTest::addColumn<bool>("madeHere");
        QTest::addColumn<bool>("syncedFirst");
        QTest::newRow("série daqui, editada antes de enviada") << true << false;
        QTest::newRow("série daqui, editada depois de enviada") << true << true;
        QTest::newRow("série do outro aparelho") << false << true;
    }
    void anOccurrenceEditedHereTravelsWithItsSeriesAndOutlivesIt()
    {
        QFETCH(bool, madeHere);
        QFETCH(bool, syncedFirst);
        Device device;
        if (madeHere)
            device.run(QStringLiteral("insert into lembrete (data, titulo, descricao, hora, repeticao) values "
                                      "('2026/03/02', 'Natação', '', '07:00', 'FREQ=WEEKLY;BYDAY=MO')"));
        if (syncedFirst)
            QVERIFY(sync(device).ok);
        const QString title = madeHere ? QStringLiteral("Natação") : QStringLiteral("Aula");
        const qint64 series = device.keyOf(title);
        QString error;
        QVERIFY2(occurrences::detach(device.store, series, QDate(2026, 3, 16),
                                     {QStringLiteral("2026/03/16"), title + QStringLiteral(" extra"), QString(), {}},
                                     &error),
                 qPrintable(error));
        const int count = madeHere ? 3 : 2;
        RemovalUndo removal;
        QString uid, own;
        for (const int step : {0, 1, 2}) { // edited, series removed, removal undone
            if (step == 1)
                QVERIFY(removal.remove(device.store, series, &error));
            if (step == 2)
                QVERIFY(removal.undo(device.store, &error));
            const SyncOutcome outcome = sync(device);
            QVERIFY2(outcome.ok, qPrintable(outcome.message));
            uid = step == 1 ? uid : device.uidOf(series);
            own = device.uidOf(device.keyOf(title + QStringLiteral(" extra")));
            const QString listed = m_current->client({QStringLiteral("list")});
            const QString inSeries = uid + QStringLiteral("|20260316|") + title + QStringLiteral(" extra");
            QVERIFY2(step == 1 ? !listed.contains(uid + QLatin1Char('|')) && own != uid
                                     && listed.contains(own + QStringLiteral("|20260316|"))
                               : listed.contains(inSeries) && (step == 0 || !listed.contains(own + QLatin1Char('|'))),
                     qPrintable(own + QLatin1Char('\n') + listed));
            QVERIFY(step == 1 || !object(uid).contains(QStringLiteral("EXDATE")));
            QCOMPARE(resources(), count);
        }
    }
};

QTEST_MAIN(tst_syncobjects)
#include "tst_syncobjects.moc"
