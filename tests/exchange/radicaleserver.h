#pragma once

#include <QByteArray>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QElapsedTimer>
#include <signal.h>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A real calendar server for the sync tests and benchmarks: Debian's radicale
// on 127.0.0.1 at a free port, with its own storage folder and a plain
// htpasswd file, and one calendar collection made with MKCALENDAR. It is
// stopped (never left running) when the object goes.
class RadicaleServer
{
public:
    static constexpr const char *user = "zedo";
    static constexpr const char *password = "segredo";

    RadicaleServer();
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer &) = delete;
    RadicaleServer &operator=(const RadicaleServer &) = delete;

    // Starts the server and makes the collection "agenda"; false with the
    // reason in error(). With tls, it serves https with a self-signed
    // certificate that no client should accept.
    bool start(bool tls = false);
    // The second server from Debian, xandikos (no password, collections under
    // /user/calendars/), started in place of radicale.
    bool startXandikos();
    // Makes another collection with MKCALENDAR and works on it from now on.
    bool useCollection(const QString &name);
    // Stops it at once (SIGKILL), as a crash or a pulled cable would.
    void kill();
    // Starts it again on the same port and storage.
    bool restart();
    // For a test's init(): a server a failed test left killed or frozen is
    // woken or started again, so the tests after it do not fail for nothing.
    bool ensureRunning();
    // Freezes the server (it keeps its port but answers nothing), or wakes it.
    void freeze(bool frozen) { ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT); }

    QUrl collection() const;
    qint64 processId() const { return m_process.processId(); }
    // The folder xandikos keeps the current collection in (a git working tree).
    QString xandikosCollectionFolder() const
    {
        return m_dir.filePath(QStringLiteral("storage/user/calendars/") + m_collection);
    }
    QString error() const { return m_error; }

    // The second client: Python's caldav library runs op with the arguments
    // and returns what it printed ("uid|yyyymmdd|summary" lines for "list").
    // Operations: list, add UID YYYYMMDD SUMMARY, edit UID SUMMARY, remove UID,
    // raw (the object's text on standard input).
    QString client(const QStringList &arguments, const QByteArray &input = {}) const;

    // One request straight to the server (for MKCALENDAR and odd objects).
    int request(const QByteArray &method, const QString &path, const QByteArray &body = {},
                const QByteArray &contentType = {}, int timeoutMs = 30000);

private:
    bool waitUntilListening();
    bool pickFreePort();

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QString m_collection = QStringLiteral("agenda");
    bool m_tls = false;
    bool m_xandikos = false;
    QNetworkAccessManager m_network;
};

namespace radicale_detail {

// The second client, on Python's caldav library.
inline const char *clientScript()
{
    return R"PY(
import sys, caldav, icalendar
url, user, password, op = sys.argv[1:5]
args = sys.argv[5:]
cal = caldav.Calendar(client=caldav.DAVClient(url=url, username=user, password=password), url=url)
def event(uid, day, summary):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro aparelho//PT\r\nBEGIN:VEVENT\r\n"
            "UID:%s\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%s\r\nSUMMARY:%s\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n" % (uid, day, summary))
if op == "list":
    rows = []
    for obj in cal.events():
        for comp in icalendar.Calendar.from_ical(obj.data).walk("VEVENT"):
            rows.append("%s|%s|%s" % (comp.get("UID"), comp.get("DTSTART").to_ical().decode()[:8],
                                      comp.get("SUMMARY")))
    print("\n".join(sorted(rows)))
elif op == "add":
    cal.save_event(event(args[0], args[1], args[2]))
elif op == "edit":
    obj = cal.event_by_uid(args[0])
    parsed = icalendar.Calendar.from_ical(obj.data)
    for comp in parsed.walk("VEVENT"):
        comp["SUMMARY"] = args[1]
    obj.data = parsed.to_ical().decode()
    obj.save()
elif op == "remove":
    cal.event_by_uid(args[0]).delete()
elif op == "raw":
    cal.save_event(sys.stdin.read())
elif op == "get":
    sys.stdout.write(cal.event_by_uid(args[0]).data)
elif op == "count":
    print(len(cal.events()))
)PY";
}

} // namespace radicale_detail

inline RadicaleServer::RadicaleServer() = default;

inline RadicaleServer::~RadicaleServer()
{
    kill();
}

inline bool RadicaleServer::start(bool tls)
{
    m_tls = tls;
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        m_error = QStringLiteral("/usr/bin/python3 is missing (Debian package radicale)");
        return false;
    }
    if (!pickFreePort())
        return false;
    QString tlsOptions;
    if (tls) {
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                       QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                       QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert});
        const bool madeIt = openssl.waitForFinished(60000) && openssl.exitCode() == 0;
        const int made = madeIt ? 0 : 1;
        if (made != 0) {
            m_error = QStringLiteral("openssl could not make a certificate");
            return false;
        }
        tlsOptions = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key);
    }
    QFile users(m_dir.filePath(QStringLiteral("users")));
    QFile config(m_dir.filePath(QStringLiteral("config")));
    if (!users.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly))
        return false;
    users.write(QByteArray(user) + ':' + password + '\n');
    config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                                "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\nhtpasswd_encryption = plain\n"
                                "delay = 0\n"
                                "[storage]\nfilesystem_folder = %3\n"
                                "[logging]\nlevel = warning\n")
                     .arg(m_port)
                     .arg(users.fileName(), m_dir.filePath(QStringLiteral("storage")), tlsOptions)
                     .toUtf8());
    users.close();
    config.close();
    if (!restart())
        return false;
    return tls || useCollection(m_collection);
}

inline bool RadicaleServer::startXandikos()
{
    m_xandikos = true;
    if (!m_dir.isValid() || !QFile::exists(QStringLiteral("/usr/bin/xandikos"))) {
        m_error = QStringLiteral("/usr/bin/xandikos is missing (Debian package xandikos)");
        return false;
    }
    return pickFreePort() && restart() && useCollection(m_collection);
}

inline bool RadicaleServer::useCollection(const QString &name)
{
    m_collection = name;
    const int status = request("MKCALENDAR", collection().path());
    if (status != 201) {
        m_error = QStringLiteral("MKCALENDAR answered %1").arg(status);
        return false;
    }
    return true;
}

inline bool RadicaleServer::restart()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    if (m_xandikos)
        m_process.start(QStringLiteral("/usr/bin/xandikos"),
                        {QStringLiteral("-d"), m_dir.filePath(QStringLiteral("storage")), QStringLiteral("--defaults"),
                         QStringLiteral("-l"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                         QString::number(m_port)});
    else
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                     m_dir.filePath(QStringLiteral("config"))});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("radicale did not start: %1").arg(m_process.errorString());
        return false;
    }
    if (!waitUntilListening()) {
        m_process.kill();
        m_process.waitForFinished(5000);
        m_error = QStringLiteral("radicale is not listening (is the Debian package radicale "
                                 "installed?): %1")
                      .arg(QString::fromLocal8Bit(m_process.readAll()));
        return false;
    }
    return true;
}

inline bool RadicaleServer::ensureRunning()
{
    if (m_process.state() == QProcess::Running) {
        freeze(false);
        return true;
    }
    return restart();
}

// A port nothing listens on now, for the server to take.
inline bool RadicaleServer::pickFreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        m_error = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    m_port = probe.serverPort();
    return true;
}

inline bool RadicaleServer::waitUntilListening()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        if (m_process.state() != QProcess::Running)
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(500))
            return true;
        QThread::msleep(100);
    }
    return false;
}

inline void RadicaleServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    freeze(false);
    m_process.kill();
    m_process.waitForFinished(10000);
}

inline QUrl RadicaleServer::collection() const
{
    if (m_xandikos)
        return QUrl(QStringLiteral("http://127.0.0.1:%1/user/calendars/%2/").arg(m_port).arg(m_collection));
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/%3/%4/")
                    .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(m_port)
                    .arg(QLatin1String(user), m_collection));
}

inline QString RadicaleServer::client(const QStringList &arguments, const QByteArray &input) const
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(radicale_detail::clientScript()),
                             collection().toString(), QLatin1String(user), QLatin1String(password)}
                     + arguments);
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000)) {
        python.kill();
        python.waitForFinished();
        return QStringLiteral("(timeout)");
    }
    if (python.exitCode() != 0)
        return QStringLiteral("(failed) ") + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

inline int RadicaleServer::request(const QByteArray &method, const QString &path, const QByteArray &body,
                                   const QByteArray &contentType, int timeoutMs)
{
    QUrl url = collection();
    url.setPath(path);
    QNetworkRequest request(url);
    request.setRawHeader("Authorization",
                         "Basic " + (QByteArray(user) + ':' + password).toBase64());
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = m_network.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return status;
}
