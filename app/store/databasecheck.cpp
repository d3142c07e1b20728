#include "store/databasecheck.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace databasecheck {

namespace {

QString errorOf(const QSqlQuery &query)
{
    const QString text = query.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados.") : text;
}

// The tables this program makes: lembrete and its search index (lembrete_busca
// and the tables the full-text engine keeps for it), the sync state (sincronia,
// sincronia_conta). New tables keep to these two prefixes.
bool isOwnTable(const QString &name)
{
    const QString lower = name.toLower();
    return lower == QLatin1String("lembrete") || lower.startsWith(QLatin1String("lembrete_"))
        || lower == QLatin1String("sincronia") || lower.startsWith(QLatin1String("sincronia_"));
}

} // namespace

Shape shapeOf(const QSqlDatabase &db, QString *problem)
{
    QSqlQuery query(db);
    // Reading the catalogue also proves the file is a sound database.
    if (!query.exec(QStringLiteral("select name from sqlite_master where type = 'table' "
                                   "and name not like 'sqlite\\_%' escape '\\'"))) {
        *problem = errorOf(query);
        return Shape::Foreign;
    }
    QStringList tables;
    while (query.next())
        tables << query.value(0).toString();
    if (query.lastError().isValid()) {
        *problem = errorOf(query);
        return Shape::Foreign;
    }
    if (tables.isEmpty())
        return Shape::NoTables;
    if (!tables.contains(QStringLiteral("lembrete"), Qt::CaseInsensitive)) {
        *problem = QStringLiteral("o arquivo %1 é um banco de dados de outro programa (tem as tabelas "
                                  "%2 e não a tabela lembrete). O arquivo foi mantido como estava.")
                       .arg(db.databaseName(), tables.join(QStringLiteral(", ")));
        return Shape::Foreign;
    }
    QStringList others = tables;
    others.removeIf(isOwnTable);
    if (!others.isEmpty()) {
        *problem = QStringLiteral("o arquivo %1 é um banco de dados de outro programa (além da tabela "
                                  "lembrete, tem as tabelas %2, que este programa não cria). O arquivo "
                                  "foi mantido como estava.")
                       .arg(db.databaseName(), others.join(QStringLiteral(", ")));
        return Shape::Foreign;
    }
    QStringList columns;
    if (query.exec(QStringLiteral("select name from pragma_table_info('lembrete')"))) {
        while (query.next())
            columns << query.value(0).toString().toLower();
    }
    QStringList missing;
    for (const QString &needed : {QStringLiteral("data"), QStringLiteral("titulo"), QStringLiteral("descricao")}) {
        if (!columns.contains(needed))
            missing << needed;
    }
    // The list statements read the rowid as the reminder's key.
    if (missing.isEmpty() && !query.exec(QStringLiteral("select rowid from lembrete limit 0")))
        missing << QStringLiteral("rowid");
    if (!missing.isEmpty()) {
        *problem = QStringLiteral("a tabela lembrete do arquivo %1 não é de lembretes (faltam as "
                                  "colunas %2). O arquivo foi mantido como estava.")
                       .arg(db.databaseName(), missing.join(QStringLiteral(", ")));
        return Shape::Foreign;
    }
    return Shape::Reminders;
}

QString damageOf(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("pragma quick_check(5)"))) {
        // Another program holding the file for longer than the busy timeout
        // says nothing about its pages.
        const QString code = query.lastError().nativeErrorCode();
        if (code == QLatin1String("5") || code == QLatin1String("6"))
            return QString();
        return errorOf(query);
    }
    QStringList findings;
    while (query.next())
        findings << query.value(0).toString().remove(QStringLiteral("*** in database main ***")).simplified();
    if (query.lastError().isValid())
        return errorOf(query);
    if (findings == QStringList{QStringLiteral("ok")})
        return QString();
    const QString text = findings.isEmpty() ? QStringLiteral("a verificação não deu resultado")
                                            : findings.join(QStringLiteral("; "));
    return text.size() > 300 ? text.left(300) + QStringLiteral("…") : text;
}

} // namespace databasecheck
