#include "store/reminderindexes.h"

#include "store/indexsteps.h"
#include "store/recurrencecolumns.h"
#include "store/searchindex.h"
#include "store/sqlitehandle.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <sqlite3.h>

namespace reminderindexes {

namespace {

using indexsteps::has;
using indexsteps::number;

// chave_titulo(text): the same folding QString::compare applies without
// regard to case, code point by code point, so two keys are equal exactly
// when the titles compare equal.
void titleKeyFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(arguments[0]));
    const QByteArray key = titleKey(QString::fromUtf8(text, sqlite3_value_bytes(arguments[0]))).toUtf8();
    sqlite3_result_text(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

bool run(QSqlQuery &query, const QString &statement)
{
    return query.exec(statement);
}

bool hasTitleKeyColumn(QSqlQuery &query)
{
    bool found = false;
    if (query.exec(QStringLiteral("pragma main.table_info(lembrete)"))) {
        while (!found && query.next())
            found = query.value(1).toString() == QLatin1String("titulo_chave");
    }
    query.finish();
    return found;
}

// The column and what keeps it right; filling it is left to build().
bool prepareTitleKey(QSqlQuery &query)
{
    if (!hasTitleKeyColumn(query)
        && !run(query, QStringLiteral("alter table lembrete add column titulo_chave text")))
        return false;
    // Another program that retitles a row empties its key; the row is then
    // found by its title until the program fills the key again.
    run(query, QStringLiteral("create trigger if not exists lembrete_titulo_alterado "
                              "after update of titulo on lembrete begin "
                              "update lembrete set titulo_chave = null where rowid = new.rowid; end"));
    // This connection fills the key of what it writes; these triggers live
    // only as long as the connection, so other programs never need the function.
    run(query, QStringLiteral("create temp trigger if not exists lembrete_chave_inclui "
                              "after insert on main.lembrete begin "
                              "update main.lembrete set titulo_chave = chave_titulo(new.titulo) "
                              "where rowid = new.rowid; end"));
    run(query, QStringLiteral("create temp trigger if not exists lembrete_chave_refaz "
                              "after update of titulo_chave on main.lembrete "
                              "when new.titulo_chave is null and new.titulo is not null begin "
                              "update main.lembrete set titulo_chave = chave_titulo(new.titulo) "
                              "where rowid = new.rowid; end"));
    return true;
}

bool emptyKeysLeft(QSqlQuery &query)
{
    return number(query, QStringLiteral("select exists (select 1 from lembrete where titulo_chave is null)")) != 0;
}

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

bool titleKeysDone(QSqlQuery &query)
{
    return !hasTitleKeyColumn(query)
           || (has(query, QStringLiteral("index"), QStringLiteral("lembrete_titulo_chave")) && !emptyKeysLeft(query));
}

StepGate::Outcome one(QSqlQuery &query, const QString &statement)
{
    return indexsteps::inTransaction(query, [&] {
        return run(query, statement) ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
    });
}

// Keys first, index after: building an index from sorted keys is far cheaper
// than growing it one random key at a time. Without the index every empty key
// is sought through the whole table, so the keys go in rowid ranges.
bool buildTitleKeys(QSqlQuery &query, StepGate &gate, const std::function<void(double)> &progress)
{
    if (titleKeysDone(query))
        return true;
    if (has(query, QStringLiteral("index"), QStringLiteral("lembrete_titulo_chave")))
        return gate.run([&] {
            return one(query, QStringLiteral("update lembrete set titulo_chave = chave_titulo(titulo) "
                                             "where titulo_chave is null"));
        });
    const qint64 last = number(query, QStringLiteral("select coalesce(max(rowid), 0) from lembrete"));
    indexsteps::StepSize size;
    for (qint64 done = 0; done < last;) {
        QElapsedTimer timer;
        timer.start();
        const qint64 upTo = std::min(last, done + size.rows());
        if (!gate.run([&] {
                return indexsteps::inTransaction(query, [&] {
                    query.prepare(QStringLiteral("update lembrete set titulo_chave = chave_titulo(titulo) "
                                                 "where rowid > ? and rowid <= ? and titulo_chave is null"));
                    query.addBindValue(done);
                    query.addBindValue(upTo);
                    return query.exec() ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
                });
            }))
            return false;
        done = upTo;
        size.took(timer.elapsed());
        progress(0.9 * double(done) / double(last));
    }
    return gate.run([&] {
        return one(query, QStringLiteral("create index if not exists lembrete_titulo_chave on lembrete (titulo_chave)"));
    });
}

} // namespace

QString titleKey(const QString &title)
{
    const QList<uint> codePoints = title.toUcs4();
    QList<char32_t> folded;
    folded.reserve(codePoints.size());
    for (const uint codePoint : codePoints)
        folded.append(QChar::toCaseFolded(char32_t(codePoint)));
    return QString::fromUcs4(folded.constData(), folded.size());
}

bool registerFunctions(const QSqlDatabase &connection)
{
    sqlite3 *handle = sqliteHandleOf(connection);
    return handle
           && sqlite3_create_function_v2(handle, "chave_titulo", 1,
                                         SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                         titleKeyFunction, nullptr, nullptr, nullptr)
                  == SQLITE_OK;
}

bool prepare(const QSqlDatabase &connection, bool writable, QString *error)
{
    if (!registerFunctions(connection)) {
        *error = QStringLiteral("não foi possível preparar a conexão com o banco de dados.");
        return false;
    }
    QSqlQuery query(connection);
    // The connection's own triggers and views need no file of their own.
    run(query, QStringLiteral("pragma temp_store = memory"));
    const bool keyed = writable ? prepareTitleKey(query) : hasTitleKeyColumn(query);
    // The title statements read through this view, with or without the key
    // column; made again when a later prepare has added the column.
    run(query, QStringLiteral("drop view if exists temp.lembrete_titulos"));
    run(query, QStringLiteral("create temp view lembrete_titulos as "
                              "select rowid as chave, data, titulo, descricao, %1 as titulo_chave "
                              "from main.lembrete")
                   .arg(keyed ? QStringLiteral("titulo_chave") : QStringLiteral("chave_titulo(titulo)")));
    return true;
}

bool complete(const QSqlDatabase &connection)
{
    QSqlQuery query(connection);
    return dayIndexed(query) && specialIndexed(connection) && hasTitleKeyColumn(query) && titleKeysDone(query)
           && searchindex::complete(connection);
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
                   return run(query, recurrencecolumns::indexStatement())
                              && run(query, QStringLiteral("drop index if exists lembrete_especiais"))
                          ? StepGate::Outcome::Done
                          : StepGate::Outcome::Failed;
               });
           }))
        return false;
    progress(5);
    if (!buildTitleKeys(query, gate, [&](double share) { progress(5 + int(share * 35)); }))
        return false;
    progress(40);
    return searchindex::build(connection, gate, [&](double share) { progress(40 + int(share * 60)); });
}

bool searchable(const QSqlDatabase &connection)
{
    return searchindex::exists(connection);
}

} // namespace reminderindexes
