#include "exchange/syncengine.h"

#include "exchange/icalendar.h"
#include "exchange/syncobject.h"
#include "store/recurrence.h"
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

QString invalidDay(const QString &title, const QString &day)
{
    return QStringLiteral("O lembrete \"%1\" não foi enviado: sua data (%2) não é válida.").arg(title, day);
}

void setTiming(icalendar::Item &item, const QSqlQuery &query, int first)
{
    item.time = query.value(first).toString();
    item.rule = query.value(first + 1).toString();
    item.exceptions = recurrence::exceptionsFromText(query.value(first + 2).toString());
    item.lead = query.value(first + 3).toString();
}

} // namespace

// The server took the whole object: every reminder of it is agreed as it is
// now, occurrences made here are linked to it, and the object sent is kept.
void SyncEngine::agreeWhole(const QString &href, const QString &etag, const QString &uid, qint64 series,
                            const QByteArray &object)
{
    exec(QStringLiteral("insert into sincronia (href, etag, uid, ocorrencia, chave, conteudo) "
                        "select ?, ?, ?, replace(l.ocorrencia, '/', ''), l.rowid, '' from lembrete l "
                        "where l.serie = ? and not exists (select 1 from sincronia s where s.chave = l.rowid)"),
         {href, etag, uid, series});
    exec(QStringLiteral("update sincronia set etag = ?, conteudo = coalesce((select l.data || char(31) || l.titulo "
                        "|| char(31) || coalesce(l.descricao, '') || ")
             + syncobject::timingSql(QStringLiteral("l"))
             + QStringLiteral(" from lembrete l where l.rowid = sincronia.chave), '') where href = ?"),
         {etag, href});
    exec(QStringLiteral("insert or replace into lembrete_ical (uid, objeto) values (?, ?)"), {uid, object});
}

// --- sending the changes made here -----------------------------------------

bool SyncEngine::push()
{
    struct Sent
    {
        enum Kind { Removal, Edit, Addition, Whole } kind;
        QString href;
        QString uid;
        qint64 rowId = 0; // sincronia row for an edit, reminder for an addition
        QString content;
        QByteArray object = {}; // sent whole, with the series' occurrences
    };
    QList<caldav::Request> requests;
    QList<Sent> sent;

    if (!begin())
        return fail(m_sqlError);
    // Occurrences rewritten on their own whose series was removed stay
    // reminders of their own: they leave the series' object (removed below)
    // and are sent as objects of their own under new UIDs (additions), never
    // under the UID of the object removed. Still linked to the series, they
    // go back inside it if its removal is undone.
    exec(QStringLiteral("delete from sincronia where ocorrencia <> '' and chave in (select l.rowid from lembrete l "
                        "where l.serie is not null and not exists (select 1 from lembrete m where m.rowid = l.serie))"),
         {});
    {
        // Back inside their series (its removal undone): their own objects go.
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral("select s.href, s.etag from sincronia s join lembrete l on l.rowid = s.chave "
                                  "where s.ocorrencia = '' and l.serie is not null "
                                  "and exists (select 1 from lembrete m where m.rowid = l.serie)"));
        while (query.next()) {
            requests.append(m_client.remove(query.value(0).toString(), query.value(1).toString()));
            sent.append({Sent::Removal, query.value(0).toString(), {}, 0, {}});
        }
    }
    {
        // Removals: an object whose reminders are all gone, or whose series is,
        // is deleted on the server; a recurring one with some left keeps the rest.
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral(
            "select s.href, max(s.etag), count(*), "
            "sum(case when s.chave is null or l.rowid is null then 1 else 0 end), "
            "sum(case when s.ocorrencia = '' and s.chave is not null and l.rowid is null then 1 else 0 end) "
            "from sincronia s left join lembrete l on l.rowid = s.chave group by s.href "
            "having sum(case when s.chave is not null and l.rowid is null then 1 else 0 end) > 0"));
        while (query.next()) {
            const QString href = query.value(0).toString();
            // The series itself removed here removes the whole object, its
            // occurrences rewritten on their own included.
            if (query.value(2).toInt() == query.value(3).toInt() || query.value(4).toInt() > 0) {
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
        // Edits: an object kept from the server goes back whole with the
        // changes made here patched in (an occurrence edited here as its
        // RECURRENCE-ID, a removed one as EXDATE), if the server still has
        // the version last seen. Others: a single object is replaced; an
        // edited occurrence of an expanded one becomes an object of its own.
        QSet<QString> whole;
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral(
            "select s.rowid, s.href, s.etag, s.uid, s.ocorrencia, l.rowid, l.data, l.titulo, "
            "coalesce(l.descricao, ''), (select count(*) from sincronia t where t.href = s.href), "
            "coalesce(l.serie, 0), coalesce(l.hora, ''), coalesce(l.repeticao, ''), coalesce(l.excecoes, ''), "
            "coalesce(l.antecedencia, '') "
            "from sincronia s join lembrete l on l.rowid = s.chave "
            "where s.conteudo <> l.data || char(31) || l.titulo || char(31) || coalesce(l.descricao, '') || ")
            + syncobject::timingSql(QStringLiteral("l")));
        while (query.next()) {
            const QString href = query.value(1).toString();
            const qint64 series = query.value(10).toLongLong() != 0 ? query.value(10).toLongLong()
                                                                    : query.value(5).toLongLong();
            if (whole.contains(href))
                continue;
            const QDate day = daytext::fromStored(query.value(6).toString());
            icalendar::Item item{day, query.value(7).toString(), query.value(8).toString(),
                                 query.value(3).toString(), QString()};
            setTiming(item, query, 11);
            QByteArray patched = syncobject::patched(m_db, series, item.uid);
            if (patched.isEmpty() && series == query.value(5).toLongLong() && day.isValid())
                patched = syncobject::withOccurrences(m_db, series, item, m_now);
            if (!patched.isEmpty()) {
                whole.insert(href);
                requests.append(m_client.put(href, patched, query.value(2).toString()));
                sent.append({Sent::Whole, href, query.value(3).toString(), series, QString(), patched});
                continue;
            }
            const bool single = query.value(4).toString().isEmpty() && query.value(9).toInt() == 1;
            if (!single) {
                exec(QStringLiteral("update sincronia set chave = null where rowid = ?"), {query.value(0)});
                exec(QStringLiteral("update lembrete set uid = null where rowid = ?"), {query.value(5)});
                continue;
            }
            if (!day.isValid()) {
                m_outcome.warnings.append(invalidDay(query.value(7).toString(), query.value(6).toString()));
                continue;
            }
            requests.append(m_client.put(href, icalendar::eventObject(item, m_now), query.value(2).toString()));
            sent.append({Sent::Edit, href, item.uid, query.value(0).toLongLong(), contentOf(item)});
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
            "select l.rowid, coalesce(l.uid, ''), l.data, l.titulo, coalesce(l.descricao, ''), "
            "coalesce(l.hora, ''), coalesce(l.repeticao, ''), coalesce(l.excecoes, ''), coalesce(l.antecedencia, ''), "
            "l.serie is not null from lembrete l where not exists (select 1 from sincronia s where s.chave = l.rowid) "
            "and not (l.serie is not null and l.serie in (select rowid from lembrete)) "
            "order by l.rowid"));
        const QString folder = m_client.collectionPath();
        while (query.next()) {
            const QDate day = daytext::fromStored(query.value(2).toString());
            if (!day.isValid()) {
                m_outcome.warnings.append(invalidDay(query.value(3).toString(), query.value(2).toString()));
                continue;
            }
            QString uid = query.value(1).toString();
            // An occurrence whose series is gone never takes the series' UID.
            if (uid.isEmpty() || taken.contains(uid) || query.value(9).toBool()) {
                uid = icalendar::newUid();
                exec(QStringLiteral("update lembrete set uid = ? where rowid = ?"), {uid, query.value(0)});
            }
            taken.insert(uid);
            icalendar::Item item{day, query.value(3).toString(), query.value(4).toString(), uid, QString()};
            setTiming(item, query, 5);
            const QString href = folder + fileNameFor(uid);
            // A reminder whose object is kept (one put back by undo) goes back as that object;
            // one with occurrences rewritten on their own goes with them.
            QByteArray kept = syncobject::patched(m_db, query.value(0).toLongLong(), uid);
            if (kept.isEmpty())
                kept = syncobject::withOccurrences(m_db, query.value(0).toLongLong(), item, m_now);
            requests.append(m_client.put(href, kept.isEmpty() ? icalendar::eventObject(item, m_now) : kept, QString()));
            sent.append({Sent::Addition, href, uid, query.value(0).toLongLong(), contentOf(item), kept});
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
            case Sent::Whole:
                agreeWhole(change.href, reply.etag, change.uid, change.rowId, change.object);
                ++m_outcome.sent;
                break;
            case Sent::Addition:
                insertRow(change.href, reply.etag, change.uid, QString(), change.rowId, change.content);
                if (!change.object.isEmpty())
                    agreeWhole(change.href, reply.etag, change.uid, change.rowId, change.object);
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
