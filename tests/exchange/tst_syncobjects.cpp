#include "store/occurrences.h"
#include "store/removalundo.h"
#include "store/uidcolumn.h"
#include "fixture.h"

#include <QRegularExpression>

namespace {

// What an earlier version left of the weekly class: one reminder per occurrence under "UID/occurrence" and no
// object kept; synced, each with its row in the sync state, else as an import left them.
void expandClass(Device &device, bool synced)
{
    QVERIFY(uidcolumn::ensure(device.db()));
    device.run("with dias(d) as (values ('02'), ('09'), ('16'), ('23')) insert into lembrete (data, titulo, descricao, "
               "uid) select '2026/03/' || d, 'Aula', '', 'aula-1/202603' || d || 'T090000' from dias");
    if (synced)
        for (const char *sql : {"insert into sincronia (href, etag, uid, ocorrencia, chave, conteudo) select s.href, "
                                "s.etag, s.uid, substr(l.uid, 8), l.rowid, l.data || char(31) || 'Aula' || char(31) "
                                "from lembrete l, sincronia s where l.uid like 'aula-1/%' and s.uid = 'aula-1'",
                                "delete from sincronia where uid = 'aula-1' and ocorrencia = ''",
                                "delete from lembrete where uid = 'aula-1'", "delete from lembrete_ical",
                                "delete from sincronia_conta where nome = 'copias_juntadas'"})
            device.run(QLatin1String(sql));
}

} // namespace

class tst_syncobjects : public QObject
{
    Q_OBJECT

    RadicaleServer m_radicale, m_xandikos;
    RadicaleServer *m_current = &m_radicale;
    int m_collections = 0;

    SyncOutcome sync(Device &device) { return device.sync(m_current->collection()); }
    QString object(const QString &uid) const { return m_current->client({"get", uid}); }
    int resources() const { return m_current->client({"count"}).toInt(); }
    QString unfolded(const QString &uid) const { return object(uid).replace("\r\n", "\n").remove("\n "); }
    void contains(const QString &uid, const QStringList &lines) const
    {
        const QString there = unfolded(uid);
        for (const QString &line : lines)
            QVERIFY2(there.contains(line), qPrintable(line + " missing:\n" + there));
    }

private slots:
    // Every test runs against both servers Debian has, each on a collection of its own.
    void initTestCase_data()
    {
        QTest::addColumn<bool>("xandikos");
        QTest::newRow("radicale") << false;
        QTest::newRow("xandikos") << true;
    }
    void initTestCase()
    {
        QVERIFY2(m_radicale.start(), qPrintable(m_radicale.error()));
        QVERIFY2(m_xandikos.startXandikos(), qPrintable(m_xandikos.error()));
    }
    void init()
    {
        QFETCH_GLOBAL(bool, xandikos);
        m_current = xandikos ? &m_xandikos : &m_radicale;
        QVERIFY2(m_current->ensureRunning(), qPrintable(m_current->error()));
        QVERIFY2(m_current->useCollection(QStringLiteral("objetos%1").arg(++m_collections)), qPrintable(m_current->error()));
        // Made on the other device: an event in Tokyo with place, people, two alarms and an X- property; a weekly class.
        for (const char *file : {"meeting.ics", "class.ics"})
            QCOMPARE(m_current->client({"raw"}, fileBytes(QFINDTESTDATA(QStringLiteral("data/sync/") + file))), QString());
    }

    // What is changed here reaches the other device; the rest stays, and an event not touched here is not rewritten.
    void anEditHereKeepsEverythingElseThere()
    {
        Device device;
        QVERIFY(sync(device).ok);
        const QString before = object("reuniao-1");
        device.run("update lembrete set titulo = 'Aula de piano' where uid = 'aula-1'");
        QVERIFY(sync(device).ok);
        QVERIFY(sync(device).ok);
        QCOMPARE(object("reuniao-1"), before);
        // The other device's library numbers its own saves too; the edit here adds one.
        const int sequence = QRegularExpression("SEQUENCE:(\\d+)").match(before).captured(1).toInt();
        QVERIFY(sequence >= 3);
        device.run("update lembrete set hora = '01:00' where uid = 'reuniao-1'");
        const SyncOutcome outcome = sync(device);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        contains("reuniao-1", {"DTSTART;TZID=Asia/Tokyo:20260310T130000", "DTEND;TZID=Asia/Tokyo:20260310T143000",
                               "SUMMARY:Reunião", "LOCATION:Sala 2", "ATTENDEE;CN=Bruno:mailto:bruno@example.org",
                               "X-OUTRO:sim", "TRIGGER:-PT30M", "TRIGGER:-P1D", QStringLiteral("SEQUENCE:%1").arg(sequence + 1)});
    }

    // The copies an earlier version made of the class become the one series at the next sync, even unchanged there.
    void copiesAnEarlierVersionMadeFoldIntoTheSeries_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("there"); // EXDATE and RECURRENCE-ID only where named
        QTest::addColumn<QStringList>("here");  // title|excluded days|occurrence|linked
        for (const bool synced : {true, false}) {
            QTest::addRow("intactas %d", synced) << synced << QString() << QStringList{"RRULE:FREQ=WEEKLY"}
                                                 << QStringList{"Aula|||"};
            QTest::addRow("uma editada %d", synced)
                << synced << "update lembrete set titulo = 'Aula na quadra' where uid like '%0316T%'"
                << QStringList{"RECURRENCE-ID:20260316T090000", "SUMMARY:Aula na quadra"}
                << QStringList{"Aula na quadra||2026/03/16|1", "Aula|2026/03/16||"};
            QTest::addRow("uma removida %d", synced) << synced << "delete from lembrete where uid like '%0309T%'"
                                                     << QStringList{"EXDATE:20260309T090000"}
                                                     << QStringList{"Aula|2026/03/09||"};
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
        expandClass(device, synced);
        if (!change.isEmpty())
            device.run(change);
        const SyncOutcome outcome = sync(device);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(device.rows("select titulo || '|' || coalesce(excecoes, '') || '|' || coalesce(ocorrencia, '') || '|' || "
                             "coalesce((select 1 from lembrete s where s.rowid = l.serie), '') from lembrete l where "
                             "titulo like 'Aula%' order by rowid"),
                 here);
        contains("aula-1", there + QStringList{"LOCATION:Escola"});
        const QString object = this->object("aula-1");
        for (const char *name : {"EXDATE", "RECURRENCE-ID"})
            QVERIFY2(there.join(QChar()).contains(name) || !object.contains(name), qPrintable(object));
        QCOMPARE(resources(), 2);
        const SyncOutcome again = sync(device);
        QCOMPARE(again.sent + again.received, 0);
        QCOMPARE(this->object("aula-1"), object);
    }

    // An occurrence edited here goes inside its series' object, one removed here as an excluded day; with the series
    // removed the edited one keeps an object of its own (a new UID), and goes back inside when the removal is undone.
    void occurrencesTravelWithTheirSeriesAndOutliveIt_data()
    {
        QTest::addColumn<bool>("madeHere");
        QTest::addColumn<bool>("syncedFirst");
        QTest::newRow("série daqui, editada antes de enviada") << true << false;
        QTest::newRow("série daqui, editada depois de enviada") << true << true;
        QTest::newRow("série do outro aparelho") << false << true;
    }
    void occurrencesTravelWithTheirSeriesAndOutliveIt()
    {
        QFETCH(bool, madeHere);
        QFETCH(bool, syncedFirst);
        Device device;
        if (madeHere)
            device.run("insert into lembrete (data, titulo, descricao, hora, repeticao) values "
                       "('2026/03/02', 'Natação', '', '07:00', 'FREQ=WEEKLY;BYDAY=MO')");
        if (syncedFirst)
            QVERIFY(sync(device).ok);
        const QString title = madeHere ? "Natação" : "Aula", extra = title + " extra";
        const qint64 series = device.rows("select rowid from lembrete where titulo = '" + title + "'").value(0).toLongLong();
        QString error;
        RemovalUndo removal;
        QVERIFY2(occurrences::detach(device.store, series, QDate(2026, 3, 16),
                                     {"2026/03/16", extra, QString(), {"10:00", QString(), QString()}}, &error)
                     && removal.removeOccurrence(device.store, series, QDate(2026, 3, 23), &error),
                 qPrintable(error));
        QString uid;
        for (const int step : {0, 1, 2}) { // edited, series removed, removal undone
            if (step == 1)
                QVERIFY(removal.remove(device.store, series, &error));
            if (step == 2)
                QVERIFY(removal.undo(device.store, &error));
            const SyncOutcome outcome = sync(device);
            QVERIFY2(outcome.ok, qPrintable(outcome.message));
            uid = step == 1 ? uid : device.uidOf(title);
            const QString own = device.uidOf(extra), listed = m_current->client({"list"});
            QVERIFY2(step == 1 ? !listed.contains(uid + '|') && own != uid && listed.contains(own + "|2026/03/16|")
                               : listed.contains(uid + "|2026/03/16|" + extra) && (step == 0 || !listed.contains(own + '|')),
                     qPrintable(own + '\n' + listed));
            QCOMPARE(resources(), madeHere ? 3 : 2);
            if (step == 1)
                continue;
            // The edited day is an override, not an excluded day; the removed one is excluded.
            const QString there = unfolded(uid);
            QVERIFY2(!there.contains(QRegularExpression("^EXDATE.*20260316", QRegularExpression::MultilineOption)), qPrintable(there));
            for (const QString &pattern : QStringList{"^EXDATE.*20260323", "^RECURRENCE-ID.*20260316", "^RRULE:FREQ=WEEKLY;BYDAY=MO$",
                                                      "^SUMMARY:" + extra + "$", madeHere ? "^UID:" : "^LOCATION:Escola$"})
                QVERIFY2(there.contains(QRegularExpression(pattern, QRegularExpression::MultilineOption)),
                         qPrintable(pattern + '\n' + there));
        }
    }
};

QTEST_MAIN(tst_syncobjects)
#include "tst_syncobjects.moc"
