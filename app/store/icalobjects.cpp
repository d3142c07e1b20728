#include "store/icalobjects.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace icalobjects {

bool exists(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = 'lembrete_ical'"))
        && query.next();
}

bool ensure(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return exists(db)
        || query.exec(QStringLiteral("create table if not exists lembrete_ical "
                                     "(uid text primary key not null, objeto blob not null)"));
}

bool write(const QSqlDatabase &db, const QString &uid, const QByteArray &object)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("insert or replace into lembrete_ical (uid, objeto) values (?, ?)")))
        return false;
    query.addBindValue(uid);
    query.addBindValue(object);
    return query.exec();
}

QByteArray read(const QSqlDatabase &db, const QString &uid)
{
    QSqlQuery query(db);
    if (!exists(db) || !query.prepare(QStringLiteral("select objeto from lembrete_ical where uid = ?")))
        return QByteArray();
    query.addBindValue(uid);
    return query.exec() && query.next() ? query.value(0).toByteArray() : QByteArray();
}

QHash<QString, QByteArray> readAll(const QSqlDatabase &db)
{
    QHash<QString, QByteArray> objects;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (exists(db) && query.exec(QStringLiteral("select uid, objeto from lembrete_ical")))
        while (query.next())
            objects.insert(query.value(0).toString(), query.value(1).toByteArray());
    return objects;
}

bool remove(const QSqlDatabase &db, const QString &uid)
{
    QSqlQuery query(db);
    if (!exists(db))
        return true;
    query.prepare(QStringLiteral("delete from lembrete_ical where uid = ?"));
    query.addBindValue(uid);
    return query.exec();
}

} // namespace icalobjects
