#include "store/removalundo.h"

#include "store/modgeral.h"
#include "store/occurrences.h"
#include "store/storeevents.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStringList>

namespace {

const QString kKey = QStringLiteral("chave_da_linha");

QString errorText(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados.") : text;
}

// The column that is the table's row key under another name (id), which
// takes the key when a row is written back.
QString keyAlias(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    QStringList keys;
    QString type;
    if (query.exec(QStringLiteral("select name, type, pk from pragma_table_info('lembrete')"))) {
        while (query.next()) {
            if (query.value(2).toInt() > 0) {
                keys << query.value(0).toString();
                type = query.value(1).toString();
            }
        }
    }
    return keys.size() == 1 && type.compare(QStringLiteral("integer"), Qt::CaseInsensitive) == 0
        ? keys.constFirst()
        : QString();
}

} // namespace

bool RemovalUndo::remove(modgeral &store, qint64 key, QString *error)
{
    if (!store.beginChange()) {
        *error = store.lastError();
        return false;
    }
    QSqlDatabase db = store.connection();
    QList<QSqlRecord> taken;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = db.transaction();
    ok = ok && query.prepare(QStringLiteral("select rowid as %1, * from lembrete where rowid = ?").arg(kKey));
    if (ok) {
        query.addBindValue(key);
        ok = query.exec();
        while (ok && query.next())
            taken.append(query.record());
        ok = ok && !query.lastError().isValid();
    }
    if (ok && !taken.isEmpty()) {
        query.finish();
        const Statement removal = modgeral::keyDelete(key);
        ok = query.prepare(removal.text);
        for (const QVariant &value : removal.values)
            query.addBindValue(value);
        ok = ok && query.exec();
    }
    if (!ok || !db.commit()) {
        *error = errorText(query.lastError().isValid() ? query.lastError() : db.lastError());
        db.rollback();
        return false;
    }
    if (taken.isEmpty()) {
        *error = QStringLiteral("o lembrete selecionado não existe mais; ele pode ter sido removido "
                                "por outro programa. Nada foi removido.");
        return false;
    }
    m_rows = taken;
    m_occurrenceSeries = 0;
    return true;
}

bool RemovalUndo::removeOccurrence(modgeral &store, qint64 key, const QDate &day, QString *error)
{
    QString before;
    if (!occurrences::exclude(store, key, day, &before, error))
        return false;
    m_rows.clear();
    m_occurrenceSeries = key;
    m_exclusionsBefore = before;
    return true;
}

bool RemovalUndo::undoOccurrence(modgeral &store, QString *error)
{
    if (!occurrences::restoreExclusions(store, m_occurrenceSeries, m_exclusionsBefore, error))
        return false;
    m_occurrenceSeries = 0;
    m_exclusionsBefore.clear();
    return true;
}

bool RemovalUndo::undo(modgeral &store, QString *error)
{
    if (!canUndo()) {
        *error = QStringLiteral("não há remoção a desfazer.");
        return false;
    }
    if (m_occurrenceSeries != 0)
        return undoOccurrence(store, error);
    if (!store.beginChange()) {
        *error = store.lastError();
        return false;
    }
    QSqlDatabase db = store.connection();
    const QString alias = keyAlias(db);
    QSqlQuery query(db);
    bool ok = db.transaction();
    for (auto row = m_rows.cbegin(); ok && row != m_rows.cend(); ++row) {
        QStringList columns;
        QVariantList values;
        for (int i = 0; i < row->count(); ++i) {
            const QString name = row->fieldName(i);
            if (name == alias)
                continue; // the key goes in once, as the row key
            columns << (name == kKey ? QStringLiteral("rowid") : QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'));
            values << row->value(i);
        }
        ok = query.prepare(QStringLiteral("insert into lembrete (%1) values (%2)")
                               .arg(columns.join(QStringLiteral(", ")),
                                    QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = ok && query.exec();
    }
    if (!ok || !db.commit()) {
        *error = errorText(query.lastError().isValid() ? query.lastError() : db.lastError());
        db.rollback();
        return false;
    }
    m_rows.clear();
    emit store.events().reminderSaved(); // the rows are back, as if saved again
    return true;
}
