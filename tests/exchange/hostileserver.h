#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

// A small calendar server that misbehaves on purpose, on 127.0.0.1 at a free port (Python's http.server). It holds
// one event, /cal/ok.ics, answers PROPFIND, REPORT (listing and multiget), PUT and DELETE, and notes every request
// ("METHOD path host auth|-") in a log. The mode says what it does wrong; "-" is a well-behaved server.
class HostileServer
{
public:
    HostileServer() = default;
    ~HostileServer() { m_process.kill(), m_process.waitForFinished(5000); }
    Q_DISABLE_COPY(HostileServer)

    // other: the base address ("http://127.0.0.1:port") redirects and foreign hrefs point at; extra: an href listed.
    bool start(const QString &mode, const QString &other = {}, const QString &extra = {})
    {
        m_process.start("/usr/bin/python3", {"-c", QString::fromUtf8(kScript), mode, m_dir.filePath("log"), other, extra});
        if (!m_process.waitForReadyRead(20000))
            return false;
        m_port = m_process.readLine().trimmed().toInt();
        return m_port > 0;
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QUrl collection() const { return QUrl(base() + QStringLiteral("/cal/")); }
    QStringList log() const
    {
        QFile file(m_dir.filePath("log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
    }

private:
    static constexpr const char *kScript = R"PY(
import sys, threading, time, html, zlib, re, http.server
from urllib.parse import unquote
mode, log_path, other, extra = sys.argv[1:5]
lock = threading.Lock()
def event(uid, summary):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//T//PT\r\nBEGIN:VEVENT\r\nUID:%s\r\n"
            "DTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260310\r\nSUMMARY:%s\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n" % (uid, summary))
objects = {"/cal/ok.ics": event("ok", "Consulta")}
if mode == "fundo":
    objects["/cal/fundo.ics"] = "BEGIN:VCALENDAR\r\n" * 100000 + "END:VCALENDAR\r\n" * 100000
fetched = []
def etag(data):  # none at all from a server that gives no ETags
    return "" if mode == "sem-etag" else "<d:getetag>\"%x\"</d:getetag>" % zlib.crc32(data.encode())
def answer(href, props):
    return ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>" % (html.escape(href), props))
class Handler(http.server.BaseHTTPRequestHandler):
    log_message = lambda self, *args: None
    def reply(self, status, body=b"", headers=()):
        self.send_response(status)
        for header in (*headers, ("Content-Length", str(len(body)))):
            self.send_header(*header)
        self.end_headers()
        self.wfile.write(body)
    def serve(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode() if length else ""
        with lock, open(log_path, "a") as log:
            log.write("%s %s %s %s\n" % (self.command, self.path, self.headers.get("Host"),
                                         "auth" if self.headers.get("Authorization") else "-"))
        own = "127.0.0.1:%d" % self.server.server_port
        for when, status, to in ((mode in ("307", "308") and self.headers.get("Host") == own, mode, other + self.path),
                                 (mode == "put" and self.command == "PUT", 307, other + self.path),
                                 (mode == "301" and self.path == "/cal", 301, "/cal/"),
                                 (mode == "laco", 307, "/cal/laco%d" % time.monotonic_ns()),
                                 (mode == "cinco" and self.path.count("~") < 5, 307, self.path + "~")):
            if when:
                return self.reply(int(status), headers=[("Location", to)])
        if mode == "sem-fim" or mode == "gotejando":
            self.send_response(207)
            self.end_headers()
            for _ in range(200000 if mode == "sem-fim" else 100):
                self.wfile.write(b"<x>" * 20000 if mode == "sem-fim" else b" ")
                self.wfile.flush()
                time.sleep(0 if mode == "sem-fim" else 0.3)
            return
        if mode == "pagina" or mode == "quebrado":
            return self.reply(207, b"<html><body>Erro</body></html>" if mode == "pagina" else
                              b'<d:multistatus xmlns:d="DAV:"><d:response>')
        if self.command == "PROPFIND":
            return self.multistatus(answer("/cal/", "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"))
        if self.command == "REPORT" and "calendar-multiget" in body:
            fetched.append(body)
            if mode == "sem-etag" and len(fetched) == 2:  # changed once there, then unchanged
                objects["/cal/ok.ics"] = event("ok", "Consulta 2")
            found = ""
            for href in re.findall(r"<d:href>([^<]*)</d:href>", body):
                data = objects.get(unquote(href)) or event("intruso", "Intruso")
                found += answer(href, "%s<c:calendar-data>%s</c:calendar-data>" % (etag(data), html.escape(data)))
            return self.multistatus(found)
        if self.command == "REPORT":
            listed = [(href, etag(data)) for href, data in objects.items()]
            if extra:
                listed.append((extra.replace("OTHER", other), etag(event("intruso", "Intruso"))))
            return self.multistatus("".join(answer(h, e) for h, e in listed))
        if self.command == "PUT":
            objects[unquote(self.path)] = body
            return self.reply(201, headers=[("ETag", '"%x"' % zlib.crc32(body.encode()))] if mode != "sem-etag" else [])
        if self.command == "DELETE":
            objects.pop(unquote(self.path), None)
            return self.reply(404 if mode == "sem-etag" else 204)  # as if another device removed it first
        self.reply(405)
    def multistatus(self, inner):
        self.reply(207, ('<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" '
                         'xmlns:c="urn:ietf:params:xml:ns:caldav">%s</d:multistatus>' % inner).encode(),
                   [("Content-Type", "application/xml; charset=utf-8")])
    do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_GET = serve
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
if other == "localhost":
    other = "http://localhost:%d" % server.server_port
print(server.server_port, flush=True)
server.serve_forever()
)PY";

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
