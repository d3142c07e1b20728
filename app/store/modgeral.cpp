#include "store/modgeral.h"
#include "store/uidcolumn.h"
#include "exchange/syncstate.h"

#include "runtime/platform.h"
#include "store/daytext.h"
#include "store/jetimport.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

const QString kSelect = QStringLiteral("select rowid as chave, data, titulo, descricao from lembrete");
// The list statements leave the description out: the index on (data, titulo)
// then answers them alone, in day order, without visiting the table.
const QString kSelectListed = QStringLiteral("select rowid as chave, data, titulo from lembrete");
const QString kTitleMatch = QStringLiteral("titulo = ? collate unicase");

// Titles compare equal without regard to letter case across all of Unicode
// ("ótimo" and "ÓTIMO"), which SQLite's own NOCASE does only for ASCII.
int compareIgnoringCase(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const QString left = QString::fromUtf8(static_cast<const char *>(a), lengthA);
    const QString right = QString::fromUtf8(static_cast<const char *>(b), lengthB);
    return left.compare(right, Qt::CaseInsensitive);
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// A null QString would be bound as NULL; the columns hold texts, empty ones too.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QString describe(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("erro desconhecido do banco de dados.") : text;
}

} // namespace

modgeral::modgeral(runtime::Platform &platform)
    : m_platform(platform)
{
}

modgeral::~modgeral()
{
    releaseConnection();
}

QString modgeral::databaseFileName()
{
    return QStringLiteral("dados.mdb");
}

void modgeral::abrirbanco()
{
    releaseConnection();
    // Unique across stores too: tests and the import tool hold several at once.
    m_connectionName = QStringLiteral("modgeral-%1-%2").arg(quintptr(this)).arg(++m_connectionSerial);

    const QString path = m_platform.programFile(databaseFileName());
    QString error = checkDatabaseFile(path);
    // A dados.mdb of the earlier Windows program: offered once per run to be
    // brought over into a new reminder database that then opens as usual.
    if (!error.isEmpty() && offerOlderEngineImport(m_platform, path, &m_olderEngineImportOffered, &error))
        error = checkDatabaseFile(path);
    if (error.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            error = describe(db.lastError());
        else if (!prepareConnection(&error))
            db.close();
    }
    if (!error.isEmpty()) {
        m_platform.messages().show(
            nullptr, runtime::MessageIcon::Critical,
            QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ") + error,
            QStringLiteral("Erro"));
    }
}

// Refuses anything that is not a reminder database before SQLite sees it:
// opening would create a missing file and could write into a foreign one.
QString modgeral::checkDatabaseFile(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("o arquivo %1 não foi encontrado.").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1 não é um arquivo.").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("não foi possível ler o arquivo %1 (%2).").arg(path, file.errorString());
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return QString(); // an empty file is an empty database
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return QString();
    const QByteArray signature = head.mid(4, 15);
    if (signature == "Standard Jet DB" || signature == "Standard ACE DB")
        return QStringLiteral("o arquivo %1 é um banco de dados no formato antigo do Windows "
                              "(\"%2\"), que este programa não abre diretamente. "
                              "O arquivo foi mantido como estava.")
            .arg(path, QString::fromLatin1(signature));
    return QStringLiteral("o arquivo %1 não é um banco de dados de lembretes "
                          "(o conteúdo não foi reconhecido). O arquivo foi mantido como estava.")
        .arg(path);
}

bool modgeral::prepareConnection(QString *error)
{
    QSqlDatabase db = connection();
    sqlite3 *handle = sqliteHandle(db);
    if (!handle || sqlite3_create_collation_v2(handle, "unicase", SQLITE_UTF8, nullptr,
                                               compareIgnoringCase, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("não foi possível preparar a conexão com o banco de dados.");
        return false;
    }
    QSqlQuery query(db);
    // Reading the catalogue also proves the file is a sound database.
    if (!query.exec(QStringLiteral(
            "select count(*) from sqlite_master where type = 'table' and name = 'lembrete'"))
        || !query.next()) {
        *error = describe(query.lastError());
        return false;
    }
    if (query.value(0).toInt() == 0) {
        if (!query.exec(QStringLiteral("create table lembrete ("
                                       "id integer primary key autoincrement, "
                                       "data text not null, "
                                       "titulo text not null, "
                                       "descricao text not null default '')"))) {
            *error = describe(query.lastError());
            return false;
        }
    }
    // Keeps the list's order and the day filters fast; a read-only folder
    // still lets the reminders be read without it.
    query.exec(QStringLiteral("create index if not exists lembrete_data on lembrete (data, titulo)"));
    uidcolumn::ensure(db);
    syncstate::ensure(db);
    return true;
}

void modgeral::releaseConnection()
{
    m_recordset.reset();
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

bool modgeral::isOpen() const
{
    return !m_connectionName.isEmpty() && connection().isOpen();
}

QSqlDatabase modgeral::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool modgeral::failWith(const QString &description)
{
    m_lastError = description;
    return false;
}

bool modgeral::openRecordset(const Statement &statement)
{
    m_recordset = std::make_unique<QSqlQuery>(connection());
    if (!isOpen())
        return failWith(QStringLiteral("o banco de dados não está aberto."));
    m_recordset->setForwardOnly(true);
    if (!m_recordset->prepare(statement.text))
        return failWith(describe(m_recordset->lastError()));
    for (const QVariant &value : statement.values)
        m_recordset->addBindValue(value);
    if (!m_recordset->exec())
        return failWith(describe(m_recordset->lastError()));
    return true;
}

QSqlQuery &modgeral::recordset()
{
    if (!m_recordset)
        m_recordset = std::make_unique<QSqlQuery>(connection());
    return *m_recordset;
}

void modgeral::closeRecordset()
{
    if (m_recordset)
        m_recordset->finish();
}

bool modgeral::execute(const Statement &statement)
{
    if (!isOpen())
        return failWith(QStringLiteral("o banco de dados não está aberto."));
    QSqlQuery query(connection());
    if (!query.prepare(statement.text))
        return failWith(describe(query.lastError()));
    for (const QVariant &value : statement.values)
        query.addBindValue(value);
    if (!query.exec())
        return failWith(describe(query.lastError()));
    return true;
}

bool modgeral::appendReminder(const QString &day, const QString &title, const QString &description)
{
    m_recordset = std::make_unique<QSqlQuery>(connection());
    if (!isOpen())
        return failWith(QStringLiteral("o banco de dados não está aberto."));
    if (!m_recordset->prepare(QStringLiteral(
            "insert into lembrete (data, titulo, descricao) values (?, ?, ?)")))
        return failWith(describe(m_recordset->lastError()));
    m_recordset->addBindValue(text(day));
    m_recordset->addBindValue(text(title));
    m_recordset->addBindValue(text(description));
    if (!m_recordset->exec())
        return failWith(describe(m_recordset->lastError()));
    return true;
}

bool modgeral::updateReminder(const QString &day, const QString &title, const QString &description)
{
    if (!openRecordset(m_editStatement))
        return false;
    if (!m_recordset->next())
        return failWith(QStringLiteral("o lembrete que estava sendo editado não foi encontrado; "
                                       "ele pode ter sido removido. Nada foi gravado."));
    const QVariant key = m_recordset->value(0);
    m_recordset->finish();
    if (!m_recordset->prepare(QStringLiteral(
            "update lembrete set data = ?, titulo = ?, descricao = ? where rowid = ?")))
        return failWith(describe(m_recordset->lastError()));
    m_recordset->addBindValue(text(day));
    m_recordset->addBindValue(text(title));
    m_recordset->addBindValue(text(description));
    m_recordset->addBindValue(key);
    if (!m_recordset->exec())
        return failWith(describe(m_recordset->lastError()));
    if (m_recordset->numRowsAffected() != 1)
        return failWith(QStringLiteral("o lembrete que estava sendo editado não foi encontrado; "
                                       "ele pode ter sido removido. Nada foi gravado."));
    return true;
}

void modgeral::openDocument(const QString &path, QWidget *owner) const
{
    m_platform.shell().open(path, owner);
}

Statement modgeral::allReminders()
{
    return {kSelectListed + QStringLiteral(" order by data, titulo"), {}};
}

Statement modgeral::oneDay(const QDate &day)
{
    return {kSelectListed + QStringLiteral(" where data = ? order by data, titulo"),
            {daytext::stored(day)}};
}

Statement modgeral::dateRange(const QDate &first, const QDate &last)
{
    return {kSelectListed + QStringLiteral(" where data between ? and ? order by data, titulo"),
            {daytext::stored(first), daytext::stored(last)}};
}

Statement modgeral::titleQuery(const QString &title)
{
    // The first row is the one entered first, so an edit always finds the same one.
    return {kSelect + QStringLiteral(" where ") + kTitleMatch + QStringLiteral(" order by rowid"),
            {title}};
}

Statement modgeral::titleDelete(const QString &title)
{
    return {QStringLiteral("delete from lembrete where ") + kTitleMatch, {title}};
}
