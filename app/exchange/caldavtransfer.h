#pragma once

#include "exchange/caldavclient.h"

#include <QObject>
#include <QTimer>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace caldav {

class Collection;

// One request and its answer. The answer is read as it comes, within the
// limits; a redirect is followed only on the collection's own origin, with
// the same method and body, at most five times.
class Transfer : public QObject
{
public:
    // stopSync: no answer came (or one that must not be followed), so
    // nothing more should be sent.
    using Done = std::function<void(const Reply &reply, bool stopSync)>;

    Transfer(QNetworkAccessManager &network, const Collection &collection, const QByteArray &authorization,
             const Limits &limits, QObject *parent);

    void start(const Request &request, const QUrl &url, Done done);

private:
    void send(const QUrl &url);
    void read();
    void stop(const QString &reason);
    void finish();
    bool redirect(QNetworkReply *reply);

    QNetworkAccessManager &m_network;
    const Collection &m_collection;
    QByteArray m_authorization;
    Limits m_limits;
    Request m_request;
    Done m_done;
    QNetworkReply *m_reply = nullptr;
    QTimer m_clock;
    int m_redirects = 0;
    Reply m_result;
    QString m_failure; // why no usable answer came
};

} // namespace caldav
