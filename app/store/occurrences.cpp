#include "store/occurrences.h"

#include "store/daytext.h"
#include "store/modgeral.h"
#include "store/recurrence.h"
#include "store/storeevents.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace occurrences {

namespace {

const QString kMissing = QStringLiteral("o lembrete não foi encontrado; ele pode ter sido removido. Nada foi gravado.");

QString errorText(const QSqlQuery &query)
{
    const QString text = query.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados.") : text;
}

QVariant nullWhenEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

// Runs change in a transaction after the store's checks; rolls back on failure.
template<class Change>
bool inTransaction(modgeral &store, QString *error, Change change)
{
    if (!store.beginChange()) {
        *error = store.lastError();
        return false;
    }
    QSqlDatabase db = store.connection();
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    if (!change(query) || !db.commit()) {
        if (error->isEmpty())
            *error = query.lastError().isValid() ? errorText(query) : db.lastError().text();
        db.rollback();
        return false;
    }
    emit store.events().reminderSaved();
    return true;
}

bool readExclusions(QSqlQuery &query, qint64 key, QString *text, QString *error)
{
    if (!query.prepare(QStringLiteral("select excecoes from lembrete where rowid = ?")))
        return false;
    query.addBindValue(key);
    if (!query.exec())
        return false;
    if (!query.next()) {
        *error = kMissing;
        return false;
    }
    *text = query.value(0).toString();
    query.finish();
    return true;
}

bool writeExclusions(QSqlQuery &query, qint64 key, const QString &text)
{
    return query.prepare(QStringLiteral("update lembrete set excecoes = ? where rowid = ?"))
        && (query.addBindValue(nullWhenEmpty(text)), query.addBindValue(key), query.exec());
}

bool addExclusion(QSqlQuery &query, qint64 key, const QDate &day, QString *previous, QString *error)
{
    if (!readExclusions(query, key, previous, error))
        return false;
    QList<QDate> days = recurrence::exceptionsFromText(*previous);
    days.append(day);
    return writeExclusions(query, key, recurrence::exceptionsText(days));
}

} // namespace

bool exclude(modgeral &store, qint64 key, const QDate &day, QString *previous, QString *error)
{
    error->clear();
    return inTransaction(store, error,
                         [&](QSqlQuery &query) { return addExclusion(query, key, day, previous, error); });
}

bool restoreExclusions(modgeral &store, qint64 key, const QString &text, QString *error)
{
    error->clear();
    return inTransaction(store, error, [&](QSqlQuery &query) {
        if (!writeExclusions(query, key, text))
            return false;
        if (query.numRowsAffected() != 1) {
            *error = kMissing;
            return false;
        }
        return true;
    });
}

bool detach(modgeral &store, qint64 seriesKey, const QDate &occurrence, const Detached &reminder, QString *error)
{
    error->clear();
    return inTransaction(store, error, [&](QSqlQuery &query) {
        QString previous;
        if (!addExclusion(query, seriesKey, occurrence, &previous, error))
            return false;
        if (!query.prepare(QStringLiteral("insert into lembrete (data, titulo, descricao, hora, repeticao, "
                                          "antecedencia, serie, ocorrencia) values (?, ?, ?, ?, ?, ?, ?, ?)")))
            return false;
        query.addBindValue(reminder.storedDay);
        query.addBindValue(reminder.title);
        query.addBindValue(reminder.description.isNull() ? QStringLiteral("") : reminder.description);
        query.addBindValue(nullWhenEmpty(reminder.timing.hora));
        query.addBindValue(nullWhenEmpty(reminder.timing.repeticao));
        query.addBindValue(nullWhenEmpty(reminder.timing.antecedencia));
        query.addBindValue(seriesKey);
        query.addBindValue(daytext::stored(occurrence));
        return query.exec();
    });
}

} // namespace occurrences
