#pragma once

// Shared by the store's test programs: a fake program folder (today is 10/03/2006) with its reminder database open, and
// looks at files and rows.
#include "store/listreader.h"
#include "store/modgeral.h"
#include "store/reminderrows.h"
#include "support/fakeplatform.h"
#include "support/filebytes.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

inline QDate day(const char *text)
{
    return QDate::fromString(QLatin1String(text), QStringLiteral("yyyy/MM/dd"));
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What select gives in the database at path, a line per row, columns joined by '|' (none when the file or its table is
// missing).
inline QStringList rowsIn(const QString &path, const QString &select)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(db);
        if (!db.open() || !query.exec(select))
            qWarning() << path << select << query.lastError().text();
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            rows << values.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return rows;
}

// The titles a list reads with statement, in its order.
inline QStringList listed(const QSqlDatabase &db, const Statement &statement)
{
    ReminderRows rows;
    ListReader reader(db);
    if (!reader.read(statement, rows))
        return {QStringLiteral("<falhou: ") + reader.error() + QLatin1Char('>')};
    QStringList titles;
    for (qsizetype i = 0; i < rows.size(); ++i)
        titles << rows.title(i);
    return titles;
}

struct Store
{
    Store()
    {
        fake.createEmptyDatabase();
        store.abrirbanco();
    }

    bool exec(const QString &text)
    {
        QSqlQuery query(store.connection());
        if (query.exec(text))
            return true;
        qWarning() << text << query.lastError().text();
        return false;
    }

    qint64 add(const char *first, const char *title, const char *rule = "", const char *time = "",
               const char *exceptions = "")
    {
        QSqlQuery query(store.connection());
        query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao, hora, repeticao, excecoes) "
                                     "values (?, ?, '', nullif(?, ''), nullif(?, ''), nullif(?, ''))"));
        for (const char *value : {first, title, time, rule, exceptions})
            query.addBindValue(QString::fromUtf8(value));
        if (!query.exec())
            qWarning() << query.lastError().text();
        return query.lastInsertId().toLongLong();
    }

    QStringList titles(const Statement &statement)
    {
        QStringList list;
        if (!store.openRecordset(statement))
            return {QStringLiteral("<falhou: ") + store.lastError() + QLatin1Char('>')};
        while (store.recordset().next())
            list << store.recordset().value(2).toString();
        return list;
    }

    FakePlatform fake;
    modgeral store{fake.platform()};
};
