#include "exchange/caldavclient.h"

#include "exchange/caldavtransfer.h"

#include <QEventLoop>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace caldav {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
// Several requests in flight hide the round trips; servers queue the writes anyway.
constexpr int kInFlight = 4;
// Objects named in one listing of the collection; more are counted, not named.
constexpr int kOutsideNamed = 10;

QString key(const QString &ns, const QString &name)
{
    return ns + QLatin1Char('|') + name;
}

int statusOf(const QString &statusLine)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = statusLine.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

QString plainHref(const QString &href)
{
    const QUrl url(href.trimmed());
    return url.path(QUrl::FullyDecoded);
}

QString unquotedEtag(const QString &etag)
{
    return etag.trimmed();
}

void readProperty(QXmlStreamReader &xml, MultiStatus::Property *property)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            property->descendants.insert(key(xml.namespaceUri().toString(), xml.name().toString()));
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            property->text += xml.text();
            break;
        default:
            break;
        }
    }
}

void readPropstat(QXmlStreamReader &xml, MultiStatus::Response *response)
{
    QHash<QString, MultiStatus::Property> properties;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == kDav && xml.name() == QLatin1String("status")) {
            status = statusOf(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (xml.namespaceUri() == kDav && xml.name() == QLatin1String("prop")) {
            while (xml.readNextStartElement()) {
                const QString name = key(xml.namespaceUri().toString(), xml.name().toString());
                readProperty(xml, &properties[name]);
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status == 200)
        response->found.insert(properties);
}

void readResponse(QXmlStreamReader &xml, MultiStatus *result)
{
    MultiStatus::Response response;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() != kDav)
            xml.skipCurrentElement();
        else if (xml.name() == QLatin1String("href"))
            response.address = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (xml.name() == QLatin1String("status"))
            response.status = statusOf(xml.readElementText(QXmlStreamReader::SkipChildElements));
        else if (xml.name() == QLatin1String("propstat"))
            readPropstat(xml, &response);
        else
            xml.skipCurrentElement();
    }
    response.href = plainHref(response.address);
    result->responses.append(response);
}

QByteArray requestBody(const std::function<void(QXmlStreamWriter &)> &content)
{
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("d"));
    xml.writeNamespace(kCalDav, QStringLiteral("c"));
    content(xml);
    xml.writeEndDocument();
    return body;
}

} // namespace

bool parseMultiStatus(const QByteArray &body, MultiStatus *result, QString *error)
{
    QXmlStreamReader xml(body);
    bool sawRoot = false;
    if (xml.readNextStartElement()) {
        if (xml.namespaceUri() == kDav && xml.name() == QLatin1String("multistatus")) {
            sawRoot = true;
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == kDav && xml.name() == QLatin1String("response"))
                    readResponse(xml, result);
                else if (xml.namespaceUri() == kDav && xml.name() == QLatin1String("sync-token"))
                    result->syncToken = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                else
                    xml.skipCurrentElement();
            }
        }
    }
    if (xml.hasError() || !sawRoot) {
        *error = QStringLiteral("A resposta do servidor não pôde ser lida (%1).")
                     .arg(xml.hasError() ? QStringLiteral("XML malformado: ") + xml.errorString()
                                         : QStringLiteral("não é uma resposta multistatus"));
        return false;
    }
    return true;
}

Client::Client(const Account &account, int timeoutMs)
    : m_account(account)
    , m_collection(account.collection)
{
    m_limits.idleMs = timeoutMs;
    // Every redirect is looked at here: only the collection's own origin is
    // followed, and no method ever becomes another.
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

Client::~Client() = default;

QString Client::collectionPath() const
{
    return m_collection.path();
}

void Client::setRequestTimeLimit(int ms)
{
    m_limits.wholeMs = ms;
}

// The path of a member object, or empty: for the collection itself and what
// ends in "/" (nothing to sync), and for anything outside the collection,
// which is noted to be named to the user.
QString Client::memberPath(const QString &address)
{
    const QString path = m_collection.resolve(address);
    if (path == m_collection.path() || path + QLatin1Char('/') == m_collection.path())
        return {};
    if (!m_collection.contains(path)) {
        if (!m_outside.contains(address)) {
            m_outside.insert(address);
            if (m_outsideNamed.size() < kOutsideNamed)
                m_outsideNamed.append(address);
        }
        return {};
    }
    return path.endsWith(QLatin1Char('/')) ? QString() : path;
}

QString Client::outsideSummary() const
{
    if (m_outside.isEmpty())
        return {};
    QString text = QStringLiteral("O servidor indicou objetos fora da coleção de calendário; eles foram "
                                  "ignorados (nada foi lido, gravado nem apagado neles): ")
        + m_outsideNamed.join(QStringLiteral(", "));
    if (m_outside.size() > m_outsideNamed.size())
        text += QStringLiteral(" e mais %1").arg(m_outside.size() - m_outsideNamed.size());
    return text + QLatin1Char('.');
}

QString Client::describeStatus(int status)
{
    if (status == 401 || status == 403)
        return QStringLiteral("O servidor recusou o usuário ou a senha (HTTP %1). Confira-os em "
                              "Principal > Sincronização...").arg(status);
    if (status == 404)
        return QStringLiteral("A coleção de calendário não foi encontrada no servidor (HTTP 404). "
                              "Confira o endereço em Principal > Sincronização...");
    if (status == 412)
        return QStringLiteral("Um lembrete foi alterado no servidor durante a sincronização (HTTP 412).");
    if (status >= 500)
        return QStringLiteral("O servidor informou um erro interno (HTTP %1). Tente novamente mais "
                              "tarde.").arg(status);
    return QStringLiteral("O servidor recusou o pedido (HTTP %1).").arg(status);
}

Reply Client::send(const Request &request)
{
    return sendAll({request}).constFirst();
}

QList<Reply> Client::sendAll(const QList<Request> &requests)
{
    QList<Reply> replies(requests.size());
    QEventLoop loop;
    QObject transfers; // of this call
    int next = 0;
    int running = 0;
    QString stopped; // set when the server stopped answering; nothing more is sent

    const QByteArray authorization = "Basic "
        + (m_account.user + QLatin1Char(':') + m_account.password).toUtf8().toBase64();

    std::function<void()> startNext = [&]() {
        while (running < kInFlight && next < requests.size() && stopped.isEmpty()) {
            const int index = next++;
            const Request &request = requests.at(index);
            QUrl url = m_collection.address();
            if (!request.href.isEmpty()) {
                if (!m_collection.contains(request.href)) {
                    replies[index].error = QStringLiteral("O endereço %1 fica fora da coleção de calendário; "
                                                          "nada foi enviado a ele.").arg(request.href);
                    continue;
                }
                url.setPath(request.href, QUrl::DecodedMode);
            }
            ++running;
            auto *transfer = new Transfer(m_network, m_collection, authorization, m_limits, &transfers);
            transfer->start(request, url, [&, index](const Reply &reply, bool stopSync) {
                replies[index] = reply;
                if (stopSync)
                    stopped = reply.error;
                --running;
                startNext();
                if (running == 0)
                    loop.quit();
            });
        }
    };
    startNext();
    if (running > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    for (int index = next; index < requests.size(); ++index)
        replies[index].error = stopped;
    return replies;
}

Reply Client::readMultiStatus(const Request &request, MultiStatus *result)
{
    Reply reply = send(request);
    if (reply.ok() && reply.status != 207)
        reply.error = QStringLiteral("O servidor não respondeu como um servidor de calendário CalDAV "
                                     "(HTTP %1).").arg(reply.status);
    if (reply.ok())
        parseMultiStatus(reply.body, result, &reply.error);
    return reply;
}

Reply Client::probe(CollectionInfo *info)
{
    Request request{"PROPFIND", QString(), requestBody([](QXmlStreamWriter &xml) {
                        xml.writeStartElement(kDav, QStringLiteral("propfind"));
                        xml.writeStartElement(kDav, QStringLiteral("prop"));
                        xml.writeEmptyElement(kDav, QStringLiteral("resourcetype"));
                        xml.writeEmptyElement(kDav, QStringLiteral("supported-report-set"));
                        xml.writeEndElement();
                        xml.writeEndElement();
                    }),
                    "application/xml; charset=utf-8", {{"Depth", "0"}}};
    MultiStatus status;
    Reply reply = readMultiStatus(request, &status);
    if (!reply.ok())
        return reply;
    for (const MultiStatus::Response &response : std::as_const(status.responses)) {
        const auto type = response.found.value(key(kDav, QStringLiteral("resourcetype")));
        if (type.descendants.contains(key(kCalDav, QStringLiteral("calendar"))))
            info->isCalendar = true;
        const auto reports = response.found.value(key(kDav, QStringLiteral("supported-report-set")));
        if (reports.descendants.contains(key(kDav, QStringLiteral("sync-collection"))))
            info->offersSyncCollection = true;
    }
    if (!info->isCalendar)
        reply.error = QStringLiteral("O endereço %1 não é uma coleção de calendário CalDAV.")
                          .arg(m_collection.address().toString(QUrl::RemoveUserInfo));
    return reply;
}

Reply Client::changesSince(const QString &token, Delta *delta)
{
    Request request{"REPORT", QString(), requestBody([&](QXmlStreamWriter &xml) {
                        xml.writeStartElement(kDav, QStringLiteral("sync-collection"));
                        xml.writeTextElement(kDav, QStringLiteral("sync-token"), token);
                        xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
                        xml.writeStartElement(kDav, QStringLiteral("prop"));
                        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
                        xml.writeEndElement();
                        xml.writeEndElement();
                    }),
                    "application/xml; charset=utf-8", {{"Depth", "0"}}};
    Reply reply = send(request);
    // RFC 6578: an unknown or expired token is refused with a precondition error.
    if ((reply.status == 403 || reply.status == 409 || reply.status == 400) && !token.isEmpty()
        && reply.body.contains("valid-sync-token")) {
        delta->tokenRefused = true;
        reply.error.clear();
        return reply;
    }
    if (reply.ok() && reply.status != 207)
        reply.error = QStringLiteral("O servidor não respondeu como um servidor de calendário CalDAV "
                                     "(HTTP %1).").arg(reply.status);
    MultiStatus status;
    if (!reply.ok() || !parseMultiStatus(reply.body, &status, &reply.error))
        return reply;
    for (const MultiStatus::Response &response : std::as_const(status.responses)) {
        const QString href = memberPath(response.address);
        if (href.isEmpty())
            continue;
        if (response.status == 404)
            delta->removed.append(href);
        else if (response.found.contains(key(kDav, QStringLiteral("getetag"))))
            delta->changed.append({href,
                                   unquotedEtag(response.found.value(key(kDav, QStringLiteral("getetag"))).text)});
    }
    delta->token = status.syncToken;
    return reply;
}

Reply Client::listVersions(QList<ObjectVersion> *versions)
{
    QList<ObjectData> objects;
    const Reply reply = query(false, &objects);
    for (const ObjectData &object : std::as_const(objects))
        versions->append({object.href, object.etag});
    return reply;
}

Reply Client::fetchAll(QList<ObjectData> *objects)
{
    return query(true, objects);
}

// One calendar-query of the whole collection: its ETags, and with data
// every object too (for the server one request instead of many).
Reply Client::query(bool withData, QList<ObjectData> *objects)
{
    Request request{"REPORT", QString(), requestBody([withData](QXmlStreamWriter &xml) {
                        xml.writeStartElement(kCalDav, QStringLiteral("calendar-query"));
                        xml.writeStartElement(kDav, QStringLiteral("prop"));
                        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
                        if (withData)
                            xml.writeEmptyElement(kCalDav, QStringLiteral("calendar-data"));
                        xml.writeEndElement();
                        xml.writeStartElement(kCalDav, QStringLiteral("filter"));
                        xml.writeStartElement(kCalDav, QStringLiteral("comp-filter"));
                        xml.writeAttribute(QStringLiteral("name"), QStringLiteral("VCALENDAR"));
                        xml.writeEndElement();
                        xml.writeEndElement();
                        xml.writeEndElement();
                    }),
                    "application/xml; charset=utf-8", {{"Depth", "1"}}};
    MultiStatus status;
    Reply reply = readMultiStatus(request, &status);
    if (!reply.ok())
        return reply;
    for (const MultiStatus::Response &response : std::as_const(status.responses)) {
        const QString href = memberPath(response.address);
        const auto data = response.found.find(key(kCalDav, QStringLiteral("calendar-data")));
        if (href.isEmpty() || (withData && data == response.found.end()))
            continue;
        objects->append({href, unquotedEtag(response.found.value(key(kDav, QStringLiteral("getetag"))).text),
                         withData ? data->text.toUtf8() : QByteArray()});
    }
    return reply;
}

Reply Client::fetch(const QStringList &hrefs, QList<ObjectData> *objects)
{
    Request request{"REPORT", QString(), requestBody([&](QXmlStreamWriter &xml) {
                        xml.writeStartElement(kCalDav, QStringLiteral("calendar-multiget"));
                        xml.writeStartElement(kDav, QStringLiteral("prop"));
                        xml.writeEmptyElement(kDav, QStringLiteral("getetag"));
                        xml.writeEmptyElement(kCalDav, QStringLiteral("calendar-data"));
                        xml.writeEndElement();
                        for (const QString &href : hrefs)
                            xml.writeTextElement(kDav, QStringLiteral("href"),
                                                 QString::fromLatin1(QUrl::toPercentEncoding(href, "/@")));
                        xml.writeEndElement();
                    }),
                    "application/xml; charset=utf-8", {{"Depth", "1"}}};
    MultiStatus status;
    Reply reply = readMultiStatus(request, &status);
    if (!reply.ok())
        return reply;
    for (const MultiStatus::Response &response : std::as_const(status.responses)) {
        const auto data = response.found.find(key(kCalDav, QStringLiteral("calendar-data")));
        const QString href = memberPath(response.address);
        if (data == response.found.end() || href.isEmpty())
            continue; // gone since it was listed (the next sync sees it removed), or not ours
        objects->append({href,
                         unquotedEtag(response.found.value(key(kDav, QStringLiteral("getetag"))).text),
                         data->text.toUtf8()});
    }
    return reply;
}

Request Client::put(const QString &href, const QByteArray &object, const QString &ifMatch) const
{
    Request request{"PUT", href, object, "text/calendar; charset=utf-8", {}};
    if (ifMatch.isEmpty())
        request.headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        request.headers.append(qMakePair(QByteArray("If-Match"), ifMatch.toLatin1()));
    return request;
}

Request Client::remove(const QString &href, const QString &ifMatch) const
{
    Request request{"DELETE", href, {}, {}, {}};
    if (!ifMatch.isEmpty())
        request.headers.append(qMakePair(QByteArray("If-Match"), ifMatch.toLatin1()));
    return request;
}

} // namespace caldav
