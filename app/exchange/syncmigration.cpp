#include "exchange/syncengine.h"

#include "exchange/expandedcopies.h"
#include "exchange/icalendar.h"
#include "store/daytext.h"

#include <algorithm>

// Earlier versions kept a repeating object as one reminder per occurrence
// (UID "UID/occurrence"), each with a row of its own in the sync state. Such
// an object is fetched once more, even unchanged, and read as one series:
// copies left as they came go, copies edited here become its occurrences
// rewritten on their own, and days whose copy was removed here become
// excluded days. What this changes goes back in the same sync, as one object.

namespace {

const QString kFolded = QStringLiteral("copias_juntadas");

QDate dayOf(const QString &occurrence)
{
    return QDate::fromString(occurrence.left(8), QStringLiteral("yyyyMMdd"));
}

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

bool SyncEngine::isExpanded(const QList<Row> &rows)
{
    return !rows.isEmpty()
        && std::all_of(rows.cbegin(), rows.cend(), [](const Row &row) { return !row.occurrence.isEmpty(); });
}

// Asked once per account: an object read as a series is never in this state
// again, and one still expanded (RDATE) need not be fetched at every sync.
QStringList SyncEngine::expandedToFold()
{
    QStringList hrefs;
    if (setting(kFolded) == QLatin1String("1"))
        return hrefs;
    for (auto it = m_state.cbegin(); it != m_state.cend(); ++it)
        if (isExpanded(it.value()))
            hrefs.append(it.key());
    return hrefs;
}

void SyncEngine::markFolded()
{
    saveSetting(kFolded, QStringLiteral("1"));
}

// Copies with no row in the sync state (an earlier import, or a sync with
// another account): folded as an import folds them; those it leaves are
// occurrences of the series now, so no longer taken for other objects.
void SyncEngine::foldUnlinkedCopies(qint64 key, const icalendar::Item &series)
{
    QString error;
    if (!expandedcopies::fold(m_db, key, series, &error) && m_sqlError.isEmpty())
        m_sqlError = error;
    for (const qint64 copy : m_unlinkedCopies.values(series.uid)) {
        m_unlinkedByUid.remove(m_unlinkedUid.take(copy));
        m_unlinkedByContent.remove(m_unlinkedContent.value(copy), copy);
        m_unlinkedContent.remove(copy);
    }
    m_unlinkedCopies.remove(series.uid);
}

void SyncEngine::foldCopies(const QString &href, const QString &etag, const QList<icalendar::Item> &items,
                            const QList<Row> &rows)
{
    const icalendar::Item &series = items.constFirst();
    QList<QDate> rewrittenThere;
    for (const icalendar::Item &item : items)
        if (item.replaces.isValid())
            rewrittenThere.append(item.replaces);
    icalendar::Item here = series;
    QList<std::pair<QVariant, QDate>> edited;
    const auto exclude = [&](const QDate &day) {
        if (day.isValid() && !here.exceptions.contains(day))
            here.exceptions.append(day);
    };
    exec(QStringLiteral("delete from sincronia where href = ?"), {href});
    for (const Row &row : rows) {
        const QDate day = dayOf(row.occurrence);
        if (row.key.isNull() || !row.present) {
            if (!rewrittenThere.contains(day))
                exclude(day);
        } else if (row.current == row.agreed) {
            exec(QStringLiteral("delete from lembrete where rowid = ?"), {row.key});
        } else if (!day.isValid() || rewrittenThere.contains(day)) {
            // Rewritten there too: the server's stays in the series, this one beside it.
            exec(QStringLiteral("update lembrete set titulo = titulo || ?, uid = null where rowid = ?"),
                 {QStringLiteral(" (conflito)"), row.key});
            ++m_outcome.conflicts;
        } else {
            edited.append({row.key, day});
            exclude(day);
        }
    }
    std::sort(here.exceptions.begin(), here.exceptions.end());
    const qint64 key = insertReminder(here);
    // Agreed as the server has it, so the days excluded here are sent.
    insertRow(href, etag, series.uid, QString(), key, contentOf(series));
    ++m_outcome.received;
    // The copies were written without the series' time and warning; they get them back.
    for (const auto &[copy, day] : std::as_const(edited))
        exec(QStringLiteral("update lembrete set serie = ?, ocorrencia = ?, uid = null, "
                            "hora = case when coalesce(hora, '') = '' then ? else hora end, "
                            "antecedencia = case when coalesce(antecedencia, '') = '' then ? else antecedencia end "
                            "where rowid = ?"),
             {key, daytext::stored(day), orNull(series.time), orNull(series.lead), copy});
    for (const icalendar::Item &item : items) {
        if (item.occurrence.isEmpty())
            continue;
        insertRow(href, etag, item.uid, item.occurrence, insertReminder(item), contentOf(item));
        ++m_outcome.received;
    }
}
