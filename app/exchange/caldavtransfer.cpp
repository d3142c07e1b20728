#include "exchange/caldavtransfer.h"

#include "exchange/caldavcollection.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

namespace caldav {

namespace {

constexpr int kMaxRedirects = 5;
// What Qt may hold for us between two reads; the answer itself is bounded by maxBytes.
constexpr qint64 kReadBuffer = 1024 * 1024;

QString describeNetworkError(QNetworkReply *reply, int timeoutMs)
{
    switch (reply->error()) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QStringLiteral("O servidor não respondeu em %1 segundos.").arg(timeoutMs / 1000);
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Não foi possível conectar ao servidor %1 (%2).")
            .arg(reply->url().host(), reply->errorString());
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("A conexão segura com o servidor %1 falhou: o certificado não foi "
                              "aceito (%2). Nada foi enviado.")
            .arg(reply->url().host(), reply->errorString());
    default:
        return QStringLiteral("A comunicação com o servidor falhou (%1).").arg(reply->errorString());
    }
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

Transfer::Transfer(QNetworkAccessManager &network, const Collection &collection, const QByteArray &authorization,
                   const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_collection(collection)
    , m_authorization(authorization)
    , m_limits(limits)
{
    m_clock.setSingleShot(true);
    connect(&m_clock, &QTimer::timeout, this, [this]() {
        stop(QStringLiteral("O servidor levou mais de %1 segundos para responder a um pedido; a "
                            "sincronização foi interrompida.")
                 .arg(m_limits.wholeMs / 1000));
    });
}

void Transfer::start(const Request &request, const QUrl &url, Done done)
{
    m_request = request;
    m_done = std::move(done);
    m_clock.start(m_limits.wholeMs);
    send(url);
}

void Transfer::send(const QUrl &url)
{
    QNetworkRequest http(url);
    http.setTransferTimeout(m_limits.idleMs);
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The password goes only to the address it was given for.
    if (m_collection.sameOrigin(url))
        http.setRawHeader("Authorization", m_authorization);
    if (!m_request.contentType.isEmpty())
        http.setHeader(QNetworkRequest::ContentTypeHeader, m_request.contentType);
    for (const auto &[name, value] : std::as_const(m_request.headers))
        http.setRawHeader(name, value);
    m_reply = m_network.sendCustomRequest(http, m_request.method, m_request.body);
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &QNetworkReply::readyRead, this, &Transfer::read);
    connect(m_reply, &QNetworkReply::finished, this, &Transfer::finish);
}

// Read as it comes, so a flood is stopped at the limit instead of filling the memory.
void Transfer::read()
{
    if (!m_reply || !m_failure.isEmpty())
        return;
    m_result.body += m_reply->read(m_limits.maxBytes + 1 - m_result.body.size());
    if (m_result.body.size() > m_limits.maxBytes)
        stop(QStringLiteral("A resposta do servidor é grande demais (mais de %1 MB); a sincronização foi "
                            "interrompida.")
                 .arg(m_limits.maxBytes / (1024 * 1024)));
}

void Transfer::stop(const QString &reason)
{
    if (!m_failure.isEmpty())
        return;
    m_failure = reason;
    if (m_reply && !m_reply->isFinished())
        m_reply->abort();
}

void Transfer::finish()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_failure.isEmpty() && status == 0)
        m_failure = describeNetworkError(reply, m_limits.idleMs);
    read(); // what is left
    m_reply = nullptr;
    reply->deleteLater();
    if (m_failure.isEmpty() && isRedirect(status) && redirect(reply))
        return;
    m_clock.stop();
    const bool stopSync = !m_failure.isEmpty();
    if (stopSync) {
        m_result = Reply{0, {}, {}, m_failure};
    } else {
        m_result.status = status;
        m_result.etag = QString::fromLatin1(reply->rawHeader("ETag")).trimmed();
        if (status < 200 || status > 299)
            m_result.error = Client::describeStatus(status);
    }
    m_done(m_result, stopSync);
}

// False when the redirect is not followed: refused (m_failure says why), or
// without a Location (then it is an answer like any other).
bool Transfer::redirect(QNetworkReply *reply)
{
    const QByteArray location = reply->rawHeader("Location");
    if (location.isEmpty())
        return false;
    const QUrl target = reply->url().resolved(QUrl(QString::fromUtf8(location).trimmed()));
    if (!m_collection.sameOrigin(target)) {
        m_failure = QStringLiteral("O servidor pediu para continuar em outro endereço (%1). Por segurança, a "
                                   "sincronização foi interrompida: nada foi enviado para lá, nem a senha. "
                                   "Confira o endereço em Principal > Sincronização...")
                        .arg(target.toString(QUrl::RemoveUserInfo));
        return false;
    }
    if (++m_redirects > kMaxRedirects) {
        m_failure = QStringLiteral("O servidor redirecionou o pedido mais de %1 vezes; a sincronização foi "
                                   "interrompida.")
                        .arg(kMaxRedirects);
        return false;
    }
    m_result.body.clear();
    send(target);
    return true;
}

} // namespace caldav
