#include "store/searchindex.h"

#include "store/indexsteps.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>

namespace searchindex {

namespace {

using indexsteps::has;
using indexsteps::number;

const char *const kTriggerNames[] = {"lembrete_busca_inclui", "lembrete_busca_remove", "lembrete_busca_altera"};

// Up to the mark only (the condition is NULL, so false, without a mark).
const QString kUpToMark = QStringLiteral(" when %1.rowid <= (select ate from lembrete_busca_preparo)");

QStringList triggers(bool upToMark)
{
    const auto when = [upToMark](const char *row) {
        return upToMark ? kUpToMark.arg(QLatin1String(row)) : QString();
    };
    return {
        QStringLiteral("create trigger lembrete_busca_inclui after insert on lembrete%1 begin "
                       "insert into lembrete_busca (rowid, titulo, descricao) "
                       "values (new.rowid, new.titulo, new.descricao); end")
            .arg(when("new")),
        QStringLiteral("create trigger lembrete_busca_remove after delete on lembrete%1 begin "
                       "insert into lembrete_busca (lembrete_busca, rowid, titulo, descricao) "
                       "values ('delete', old.rowid, old.titulo, old.descricao); end")
            .arg(when("old")),
        QStringLiteral("create trigger lembrete_busca_altera "
                       "after update of titulo, descricao on lembrete%1 begin "
                       "insert into lembrete_busca (lembrete_busca, rowid, titulo, descricao) "
                       "values ('delete', old.rowid, old.titulo, old.descricao); "
                       "insert into lembrete_busca (rowid, titulo, descricao) "
                       "values (new.rowid, new.titulo, new.descricao); end")
            .arg(when("old")),
    };
}

bool replaceTriggers(QSqlQuery &query, bool upToMark)
{
    for (const char *name : kTriggerNames) {
        if (!query.exec(QStringLiteral("drop trigger if exists %1").arg(QLatin1String(name))))
            return false;
    }
    for (const QString &trigger : triggers(upToMark)) {
        if (!query.exec(trigger))
            return false;
    }
    return true;
}

bool hasTriggers(QSqlQuery &query)
{
    for (const char *name : kTriggerNames) {
        if (!has(query, QStringLiteral("trigger"), QLatin1String(name)))
            return false;
    }
    return true;
}

bool marking(QSqlQuery &query)
{
    return has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca_preparo"));
}

// Indexed as far as the rows go: the newest row of each costs two index seeks.
bool caughtUp(QSqlQuery &query)
{
    return number(query, QStringLiteral("select coalesce(max(rowid), 0) from lembrete"))
           == number(query, QStringLiteral("select coalesce(max(id), 0) from lembrete_busca_docsize"));
}

// Empties the index and starts marking from the first row. Only which rows
// have a word is kept (detail=none), and the beginnings of one to three
// letters have lists of their own: at a million reminders these find a word
// being typed without merging the lists of every word it begins, and a longer
// beginning is asked as the few words it begins (see remindersearch.h).
// Longer beginnings' lists would make the index half as large again.
StepGate::Outcome start(QSqlQuery &query)
{
    if (!has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca"))) {
        if (!query.exec(QStringLiteral("create virtual table lembrete_busca using fts5("
                                       "titulo, descricao, content='lembrete', "
                                       "tokenize='unicode61 remove_diacritics 2', "
                                       "detail=none, prefix='1 2 3')")))
            return StepGate::Outcome::Failed;
    } else if (!query.exec(QStringLiteral("insert into lembrete_busca (lembrete_busca) values ('delete-all')"))) {
        return StepGate::Outcome::Failed;
    }
    const bool ok = query.exec(QStringLiteral("drop table if exists lembrete_busca_preparo"))
                    && query.exec(QStringLiteral("create table lembrete_busca_preparo (ate integer not null)"))
                    && query.exec(QStringLiteral("insert into lembrete_busca_preparo (ate) values (0)"))
                    && replaceTriggers(query, true);
    return ok ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
}

// The next rows after the mark, at most count of them; false at the end.
StepGate::Outcome indexNext(QSqlQuery &query, int count, bool *more)
{
    const qint64 mark = number(query, QStringLiteral("select ate from lembrete_busca_preparo"));
    query.prepare(QStringLiteral("select max(rowid) from (select rowid from lembrete where rowid > ? "
                                 "order by rowid limit ?)"));
    query.addBindValue(mark);
    query.addBindValue(count);
    if (mark < 0 || !query.exec() || !query.next())
        return StepGate::Outcome::Failed;
    const QVariant last = query.value(0);
    query.finish();
    *more = !last.isNull();
    if (!*more)
        return StepGate::Outcome::Done;
    query.prepare(QStringLiteral("insert into lembrete_busca (rowid, titulo, descricao) "
                                 "select rowid, titulo, descricao from lembrete where rowid > ? and rowid <= ?"));
    query.addBindValue(mark);
    query.addBindValue(last);
    if (!query.exec())
        return StepGate::Outcome::Failed;
    query.prepare(QStringLiteral("update lembrete_busca_preparo set ate = ?"));
    query.addBindValue(last);
    return query.exec() ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
}

StepGate::Outcome finish(QSqlQuery &query)
{
    bool more = true;
    while (more) {
        const StepGate::Outcome outcome = indexNext(query, 100000, &more);
        if (outcome != StepGate::Outcome::Done)
            return outcome;
    }
    const bool ok = replaceTriggers(query, false) && query.exec(QStringLiteral("drop table lembrete_busca_preparo"));
    return ok ? StepGate::Outcome::Done : StepGate::Outcome::Failed;
}

} // namespace

bool exists(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca"));
}

bool complete(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca")) && !marking(query)
           && hasTriggers(query) && caughtUp(query);
}

bool beginBulk(const QSqlDatabase &db)
{
    if (!complete(db))
        return false;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("savepoint lembrete_busca_lote")))
        return false;
    // The mark is the last row before the inserts: the triggers keep only the
    // rows up to it, as while the index is being built.
    const bool marked = query.exec(QStringLiteral("create table lembrete_busca_preparo (ate integer not null)"))
                        && query.exec(QStringLiteral("insert into lembrete_busca_preparo (ate) "
                                                     "select coalesce(max(rowid), 0) from lembrete"))
                        && replaceTriggers(query, true);
    if (!marked)
        query.exec(QStringLiteral("rollback to lembrete_busca_lote"));
    return query.exec(QStringLiteral("release lembrete_busca_lote")) && marked;
}

bool finishBulk(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return finish(query) == StepGate::Outcome::Done;
}

bool build(const QSqlDatabase &db, StepGate &gate, const std::function<void(double)> &progress)
{
    if (complete(db))
        return true;
    QSqlQuery query(db);
    // A mark another program's rebuild has overtaken no longer says what is indexed.
    const bool resume = marking(query) && hasTriggers(query)
                        && number(query, QStringLiteral("select coalesce(max(id), 0) from lembrete_busca_docsize"))
                               <= number(query, QStringLiteral("select ate from lembrete_busca_preparo"));
    if (!resume && !gate.run([&] { return indexsteps::inTransaction(query, [&] { return start(query); }); }))
        return false;
    const double last = double(std::max<qint64>(1, number(query, QStringLiteral("select coalesce(max(rowid), 0) "
                                                                                "from lembrete"))));
    indexsteps::StepSize size;
    bool more = true;
    while (more) {
        QElapsedTimer timer;
        timer.start();
        if (!gate.run([&] {
                return indexsteps::inTransaction(query, [&] { return indexNext(query, size.rows(), &more); });
            }))
            return false;
        size.took(timer.elapsed());
        progress(std::min(1.0, number(query, QStringLiteral("select ate from lembrete_busca_preparo")) / last));
    }
    return gate.run([&] { return indexsteps::inTransaction(query, [&] { return finish(query); }); });
}

} // namespace searchindex
