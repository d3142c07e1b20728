#include "store/listreader.h"

#include "store/modgeral.h"
#include "store/daytext.h"
#include "store/reminderrows.h"
#include "store/sqlitehandle.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <memory>
#include <sqlite3.h>

namespace {

QByteArrayView columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(statement, column)) : QByteArrayView();
}

int bind(sqlite3_stmt *statement, int position, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, position);
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
        return sqlite3_bind_int64(statement, position, value.toLongLong());
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(statement, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

struct Finalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

} // namespace

ListReader::ListReader(const QSqlDatabase &connection)
    : m_connection(connection)
{
}

bool ListReader::read(const Statement &statement, ReminderRows &rows)
{
    return run(statement, rows, nullptr, {});
}

bool ListReader::read(const Statement &statement, ReminderRows &rows, const Schedule &schedule,
                      const std::vector<Schedule::Entry> &entries)
{
    return run(statement, rows, &schedule, entries);
}

namespace {

void appendEntry(ReminderRows &rows, const Schedule &schedule, const Schedule::Entry &entry)
{
    const Schedule::Row &row = schedule.rows()[std::size_t(entry.row)];
    if (entry.day.isValid())
        rows.appendScheduled(row.key, entry.day, row.title, row.minutes, row.series.repeats());
    else
        rows.appendScheduled(row.key, row.storedDay, row.title, row.minutes, row.series.repeats());
}

} // namespace

bool ListReader::run(const Statement &statement, ReminderRows &rows, const Schedule *schedule,
                     const std::vector<Schedule::Entry> &entries)
{
    m_error.clear();
    m_firstRowWithoutTitle = -1;
    m_started = false;
    sqlite3 *db = sqliteHandleOf(m_connection);
    if (!db) {
        m_error = QStringLiteral("o banco de dados não está aberto.");
        return false;
    }
    sqlite3_stmt *raw = nullptr;
    const QByteArray text = statement.text.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, Finalizer> prepared(raw);
    for (int i = 0; i < statement.values.size(); ++i) {
        if (bind(raw, i + 1, statement.values.at(i)) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(db));
            return false;
        }
    }
    m_started = true;
    std::size_t next = 0;
    int result;
    while ((result = sqlite3_step(raw)) == SQLITE_ROW) {
        if (schedule && schedule->contains(sqlite3_column_int64(raw, 0)))
            continue; // listed on its own days, among the entries
        const QByteArrayView day = columnText(raw, 1);
        const QByteArrayView title = columnText(raw, 2);
        // The day is read once, for the entries and the row alike.
        const QDate parsed = daytext::fromStored(day);
        while (next < entries.size() && schedule->before(entries[next], parsed, day, title))
            appendEntry(rows, *schedule, entries[next++]);
        if (m_firstRowWithoutTitle < 0 && sqlite3_column_type(raw, 2) == SQLITE_NULL)
            m_firstRowWithoutTitle = rows.size();
        rows.append(sqlite3_column_int64(raw, 0), day, parsed, title);
    }
    if (result != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    while (next < entries.size())
        appendEntry(rows, *schedule, entries[next++]);
    return true;
}
