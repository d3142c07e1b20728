#include "exchange/syncengine.h"

#include "exchange/icalendar.h"
#include "exchange/icalobject.h"
#include "exchange/objectcheck.h"
#include "exchange/syncobject.h"
#include "exchange/syncstate.h"
#include "store/daytext.h"
#include "store/icalobjects.h"
#include "store/recurrence.h"
#include "store/recurrencecolumns.h"

#include <QSet>

#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rounds of taking and sending when the server changed an object meanwhile.
constexpr int kRounds = 3;

const QString kConflictSuffix = QStringLiteral(" (conflito)");

QString shortName(const QString &href)
{
    return href.section(QLatin1Char('/'), -1);
}

} // namespace

SyncEngine::SyncEngine(const QSqlDatabase &db, caldav::Client &client, const QString &account,
                       const QDate &today, const QDateTime &now, Progress progress)
    : m_db(db)
    , m_client(client)
    , m_account(account)
    , m_today(today)
    , m_now(now)
    , m_progress(std::move(progress))
{
}

QString SyncEngine::contentOf(const icalendar::Item &item)
{
    return syncstate::content(daytext::stored(item.day), item.title, item.description)
        + syncobject::timing(item.time, item.rule, recurrence::exceptionsText(item.exceptions), item.lead);
}

// The reminder's columns as the item gives them (NULL for what it lacks).
QVariantList SyncEngine::valuesOf(const icalendar::Item &item)
{
    const auto text = [](const QString &value) { return value.isEmpty() ? QVariant() : QVariant(value); };
    return {daytext::stored(item.day), item.title, item.description, icalendar::storedUid(item),
            text(item.time), text(item.rule), text(recurrence::exceptionsText(item.exceptions)), text(item.lead)};
}

void SyncEngine::updateReminder(qint64 key, const icalendar::Item &item)
{
    exec(QStringLiteral("update lembrete set data = ?, titulo = ?, descricao = ?, uid = ?, hora = ?, "
                        "repeticao = ?, excecoes = ?, antecedencia = ? where rowid = ?"),
         valuesOf(item) << key);
}

qint64 SyncEngine::insertReminder(const icalendar::Item &item)
{
    return exec(QStringLiteral("insert into lembrete (data, titulo, descricao, uid, hora, repeticao, excecoes, "
                               "antecedencia) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                valuesOf(item))
        .toLongLong();
}

SyncOutcome SyncEngine::run()
{
    m_outcome = SyncOutcome();
    if (!m_db.isOpen() || !syncstate::ensure(m_db) || !recurrencecolumns::ensure(m_db)
        || !icalobjects::ensure(m_db)) {
        fail(QStringLiteral("O banco de dados de lembretes não pôde ser preparado para a sincronização."));
        return m_outcome;
    }
    tell(QStringLiteral("Conectando ao servidor..."));
    caldav::CollectionInfo info;
    const caldav::Reply probed = m_client.probe(&info);
    if (!probed.ok()) {
        m_outcome.credentialsRefused = probed.status == 401 || probed.status == 403;
        fail(probed.error);
        return m_outcome;
    }
    if (!checkAccount())
        return m_outcome;
    for (int round = 0; round < kRounds; ++round) {
        m_retry = false;
        if (!pull(info) || !push())
            return m_outcome;
        if (!m_retry)
            break;
    }
    if (const QString outside = m_client.outsideSummary(); !outside.isEmpty())
        m_outcome.warnings.append(outside);
    tell(QStringLiteral("Sincronização concluída."));
    m_outcome.ok = true;
    m_outcome.message = QStringLiteral("Sincronização concluída: %1 enviado(s), %2 recebido(s), "
                                       "%3 removido(s) aqui, %4 removido(s) no servidor, %5 conflito(s).")
                            .arg(m_outcome.sent).arg(m_outcome.received).arg(m_outcome.removedHere)
                            .arg(m_outcome.removedThere).arg(m_outcome.conflicts);
    if (m_retry)
        m_outcome.message += QStringLiteral(" Alguns lembretes mudaram no servidor durante a "
                                            "sincronização; sincronize de novo para completá-la.");
    if (!m_outcome.warnings.isEmpty()) {
        m_outcome.message += QStringLiteral("\n\nAvisos:\n") + m_outcome.warnings.join(QLatin1Char('\n'));
    }
    return m_outcome;
}

bool SyncEngine::fail(const QString &message)
{
    m_outcome.ok = false;
    m_outcome.message = message
        + QStringLiteral("\nNada foi perdido: o que o servidor não confirmou continua como estava, e a "
                         "próxima sincronização continua de onde esta parou.");
    return false;
}

void SyncEngine::tell(const QString &text) const
{
    if (m_progress)
        m_progress(text);
}

// The sync state belongs to one collection and user; another one starts afresh
// (its first sync merges without duplicates like any first sync).
bool SyncEngine::checkAccount()
{
    if (setting(QStringLiteral("conta")) == m_account)
        return true;
    if (!begin())
        return fail(m_sqlError);
    exec(QStringLiteral("delete from sincronia"), {});
    exec(QStringLiteral("delete from sincronia_conta"), {});
    saveSetting(QStringLiteral("conta"), m_account);
    return commit() || fail(m_sqlError);
}

// --- taking the server's changes -------------------------------------------

bool SyncEngine::pull(const caldav::CollectionInfo &info)
{
    tell(QStringLiteral("Procurando alterações no servidor..."));
    QList<caldav::ObjectVersion> changed;
    QStringList removed;
    QString newToken;
    bool everything = true;
    if (info.offersSyncCollection && m_useSyncCollection) {
        QString token = setting(QStringLiteral("token"));
        caldav::Delta delta;
        caldav::Reply reply = m_client.changesSince(token, &delta);
        if (reply.ok() && delta.tokenRefused) {
            token.clear();
            delta = caldav::Delta();
            reply = m_client.changesSince(token, &delta);
        }
        if (!reply.ok())
            return fail(reply.error);
        changed = delta.changed;
        removed = delta.removed;
        newToken = delta.token;
        everything = token.isEmpty();
    } else {
        const caldav::Reply reply = m_client.listVersions(&changed);
        if (!reply.ok())
            return fail(reply.error);
    }

    tell(QStringLiteral("Comparando com os lembretes deste computador..."));
    if (!loadState() || !loadUnlinked())
        return fail(m_sqlError);
    if (everything) {
        QSet<QString> listed;
        for (const caldav::ObjectVersion &version : std::as_const(changed))
            listed.insert(version.href);
        for (auto it = m_state.cbegin(); it != m_state.cend(); ++it)
            if (!listed.contains(it.key()))
                removed.append(it.key());
    }
    QStringList toFetch;
    for (const caldav::ObjectVersion &version : std::as_const(changed)) {
        const auto known = m_state.constFind(version.href);
        if (known == m_state.cend() || version.etag.isEmpty() || known->constFirst().etag != version.etag)
            toFetch.append(version.href);
    }
    const QStringList toFold = expandedToFold();
    m_toFold = QSet<QString>(toFold.cbegin(), toFold.cend());
    if (!m_toFold.isEmpty()) {
        QSet<QString> skip(toFetch.cbegin(), toFetch.cend());
        skip.unite(QSet<QString>(removed.cbegin(), removed.cend()));
        for (const QString &href : toFold)
            if (!skip.contains(href))
                toFetch.append(href);
    }

    // Most of the collection to fetch (a first sync): one calendar-query with
    // the data costs the server far less than a multiget per batch.
    if (toFetch.size() > 2 * m_batch && toFetch.size() * 2 > changed.size()) {
        tell(QStringLiteral("Recebendo %1 objetos do servidor...").arg(toFetch.size()));
        QList<caldav::ObjectData> objects;
        if (m_client.fetchAll(&objects).ok()) {
            const QSet<QString> wanted(toFetch.cbegin(), toFetch.cend());
            objects.removeIf([&](const caldav::ObjectData &object) { return !wanted.contains(object.href); });
            for (int first = 0; first < objects.size(); first += m_batch) {
                if (!begin())
                    return fail(m_sqlError);
                for (const caldav::ObjectData &object : objects.mid(first, m_batch))
                    applyObject(object);
                if (!commit())
                    return fail(m_sqlError);
            }
            QSet<QString> applied;
            for (const caldav::ObjectData &object : std::as_const(objects))
                applied.insert(object.href);
            // Those that came and went meanwhile are asked for one by one.
            toFetch.removeIf([&](const QString &href) { return applied.contains(href); });
        }
    }
    for (int first = 0; first < toFetch.size(); first += m_batch) {
        tell(QStringLiteral("Recebendo %1 de %2 objetos do servidor...")
                 .arg(qMin(first + m_batch, int(toFetch.size()))).arg(toFetch.size()));
        QList<caldav::ObjectData> objects;
        const caldav::Reply reply = m_client.fetch(toFetch.mid(first, m_batch), &objects);
        if (!reply.ok())
            return fail(reply.error);
        if (!begin())
            return fail(m_sqlError);
        for (const caldav::ObjectData &object : std::as_const(objects))
            applyObject(object);
        if (!commit())
            return fail(m_sqlError);
    }
    if (!begin())
        return fail(m_sqlError);
    for (const QString &href : std::as_const(removed))
        applyRemoval(href);
    markFolded();
    // The token moves on only with everything it covers applied.
    if (!newToken.isEmpty())
        saveSetting(QStringLiteral("token"), newToken);
    return commit() || fail(m_sqlError);
}

bool SyncEngine::loadState()
{
    m_state.clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "select s.rowid, s.href, s.etag, s.uid, s.ocorrencia, s.chave, s.conteudo, "
            "l.rowid is not null, coalesce(l.data, ''), coalesce(l.titulo, ''), coalesce(l.descricao, ''), ")
            + syncobject::timingSql(QStringLiteral("l")) + " from sincronia s left join lembrete l on l.rowid = s.chave")) {
        m_sqlError = query.lastError().text();
        return false;
    }
    while (query.next()) {
        Row row;
        row.id = query.value(0).toLongLong();
        row.href = query.value(1).toString();
        row.etag = query.value(2).toString();
        row.uid = query.value(3).toString();
        row.occurrence = query.value(4).toString();
        row.key = query.value(5);
        row.agreed = query.value(6).toString();
        row.present = query.value(7).toBool();
        row.current = syncstate::content(query.value(8).toString(), query.value(9).toString(),
                                         query.value(10).toString())
            + (row.present ? query.value(11).toString() : QString());
        m_state[row.href].append(row);
    }
    return true;
}

bool SyncEngine::loadUnlinked()
{
    m_unlinkedByUid.clear();
    m_unlinkedByContent.clear();
    m_unlinkedContent.clear();
    m_unlinkedUid.clear();
    m_unlinkedCopies.clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "select l.rowid, coalesce(l.uid, ''), l.data, l.titulo, coalesce(l.descricao, ''), ")
            + syncobject::timingSql(QStringLiteral("l"))
            + " from lembrete l where not exists (select 1 from sincronia s where s.chave = l.rowid)")) {
        m_sqlError = query.lastError().text();
        return false;
    }
    while (query.next()) {
        const qint64 key = query.value(0).toLongLong();
        const QString content = syncstate::content(query.value(2).toString(), query.value(3).toString(),
                                                   query.value(4).toString())
            + query.value(5).toString();
        const QString uid = query.value(1).toString();
        if (const qsizetype slash = uid.lastIndexOf(QLatin1Char('/'));
            slash > 0 && QDate::fromString(uid.mid(slash + 1, 8), QStringLiteral("yyyyMMdd")).isValid())
            m_unlinkedCopies.insert(uid.left(slash), key);
        if (!uid.isEmpty() && !m_unlinkedByUid.contains(uid)) {
            m_unlinkedByUid.insert(uid, key);
            m_unlinkedUid.insert(key, uid);
        }
        m_unlinkedByContent.insert(content, key);
        m_unlinkedContent.insert(key, content);
    }
    return true;
}

void SyncEngine::applyObject(const caldav::ObjectData &object)
{
    // An object the reader must not be given is kept as unreadable, like
    // one it could not read, so the next syncs skip it until it changes.
    icalendar::ParseResult parsed;
    parsed.error = objectcheck::refusal(object.data);
    if (parsed.error.isEmpty())
        parsed = icalendar::parse(object.data, m_today);
    const QList<Row> rows = m_state.take(object.href);
    const bool foldable = isExpanded(rows)
        && std::any_of(parsed.items.cbegin(), parsed.items.cend(),
                       [](const auto &item) { return item.occurrence.isEmpty() && !item.rule.isEmpty(); });
    // Fetched only to fold its copies, and still expanded: nothing to do.
    if (!foldable && m_toFold.contains(object.href) && !rows.isEmpty() && rows.constFirst().etag == object.etag)
        return;
    keepObject(object, parsed.items);
    if (parsed.items.isEmpty()) {
        const QString reason = !parsed.error.isEmpty() ? parsed.error
            : !parsed.setAside.isEmpty()               ? parsed.setAside.constFirst().reason
                                                       : QString();
        if (!reason.isEmpty())
            m_outcome.warnings.append(QStringLiteral("O objeto %1 do servidor não pôde ser lido: %2")
                                          .arg(shortName(object.href), reason));
        // Remembered, so it is not fetched again until it changes; reminders
        // already linked to it stay as they are.
        if (rows.isEmpty())
            insertRow(object.href, object.etag, QString(), QString(), QVariant(), QString());
        else
            exec(QStringLiteral("update sincronia set etag = ? where href = ?"), {object.etag, object.href});
        return;
    }
    if (foldable) {
        foldCopies(object.href, object.etag, parsed.items, rows);
        linkOccurrences(parsed.items);
        return;
    }
    const bool unknown = rows.isEmpty()
        || (rows.size() == 1 && rows.constFirst().key.isNull() && rows.constFirst().occurrence.isEmpty());
    if (unknown) {
        exec(QStringLiteral("delete from sincronia where href = ?"), {object.href});
        for (const icalendar::Item &item : parsed.items)
            linkOrInsert(object.href, object.etag, item);
        linkOccurrences(parsed.items);
        return;
    }
    const bool single = parsed.items.size() == 1 && parsed.items.constFirst().occurrence.isEmpty()
        && rows.size() == 1 && rows.constFirst().occurrence.isEmpty();
    if (single)
        replaceSingle(object.etag, parsed.items.constFirst(), rows.constFirst());
    else
        replaceSeries(object.href, object.etag, parsed.items, rows);
    linkOccurrences(parsed.items);
}

// The object is kept as it came, under its UID, so what is sent back is it
// with only the changes made here. The days of its occurrences rewritten on
// their own are excluded from its series, as when one is edited here, and
// the series comes before them.
void SyncEngine::keepObject(const caldav::ObjectData &object, QList<icalendar::Item> &items)
{
    QHash<QString, QList<QDate>> replaced;
    for (const icalendar::Item &item : std::as_const(items))
        if (item.replaces.isValid())
            replaced[item.uid].append(item.replaces);
    std::stable_partition(items.begin(), items.end(),
                          [](const icalendar::Item &item) { return item.occurrence.isEmpty(); });
    for (icalendar::Item &item : items) {
        if (!item.occurrence.isEmpty())
            break;
        for (const QDate &day : replaced.value(item.uid))
            if (!item.exceptions.contains(day))
                item.exceptions.append(day);
        std::sort(item.exceptions.begin(), item.exceptions.end());
        if (!item.object.isEmpty() && object.data.size() <= icalendar::original::maxObjectBytes)
            exec(QStringLiteral("insert or replace into lembrete_ical (uid, objeto) values (?, ?)"),
                 {item.uid, object.data});
    }
}

void SyncEngine::linkOccurrences(const QList<icalendar::Item> &items)
{
    for (const icalendar::Item &item : items)
        if (item.replaces.isValid())
            exec(QStringLiteral("update lembrete set serie = (select rowid from lembrete where uid = ? "
                                "order by rowid limit 1), ocorrencia = ? where uid = ?"),
                 {item.uid, daytext::stored(item.replaces), icalendar::storedUid(item)});
}

// An object new to this database: the same reminder already here (by UID, else
// by day, title and description) is linked to it rather than duplicated.
void SyncEngine::linkOrInsert(const QString &href, const QString &etag, const icalendar::Item &item)
{
    const QString content = contentOf(item);
    const QString uid = icalendar::storedUid(item);
    qint64 key = m_unlinkedByUid.value(uid, -1);
    if (key < 0) {
        key = m_unlinkedByContent.value(content, -1);
    } else if (m_unlinkedContent.value(key) != content) {
        // The same UID with other content on both sides: the server's version
        // takes its place, the one here stays as a new reminder.
        const QStringList local = m_unlinkedContent.value(key).split(QChar(0x1f));
        if (local.size() >= 3) {
            insertReminder(local.at(0), local.at(1) + kConflictSuffix, local.at(2), QVariant());
            ++m_outcome.conflicts;
        }
    }
    if (key >= 0) {
        m_unlinkedByUid.remove(m_unlinkedUid.take(key));
        m_unlinkedByContent.remove(m_unlinkedContent.value(key), key);
        m_unlinkedContent.remove(key);
        updateReminder(key, item);
    } else {
        key = insertReminder(item);
        ++m_outcome.received;
    }
    insertRow(href, etag, item.uid, item.occurrence, key, content);
    if (item.occurrence.isEmpty() && !item.rule.isEmpty() && m_unlinkedCopies.contains(item.uid))
        foldUnlinkedCopies(key, item);
}

void SyncEngine::replaceSingle(const QString &etag, const icalendar::Item &item, const Row &row)
{
    const QString content = contentOf(item);
    QVariant key = row.key;
    if (!row.present) {
        // Removed here but changed there: the change wins, nothing is lost. An
        // object fetched again unchanged (a server without ETags) leaves the removal.
        if (content != row.agreed) {
            key = insertReminder(item);
            ++m_outcome.received;
        }
    } else {
        const bool changedHere = row.current != row.agreed && row.current != content;
        if (changedHere) {
            const QStringList local = row.current.split(QChar(0x1f));
            insertReminder(local.value(0), local.value(1) + kConflictSuffix, local.value(2), QVariant());
            ++m_outcome.conflicts;
        }
        if (row.current != content) {
            updateReminder(key.toLongLong(), item);
            ++m_outcome.received;
        }
    }
    exec(QStringLiteral("update sincronia set etag = ?, uid = ?, chave = ?, conteudo = ? where rowid = ?"),
         {etag, item.uid, key, content, row.id});
}

// A recurring object (or one that became or stopped being one) is taken whole:
// its occurrences replace the reminders it gave before. Occurrences removed
// here stay removed; occurrences edited here are kept as new reminders.
void SyncEngine::replaceSeries(const QString &href, const QString &etag,
                               const QList<icalendar::Item> &items, const QList<Row> &rows)
{
    QSet<QString> removedHere;
    for (const Row &row : rows) {
        if (row.key.isNull() || !row.present) {
            removedHere.insert(row.occurrence);
        } else if (row.current != row.agreed) {
            exec(QStringLiteral("update lembrete set titulo = titulo || ?, uid = null where rowid = ?"),
                 {kConflictSuffix, row.key});
            ++m_outcome.conflicts;
        } else {
            exec(QStringLiteral("delete from lembrete where rowid = ?"), {row.key});
        }
    }
    exec(QStringLiteral("delete from sincronia where href = ?"), {href});
    for (const icalendar::Item &item : items) {
        if (!item.occurrence.isEmpty() && removedHere.contains(item.occurrence)) {
            insertRow(href, etag, item.uid, item.occurrence, QVariant(), QString());
            continue;
        }
        const qint64 key = insertReminder(item);
        insertRow(href, etag, item.uid, item.occurrence, key, contentOf(item));
        ++m_outcome.received;
    }
}

void SyncEngine::applyRemoval(const QString &href)
{
    const QList<Row> rows = m_state.take(href);
    for (const Row &row : rows) {
        if (row.key.isNull() || !row.present)
            continue;
        if (row.current != row.agreed)
            continue; // edited here: it stays, and goes back to the server as a new object
        exec(QStringLiteral("delete from lembrete where rowid = ?"), {row.key});
        ++m_outcome.removedHere;
    }
    exec(QStringLiteral("delete from sincronia where href = ?"), {href});
}

// --- the database ------------------------------------------------------------

qint64 SyncEngine::insertReminder(const QString &day, const QString &title, const QString &description,
                                  const QVariant &uid)
{
    return exec(QStringLiteral("insert into lembrete (data, titulo, descricao, uid) values (?, ?, ?, ?)"),
                {day, title, description, uid})
        .toLongLong();
}

void SyncEngine::insertRow(const QString &href, const QString &etag, const QString &uid,
                           const QString &occurrence, const QVariant &key, const QString &agreed)
{
    exec(QStringLiteral("insert into sincronia (href, etag, uid, ocorrencia, chave, conteudo) "
                        "values (?, ?, ?, ?, ?, ?)"),
         {href, etag, uid, occurrence, key, agreed});
}

// Runs one statement; the first failure is kept and makes the transaction's
// commit fail, so nothing of it is written.
QVariant SyncEngine::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(m_db);
    if (!query.prepare(sql)) {
        if (m_sqlError.isEmpty())
            m_sqlError = query.lastError().text();
        return {};
    }
    for (const QVariant &value : values)
        query.addBindValue(value.typeId() == QMetaType::QString && value.toString().isNull()
                               ? QVariant(QStringLiteral(""))
                               : value);
    if (!query.exec()) {
        if (m_sqlError.isEmpty())
            m_sqlError = query.lastError().text();
        return {};
    }
    return query.lastInsertId();
}

bool SyncEngine::begin()
{
    m_sqlError.clear();
    if (!m_db.transaction()) {
        m_sqlError = m_db.lastError().text();
        return false;
    }
    return true;
}

bool SyncEngine::commit()
{
    if (m_sqlError.isEmpty() && m_db.commit())
        return true;
    if (m_sqlError.isEmpty())
        m_sqlError = m_db.lastError().text();
    m_db.rollback();
    m_sqlError = QStringLiteral("O banco de dados de lembretes não pôde ser gravado (%1).").arg(m_sqlError);
    return false;
}

QString SyncEngine::setting(const QString &name)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("select valor from sincronia_conta where nome = ?"));
    query.addBindValue(name);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

void SyncEngine::saveSetting(const QString &name, const QString &value)
{
    exec(QStringLiteral("insert or replace into sincronia_conta (nome, valor) values (?, ?)"), {name, value});
}
