#include "store/schedule.h"

#include "store/daytext.h"
#include "store/recurrencecolumns.h"
#include "store/schedulecache.h"
#include "store/schedulerows.h"
#include "store/sqlitehandle.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <sqlite3.h>

namespace {

QByteArray columnBytes(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QByteArray(text, sqlite3_column_bytes(statement, column)) : QByteArray();
}

// SQLite orders texts by their bytes, unsigned.
int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const int common = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (common != 0)
        return common;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

QByteArrayView columnView(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(statement, column)) : QByteArrayView();
}

// "HH:MM" in minutes after midnight, as recurrence::timeFromText() reads it; -1 otherwise.
int minutesOf(QByteArrayView text)
{
    const auto digit = [&text](int at) { return text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -100; };
    if (text.size() != 5 || text[2] != ':')
        return -1;
    const int hour = digit(0) * 10 + digit(1);
    const int minute = digit(3) * 10 + digit(4);
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 ? hour * 60 + minute : -1;
}

// The few rule texts a file holds, each made a QString once and shared by its rows.
class RuleTexts
{
public:
    QString text(QByteArrayView bytes)
    {
        for (const auto &[known, text] : m_known)
            if (known == bytes)
                return text;
        QString text = QString::fromUtf8(bytes);
        if (m_known.size() < 32)
            m_known.emplace_back(bytes.toByteArray(), text);
        return text;
    }

private:
    std::vector<std::pair<QByteArray, QString>> m_known;
};

struct Finalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

// The days an entry of the file holds, as a row keeps them.
void applyCached(Schedule::Row &row, const schedulecache::Entry &entry)
{
    row.ahead.clear();
    row.ahead.reserve(size_t(std::popcount(entry.days)) + 1);
    for (quint64 days = entry.days; days; days &= days - 1)
        row.ahead.push_back(entry.from + std::countr_zero(days));
    row.ended = entry.after < 0;
    if (!row.ended)
        row.ahead.push_back(entry.after);
    row.from = entry.from;
    row.known = row.ended ? std::numeric_limits<qint32>::max() : entry.after;
    if (entry.last >= 0)
        row.last = QDate::fromJulianDay(entry.last);
}

// The entry for a row counted from counted; false when its days do not fit one.
bool toCached(const Schedule::Row &row, qint32 counted, schedulecache::Entry *entry)
{
    if (row.from < 0 || row.from > counted)
        return false;
    entry->key = row.key;
    entry->signature = row.signature;
    entry->from = counted;
    entry->days = 0;
    entry->after = row.ended ? -1 : row.known;
    for (const qint32 day : row.ahead) {
        if (!row.ended && day == row.known)
            break;
        const qint32 offset = day - counted;
        if (offset < 0 || offset >= 64)
            return false;
        entry->days |= quint64(1) << offset;
    }
    entry->last = row.last.isValid() ? qint32(row.last.toJulianDay()) : -1;
    return true;
}

// Whether the days found before no longer reach past the days listed from first.
bool needsStepping(const Schedule::Row &row, qint32 first)
{
    return row.from < 0 || first < row.from || row.known < first + Schedule::kSoonDays - 1;
}

} // namespace

Schedule::Stamp Schedule::stampOf(const QString &path)
{
    Stamp stamp;
    stamp.path = path;
    const QFileInfo file(path);
    if (file.exists()) {
        stamp.size = file.size();
        stamp.changed = file.lastModified().toMSecsSinceEpoch();
    }
    for (const char *suffix : {"-wal", "-journal"}) {
        const QFileInfo journal(path + QLatin1String(suffix));
        if (journal.exists()) {
            stamp.journalSize += journal.size();
            stamp.journalChanged = std::max(stamp.journalChanged, journal.lastModified().toMSecsSinceEpoch());
        }
    }
    return stamp;
}

void Schedule::invalidate()
{
    m_read = false;
    if (!m_rows.empty()) {
        m_previous = std::move(m_rows);
        std::sort(m_previous.begin(), m_previous.end(), [](const Row &a, const Row &b) { return a.key < b.key; });
    }
    m_rows.clear();
    m_pending = 0;
    m_stepCursor = 0;
    m_keys.clear();
    m_keyBits.clear();
    m_counted = QDate();
    m_months.clear();
    m_busyMonths.clear();
}

bool Schedule::refresh(const QSqlDatabase &db, const QString &path, const QDate &today, QString *error)
{
    const Stamp stamp = stampOf(path);
    if (!m_read || !(stamp == m_stamp)) {
        invalidate();
        if (!read(db, error))
            return false;
        m_stamp = stamp;
        m_read = true;
    }
    if (m_counted != today)
        count(today);
    return true;
}

bool Schedule::read(const QSqlDatabase &db, QString *error)
{
    sqlite3 *handle = sqliteHandleOf(db);
    if (!handle) {
        *error = QStringLiteral("o banco de dados não está aberto.");
        return false;
    }
    if (!recurrencecolumns::exist(db))
        return true; // a read-only file of an older version: every reminder is day-only
    const std::vector<schedulecache::Entry> cached = schedulecache::readAll(handle);
    const QByteArray text = (QStringLiteral("select rowid, data, titulo, hora, repeticao, excecoes from lembrete where ")
                             + recurrencecolumns::specialCondition())
                                .toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(handle));
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, Finalizer> statement(raw);
    m_rows.reserve(std::max(cached.size(), m_previous.size()));
    RuleTexts rules;
    int result;
    while ((result = sqlite3_step(raw)) == SQLITE_ROW) {
        Row &row = m_rows.emplace_back();
        row.key = sqlite3_column_int64(raw, 0);
        row.storedDay = columnBytes(raw, 1);
        row.title = columnBytes(raw, 2);
        row.minutes = minutesOf(columnView(raw, 3));
        row.series.firstDay = daytext::fromStored(QByteArrayView(row.storedDay));
        const QByteArrayView rule = columnView(raw, 4);
        row.series.rule = rules.text(rule);
        const QByteArrayView exceptions = columnView(raw, 5);
        if (!exceptions.isEmpty())
            row.series.exceptions = recurrence::exceptionsFromText(QString::fromUtf8(exceptions));
        if (row.series.repeats()) {
            row.signature = schedulecache::signature(row.storedDay, rule, exceptions);
            const schedulecache::Entry *entry = schedulecache::find(cached, row.key);
            if (entry && entry->signature == row.signature)
                applyCached(row, *entry);
            else
                reusePrevious(row);
        }
    }
    m_previous.clear();
    if (result != SQLITE_DONE) {
        *error = QString::fromUtf8(sqlite3_errmsg(handle));
        m_rows.clear();
        return false;
    }
    // Kept in list order within a day once, so the lists need not sort them
    // again; the order is found on indexes, which move far cheaper than rows.
    std::vector<quint32> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(i);
    std::sort(order.begin(), order.end(), [this](quint32 left, quint32 right) {
        const Row &a = m_rows[left];
        const Row &b = m_rows[right];
        if (a.minutes != b.minutes)
            return a.minutes < b.minutes;
        const int titles = compareBytes(a.title, b.title);
        return titles != 0 ? titles < 0 : a.key < b.key;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    m_keys.reserve(m_rows.size());
    for (const quint32 index : order) {
        m_keys.push_back(m_rows[index].key);
        sorted.push_back(std::move(m_rows[index]));
    }
    m_rows = std::move(sorted);
    std::sort(m_keys.begin(), m_keys.end());
    constexpr qint64 kMostBits = qint64(1) << 27; // 16 MB
    if (!m_keys.empty() && m_keys.front() >= 0 && m_keys.back() < kMostBits) {
        m_keyBits.assign(size_t(m_keys.back()) + 1, false);
        for (const qint64 key : m_keys)
            m_keyBits[size_t(key)] = true;
    }
    return true;
}

// What was found for the same texts before the rows were read again (the
// program's own change of another row, before the days reached the file).
const Schedule::Row *Schedule::sameRow(const std::vector<Row> &rows, const Row &row)
{
    const auto found = std::lower_bound(rows.cbegin(), rows.cend(), row.key,
                                        [](const Row &candidate, qint64 key) { return candidate.key < key; });
    if (found == rows.cend() || found->key != row.key || found->signature != row.signature)
        return nullptr;
    return &*found;
}

void Schedule::takeDaysAhead(Row &row, const Row &counted)
{
    row.ahead = counted.ahead;
    row.from = counted.from;
    row.known = counted.known;
    row.ended = counted.ended;
    row.last = counted.last;
    row.unsaved = counted.unsaved;
}

void Schedule::reusePrevious(Row &row) const
{
    const Row *previous = sameRow(m_previous, row);
    if (previous && previous->from >= 0)
        takeDaysAhead(row, *previous);
}

void Schedule::count(const QDate &today)
{
    m_counted = today;
    m_stepCursor = 0;
    const qint32 first = qint32(today.toJulianDay());
    m_pending = 0;
    for (Row &row : m_rows) {
        row.pending = row.series.repeats() && needsStepping(row, first);
        m_pending += row.pending;
    }
    applyFound();
    if (m_pending <= kStepAtOnce) {
        m_pending = 0;
        schedulerows::forEachRow(m_rows, [&](Row &row) {
            row.pending = false;
            countRow(row, today);
        });
        return;
    }
    for (Row &row : m_rows) {
        if (row.pending) {
            row.next = row.last = QDate();
            row.soon = 0;
        } else {
            countRow(row, today);
        }
    }
    startFinding();
}

bool Schedule::stepSome(int milliseconds)
{
    if (!m_counted.isValid())
        return false;
    const qint32 soonest = qint32(m_counted.toJulianDay()) + kSoonDays - 1 + kMarginDays;
    QElapsedTimer timer;
    timer.start();
    while (m_stepCursor < m_rows.size()) {
        Row &row = m_rows[m_stepCursor++];
        if (row.from < 0 || row.known >= soonest)
            continue;
        // From the counted day, so its next day and soon days stay as listed.
        stepAhead(row, m_counted);
        countRow(row, m_counted);
        if (timer.elapsed() >= milliseconds)
            break;
    }
    return m_stepCursor < m_rows.size();
}

bool Schedule::hasUnsaved() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const Row &row) { return row.unsaved || row.pending; });
}

bool Schedule::save(const QSqlDatabase &db, QString *error, size_t most)
{
    sqlite3 *handle = sqliteHandleOf(db);
    if (!handle || !m_counted.isValid()) {
        *error = QStringLiteral("o banco de dados não está aberto.");
        return false;
    }
    const qint32 counted = qint32(m_counted.toJulianDay());
    std::vector<schedulecache::Entry> entries;
    std::vector<size_t> taken;
    size_t next = 0;
    for (; next < m_rows.size() && entries.size() < most; ++next) {
        if (!m_rows[next].unsaved)
            continue;
        taken.push_back(next);
        schedulecache::Entry entry;
        if (toCached(m_rows[next], counted, &entry))
            entries.push_back(entry);
    }
    const bool last = std::none_of(m_rows.cbegin() + qsizetype(next), m_rows.cend(),
                                   [](const Row &row) { return row.unsaved; });
    // The program's own write is no change to read again for, unless another came before it.
    const bool unchanged = m_read && stampOf(m_stamp.path) == m_stamp;
    if (!schedulecache::write(handle, entries, last, error))
        return false;
    for (const size_t index : taken)
        m_rows[index].unsaved = false;
    if (unchanged)
        m_stamp = stampOf(m_stamp.path);
    return true;
}

// One pass of libical over the days from today to kAheadDays later, and the
// first day after them, which is the next day when none comes sooner.
void Schedule::stepAhead(Row &row, const QDate &today)
{
    const QDate through = today.addDays(kAheadDays);
    const QList<QDate> days = recurrence::upcoming(row.series, today, through);
    row.ahead.clear();
    for (const QDate &day : days)
        row.ahead.push_back(qint32(day.toJulianDay()));
    row.ended = days.isEmpty() || days.constLast() <= through;
    row.from = qint32(today.toJulianDay());
    row.unsaved = row.series.repeats();
    row.known = row.ended ? std::numeric_limits<qint32>::max() : row.ahead.back();
}

void Schedule::countRow(Row &row, const QDate &today)
{
    const qint32 first = qint32(today.toJulianDay());
    const qint32 horizon = first + kSoonDays - 1;
    // The days found before still answer while they reach past the days listed.
    if (row.from < 0 || first < row.from || row.known < horizon)
        stepAhead(row, today);
    std::erase_if(row.ahead, [first](qint32 day) { return day < first; });
    // What is kept now starts at first: a clock set back before it must step again.
    row.from = std::max(row.from, first);
    row.next = row.ahead.empty() ? QDate() : QDate::fromJulianDay(row.ahead.front());
    if (row.next.isValid())
        row.last = QDate();
    else if (!row.last.isValid()) {
        row.last = recurrence::lastOccurrence(row.series); // once: an ended series stays ended
        row.unsaved = row.series.repeats();
    }
    row.soon = 0;
    for (const qint32 day : row.ahead)
        if (day <= horizon)
            row.soon |= 1u << (day - first);
}

bool Schedule::contains(qint64 key) const
{
    if (!m_keyBits.empty())
        return key >= 0 && key < qint64(m_keyBits.size()) && m_keyBits[size_t(key)];
    return std::binary_search(m_keys.cbegin(), m_keys.cend(), key);
}

void Schedule::sortEntries(std::vector<Entry> &entries) const
{
    // The entries come in time and title order; only the days are to be ordered.
    std::stable_sort(entries.begin(), entries.end(), [this](const Entry &a, const Entry &b) {
        if (a.day.isValid() && b.day.isValid())
            return a.day < b.day;
        const QByteArray left = a.day.isValid() ? daytext::stored(a.day).toUtf8() : m_rows[size_t(a.row)].storedDay;
        const QByteArray right = b.day.isValid() ? daytext::stored(b.day).toUtf8() : m_rows[size_t(b.row)].storedDay;
        return compareBytes(left, right) < 0;
    });
}

std::vector<Schedule::Entry> Schedule::listed() const
{
    std::vector<Entry> entries;
    entries.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row &row = m_rows[i];
        if (row.pending)
            continue;
        const QDate day = row.next.isValid() ? row.next : (row.last.isValid() ? row.last : row.series.firstDay);
        entries.push_back({int(i), day});
    }
    sortEntries(entries);
    return entries;
}

std::vector<Schedule::Entry> Schedule::between(const QDate &from, const QDate &to) const
{
    std::vector<Entry> entries;
    if (!from.isValid() || !to.isValid() || to < from)
        return entries;
    if (m_counted.isValid() && from >= m_counted && m_counted.daysTo(to) < kSoonDays) {
        // Within the days counted ahead: the soon bits, in one pass over the
        // rows (in order) into one list per day.
        const int first = int(m_counted.daysTo(from));
        const int last = int(m_counted.daysTo(to));
        const quint32 wanted = (last == 31 ? ~0u : (1u << (last + 1)) - 1) & ~((1u << first) - 1);
        std::vector<Entry> days[kSoonDays];
        for (size_t i = 0; i < m_rows.size(); ++i)
            for (quint32 bits = m_rows[i].soon & wanted; bits; bits &= bits - 1)
                days[std::countr_zero(bits)].push_back({int(i), QDate()});
        for (int offset = first; offset <= last; ++offset) {
            const QDate day = m_counted.addDays(offset);
            for (Entry &entry : days[offset])
                entry.day = day;
            entries.insert(entries.end(), days[offset].cbegin(), days[offset].cend());
        }
        return entries;
    }
    return farBetween(from, to);
}

bool Schedule::before(const Entry &entry, const QDate &day, QByteArrayView storedDay, QByteArrayView title) const
{
    const Row &row = m_rows[size_t(entry.row)];
    if (entry.day.isValid() && day.isValid()) {
        if (entry.day != day)
            return entry.day < day;
    } else {
        const QByteArray own = entry.day.isValid() ? daytext::stored(entry.day).toUtf8() : row.storedDay;
        const int days = compareBytes(own, storedDay);
        if (days != 0)
            return days < 0;
    }
    // A time comes after every reminder of the whole day.
    return row.minutes < 0 && compareBytes(row.title, title) < 0;
}
