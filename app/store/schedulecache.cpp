#include "store/schedulecache.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <bit>
#include <memory>
#include <sqlite3.h>

namespace schedulecache {

namespace {

// Bumped whenever what an entry means changes, so older entries stop matching.
constexpr quint64 kFormat = 1;
// Days before the Gregorian reform or after the year 9999 are no days a reminder has.
constexpr qint32 kFirstDay = 2299161;
constexpr qint32 kLastDay = 5373484;

struct Finalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, Finalizer>;

StatementPtr prepare(sqlite3 *db, const char *text)
{
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, text, -1, &raw, nullptr) != SQLITE_OK)
        return nullptr;
    return StatementPtr(raw);
}

void bindDay(sqlite3_stmt *statement, int position, qint32 day)
{
    if (day < 0)
        sqlite3_bind_null(statement, position);
    else
        sqlite3_bind_int(statement, position, day);
}

bool inRange(qint32 day)
{
    return day >= kFirstDay && day <= kLastDay;
}

} // namespace

quint64 signature(QByteArrayView storedDay, QByteArrayView rule, QByteArrayView exceptions)
{
    // FNV-1a: the same on every run and machine, unlike Qt's seeded hashes.
    quint64 hash = 14695981039346656037ull ^ kFormat;
    const auto mix = [&hash](QByteArrayView bytes) {
        for (const char byte : bytes) {
            hash ^= quint8(byte);
            hash *= 1099511628211ull;
        }
        hash ^= 0xff; // a separator no UTF-8 text holds
        hash *= 1099511628211ull;
    };
    mix(storedDay);
    mix(rule);
    mix(exceptions);
    return hash;
}

bool ensure(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("create table if not exists lembrete_proxima ("
                                     "chave integer primary key, "
                                     "assinatura integer not null, "
                                     "desde integer not null, "
                                     "dias integer not null, "
                                     "depois integer, "
                                     "ultima integer)"));
}

bool exists(sqlite3 *db)
{
    return sqlite3_table_column_metadata(db, nullptr, "lembrete_proxima", "ultima", nullptr, nullptr, nullptr,
                                         nullptr, nullptr)
        == SQLITE_OK;
}

namespace {

// Whether the columns from column on (assinatura, desde, dias, depois,
// ultima) hold a usable entry; fills entry (key aside).
bool fromColumns(sqlite3_stmt *statement, int column, Entry *entry)
{
    for (int i = 0; i < 3; ++i)
        if (sqlite3_column_type(statement, column + i) != SQLITE_INTEGER)
            return false;
    entry->signature = quint64(sqlite3_column_int64(statement, column));
    const qint64 from = sqlite3_column_int64(statement, column + 1);
    entry->days = quint64(sqlite3_column_int64(statement, column + 2));
    const bool hasAfter = sqlite3_column_type(statement, column + 3) == SQLITE_INTEGER;
    const bool hasLast = sqlite3_column_type(statement, column + 4) == SQLITE_INTEGER;
    const qint64 after = hasAfter ? sqlite3_column_int64(statement, column + 3) : -1;
    const qint64 last = hasLast ? sqlite3_column_int64(statement, column + 4) : -1;
    // The file is not trusted: days out of range, or a next day among the
    // days it should follow, make the entry one to find again.
    if (from < kFirstDay || from + 64 > kLastDay)
        return false;
    const int highest = entry->days ? 63 - std::countl_zero(entry->days) : -1;
    if (hasAfter && (after <= from + highest || after > kLastDay))
        return false;
    if (hasLast && !inRange(qint32(std::clamp<qint64>(last, 0, kLastDay + 1))))
        return false;
    entry->from = qint32(from);
    entry->after = qint32(after);
    entry->last = qint32(last);
    return true;
}

} // namespace

std::vector<Entry> readAll(sqlite3 *db)
{
    std::vector<Entry> entries;
    if (!exists(db))
        return entries;
    const StatementPtr select = prepare(db, "select chave, assinatura, desde, dias, depois, ultima "
                                            "from lembrete_proxima order by chave");
    if (!select)
        return entries;
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        Entry entry;
        entry.key = sqlite3_column_int64(select.get(), 0);
        if (fromColumns(select.get(), 1, &entry))
            entries.push_back(entry);
    }
    return entries;
}

const Entry *find(const std::vector<Entry> &entries, qint64 key)
{
    const auto found = std::lower_bound(entries.cbegin(), entries.cend(), key,
                                        [](const Entry &entry, qint64 wanted) { return entry.key < wanted; });
    return found != entries.cend() && found->key == key ? &*found : nullptr;
}

bool write(sqlite3 *db, const std::vector<Entry> &entries, bool dropGone, QString *error)
{
    const auto fail = [&] {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        return false;
    };
    if (sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const StatementPtr insert = prepare(db, "insert or replace into lembrete_proxima "
                                            "(chave, assinatura, desde, dias, depois, ultima) "
                                            "values (?, ?, ?, ?, ?, ?)");
    if (!insert)
        return fail();
    for (const Entry &entry : entries) {
        sqlite3_bind_int64(insert.get(), 1, entry.key);
        sqlite3_bind_int64(insert.get(), 2, qint64(entry.signature));
        sqlite3_bind_int(insert.get(), 3, entry.from);
        sqlite3_bind_int64(insert.get(), 4, qint64(entry.days));
        bindDay(insert.get(), 5, entry.after);
        bindDay(insert.get(), 6, entry.last);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            return fail();
        sqlite3_reset(insert.get());
    }
    if ((dropGone
         && sqlite3_exec(db, "delete from lembrete_proxima where chave not in (select rowid from lembrete)",
                         nullptr, nullptr, nullptr)
                != SQLITE_OK)
        || sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

} // namespace schedulecache
