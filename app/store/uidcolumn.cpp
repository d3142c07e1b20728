#include "store/uidcolumn.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace uidcolumn {

bool exists(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("pragma table_info(lembrete)")))
        return false;
    while (query.next())
        if (query.value(1).toString().compare(QLatin1String("uid"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool ensure(const QSqlDatabase &db)
{
    if (exists(db))
        return true;
    QSqlQuery query(db);
    return query.exec(QStringLiteral("alter table lembrete add column uid text"));
}

} // namespace uidcolumn
