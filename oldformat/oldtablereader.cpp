// libmdb's header includes glib inside its extern "C" block, where glib's C++
// parts cannot be compiled; glib is therefore included on its own first. Both
// come before Qt so that Qt's keywords cannot clash with glib's declarations.
#include <glib.h>
#include <mdbtools.h>

#include "oldformat/oldtablereader.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace {

const QString kTableName = QStringLiteral("lembrete");
// No reminder text comes near this; a length beyond it is damage.
constexpr qint64 kLargestValue = 64 * 1024 * 1024;

struct MdbCloser
{
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct TableFreer
{
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

// The older layout keeps texts in the Windows Latin alphabet; these are its
// characters that differ from Latin-1 (the five unused codes keep their value).
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        text[i] = QChar(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte));
    }
    return text;
}

// The newer layout keeps UCS-2; a text that starts with FF FE is compressed:
// a zero byte switches between one byte per character (the high byte zero)
// and two. False when the bytes end inside a character.
bool fromUcs2(const QByteArray &bytes, QString *text)
{
    text->clear();
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        bool compressed = true;
        for (qsizetype i = 2; i < size;) {
            if (data[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text->append(QChar(char16_t(data[i++])));
            } else if (size - i >= 2) {
                text->append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
                i += 2;
            } else {
                return false;
            }
        }
        return true;
    }
    if (size % 2 != 0)
        return false;
    for (qsizetype i = 0; i < size; i += 2)
        text->append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    return true;
}

class Reader
{
public:
    Reader(MdbHandle *mdb, const QString &path) : m_mdb(mdb), m_path(path) {}

    bool text(const MdbColumn *column, QString *text, QString *error);
    // One row of the table; a text that cannot be read whole sets row->damage.
    oldformat::Row row(const MdbColumn *dayColumn, const MdbColumn *titleColumn,
                       const MdbColumn *descriptionColumn);

private:
    bool valueBytes(const MdbColumn *column, QByteArray *bytes) const;
    bool longValueBytes(const MdbColumn *column, QByteArray *bytes) const;
    bool rowOnPage(quint32 pageRow, QByteArray *bytes) const;

    MdbHandle *m_mdb;
    QString m_path;
};

// The bytes of row (pageRow & 0xff) of page (pageRow >> 8), after checking
// that the page is a data page that has that row and that the row lies
// inside it.
bool Reader::rowOnPage(quint32 pageRow, QByteArray *bytes) const
{
    const quint32 page = pageRow >> 8;
    const int row = int(pageRow & 0xff);
    const qint64 pageSize = m_mdb->fmt->pg_size;
    if (page == 0 || mdb_read_alt_pg(m_mdb, page) != pageSize)
        return false;
    const auto *data = static_cast<const unsigned char *>(m_mdb->alt_pg_buf);
    if (data[0] != 0x01) // a data page
        return false;
    const int countAt = m_mdb->fmt->row_count_offset;
    const int rows = mdb_get_int16(m_mdb->alt_pg_buf, countAt);
    if (row >= rows)
        return false;
    const int start = mdb_get_int16(m_mdb->alt_pg_buf, countAt + 2 + row * 2) & 0x1fff;
    const int end = row == 0 ? int(pageSize) : mdb_get_int16(m_mdb->alt_pg_buf, countAt + row * 2) & 0x1fff;
    if (start < countAt + 2 + rows * 2 || start > end || end > pageSize)
        return false;
    *bytes = QByteArray(reinterpret_cast<const char *>(data) + start, end - start);
    return true;
}

bool Reader::valueBytes(const MdbColumn *column, QByteArray *bytes) const
{
    const int start = column->cur_value_start;
    const int size = column->cur_value_len;
    if (start < 0 || size < 0 || qint64(start) + size > m_mdb->fmt->pg_size)
        return false;
    *bytes = QByteArray(reinterpret_cast<const char *>(m_mdb->pg_buf) + start, size);
    return true;
}

// A memo value: kept in the row, in one row of another page, or in a chain of
// rows each starting with the address of the next. Every byte the header
// announces must be found; a chain that comes back to a row it passed, or a
// link that adds nothing, is damage (libmdb would go round it for ever).
bool Reader::longValueBytes(const MdbColumn *column, QByteArray *bytes) const
{
    QByteArray field;
    if (!valueBytes(column, &field))
        return false;
    if (field.size() < MDB_MEMO_OVERHEAD)
        return field.isEmpty();
    const quint32 header = quint32(mdb_get_int32(field.data(), 0));
    const qint64 length = header & 0x3fffffffu;
    if (header & 0x80000000u) { // kept inside the row
        *bytes = field.mid(MDB_MEMO_OVERHEAD);
        return length == bytes->size();
    }
    if (length > kLargestValue || length > QFileInfo(m_path).size())
        return false;
    quint32 pageRow = quint32(mdb_get_int32(field.data(), 4));
    QByteArray piece;
    if (header & 0x40000000u) { // on one other page, which holds it exactly
        if (!rowOnPage(pageRow, &piece) || piece.size() != length)
            return false;
        *bytes = piece;
        return true;
    }
    if (header & 0xff000000u)
        return false;
    QSet<quint32> visited;
    bytes->clear();
    while (pageRow != 0) {
        if (visited.contains(pageRow) || !rowOnPage(pageRow, &piece) || piece.size() <= 4)
            return false;
        visited.insert(pageRow);
        *bytes += piece.mid(4);
        if (bytes->size() > length)
            return false;
        pageRow = quint32(mdb_get_int32(piece.data(), 0));
    }
    return bytes->size() == length;
}

bool Reader::text(const MdbColumn *column, QString *text, QString *error)
{
    text->clear();
    QByteArray bytes;
    const bool whole = column->col_type == MDB_MEMO ? longValueBytes(column, &bytes)
                                                     : valueBytes(column, &bytes);
    bool decoded = whole;
    if (whole) {
        if (IS_JET3(m_mdb))
            *text = fromWindows1252(bytes);
        else
            decoded = fromUcs2(bytes, text);
    }
    // A zero character is what a wiped page reads as, never a typed one.
    if (!decoded || text->contains(QChar(0))) {
        text->clear();
        *error = QStringLiteral("o texto da coluna %1 não pôde ser lido por inteiro; "
                                "o arquivo parece danificado ou incompleto.")
                     .arg(QString::fromUtf8(column->name));
        return false;
    }
    return true;
}

oldformat::Row Reader::row(const MdbColumn *dayColumn, const MdbColumn *titleColumn,
                           const MdbColumn *descriptionColumn)
{
    oldformat::Row row;
    if (dayColumn->col_type == MDB_DATETIME) {
        if (dayColumn->cur_value_len == 8) {
            row.dayKind = oldformat::DayKind::DateTime;
            row.dayValue = mdb_get_double(m_mdb->pg_buf, dayColumn->cur_value_start);
        }
    } else if (dayColumn->cur_value_len > 0) {
        row.dayKind = oldformat::DayKind::Text;
        text(dayColumn, &row.dayText, &row.damage);
    }
    // The first damage found is the reason given; the rest is read all the same.
    QString damage;
    if (!text(titleColumn, &row.title, &damage) && row.damage.isEmpty())
        row.damage = damage;
    if (!text(descriptionColumn, &row.description, &damage) && row.damage.isEmpty())
        row.damage = damage;
    if (!row.damage.isEmpty())
        row.description.clear();
    return row;
}

MdbColumn *findColumn(MdbTableDef *table, const QString &name)
{
    for (guint i = 0; i < table->num_cols; ++i) {
        auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        if (QString::fromUtf8(column->name).compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return nullptr;
}

} // namespace

bool OldTableReader::read(oldformat::Reply *reply)
{
    QString &error = reply->error;
    const auto fail = [&error](const QString &description) {
        error = description;
        return false;
    };
    const QFileInfo info(m_path);
    if (!info.isFile())
        return fail(QStringLiteral("o arquivo %1 não foi encontrado.").arg(m_path));

    // libmdb converts no text here (the values are decoded above), but it
    // still reads MDB_ICONV when it opens a file.
    qputenv("MDB_ICONV", "UTF-8");
    const MdbPtr mdb(mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS));
    if (!mdb)
        return fail(QStringLiteral("o arquivo %1 não pôde ser aberto como banco de dados "
                                   "do formato antigo.")
                        .arg(m_path));
    const qint64 pageSize = mdb->fmt->pg_size;
    if (pageSize <= 0 || info.size() < 2 * pageSize || info.size() % pageSize != 0)
        return fail(QStringLiteral("o arquivo %1 está incompleto (o tamanho não corresponde "
                                   "a um número inteiro de páginas).")
                        .arg(m_path));
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        return fail(QStringLiteral("a lista de tabelas do arquivo %1 não pôde ser lida; "
                                   "o arquivo parece danificado.")
                        .arg(m_path));

    MdbCatalogEntry *entry = nullptr;
    for (guint i = 0; i < mdb->num_catalog && !entry; ++i) {
        auto *candidate = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (candidate->object_type == MDB_TABLE
            && QString::fromUtf8(candidate->object_name).compare(kTableName, Qt::CaseInsensitive) == 0)
            entry = candidate;
    }
    if (!entry)
        return fail(QStringLiteral("o arquivo %1 não tem a tabela lembrete.").arg(m_path));

    const TablePtr table(mdb_read_table(entry));
    // Without its page map libmdb cannot walk the table's rows.
    if (!table || !table->usage_map || !mdb_read_columns(table.get()))
        return fail(QStringLiteral("a definição da tabela lembrete do arquivo %1 não pôde "
                                   "ser lida; o arquivo parece danificado.")
                        .arg(m_path));

    MdbColumn *dayColumn = findColumn(table.get(), QStringLiteral("data"));
    MdbColumn *titleColumn = findColumn(table.get(), QStringLiteral("titulo"));
    MdbColumn *descriptionColumn = findColumn(table.get(), QStringLiteral("descricao"));
    QStringList missing;
    if (!dayColumn)
        missing << QStringLiteral("data");
    if (!titleColumn)
        missing << QStringLiteral("titulo");
    if (!descriptionColumn)
        missing << QStringLiteral("descricao");
    if (!missing.isEmpty())
        return fail(QStringLiteral("a tabela lembrete do arquivo %1 não tem %2 %3.")
                        .arg(m_path,
                             missing.size() == 1 ? QStringLiteral("a coluna") : QStringLiteral("as colunas"),
                             missing.join(QStringLiteral(", "))));

    const auto isText = [](const MdbColumn *column) {
        return column->col_type == MDB_TEXT || column->col_type == MDB_MEMO;
    };
    if (!isText(dayColumn) && dayColumn->col_type != MDB_DATETIME)
        return fail(QStringLiteral("a coluna data da tabela lembrete não é de texto nem de "
                                   "data/hora e não pode ser convertida."));
    for (const MdbColumn *column : {titleColumn, descriptionColumn}) {
        if (!isText(column))
            return fail(QStringLiteral("a coluna %1 da tabela lembrete não é de texto.")
                            .arg(QString::fromUtf8(column->name)));
    }
    // A column whose place in the row lies outside the table's rows would be
    // read as empty in every row; that is a damaged definition, not empty texts.
    for (const MdbColumn *column : {dayColumn, titleColumn, descriptionColumn}) {
        const bool placed = column->is_fixed
            ? column->col_type == MDB_DATETIME && column->fixed_offset >= 0
                && column->fixed_offset + 8 <= pageSize
            : column->col_type != MDB_DATETIME && column->var_col_num < table->num_var_cols;
        if (!placed)
            return fail(QStringLiteral("a definição da coluna %1 da tabela lembrete no arquivo %2 está "
                                       "danificada.")
                            .arg(QString::fromUtf8(column->name), m_path));
    }

    // No column is bound: each value is taken here from the row's page.
    Reader reader(mdb.get(), m_path);
    mdb_rewind_table(table.get());
    // A row whose texts cannot all be read whole is handed over with what
    // could be read, so that it is set aside and the other rows still come.
    while (mdb_fetch_row(table.get()))
        reply->rows.append(reader.row(dayColumn, titleColumn, descriptionColumn));
    // Not one row whole: the file itself is unreadable, not a row of it.
    if (!reply->rows.isEmpty()
        && std::all_of(reply->rows.cbegin(), reply->rows.cend(),
                       [](const oldformat::Row &row) { return !row.damage.isEmpty(); }))
        return fail(QStringLiteral("nenhuma linha da tabela lembrete do arquivo %1 pôde ser lida por "
                                   "inteiro; o arquivo parece danificado ou incompleto.")
                        .arg(m_path));
    // Rows that the table's header counts but no page holds mean pages are
    // missing: better no import than an import that loses reminders.
    if (qsizetype(table->num_rows) > reply->rows.size())
        return fail(QStringLiteral("só %1 das %2 linhas da tabela lembrete puderam ser lidas; "
                                   "o arquivo %3 parece danificado ou incompleto.")
                        .arg(reply->rows.size())
                        .arg(table->num_rows)
                        .arg(m_path));
    return true;
}
