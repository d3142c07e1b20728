#include "exchange/caldavclient.h"
#include "exchange/icalrecurrence.h"
#include "exchange/icalscan.h"
#include "exchange/syncengine.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

// A calendar server in the test's own thread (the client waits in an event loop, so it answers meanwhile).
// It gives the one ETag set (none at first), answers a removal with 404 as when another device removed the
// object first.
struct Server
{
    Server()
    {
        tcp.listen(QHostAddress::LocalHost);
        QObject::connect(&tcp, &QTcpServer::newConnection, &tcp, [this] {
            QTcpSocket *socket = tcp.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                static const QRegularExpression length("Content-Length: *(\\d+)", QRegularExpression::CaseInsensitiveOption);
                const QByteArray in = socket->peek(socket->bytesAvailable());
                const qsizetype head = in.indexOf("\r\n\r\n");
                if (head < 0 || in.size() < head + 4 + length.match(in.left(head)).captured(1).toInt())
                    return;
                const QList<QByteArray> request = in.left(in.indexOf("\r\n")).split(' ');
                socket->write(answer(request.at(0), QString::fromLatin1(request.at(1)), in.mid(head + 4)));
                socket->disconnectFromHost();
            });
        });
    }
    QUrl url(const QString &path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(tcp.serverPort()).arg(path)); }
    static QByteArray reply(int status, const QByteArray &body = {})
    {
        return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nConnection: close\r\n"
            + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }
    QByteArray answer(const QByteArray &method, const QString &path, const QByteArray &body)
    {
        if (method == "PUT")
            objects.insert(path, body);
        else if (method == "DELETE")
            objects.remove(path);
        if (method == "PUT" || method == "DELETE")
            return reply(method == "PUT" ? 201 : 404);
        QMap<QString, QByteArray> found{{"/cal/", "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"}};
        for (auto it = objects.cbegin(); method == "REPORT" && it != objects.cend(); ++it)
            if (!body.contains("multiget") || body.contains(it.key().toUtf8()))
                found.insert(it.key(), "<c:calendar-data>" + it.value() + "</c:calendar-data>"
                                           + (etag.isEmpty() ? "" : "<d:getetag>" + etag + "</d:getetag>"));
        QByteArray text = R"(<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)";
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            text += "<d:response><d:href>" + it.key().toUtf8() + "</d:href><d:propstat><d:prop>" + it.value()
                + "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
        return reply(207, text + "</d:multistatus>");
    }
    QTcpServer tcp;
    QMap<QString, QByteArray> objects;
    QByteArray etag;
};

} // namespace

class tst_exchangeguards : public QObject
{
    Q_OBJECT

private slots:
    // A line past the limit is dropped even when it is short once its control bytes are cleaned.
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

    // An excluded time written in a zone two days behind the event's still removes its occurrence.
    void anExcludedTimeMatchesAcrossZones()
    {
        QByteArray text = "BEGIN:VCALENDAR\r\n";
        for (const auto &[name, offset] : {std::pair("Leste", "+1400"), std::pair("Oeste", "-1100")})
            text += QByteArray("BEGIN:VTIMEZONE\r\nTZID:") + name + "\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                    "TZOFFSETFROM:" + offset + "\r\nTZOFFSETTO:" + offset + "\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
        text += "BEGIN:VEVENT\r\nDTSTART;TZID=Leste:20260103T003000\r\nRRULE:FREQ=DAILY;COUNT=2\r\n"
                "EXDATE;TZID=Oeste:20260101T233000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const std::unique_ptr<icalcomponent, void (*)(icalcomponent *)> root(icalparser_parse_string(text.constData()), icalcomponent_free);
        icalcomponent *event = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
        qint64 steps = 1000;
        icalendar::recurrence::Expansion expansion(event, icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY),
                                                   {QDate(2026, 1, 1), QDate(2026, 1, 10)}, &steps);
        QStringList days;
        for (const icaltimetype &time : expansion.occurrences(100))
            days.append(icalendar::recurrence::dayOf(time).toString(QStringLiteral("MMdd")));
        QCOMPARE(days, QStringList{"0104"});
    }

    // What the server names is ours only below the collection, never above the root.
    void onlyHrefsBelowTheCollectionAreOurs_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<bool>("contained");
        QTest::newRow("objeto") << "a.ics" << "/u/cal/a.ics" << true;
        QTest::newRow("a própria coleção") << "/u/cal/" << "/u/cal/" << false;
        QTest::newRow("acima da raiz") << "/%2e%2e%2fu/cal/a.ics" << "" << false;
    }
    void onlyHrefsBelowTheCollectionAreOurs()
    {
        QFETCH(QString, href);
        const caldav::Collection collection(QUrl(QStringLiteral("http://127.0.0.1:5232/u/cal/")));
        QTEST(collection.resolve(href), "resolved");
        QTEST(collection.contains(collection.resolve(href)), "contained");
    }

    // Without ETags every object is fetched again, so a change there comes in each time;
    // a removal the server answers with 404 is done, not failed.
    void aServerWithoutEtagsStillSyncs()
    {
        Server server;
        FakePlatform fake;
        fake.createEmptyDatabase();
        modgeral store{fake.platform()};
        store.abrirbanco();
        const auto sync = [&] {
            caldav::Client client({server.url(QStringLiteral("/cal/")), "u", "p"});
            return SyncEngine(store.connection(), client, "conta", {2026, 3, 10}, QDateTime({2026, 3, 10}, {9, 0})).run();
        };
        for (const QByteArray summary : {"Consulta", "Retorno", "Exame"}) {
            server.objects.insert("/cal/a.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20260310\r\n"
                                                "SUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
            const SyncOutcome outcome = sync();
            QSqlQuery query(QStringLiteral("select group_concat(titulo) from lembrete"), store.connection());
            QVERIFY2(outcome.ok && query.next(), qPrintable(outcome.message));
            QCOMPARE(query.value(0).toByteArray(), summary);
        }
        QSqlQuery(QStringLiteral("delete from lembrete"), store.connection());
        const SyncOutcome removal = sync();
        QVERIFY2(removal.ok && removal.removedThere == 1 && server.objects.isEmpty(), qPrintable(removal.message));
    }
};

QTEST_GUILESS_MAIN(tst_exchangeguards)
#include "tst_exchangeguards.moc"
