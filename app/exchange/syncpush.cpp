#include "exchange/syncengine.h"

#include "exchange/icalendar.h"
#include "store/daytext.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

namespace {

// The object's file name on the server: the UID itself where it is a safe
// path segment, else a digest of it.
QString fileNameFor(const QString &uid)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9@._-]{1,200}$"));
    if (safe.match(uid).hasMatch())
        return uid + QStringLiteral(".ics");
    return QString::fromLatin1(QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha1).toHex())
        + QStringLiteral(".ics");
}

} // namespace

// --- sending the changes made here -----------------------------------------

bool SyncEngine::push()
{
    struct Sent
    {
        enum Kind { Removal, Edit, Addition } kind;
        QString href;
        QString uid;
        qint64 rowId = 0; // sincronia row for an edit, reminder for an addition
        QString content;
    };
    QList<caldav::Request> requests;
    QList<Sent> sent;

    if (!begin())
        return fail(m_sqlError);
    {
        // Removals: an object whose reminders are all gone is deleted on the
        // server; a recurring one with some left keeps the rest.
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral(
            "select s.href, max(s.etag), count(*), "
            "sum(case when s.chave is null or l.rowid is null then 1 else 0 end) "
            "from sincronia s left join lembrete l on l.rowid = s.chave group by s.href "
            "having sum(case when s.chave is not null and l.rowid is null then 1 else 0 end) > 0"));
        while (query.next()) {
            const QString href = query.value(0).toString();
            if (query.value(2).toInt() == query.value(3).toInt()) {
                requests.append(m_client.remove(href, query.value(1).toString()));
                sent.append({Sent::Removal, href, {}, 0, {}});
            } else {
                exec(QStringLiteral("update sincronia set chave = null where href = ? and chave not in "
                                    "(select rowid from lembrete)"),
                     {href});
            }
        }
    }
    {
        // Edits: a single object is replaced if the server still has the
        // version last seen; an edited occurrence of a recurring object
        // becomes an object of its own, and the occurrence stays removed.
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral(
            "select s.rowid, s.href, s.etag, s.uid, s.ocorrencia, l.rowid, l.data, l.titulo, "
            "coalesce(l.descricao, ''), (select count(*) from sincronia t where t.href = s.href) "
            "from sincronia s join lembrete l on l.rowid = s.chave "
            "where s.conteudo <> l.data || char(31) || l.titulo || char(31) || coalesce(l.descricao, '')"));
        while (query.next()) {
            const bool single = query.value(4).toString().isEmpty() && query.value(9).toInt() == 1;
            if (!single) {
                exec(QStringLiteral("update sincronia set chave = null where rowid = ?"), {query.value(0)});
                exec(QStringLiteral("update lembrete set uid = null where rowid = ?"), {query.value(5)});
                continue;
            }
            const QDate day = daytext::fromStored(query.value(6).toString());
            if (!day.isValid()) {
                m_outcome.warnings.append(QStringLiteral("O lembrete \"%1\" não foi enviado: sua data (%2) "
                                                         "não é válida.")
                                              .arg(query.value(7).toString(), query.value(6).toString()));
                continue;
            }
            const icalendar::Item item{day, query.value(7).toString(), query.value(8).toString(),
                                       query.value(3).toString(), QString()};
            requests.append(m_client.put(query.value(1).toString(), icalendar::eventObject(item, m_now),
                                         query.value(2).toString()));
            sent.append({Sent::Edit, query.value(1).toString(), item.uid, query.value(0).toLongLong(),
                         contentOf(item)});
        }
    }
    {
        // Additions: each gets its UID (kept in the reminder) and a new object.
        QSet<QString> taken;
        QSqlQuery uids(m_db);
        uids.setForwardOnly(true);
        uids.exec(QStringLiteral("select uid from sincronia"));
        while (uids.next())
            taken.insert(uids.value(0).toString());
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral(
            "select l.rowid, coalesce(l.uid, ''), l.data, l.titulo, coalesce(l.descricao, '') "
            "from lembrete l where not exists (select 1 from sincronia s where s.chave = l.rowid) "
            "order by l.rowid"));
        const QString folder = m_client.collectionPath();
        while (query.next()) {
            const QDate day = daytext::fromStored(query.value(2).toString());
            if (!day.isValid()) {
                m_outcome.warnings.append(QStringLiteral("O lembrete \"%1\" não foi enviado: sua data (%2) "
                                                         "não é válida.")
                                              .arg(query.value(3).toString(), query.value(2).toString()));
                continue;
            }
            QString uid = query.value(1).toString();
            if (uid.isEmpty() || taken.contains(uid)) {
                uid = icalendar::newUid();
                exec(QStringLiteral("update lembrete set uid = ? where rowid = ?"), {uid, query.value(0)});
            }
            taken.insert(uid);
            const icalendar::Item item{day, query.value(3).toString(), query.value(4).toString(), uid,
                                       QString()};
            const QString href = folder + fileNameFor(uid);
            requests.append(m_client.put(href, icalendar::eventObject(item, m_now), QString()));
            sent.append({Sent::Addition, href, uid, query.value(0).toLongLong(), contentOf(item)});
        }
    }
    if (!commit())
        return fail(m_sqlError);

    for (int first = 0; first < requests.size(); first += m_batch) {
        tell(QStringLiteral("Enviando %1 de %2 alterações ao servidor...")
                 .arg(qMin(first + m_batch, int(requests.size()))).arg(requests.size()));
        const QList<caldav::Reply> replies = m_client.sendAll(requests.mid(first, m_batch));
        QString failure;
        if (!begin())
            return fail(m_sqlError);
        for (int index = 0; index < replies.size(); ++index) {
            const caldav::Reply &reply = replies.at(index);
            const Sent &change = sent.at(first + index);
            if (reply.status == 412) {
                m_retry = true; // changed there meanwhile: the next round takes it
                continue;
            }
            const bool gone = change.kind == Sent::Removal && reply.status == 404;
            if (!reply.ok() && !gone) {
                if (failure.isEmpty())
                    failure = reply.error;
                continue;
            }
            switch (change.kind) {
            case Sent::Removal:
                exec(QStringLiteral("delete from sincronia where href = ?"), {change.href});
                ++m_outcome.removedThere;
                break;
            case Sent::Edit:
                exec(QStringLiteral("update sincronia set etag = ?, conteudo = ? where rowid = ?"),
                     {reply.etag, change.content, change.rowId});
                ++m_outcome.sent;
                break;
            case Sent::Addition:
                insertRow(change.href, reply.etag, change.uid, QString(), change.rowId, change.content);
                ++m_outcome.sent;
                break;
            }
        }
        if (!commit())
            return fail(m_sqlError);
        if (!failure.isEmpty())
            return fail(failure);
    }
    return true;
}
