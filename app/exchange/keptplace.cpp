#include "exchange/keptplace.h"

#include "exchange/icalobject.h"
#include "store/daytext.h"
#include "store/icalobjects.h"
#include "store/recurrencecolumns.h"
#include "store/uidcolumn.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace keptplace {

QString of(const QSqlDatabase &db, qint64 key, const QDate &occurrence)
{
    if (!icalobjects::exists(db) || !uidcolumn::exists(db) || !recurrencecolumns::exist(db))
        return QString();
    // An occurrence rewritten on its own is read in its series' object.
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select coalesce(s.uid, l.uid), l.ocorrencia from lembrete l "
                                 "left join lembrete s on s.rowid = l.serie where l.rowid = ?"));
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        return QString();
    const QDate replaced = daytext::fromStored(query.value(1).toString());
    const icalendar::original::Object object(icalobjects::read(db, query.value(0).toString()));
    return object.location(replaced.isValid() ? replaced : occurrence);
}

} // namespace keptplace
