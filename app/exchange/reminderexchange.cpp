#include "exchange/reminderexchange.h"

#include "exchange/calendarexport.h"
#include "exchange/icalendar.h"
#include "exchange/importrows.h"
#include "reports/c_relatorios.h"
#include "reports/listsource.h"
#include "store/daytext.h"
#include "store/importwriting.h"
#include "store/modgeral.h"
#include "store/uidcolumn.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariant>


namespace exchange {
namespace {

struct Row
{
    qint64 key = 0;
    QString day; // as stored
    QString title;
    QString description;
    QString uid;
};

using importwriting::describe;
using importwriting::freeName;

// Far more than any calendar of reminders (100,000 of them export to about
// 40 MB); the file is read whole, and this bounds the memory that takes.
constexpr qint64 kMaxCalendarBytes = 100 * 1024 * 1024;

// Reads every reminder in day and title order; rows added together keep the
// order they were added in, so a file imported and exported again keeps its own.
// The table is read without its index, which a damaged file may have lost,
// and a read that stops midway is a failure, never a shorter export.
bool readAll(const QSqlDatabase &db, QList<Row> *rows, QString *error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool withUid = uidcolumn::exists(db);
    if (!query.exec(QStringLiteral("select rowid, data, titulo, descricao, %1 from lembrete not indexed "
                                   "order by data, titulo, rowid")
                        .arg(withUid ? QStringLiteral("uid") : QStringLiteral("null")))) {
        *error = describe(QStringLiteral("os lembretes não puderam ser lidos"), query.lastError());
        return false;
    }
    while (query.next())
        rows->append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                      query.value(3).toString(), query.value(4).toString()});
    if (query.lastError().isValid()) {
        *error = describe(QStringLiteral("a leitura dos lembretes parou depois de %1 deles").arg(rows->size()),
                          query.lastError());
        return false;
    }
    return true;
}

// Gives every row without a UID a new one (the shape icalendar::newUid()
// gives) in one statement, before the rows are read for the export.
bool assignMissingUids(const QSqlDatabase &db, QString *error)
{
    QSqlQuery query(db);
    if (!uidcolumn::ensure(db)
        || !query.exec(QStringLiteral("update lembrete set uid = lower(hex(randomblob(16))) || '@zedozarir' "
                                      "where uid is null or uid = ''"))) {
        *error = describe(QStringLiteral("os identificadores dos lembretes não puderam ser gravados no banco "
                                         "de dados, e sem eles outro calendário repetiria os lembretes a cada "
                                         "exportação"),
                          query.lastError());
        return false;
    }
    return true;
}

bool uidsMissing(const QSqlDatabase &db)
{
    if (!uidcolumn::exists(db))
        return true;
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select exists (select 1 from lembrete where uid is null or uid = '')"))
        && query.next() && query.value(0).toBool();
}

bool writeFile(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *error = QStringLiteral("o arquivo %1 não pôde ser gravado (%2).")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

// Every reminder as a list with the day as the user reads it.
class AllReminders : public ListSource
{
public:
    explicit AllReminders(const QList<Row> &rows) : m_rows(rows) {}
    int columnCount() const override { return 3; }
    QString columnHeader(int column) const override
    {
        static const QString headers[] = {QStringLiteral("Data"), QStringLiteral("Título"),
                                          QStringLiteral("Descrição")};
        return headers[column];
    }
    int itemCount() const override { return int(m_rows.size()); }
    QString text(int item, int column) const override
    {
        const Row &row = m_rows.at(item);
        switch (column) {
        case 0: {
            const QDate day = daytext::fromStored(row.day);
            return day.isValid() ? daytext::shown(day) : row.day;
        }
        case 1:
            return row.title;
        default:
            return row.description;
        }
    }
    void selectItem(int) override {}
    int selectedItem() const override { return -1; }

private:
    const QList<Row> &m_rows;
};

bool writeRejectFile(const QString &path, const QString &source,
                     const QList<icalendar::SetAside> &setAside, QString *error)
{
    const QString heading =
        QStringLiteral("Itens do calendário %1 que não foram trazidos para o banco de dados de lembretes "
                       "(%2).\nCada um aparece abaixo com o motivo.\n")
            .arg(source, QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    return importwriting::writeSetAsideFile(path, QStringLiteral("os itens"), heading,
                                            [&setAside](QTextStream &out) {
                                                for (const icalendar::SetAside &item : setAside)
                                                    out << "\n=== " << item.summary << " ===\nMotivo: "
                                                        << item.reason << '\n';
                                            },
                                            error);
}

QSet<QString> knownUids(const QSqlDatabase &db)
{
    QSet<QString> uids;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("select uid from lembrete where uid is not null")))
        while (query.next())
            uids.insert(query.value(0).toString());
    return uids;
}

QString contentKey(const QString &storedDay, const QString &title, const QString &description)
{
    return storedDay + QChar(0x1f) + title + QChar(0x1f) + description;
}

// How many reminders hold each day, title and description: an item without
// a UID is known only by these.
QHash<QString, int> knownContents(const QSqlDatabase &db)
{
    QHash<QString, int> contents;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("select data, titulo, coalesce(descricao, '') from lembrete")))
        while (query.next())
            ++contents[contentKey(query.value(0).toString(), query.value(1).toString(), query.value(2).toString())];
    return contents;
}

// Splits the file's items into new ones, ones the database already holds
// (by UID, else by day, title and description) and second items with a UID
// already taken in this file, which are set aside.
class ItemSorter
{
public:
    explicit ItemSorter(const QSqlDatabase &db) : m_db(db), m_known(knownUids(db)) {}

    void sort(const QList<icalendar::Item> &items, ImportResult *result, QList<icalendar::Item> *fresh,
              QList<icalendar::SetAside> *setAside)
    {
        for (const icalendar::Item &item : items) {
            const QString uid = icalendar::storedUid(item);
            if (!item.uid.isEmpty() && m_inFile.contains(uid)) {
                setAside->append({item.title, sameUid(item)});
                continue;
            }
            m_inFile.insert(uid);
            if (item.uid.isEmpty() ? knownByContent(item) : m_known.contains(uid)) {
                ++result->alreadyPresent;
                continue;
            }
            fresh->append(item);
            if (!item.occurrence.isEmpty() && !item.replaces.isValid())
                ++result->recurring;
        }
    }

private:
    bool knownByContent(const icalendar::Item &item)
    {
        if (!m_contentsRead) {
            m_contents = knownContents(m_db);
            m_contentsRead = true;
        }
        auto found = m_contents.find(contentKey(daytext::stored(item.day), item.title, item.description));
        if (found == m_contents.end() || *found == 0)
            return false;
        --*found; // two equal items in a file match two equal reminders
        return true;
    }

    static QString sameUid(const icalendar::Item &item)
    {
        return QStringLiteral("outro item deste arquivo tem o mesmo identificador (UID %1) e foi lido antes "
                              "dele; só o primeiro foi considerado.")
            .arg(icalendar::storedUid(item));
    }

    const QSqlDatabase &m_db;
    QSet<QString> m_known;
    QSet<QString> m_inFile;
    QHash<QString, int> m_contents;
    bool m_contentsRead = false;
};

// The import took nothing from a calendar that had items: a failure that
// still leaves the reasons in the set-aside file.
QString nothingTaken(const QString &rejectPath, const QString &source,
                     const QList<icalendar::SetAside> &setAside)
{
    QString error;
    if (!writeRejectFile(rejectPath, source, setAside, &error))
        return error;
    const QString file = QDir::toNativeSeparators(rejectPath);
    if (setAside.size() == 1)
        return QStringLiteral("nada do calendário pôde ser trazido. %1: %2 O motivo foi gravado no arquivo %3.")
            .arg(setAside.constFirst().summary, setAside.constFirst().reason, file);
    return QStringLiteral("nenhum dos %1 itens do calendário pôde ser trazido. Eles foram gravados, com o "
                          "motivo, no arquivo %2.")
        .arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString(setAside.size()), file);
}

// The new items go in one transaction; the reject file is written before the
// commit so that either both hold their items or neither is left.
bool insertItems(QSqlDatabase db, const QList<icalendar::Item> &items, const QByteArray &zones,
                 const QString &rejectPath,
                 const QString &source, const QList<icalendar::SetAside> &setAside, QString *error)
{
    if (!db.transaction()) {
        *error = describe(QStringLiteral("o banco de dados de lembretes não pôde ser alterado"),
                          db.lastError());
        return false;
    }
    if (!importrows::insert(db, items, zones, error)) {
        db.rollback();
        return false;
    }
    return importwriting::commitWithSetAsideFile(
        db, rejectPath, [&](QString *why) { return writeRejectFile(rejectPath, source, setAside, why); },
        QStringLiteral("os lembretes não puderam ser gravados"), error);
}

QString notOpen()
{
    return QStringLiteral("o banco de dados de lembretes não está aberto.");
}

} // namespace

bool storeMissingUids(modgeral &store, QString *error)
{
    if (!store.isOpen()) {
        *error = notOpen();
        return false;
    }
    const QSqlDatabase db = store.connection();
    if (!uidsMissing(db))
        return true;
    if (!store.beginChange()) {
        *error = store.lastError();
        return false;
    }
    return assignMissingUids(db, error);
}

ExportResult exportCalendar(modgeral &store, const QString &path, const QDateTime &stamp)
{
    ExportResult result;
    if (!store.isOpen()) {
        result.error = notOpen();
        return result;
    }
    // UIDs are stored before the file is written, so every later export
    // repeats them. A database that cannot be changed still exports, with
    // UIDs made from the rows themselves.
    const QSqlDatabase db = store.connection();
    QString ignored;
    result.uidsNotStored = !storeMissingUids(store, &ignored);
    QSaveFile file(path);
    calendarexport::Counts counts;
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = QStringLiteral("o arquivo %1 não pôde ser gravado (%2).")
                           .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    if (!calendarexport::write(db, file, stamp, &counts, &result.error) || !file.commit()) {
        if (result.error.isEmpty())
            result.error = QStringLiteral("o arquivo %1 não pôde ser gravado (%2).")
                               .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    result.written = counts.written;
    result.unreadableDays = counts.unreadableDays;
    result.ok = true;
    return result;
}

ExportResult exportCsv(modgeral &store, const QString &path)
{
    ExportResult result;
    if (!store.isOpen()) {
        result.error = notOpen();
        return result;
    }
    QList<Row> rows;
    if (!readAll(store.connection(), &rows, &result.error))
        return result;
    c_relatorios exporter;
    exporter.setFieldSeparatorCSV(QStringLiteral(";"));
    if (!writeFile(path, exporter.Exportar_listaparaCSV(AllReminders(rows)), &result.error))
        return result;
    result.written = int(rows.size());
    result.ok = true;
    return result;
}

ImportResult importCalendar(modgeral &store, const QString &path, const QDate &today,
                            const QString &rejectFolder)
{
    ImportResult result;
    result.windowFirst = today.addYears(-icalendar::yearsBack);
    result.windowLast = today.addYears(icalendar::yearsAhead);
    if (!store.isOpen()) {
        result.error = notOpen();
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("o arquivo %1 não pôde ser lido (%2).")
                           .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    if (file.size() > kMaxCalendarBytes) {
        result.error = QStringLiteral("o arquivo %1 tem mais de %2 MB, mais do que um calendário de lembretes "
                                      "pode ter; ele não foi lido.")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(kMaxCalendarBytes / (1024 * 1024));
        return result;
    }
    const icalendar::ParseResult parsed = icalendar::parse(file.readAll(), today);
    if (!parsed.error.isEmpty()) {
        result.error = parsed.error;
        return result;
    }
    if (!store.beginChange()) {
        result.error = store.lastError();
        return result;
    }
    QSqlDatabase db = store.connection();
    if (!uidcolumn::ensure(db)) {
        result.error = describe(QStringLiteral("o banco de dados de lembretes não pôde receber a "
                                               "coluna dos identificadores de calendário"),
                                db.lastError());
        return result;
    }
    QList<icalendar::Item> fresh;
    fresh.reserve(parsed.items.size());
    QList<icalendar::SetAside> setAside = parsed.setAside;
    ItemSorter(db).sort(parsed.items, &result, &fresh, &setAside);
    const QString rejectPath = setAside.isEmpty()
        ? QString()
        : freeName(rejectFolder, QStringLiteral("itens-de-calendario-nao-importados"), QStringLiteral(".txt"));
    const QString source = QDir::toNativeSeparators(path);
    if (fresh.isEmpty() && result.alreadyPresent == 0 && !setAside.isEmpty()) {
        result.error = nothingTaken(rejectPath, source, setAside);
        result.alreadyPresent = result.recurring = 0;
        return result;
    }
    if (!insertItems(db, fresh, parsed.zones, rejectPath, source, setAside, &result.error))
        return result;
    result.imported = int(fresh.size());
    result.setAside = int(setAside.size());
    result.capped = parsed.cappedRecurrences;
    result.rejectFile = rejectPath;
    result.ok = true;
    return result;
}

QString summary(const ImportResult &result, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    if (!result.ok)
        return QStringLiteral("Os lembretes de %1 não foram importados: %2").arg(file, result.error);
    const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
    const auto count = [&](int n) { return portuguese.toString(n); };
    QString text = result.imported == 1
        ? QStringLiteral("1 lembrete foi importado de %1.").arg(file)
        : QStringLiteral("%1 lembretes foram importados de %2.").arg(count(result.imported), file);
    if (result.alreadyPresent > 0)
        text += result.alreadyPresent == 1
            ? QStringLiteral(" 1 item já estava no banco de dados e não foi repetido.")
            : QStringLiteral(" %1 itens já estavam no banco de dados e não foram repetidos.")
                  .arg(count(result.alreadyPresent));
    if (result.recurring > 0 || result.capped > 0)
        text += QStringLiteral("\n\nOs itens que se repetem viraram um lembrete para cada vez, de %1 "
                               "a %2, no máximo %3 por item.")
                    .arg(daytext::shown(result.windowFirst), daytext::shown(result.windowLast),
                         count(icalendar::maxOccurrences));
    if (result.capped > 0)
        text += result.capped == 1
            ? QStringLiteral(" 1 item passou desse limite; as vezes seguintes não foram trazidas.")
            : QStringLiteral(" %1 itens passaram desse limite; as vezes seguintes não foram trazidas.")
                  .arg(count(result.capped));
    if (result.setAside > 0)
        text += result.setAside == 1
            ? QStringLiteral("\n\n1 item não pôde ser trazido. Ele foi gravado, com o motivo, no arquivo %1.")
                  .arg(QDir::toNativeSeparators(result.rejectFile))
            : QStringLiteral("\n\n%1 itens não puderam ser trazidos. Eles foram gravados, com o motivo, "
                             "no arquivo %2.")
                  .arg(count(result.setAside), QDir::toNativeSeparators(result.rejectFile));
    return text;
}

QString uidsNotStoredNote()
{
    return QStringLiteral("Os identificadores dos lembretes não puderam ser gravados no banco de dados. "
                          "Se um lembrete for alterado e exportado de novo, o outro calendário pode "
                          "mostrá-lo repetido.");
}

bool isCalendarFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && icalendar::looksLikeCalendar(file.read(256));
}

} // namespace exchange
