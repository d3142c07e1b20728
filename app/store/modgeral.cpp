#include "store/modgeral.h"

#include "runtime/busypointer.h"
#include "runtime/platform.h"
#include "store/dailycopy.h"
#include "store/dailycopyahead.h"
#include "store/databasecheck.h"
#include "store/daytext.h"
#include "store/leftovers.h"
#include "store/reminderindexes.h"
#include "store/searchindex.h"
#include "store/startupwork.h"
#include "store/synctables.h"
#include "store/titlematch.h"
#include "store/recurrencecolumns.h"
#include "store/schedule.h"
#include "store/schedulecache.h"
#include "store/scheduleupkeep.h"
#include "store/uidcolumn.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <sqlite3.h>

namespace {

// The list statements leave the description out: the index on (data, titulo)
// then answers them alone, in day order, without visiting the table.
const QString kSelectListed = QStringLiteral("select rowid as chave, data, titulo from lembrete");

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
    , m_dailyCopyAhead(std::make_unique<DailyCopyAhead>())
    , m_startupWork(std::make_unique<StartupWork>())
    , m_schedule(std::make_unique<Schedule>())
{
    m_scheduleUpkeep = std::make_unique<ScheduleUpkeep>(
        *m_schedule, [this] { return connection(); }, [this] { return scheduleWriting(); });
    QObject::connect(m_scheduleUpkeep.get(), &ScheduleUpkeep::found, m_events.get(), &StoreEvents::repetitionsFound);
    QObject::connect(m_startupWork.get(), &StartupWork::checkFinished, m_startupWork.get(),
                     [this](const QString &damage) { checkFinished(damage); });
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

    const QString path = m_platform.dataFile(databaseFileName());
    QString error = m_platform.layout().prepareDatabase(databaseFileName());
    if (error.isEmpty())
        error = checkDatabaseFile(path);
    if (!error.isEmpty() && m_openFallback && m_openFallback(path, &error))
        error = checkDatabaseFile(path);
    if (error.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(connectOptions());
        if (!db.open())
            error = describe(db.lastError());
        else if (!prepareConnection(&error))
            db.close();
        // Until the indexes are built the search says it is being prepared.
        else if (m_deferred && !m_startupWork->indexesStarted() && !isReadOnly())
            m_startupWork->setSearchPending(!searchindex::complete(db));
    }
    if (!error.isEmpty())
        reportOpenError(error);
}

void modgeral::reportOpenError(const QString &error) const
{
    m_platform.messages().show(nullptr, runtime::MessageIcon::Critical,
                               QStringLiteral("Ocorreu o seguinte erro ao tentar abrir o banco de dados: ") + error,
                               QStringLiteral("Erro"));
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

QString modgeral::connectOptions() const
{
    // A damaged file is never written: SQLite itself refuses every change.
    return m_damage.isEmpty() ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")
                              : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY");
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
    if (!m_integrityChecked && !m_deferred)
        return checkIntegrityOnce(error);
    QString problem;
    switch (databasecheck::shapeOf(db, &problem)) {
    case databasecheck::Shape::Foreign:
        *error = problem.isEmpty() ? describe(db.lastError()) : problem;
        return false;
    case databasecheck::Shape::NoTables: {
        // A file without tables is checked at once: it is tiny.
        if (!m_integrityChecked)
            return checkIntegrityOnce(error);
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("create table lembrete ("
                                       "id integer primary key autoincrement, "
                                       "data text not null, "
                                       "titulo text not null, "
                                       "descricao text not null default '')"))) {
            *error = describe(query.lastError());
            return false;
        }
        break;
    }
    case databasecheck::Shape::Reminders:
        break;
    }
    // Nothing is written to a file before its check has passed; a read-only
    // folder still lets the reminders be read without the new columns.
    const bool writable = m_integrityChecked && m_damage.isEmpty();
    if (writable) {
        uidcolumn::ensure(db);
        recurrencecolumns::ensure(db);
        schedulecache::ensure(db);
        synctables::ensure(db);
    }
    reminderindexes::prepare(db, writable);
    if (writable && !m_deferred) {
        StepGate gate;
        reminderindexes::build(db, gate, [](int) {});
    }
    return true;
}

// Once per run, before anything is written: a damaged file is reported and
// opened again read-only, so what can still be read is shown and kept.
bool modgeral::checkIntegrityOnce(QString *error)
{
    return applyCheck(databasecheck::damageOf(connection()), error);
}

bool modgeral::applyCheck(const QString &damage, QString *error)
{
    m_integrityChecked = true;
    m_damage = damage;
    QSqlDatabase db = connection();
    if (m_damage.isEmpty())
        return prepareConnection(error);
    m_startupWork->setSearchPending(false);
    m_recordset.reset();
    db.close();
    db.setConnectOptions(connectOptions());
    m_platform.messages().show(
        nullptr, runtime::MessageIcon::Warning,
        QStringLiteral("O banco de dados de lembretes %1 está danificado (%2).\n\n"
                       "Ele foi aberto somente para leitura: os lembretes que puderam ser lidos "
                       "aparecem na lista e podem ser salvos como relatório, mas nenhuma alteração "
                       "será gravada nele.")
            .arg(db.databaseName(), m_damage),
        QStringLiteral("Banco de dados danificado"));
    if (!db.open()) {
        *error = describe(db.lastError());
        return false;
    }
    return prepareConnection(error);
}

void modgeral::deferStartupWork()
{
    m_deferred = true;
}

void modgeral::continueStartupWork()
{
    if (!m_deferred || !isOpen() || isReadOnly())
        return;
    const QString database = m_platform.dataFile(databaseFileName());
    if (!m_integrityChecked) {
        m_startupWork->startCheck(database); // checkFinished() carries on
        return;
    }
    if (m_startupWork->indexesStarted())
        return;
    if (!m_copyAheadAsked) {
        m_copyAheadAsked = true;
        makeDailyCopyAhead();
    }
    // The copy is read in steps that start over whenever the file changes:
    // the indexes wait for it.
    if (m_dailyCopyAhead->isRunning()) {
        QTimer::singleShot(100, m_startupWork.get(), [this] { continueStartupWork(); });
        return;
    }
    if (reminderindexes::complete(connection()))
        m_startupWork->setSearchPending(false);
    else
        m_startupWork->startIndexes(database);
}

void modgeral::checkFinished(const QString &damage)
{
    if (!m_integrityChecked && isOpen()) {
        QString error;
        if (!applyCheck(damage, &error))
            reportOpenError(error);
    }
    continueStartupWork();
}

// A change before the deferred check has ended waits for it: the file is
// written only once it is known sound.
bool modgeral::waitForDeferredCheck()
{
    if (!m_deferred || m_integrityChecked)
        return true;
    m_startupWork->startCheck(m_platform.dataFile(databaseFileName()));
    QString damage;
    {
        const runtime::BusyPointer busy;
        damage = m_startupWork->waitForCheck();
    }
    QString error;
    if (applyCheck(damage, &error))
        return true;
    reportOpenError(error);
    return failWith(error);
}

bool modgeral::isReadOnly() const
{
    return !m_damage.isEmpty();
}

bool modgeral::beginChange()
{
    if (!isOpen())
        return failWith(QStringLiteral("o banco de dados não está aberto."));
    if (!waitForDeferredCheck())
        return false;
    if (isReadOnly())
        return failWith(QStringLiteral("o banco de dados de lembretes está danificado e foi aberto "
                                       "somente para leitura; nenhuma alteração foi gravada."));
    m_startupWork->holdForChange();
    // A change may keep the file's size and time to the millisecond.
    m_schedule->invalidate();
    makeDailyCopy();
    return true;
}

// A copy that cannot be made is told once a run and never stops the change:
// the user's typing matters more than yesterday's state.
void modgeral::makeDailyCopy()
{
    const QDate today = m_platform.clock().today();
    if (m_dailyCopyDay == today)
        return;
    if (m_dailyCopyAhead->waitFor(today)) {
        m_dailyCopyDay = today;
        return;
    }
    QString error;
    if (DailyCopy::make(m_platform.dataFile(databaseFileName()), today, &error)) {
        m_dailyCopyDay = today;
        return;
    }
    if (m_dailyCopyFailureTold)
        return;
    m_dailyCopyFailureTold = true;
    m_platform.messages().show(nullptr, runtime::MessageIcon::Warning,
                               error.left(1).toUpper() + error.mid(1)
                                   + QStringLiteral(" A alteração será gravada mesmo assim."),
                               QStringLiteral("Cópia do dia"));
}

bool modgeral::refreshSchedule()
{
    if (!isOpen())
        return failWith(QStringLiteral("o banco de dados não está aberto."));
    QString error;
    if (!m_schedule->refresh(connection(), m_platform.dataFile(databaseFileName()), m_platform.clock().today(),
                             &error))
        return failWith(error);
    m_scheduleUpkeep->wake();
    return true;
}

// The days found go to the file after its check, and not while the start-up
// work reads or builds in it.
ScheduleUpkeep::Writing modgeral::scheduleWriting() const
{
    if (!isOpen() || isReadOnly() || !QFileInfo(m_platform.dataFile(databaseFileName())).isWritable())
        return ScheduleUpkeep::Writing::Never;
    if (!m_integrityChecked || m_startupWork->stage() != StartupWork::Stage::Idle || m_dailyCopyAhead->isRunning())
        return ScheduleUpkeep::Writing::Later;
    return ScheduleUpkeep::Writing::Now;
}

void modgeral::makeDailyCopyAhead()
{
    const QDate today = m_platform.clock().today();
    if (m_dailyCopyDay == today || !isOpen() || isReadOnly())
        return;
    const QString database = m_platform.dataFile(databaseFileName());
    // Partial copies of runs that were killed midway go at each start.
    leftovers::removeUnfinishedCopies(DailyCopy::folderFor(database));
    if (QFileInfo::exists(QDir(DailyCopy::folderFor(database)).filePath(DailyCopy::fileNameFor(today))))
        return;
    m_dailyCopyAhead->start(database, today);
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
    if (!beginChange())
        return false;
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
    if (!beginChange())
        return false;
    m_recordset = std::make_unique<QSqlQuery>(connection());
    if (!m_recordset->prepare(QStringLiteral(
            "insert into lembrete (data, titulo, descricao) values (?, ?, ?)")))
        return failWith(describe(m_recordset->lastError()));
    m_recordset->addBindValue(text(day));
    m_recordset->addBindValue(text(title));
    m_recordset->addBindValue(text(description));
    if (!m_recordset->exec())
        return failWith(describe(m_recordset->lastError()));
    emit m_events->reminderSaved();
    return true;
}

bool modgeral::updateReminder(const QString &day, const QString &title, const QString &description)
{
    if (!beginChange())
        return false;
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
    emit m_events->reminderSaved();
    return true;
}

QString modgeral::incompleteList(const QString &error, int rowsRead)
{
    return QStringLiteral("a leitura dos lembretes parou depois de %1 lembrete(s) (%2). "
                          "A lista mostra só o que pôde ser lido; o banco de dados pode estar danificado.")
        .arg(rowsRead)
        .arg(error.trimmed());
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

Statement modgeral::keyQuery(qint64 key)
{
    return {QStringLiteral("select rowid as chave, data, titulo, descricao from lembrete where rowid = ?"), {key}};
}

Statement modgeral::keyDelete(qint64 key)
{
    return {QStringLiteral("delete from lembrete where rowid = ?"), {key}};
}

Statement modgeral::titleQuery(const QString &title)
{
    // The first row is the one entered first, so an edit always finds the same one.
    return titlematch::rows(title);
}

Statement modgeral::titleDelete(const QString &title)
{
    const Statement keys = titleKeys(title);
    return {QStringLiteral("delete from lembrete where rowid in (") + keys.text + QStringLiteral(")"), keys.values};
}

Statement modgeral::titleKeys(const QString &title)
{
    return {QStringLiteral("select rowid from lembrete where titulo = ? collate unicase"), {title}};
}
