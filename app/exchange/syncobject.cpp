#include "exchange/syncobject.h"

#include "exchange/calendarexport.h"
#include "exchange/icalendar.h"
#include "store/daytext.h"
#include "store/icalobjects.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace syncobject {

QString timing(const QString &time, const QString &rule, const QString &exceptions, const QString &lead)
{
    if (time.isEmpty() && rule.isEmpty() && exceptions.isEmpty() && lead.isEmpty())
        return QString();
    const QChar separator(0x1f);
    return separator + time + separator + rule + separator + exceptions + separator + lead;
}

QString timingSql(const QString &alias)
{
    const QString parts = QStringLiteral("coalesce(%1.hora, '') || char(31) || coalesce(%1.repeticao, '') || "
                                         "char(31) || coalesce(%1.excecoes, '') || char(31) || "
                                         "coalesce(%1.antecedencia, '')")
                              .arg(alias);
    return QStringLiteral("(case when %1 = char(31) || char(31) || char(31) then '' else char(31) || %1 end)")
        .arg(parts);
}

namespace {

// base patched with the series with this key and its occurrences rewritten on
// their own; empty when base is not the series' object, or when withOwn and
// there are none.
QByteArray patchedFrom(const QSqlDatabase &db, qint64 key, const QString &uid, const QByteArray &base, bool withOwn)
{
    icalendar::original::Object object(base);
    if (!object.isValid() || object.uid() != uid)
        return QByteArray();
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select rowid = ?, data, titulo, coalesce(descricao, ''), coalesce(hora, ''), "
                                 "coalesce(repeticao, ''), coalesce(excecoes, ''), coalesce(antecedencia, ''), "
                                 "coalesce(ocorrencia, '') from lembrete where rowid = ? or serie = ? "
                                 "order by rowid"));
    query.addBindValue(key);
    query.addBindValue(key);
    query.addBindValue(key);
    if (!query.exec())
        return QByteArray();
    icalendar::original::Fields master;
    QList<icalendar::original::Fields> overrides;
    bool found = false;
    while (query.next()) {
        const icalendar::original::Fields fields = calendarexport::fieldsOf(
            daytext::fromStored(query.value(1).toString()), query.value(2).toString(), query.value(3).toString(),
            {query.value(4).toString(), query.value(5).toString(), query.value(6).toString(),
             query.value(7).toString(), query.value(8).toString()});
        if (!fields.timing.day.isValid())
            continue;
        if (query.value(0).toBool()) {
            master = fields;
            found = true;
        } else if (fields.timing.replaces.isValid()) {
            overrides.append(fields);
        }
    }
    if (!found || (withOwn && overrides.isEmpty()))
        return QByteArray();
    object.apply(master, overrides);
    return object.text();
}

} // namespace

QByteArray patched(const QSqlDatabase &db, qint64 key, const QString &uid)
{
    const QByteArray kept = icalobjects::read(db, uid);
    return kept.isEmpty() ? QByteArray() : patchedFrom(db, key, uid, kept, false);
}

QByteArray withOccurrences(const QSqlDatabase &db, qint64 key, const icalendar::Item &item, const QDateTime &stamp)
{
    if (!item.occurrence.isEmpty() || item.uid.isEmpty())
        return QByteArray();
    return patchedFrom(db, key, item.uid, icalendar::eventObject(item, stamp), true);
}

} // namespace syncobject
