#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <signal.h>

// What another program printed; its failure added to *failure.
inline QString runProgram(const QString &program, const QStringList &arguments, QString *failure,
                          const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *failure += program + " failed: " + process.errorString() + ' ' + QString::fromUtf8(process.readAllStandardError());
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A real calendar server for the sync tests and benchmarks: Debian's radicale (or xandikos) on 127.0.0.1 at a free
// port, with its own storage folder, a plain htpasswd file and one collection made with MKCALENDAR. It is killed,
// never left running, when the object goes.
class RadicaleServer
{
public:
    static constexpr const char *user = "zedo";
    static constexpr const char *password = "segredo";

    RadicaleServer() = default;
    ~RadicaleServer() { kill(); }
    Q_DISABLE_COPY(RadicaleServer)

    // With tls, it serves https with a self-signed certificate no client should accept.
    bool start(bool tls = false)
    {
        m_tls = tls;
        if (!m_dir.isValid() || !QFile::exists(QStringLiteral("/usr/bin/python3")))
            return fail(QStringLiteral("/usr/bin/python3 is missing (Debian package radicale)"));
        if (!pickFreePort())
            return false;
        const QString cert = m_dir.filePath("cert.pem"), key = m_dir.filePath("key.pem");
        if (tls && QProcess::execute("openssl", QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                                               "-keyout %1 -out %2").arg(key, cert).split(' ')) != 0)
            return fail(QStringLiteral("openssl could not make a certificate"));
        QFile users(m_dir.filePath("users")), config(m_dir.filePath("config"));
        const QString tlsOptions = tls ? QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key) : QString();
        if (!users.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly)
            || users.write(QByteArray(user) + ':' + password + '\n') <= 0
            || config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4[auth]\ntype = htpasswd\nhtpasswd_filename = "
                                           "%2\nhtpasswd_encryption = plain\ndelay = 0\n[storage]\nfilesystem_folder = %3\n"
                                           "[logging]\nlevel = warning\n")
                                .arg(m_port)
                                .arg(users.fileName(), m_dir.filePath("storage"), tlsOptions)
                                .toUtf8())
                <= 0)
            return fail(QStringLiteral("cannot write the configuration"));
        users.close(), config.close();
        return restart() && (tls || useCollection(m_collection));
    }
    // The second server from Debian, xandikos (no password, collections under /user/calendars/).
    bool startXandikos()
    {
        m_xandikos = true;
        if (!m_dir.isValid() || !QFile::exists(QStringLiteral("/usr/bin/xandikos")))
            return fail(QStringLiteral("/usr/bin/xandikos is missing (Debian package xandikos)"));
        return pickFreePort() && restart() && useCollection(m_collection);
    }
    // Makes another collection with MKCALENDAR and works on it from now on.
    bool useCollection(const QString &name)
    {
        m_collection = name;
        const int status = request("MKCALENDAR", collection().path());
        return status == 201 || fail(QStringLiteral("MKCALENDAR answered %1").arg(status));
    }
    // Stops it at once (SIGKILL), as a crash or a pulled cable would.
    void kill()
    {
        if (m_process.state() != QProcess::NotRunning)
            freeze(false), m_process.kill(), m_process.waitForFinished(10000);
    }
    // Starts it again on the same port and storage.
    bool restart()
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        if (m_xandikos)
            m_process.start("/usr/bin/xandikos", {"-d", m_dir.filePath("storage"), "--defaults", "-l", "127.0.0.1", "-p",
                                                  QString::number(m_port)});
        else
            m_process.start("/usr/bin/python3", {"-m", "radicale", "--config", m_dir.filePath("config")});
        if (!m_process.waitForStarted(10000))
            return fail(QStringLiteral("the server did not start: ") + m_process.errorString());
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000 && m_process.state() == QProcess::Running) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(500))
                return true;
            QThread::msleep(100);
        }
        m_process.kill();
        m_process.waitForFinished(5000);
        return fail(QStringLiteral("the server is not listening: ") + QString::fromLocal8Bit(m_process.readAll()));
    }
    // For a test's init(): a server a failed test left killed or frozen runs again.
    bool ensureRunning()
    {
        if (m_process.state() != QProcess::Running)
            return restart();
        return freeze(false), true;
    }
    // Freezes the server (it keeps its port but answers nothing), or wakes it.
    void freeze(bool frozen) { ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT); }

    QUrl collection() const
    {
        if (m_xandikos)
            return QUrl(QStringLiteral("http://127.0.0.1:%1/user/calendars/%2/").arg(m_port).arg(m_collection));
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/%3/%4/")
                        .arg(QLatin1String(m_tls ? "https" : "http"))
                        .arg(m_port)
                        .arg(QLatin1String(user), m_collection));
    }
    qint64 processId() const { return m_process.processId(); }
    // The folder xandikos keeps the current collection in (a git working tree).
    QString xandikosCollectionFolder() const { return m_dir.filePath("storage/user/calendars/" + m_collection); }
    QString error() const { return m_error; }

    // The second client, Python's caldav library: "list" prints sorted "uid|yyyy/mm/dd|summary" lines;
    // also add UID YYYYMMDD SUMMARY, edit UID SUMMARY, remove UID, get UID, count, raw (text on input).
    QString client(const QStringList &arguments, const QByteArray &input = {}) const
    {
        QString failure;
        const QString out = runProgram("/usr/bin/python3", QStringList{"-c", kClient, collection().toString(), user, password}
                                                               + arguments, &failure, input);
        return failure.isEmpty() ? out.trimmed() : "(failed) " + failure;
    }

    // One request straight to the server (for MKCALENDAR and odd objects).
    int request(const QByteArray &method, const QString &path, const QByteArray &body = {},
                const QByteArray &contentType = {}, int timeoutMs = 30000)
    {
        QUrl url = collection();
        url.setPath(path);
        QNetworkRequest request(url);
        request.setRawHeader("Authorization", "Basic " + (QByteArray(user) + ':' + password).toBase64());
        if (!contentType.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        request.setTransferTimeout(timeoutMs);
        QNetworkReply *reply = m_network.sendCustomRequest(request, method, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        reply->deleteLater();
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); // deleted later, not yet
    }

private:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }
    bool pickFreePort()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return fail(QStringLiteral("no free port on 127.0.0.1"));
        m_port = probe.serverPort();
        return true;
    }

    static constexpr const char *kClient = R"PY(
import sys, re, caldav, icalendar
url, user, password, op, *args = sys.argv[1:]
cal = caldav.Calendar(client=caldav.DAVClient(url=url, username=user, password=password), url=url)
if op == "list":
    print("\n".join(sorted("%s|%s|%s" % (c.get("UID"), c.get("DTSTART").dt.strftime("%Y/%m/%d"), c.get("SUMMARY"))
                           for o in cal.events() for c in icalendar.Calendar.from_ical(o.data).walk("VEVENT"))))
elif op == "add":
    cal.save_event("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Outro aparelho//PT\r\nBEGIN:VEVENT\r\nUID:%s\r\n"
                   "DTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%s\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"
                   % tuple(args[:3]))
elif op == "edit":
    obj = cal.event_by_uid(args[0])
    obj.data = re.sub(r"(?m)^SUMMARY[^\r\n]*", lambda _: "SUMMARY:" + args[1], obj.data)
    obj.save()
elif op == "remove": cal.event_by_uid(args[0]).delete()
elif op == "raw": cal.save_event(sys.stdin.read())
elif op == "get": sys.stdout.write(cal.event_by_uid(args[0]).data)
elif op == "count": print(len(cal.events()))
)PY";

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QString m_collection = QStringLiteral("agenda");
    bool m_tls = false;
    bool m_xandikos = false;
    QNetworkAccessManager m_network;
};
