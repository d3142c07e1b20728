#include "store/reminderindexes.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <sqlite3.h>

namespace reminderindexes {

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

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

bool has(QSqlQuery &query, const QString &type, const QString &name)
{
    query.prepare(QStringLiteral("select count(*) from sqlite_master where type = ? and name = ?"));
    query.addBindValue(type);
    query.addBindValue(name);
    return query.exec() && query.next() && query.value(0).toInt() > 0;
}

qint64 number(QSqlQuery &query, const QString &statement)
{
    return query.exec(statement) && query.next() ? query.value(0).toLongLong() : -1;
}

bool hasTitleKeyColumn(QSqlQuery &query)
{
    if (!query.exec(QStringLiteral("pragma main.table_info(lembrete)")))
        return false;
    while (query.next()) {
        if (query.value(1).toString() == QLatin1String("titulo_chave"))
            return true;
    }
    return false;
}

bool prepareTitleKey(QSqlQuery &query)
{
    if (!hasTitleKeyColumn(query)
        && !run(query, QStringLiteral("alter table lembrete add column titulo_chave text")))
        return false;
    // Keys first, index after: building an index from sorted keys is far
    // cheaper than growing it one random key at a time.
    run(query, QStringLiteral("update lembrete set titulo_chave = chave_titulo(titulo) where titulo_chave is null"));
    run(query, QStringLiteral("create index if not exists lembrete_titulo_chave on lembrete (titulo_chave)"));
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

const QStringList kSearchTriggers{
    QStringLiteral("create trigger if not exists lembrete_busca_inclui after insert on lembrete begin "
                   "insert into lembrete_busca (rowid, titulo, descricao) "
                   "values (new.rowid, new.titulo, new.descricao); end"),
    QStringLiteral("create trigger if not exists lembrete_busca_remove after delete on lembrete begin "
                   "insert into lembrete_busca (lembrete_busca, rowid, titulo, descricao) "
                   "values ('delete', old.rowid, old.titulo, old.descricao); end"),
    QStringLiteral("create trigger if not exists lembrete_busca_altera "
                   "after update of titulo, descricao on lembrete begin "
                   "insert into lembrete_busca (lembrete_busca, rowid, titulo, descricao) "
                   "values ('delete', old.rowid, old.titulo, old.descricao); "
                   "insert into lembrete_busca (rowid, titulo, descricao) "
                   "values (new.rowid, new.titulo, new.descricao); end"),
};

void prepareSearch(QSqlQuery &query)
{
    bool rebuild = false;
    if (!has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca"))) {
        // Only positions of words are kept (detail=none); the prefixes of up to
        // eight letters have their own lists, so a word being typed is found
        // without merging the lists of every word it begins.
        if (!run(query, QStringLiteral("create virtual table lembrete_busca using fts5("
                                       "titulo, descricao, content='lembrete', "
                                       "tokenize='unicode61 remove_diacritics 2', "
                                       "detail=none, prefix='1 2 3 4 5 6 7 8')")))
            return;
        rebuild = true;
    }
    for (const char *name : {"lembrete_busca_inclui", "lembrete_busca_remove", "lembrete_busca_altera"}) {
        if (!has(query, QStringLiteral("trigger"), QLatin1String(name)))
            rebuild = true;
    }
    if (rebuild) {
        for (const QString &trigger : kSearchTriggers) {
            if (!run(query, trigger))
                return;
        }
    }
    // Rows added while the triggers were missing leave the index behind the
    // table; comparing the newest row of each costs two index seeks.
    if (rebuild
        || number(query, QStringLiteral("select coalesce(max(rowid), 0) from lembrete"))
               != number(query, QStringLiteral("select coalesce(max(id), 0) from lembrete_busca_docsize")))
        run(query, QStringLiteral("insert into lembrete_busca (lembrete_busca) values ('rebuild')"));
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

bool prepare(const QSqlDatabase &connection, bool writable, QString *error)
{
    sqlite3 *handle = handleOf(connection);
    if (!handle
        || sqlite3_create_function_v2(handle, "chave_titulo", 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                      titleKeyFunction, nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("não foi possível preparar a conexão com o banco de dados.");
        return false;
    }
    QSqlQuery query(connection);
    // The connection's own triggers and views need no file of their own.
    run(query, QStringLiteral("pragma temp_store = memory"));
    const bool keyed = writable ? prepareTitleKey(query) : hasTitleKeyColumn(query);
    // The title statements read through this view, with or without the key column.
    run(query, QStringLiteral("create temp view if not exists lembrete_titulos as "
                              "select rowid as chave, data, titulo, descricao, %1 as titulo_chave "
                              "from main.lembrete")
                   .arg(keyed ? QStringLiteral("titulo_chave") : QStringLiteral("chave_titulo(titulo)")));
    if (writable)
        prepareSearch(query);
    return true;
}

bool searchable(const QSqlDatabase &connection)
{
    QSqlQuery query(connection);
    return has(query, QStringLiteral("table"), QStringLiteral("lembrete_busca"));
}

} // namespace reminderindexes
