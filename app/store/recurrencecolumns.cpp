#include "store/recurrencecolumns.h"

#include <QSqlDatabase>
#include <QSqlError>
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

QVariant nullWhenEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

} // namespace

bool write(const QSqlDatabase &db, qint64 key, const Timing &timing, QString *error)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("update lembrete set hora = ?, repeticao = ?, antecedencia = ? where rowid = ?"))) {
        *error = query.lastError().text();
        return false;
    }
    query.addBindValue(nullWhenEmpty(timing.hora));
    query.addBindValue(nullWhenEmpty(timing.repeticao));
    query.addBindValue(nullWhenEmpty(timing.antecedencia));
    query.addBindValue(key);
    if (!query.exec()) {
        *error = query.lastError().text();
        return false;
    }
    if (query.numRowsAffected() != 1) {
        *error = QStringLiteral("o lembrete não foi encontrado; ele pode ter sido removido.");
        return false;
    }
    return true;
}

Timing read(const QSqlDatabase &db, qint64 key)
{
    QSqlQuery query(db);
    if (!exist(db) || !query.prepare(QStringLiteral("select hora, repeticao, antecedencia from lembrete where rowid = ?")))
        return {};
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        return {};
    return {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
}

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
    bool added = false;
    for (const Column &column : kColumns) {
        if (names.contains(QLatin1String(column.name)))
            continue;
        if (!query.exec(QStringLiteral("alter table lembrete add column %1 %2")
                            .arg(QLatin1String(column.name), QLatin1String(column.type))))
            return false;
        added = true;
    }
    // On columns just added every row is NULL and the index is empty: it
    // costs one pass over the table, once. A table that had the columns gets
    // it from the start-up work, in the background.
    return !added || query.exec(indexStatement());
}

QString indexStatement()
{
    // Covering: the rows are scattered over the whole file, and reading them
    // from the table would touch most of its pages.
    return QStringLiteral("create index if not exists lembrete_especiais_lista on lembrete "
                          "(data, titulo, hora, repeticao, excecoes, antecedencia) where ")
        + specialCondition();
}

bool indexed(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select 1 from sqlite_master where type = 'index' "
                                     "and name = 'lembrete_especiais_lista'"))
        && query.next();
}

} // namespace recurrencecolumns
