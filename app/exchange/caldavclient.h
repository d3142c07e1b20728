#pragma once

#include "exchange/caldavcollection.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace caldav {

// Where the calendar collection lives and who may use it.
struct Account
{
    QUrl collection;
    QString user;
    QString password;
};

// One request to the server. href is a path on the server; empty means the
// collection itself.
struct Request
{
    QByteArray method;
    QString href;
    QByteArray body;
    QByteArray contentType;
    QList<QPair<QByteArray, QByteArray>> headers;
};

// What came back. status is the HTTP status, 0 when no answer came at all;
// error holds the reason in words for the user and is empty on success.
struct Reply
{
    int status = 0;
    QByteArray body;
    QString etag;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// How long and how large one answer may be. Idle: the server sends nothing.
// Whole: from the request to the last byte of its answer (redirects
// included), so a server that drips cannot hold the sync. Size: the largest
// answer is the listing of the whole collection or a multiget of one batch
// (200 objects). Measured on Radicale, a listing takes about 250 bytes per
// object (2.5 MB for 10,000) and a report with the data about 700 bytes per
// reminder (7 MB for 10,000), so 64 MB leaves room for 10,000 objects of
// 6 KB on average (long notes, attendees, time zones) while bounding the
// memory a server can take.
struct Limits
{
    int idleMs = 30000;
    int wholeMs = 120000;
    qint64 maxBytes = 64 * 1024 * 1024;
};

struct ObjectVersion
{
    QString href;
    QString etag;
};

struct ObjectData
{
    QString href;
    QString etag;
    QByteArray data;
};

struct CollectionInfo
{
    bool isCalendar = false;
    bool offersSyncCollection = false;
};

// The server's changes since a sync token (RFC 6578). tokenRefused: the server
// no longer knows the token, and the caller must compare every object.
struct Delta
{
    QList<ObjectVersion> changed;
    QStringList removed;
    QString token;
    bool tokenRefused = false;
};

// A parsed DAV:multistatus body.
struct MultiStatus
{
    struct Property
    {
        QString text;
        QSet<QString> descendants; // "namespace|name" of every element inside it
    };
    struct Response
    {
        QString address; // as the server wrote it
        QString href;    // its decoded path
        int status = 0; // of the response itself (a removed member in a sync report)
        QHash<QString, Property> found; // properties the server answered with 200
    };
    QList<Response> responses;
    QString syncToken;
};

// Reads a multistatus body; false with a reason when it is not one.
bool parseMultiStatus(const QByteArray &xml, MultiStatus *result, QString *error);

// A CalDAV client for one calendar collection. Every call waits for its
// answers (running a local event loop) and gives up when the server is silent
// for timeoutMs, or when one answer takes longer than the request time limit
// or grows past its size limit (see Limits). Certificates are checked against
// the system's; a bad one fails the request. Requests go only to the
// collection's origin, and only objects inside the collection are taken.
class Client
{
public:
    explicit Client(const Account &account, int timeoutMs = 30000);
    ~Client();

    QString collectionPath() const;
    void setRequestTimeLimit(int ms);
    // The objects the server named outside the collection (ignored), in
    // words for the user; empty when there were none.
    QString outsideSummary() const;

    Reply probe(CollectionInfo *info);
    Reply changesSince(const QString &token, Delta *delta);
    Reply listVersions(QList<ObjectVersion> *versions);
    Reply fetch(const QStringList &hrefs, QList<ObjectData> *objects);
    // Every object of the collection in one calendar-query REPORT.
    Reply fetchAll(QList<ObjectData> *objects);

    Request put(const QString &href, const QByteArray &object, const QString &ifMatch) const;
    Request remove(const QString &href, const QString &ifMatch) const;

    Reply send(const Request &request);
    // Sends every request, a few at a time; one reply for each, in order.
    // When the server stops answering, the rest are not sent and their replies
    // carry that failure.
    QList<Reply> sendAll(const QList<Request> &requests);

    // An error message for a status that is not a success, in words for the user.
    static QString describeStatus(int status);

private:
    Reply readMultiStatus(const Request &request, MultiStatus *result);
    Reply query(bool withData, QList<ObjectData> *objects);
    QString memberPath(const QString &address);

    Account m_account;
    Collection m_collection;
    Limits m_limits;
    QSet<QString> m_outside;
    QStringList m_outsideNamed; // the first few, in the order they came
    QNetworkAccessManager m_network;
};

} // namespace caldav
