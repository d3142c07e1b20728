#include "store/reminderindexes.h"

#include "store/indexsteps.h"
#include "store/recurrencecolumns.h"
#include "store/searchindex.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace reminderindexes {

namespace {

using indexsteps::has;

// A table without the columns has nothing to index (a file only read, or
// opened by a version that never added them).
bool specialIndexed(const QSqlDatabase &connection)
{
    return !recurrencecolumns::exist(connection) || recurrencecolumns::indexed(connection);
}

bool dayIndexed(QSqlQuery &query)
{
    return has(query, QStringLiteral("index"), QStringLiteral("lembrete_data"));
}

StepGate::Outcome one(QSqlQuery &query, const QString &statement)
{
    return indexsteps::inTransaction(query, [&] {
        return query.exec(statement) ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
    });
}

// Earlier versions kept every title case-folded in titulo_chave, with an
// index, to find a title fast; the full-text index now narrows that look-up,
// so the index only cost room and time on every insert. The column stays
// (dropping it would rewrite the whole table) and so does the file's trigger
// that empties a retitled row's key: an earlier version opening the file again
// then still finds that row by its title, and fills the keys it misses.
void dropTitleKeyIndex(QSqlQuery &query)
{
    if (has(query, QStringLiteral("index"), QStringLiteral("lembrete_titulo_chave")))
        query.exec(QStringLiteral("drop index if exists lembrete_titulo_chave"));
}

} // namespace

void prepare(const QSqlDatabase &connection, bool writable)
{
    QSqlQuery query(connection);
    // The connection's own temporary tables need no file of their own.
    query.exec(QStringLiteral("pragma temp_store = memory"));
    if (writable)
        dropTitleKeyIndex(query);
}

bool complete(const QSqlDatabase &connection)
{
    QSqlQuery query(connection);
    return dayIndexed(query) && specialIndexed(connection) && searchindex::complete(connection);
}

bool build(const QSqlDatabase &connection, StepGate &gate, const std::function<void(int)> &progress)
{
    QSqlQuery query(connection);
    // Keeps the list's order and the day filters fast; the list is read in
    // the same order without it, only slower.
    if (!dayIndexed(query)
        && !gate.run([&] { return one(query, QStringLiteral("create index if not exists lembrete_data "
                                                            "on lembrete (data, titulo)")); }))
        return false;
    if (!specialIndexed(connection)
        && !gate.run([&] {
               return indexsteps::inTransaction(query, [&] {
                   return query.exec(recurrencecolumns::indexStatement())
                              && query.exec(QStringLiteral("drop index if exists lembrete_especiais"))
                          ? StepGate::Outcome::Done
                          : StepGate::Outcome::Failed;
               });
           }))
        return false;
    progress(5);
    return searchindex::build(connection, gate, [&](double share) { progress(5 + int(share * 95)); });
}

bool searchable(const QSqlDatabase &connection)
{
    return searchindex::exists(connection);
}

} // namespace reminderindexes
