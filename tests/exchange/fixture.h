#pragma once

#include "exchange/caldavclient.h"
#include "exchange/passwordvault.h"
#include "exchange/reminderexchange.h"
#include "exchange/syncengine.h"
#include "radicaleserver.h"
#include "store/modgeral.h"
#include "support/fakeplatform.h"
#include "support/filebytes.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

struct SyncOptions
{
    QString password = QLatin1String(RadicaleServer::password);
    bool useSyncCollection = true;
    int batch = 200;
    int timeoutMs = 10000;
    int timeLimitMs = 120000;
    SyncEngine::Progress progress;
};

// One device: a reminder database on a program folder of its own.
struct Device
{
    Device()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
    }
    QSqlDatabase db() const { return store.connection(); }
    QString path(const QString &name) const { return QDir(fake.folder()).filePath(name); }
    void add(const QString &day, const QString &title, const QString &description = QStringLiteral(""))
    {
        QVERIFY(store.appendReminder(day, title, description));
    }
    exchange::ImportResult import(const QString &file, const QDate &today = QDate(2026, 3, 10))
    {
        return exchange::importCalendar(store, file, today, fake.folder());
    }
    // The calendar exported to saida.ics.
    QByteArray exported(const QDateTime &stamp = QDateTime(QDate(2026, 3, 10), QTime(9, 0)))
    {
        const exchange::ExportResult result = exchange::exportCalendar(store, path("saida.ics"), stamp);
        return result.ok ? fileBytes(path("saida.ics")) : "export failed: " + result.error.toUtf8();
    }
    void run(const QString &sql)
    {
        QSqlQuery query(db());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }
    QStringList rows(const QString &sql) const
    {
        QStringList result;
        QSqlQuery query(sql, db());
        while (query.next())
            result.append(query.value(0).toString());
        return result;
    }
    QString uidOf(const QString &title) const
    {
        return rows(QStringLiteral("select uid from lembrete where titulo = '%1'").arg(title)).value(0);
    }
    // "yyyy/mm/dd|title", sorted.
    QStringList reminders() const { return rows(QStringLiteral("select data || '|' || titulo from lembrete order by 1")); }

    using Options = SyncOptions;
    SyncOutcome sync(const QUrl &collection, const Options &options = {})
    {
        caldav::Client client({collection, QLatin1String(RadicaleServer::user), options.password}, options.timeoutMs);
        client.setRequestTimeLimit(options.timeLimitMs);
        SyncEngine engine(db(), client, collection.toString(), QDate(2026, 3, 10),
                          QDateTime(QDate(2026, 3, 10), QTime(9, 0)), options.progress);
        engine.setBatchSize(options.batch);
        engine.setUseSyncCollection(options.useSyncCollection);
        return engine.run();
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
};

// "yyyy/mm/dd|summary" of every event on the server, sorted.
inline QStringList serverReminders(const RadicaleServer &server)
{
    QStringList rows = server.client({QStringLiteral("list")}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    rows.replaceInStrings(QRegularExpression(QStringLiteral("^[^|]*\\|")), QString()).sort();
    return rows;
}
