#include "store/startupwork.h"

#include "store/databasecheck.h"
#include "store/reminderindexes.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>
#include <sqlite3.h>
#include <utility>

namespace {

// Runs work on a connection of this thread's own, closed and removed after.
template<typename Work>
auto onOwnConnection(const QString &databasePath, const QString &options, Work work)
{
    const QString name = QStringLiteral("inicio-%1").arg(quintptr(QThread::currentThreadId()));
    decltype(work(std::declval<QSqlDatabase &>())) result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        db.setConnectOptions(options);
        if (db.open())
            result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

StartupWork::StartupWork(QObject *parent)
    : QObject(parent)
{
    connect(this, &StartupWork::checkEnded, this, [this](const QString &damage) {
        setStage(Stage::Idle);
        emit checkFinished(damage);
    }, Qt::QueuedConnection);
    connect(this, &StartupWork::indexingProgressed, this, [this](int percent) {
        m_percent = percent;
        emit indexProgress(percent);
    }, Qt::QueuedConnection);
    connect(this, &StartupWork::indexingEnded, this, [this](bool built) {
        m_searchPending = false;
        setStage(Stage::Idle);
        emit indexesFinished(built);
    }, Qt::QueuedConnection);
}

StartupWork::~StartupWork()
{
    m_gate.stop(); // a step under way ends; the rest waits for the next run
    {
        // A program closed during its check needs no finding.
        const std::lock_guard lock(m_checkingMutex);
        if (m_checking)
            sqlite3_interrupt(m_checking);
    }
    if (m_check)
        m_check->wait();
    if (m_indexes)
        m_indexes->wait();
}

void StartupWork::startCheck(const QString &databasePath)
{
    if (m_check)
        return;
    setStage(Stage::Checking);
    m_check.reset(QThread::create([this, databasePath] {
        // A file another program holds for long still opens: the check then
        // says nothing of its pages, as on the opening thread.
        m_damage = onOwnConnection(databasePath, QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"),
                                   [this](QSqlDatabase &db) {
                                       setChecking(db);
                                       const QString damage = databasecheck::damageOf(db);
                                       setChecking(QSqlDatabase());
                                       return damage;
                                   });
        emit checkEnded(m_damage, QPrivateSignal());
    }));
    m_check->setObjectName(QStringLiteral("verificacao"));
    m_check->start();
}

bool StartupWork::checkStarted() const
{
    return bool(m_check);
}

QString StartupWork::waitForCheck()
{
    if (!m_check)
        return QString();
    m_check->wait();
    return m_damage;
}

void StartupWork::startIndexes(const QString &databasePath)
{
    if (m_indexes)
        return;
    m_percent = 0;
    setStage(Stage::Indexing);
    m_indexes.reset(QThread::create([this, databasePath] {
        // Waits a little for the program's own connection, which writes in
        // short statements; longer holds are waited out between steps.
        const bool built = onOwnConnection(
            databasePath, QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"), [this](QSqlDatabase &db) {
                // Room for a whole step's pages: spilling them midway would
                // lock the readers out of the file until the step ends.
                QSqlQuery(db).exec(QStringLiteral("pragma cache_size = -65536"));
                return reminderindexes::build(db, m_gate, [this](int percent) {
                    emit indexingProgressed(percent, QPrivateSignal());
                });
            });
        emit indexingEnded(built, QPrivateSignal());
    }));
    m_indexes->setObjectName(QStringLiteral("indices"));
    m_indexes->start(QThread::LowPriority);
}

bool StartupWork::indexesStarted() const
{
    return bool(m_indexes);
}

void StartupWork::setChecking(const QSqlDatabase &db)
{
    const QVariant handle = db.isValid() ? db.driver()->handle() : QVariant();
    const std::lock_guard lock(m_checkingMutex);
    m_checking = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                     ? *static_cast<sqlite3 *const *>(handle.constData())
                     : nullptr;
}

void StartupWork::setStage(Stage stage)
{
    if (m_stage == stage)
        return;
    m_stage = stage;
    emit stageChanged(stage);
}
