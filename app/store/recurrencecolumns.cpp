#include "store/recurrencecolumns.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace recurrencecolumns {

namespace {

struct Column
{
    const char *name;
    const char *type;
};

const Column kColumns[] = {
    {"hora", "text"},      {"repeticao", "text"}, {"excecoes", "text"},
    {"antecedencia", "text"}, {"serie", "integer"}, {"ocorrencia", "text"},
};

QStringList columnsOf(const QSqlDatabase &db)
{
    QStringList names;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("pragma table_info(lembrete)")))
        while (query.next())
            names.append(query.value(1).toString().toLower());
    return names;
}

} // namespace

QString specialCondition()
{
    return QStringLiteral("(hora <> '' or repeticao <> '')");
}

bool exist(const QSqlDatabase &db)
{
    const QStringList names = columnsOf(db);
    for (const Column &column : kColumns)
        if (!names.contains(QLatin1String(column.name)))
            return false;
    return true;
}

bool ensure(const QSqlDatabase &db)
{
    const QStringList names = columnsOf(db);
    QSqlQuery query(db);
    for (const Column &column : kColumns) {
        if (names.contains(QLatin1String(column.name)))
            continue;
        if (!query.exec(QStringLiteral("alter table lembrete add column %1 %2")
                            .arg(QLatin1String(column.name), QLatin1String(column.type))))
            return false;
    }
    // On columns just added every row is NULL and the index is empty: it
    // costs one pass over the table, once.
    return query.exec(QStringLiteral("create index if not exists lembrete_especiais on lembrete (data) where ")
                      + specialCondition());
}

} // namespace recurrencecolumns
