#include "store/synctables.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace synctables {

bool ensure(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    // chave is the reminder's rowid; NULL keeps an object (or one occurrence of
    // a recurring one) that has no reminder here on purpose: an occurrence
    // removed here, or an object that could not be read.
    return query.exec(QStringLiteral("create table if not exists sincronia ("
                                     "href text not null, "
                                     "etag text not null default '', "
                                     "uid text not null default '', "
                                     "ocorrencia text not null default '', "
                                     "chave integer, "
                                     "conteudo text not null default '')"))
        && query.exec(QStringLiteral("create index if not exists sincronia_href on sincronia (href)"))
        && query.exec(QStringLiteral("create unique index if not exists sincronia_chave on sincronia (chave)"))
        && query.exec(QStringLiteral("create table if not exists sincronia_conta ("
                                     "nome text primary key, valor text not null)"));
}

} // namespace synctables
