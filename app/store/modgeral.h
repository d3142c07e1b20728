#pragma once

#include "store/scheduleupkeep.h"
#include "store/storeevents.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class DailyCopyAhead;
class StartupWork;
class Schedule;
class QSqlDatabase;
class QSqlQuery;
class QWidget;

namespace runtime {
class Platform;
}

// A statement of the catalogue: its text and the values bound to its
// placeholders. Values are always bound, never pasted into the text.
struct Statement
{
    QString text;
    QVariantList values;
};

// The reminder store: the program-wide database state (the shared connection,
// the shared recordset and the edit statement), the open routine, the
// statement catalogue and the open-document helper.
//
// Table lembrete keeps the day as "yyyy/mm/dd" text in data, the title in
// titulo and the description in descricao. A reminder is found by its rowid,
// never by its title: many reminders may share one (a weekly meeting brought
// in from a calendar). Where titles are still compared they are matched whole
// and equal without regard to letter case across Unicode, with no wildcards.
class modgeral
{
public:
    explicit modgeral(runtime::Platform &platform);
    ~modgeral();
    modgeral(const modgeral &) = delete;
    modgeral &operator=(const modgeral &) = delete;

    static QString databaseFileName();

    // Opens dados.mdb in the data folder (see runtime::ProgramLayout) on a new
    // shared connection.
    // Failures are reported to the user here; callers go on either way.
    void abrirbanco();
    // Asked by abrirbanco when dados.mdb cannot be opened, with its path and
    // the reason: true when a reminder database has taken the file's place
    // (it is then checked and opened as usual); it may reword the reason.
    // The program sets it where it makes its store, to offer the import of
    // the earlier program's file; the store itself knows nothing of imports.
    using OpenFallback = std::function<bool(const QString &path, QString *error)>;
    void setOpenFallback(OpenFallback fallback) { m_openFallback = std::move(fallback); }
    bool isOpen() const;
    QSqlDatabase connection() const;

    // Replaces the shared recordset with a new one running statement on the
    // shared connection.
    bool openRecordset(const Statement &statement);
    QSqlQuery &recordset();
    void closeRecordset();

    // Runs a statement that returns no rows directly on the shared connection.
    bool execute(const Statement &statement);

    // Adds a reminder; day is the stored "yyyy/mm/dd" text.
    bool appendReminder(const QString &day, const QString &title, const QString &description);
    // Rewrites the row that the edit statement yields (first column its key).
    // Fails, writing nothing, when that statement yields no row any more.
    bool updateReminder(const QString &day, const QString &title, const QString &description);

    // The reminders with a time or a repetition, read again when the file
    // changed and counted from today. False, with lastError(), when they
    // cannot be read; the lists then show the day-only reminders alone.
    bool refreshSchedule();
    const Schedule &schedule() const { return *m_schedule; }

    // Signals every reminder added or edited through this store.
    StoreEvents &events() const { return *m_events; }

    const Statement &editStatement() const { return m_editStatement; }
    void setEditStatement(const Statement &statement) { m_editStatement = statement; }

    // True when the file was found damaged at its first open in this run: it
    // is then only read, and every change fails with lastError() saying why.
    bool isReadOnly() const;

    // Every change calls this before it writes: false (lastError() says why)
    // when nothing may be written; otherwise the day's copy of the database
    // has been made, or its failure told.
    bool beginChange();
    // Starts today's copy in the background when it is still to be made and
    // the file is sound; the day's first change then waits for it at most.
    void makeDailyCopyAhead();

    // For the main window: the first open of a run neither checks the file
    // nor builds its indexes; continueStartupWork() does both on threads of
    // their own once the window is up. Until the check has passed nothing is
    // written: a change waits for the check (and is refused if the file is
    // found damaged), and a damaged file is then opened read-only as always.
    void deferStartupWork();
    // Starts, or carries on with, what deferStartupWork() put off: the check,
    // then today's copy, then the indexes. Safe to call at any time.
    void continueStartupWork();
    // The work's stages and progress, for the status bar and the search.
    StartupWork &startupWork() const { return *m_startupWork; }

    // The description of the last failure of a statement, in words for the user.
    QString lastError() const { return m_lastError; }
    // For the writers beside the store that fail in their own words.
    void setLastError(const QString &description) { m_lastError = description; }

    // What a list says when its read stopped midway after rowsRead rows.
    static QString incompleteList(const QString &error, int rowsRead);

    // Asks the desktop to open a document; its result is not examined.
    void openDocument(const QString &path, QWidget *owner) const;

    // The statement catalogue. The list statements (all reminders, one day, a
    // range of days) yield the columns chave, data, titulo in day and title
    // order; the key and title queries yield chave, data, titulo, descricao.
    static Statement allReminders();
    static Statement oneDay(const QDate &day);
    static Statement dateRange(const QDate &first, const QDate &last);
    static Statement keyQuery(qint64 key);
    static Statement keyDelete(qint64 key);
    static Statement titleQuery(const QString &title);
    static Statement titleDelete(const QString &title);
    // The keys (chave) of the rows the title statements match.
    static Statement titleKeys(const QString &title);

private:
    QString checkDatabaseFile(const QString &path) const;
    QString connectOptions() const;
    bool prepareConnection(QString *error);
    bool checkIntegrityOnce(QString *error);
    bool applyCheck(const QString &damage, QString *error);
    void checkFinished(const QString &damage);
    bool waitForDeferredCheck();
    void reportOpenError(const QString &error) const;
    void makeDailyCopy();
    ScheduleUpkeep::Writing scheduleWriting() const;
    void releaseConnection();
    bool failWith(const QString &description);

    runtime::Platform &m_platform;
    QString m_connectionName;
    int m_connectionSerial = 0;
    std::unique_ptr<QSqlQuery> m_recordset;
    Statement m_editStatement;
    QString m_lastError;
    std::unique_ptr<StoreEvents> m_events = std::make_unique<StoreEvents>();
    OpenFallback m_openFallback;
    bool m_integrityChecked = false; // the file's structure is checked at the first open of a run
    QString m_damage;                // what that check found; empty for a sound file
    QDate m_dailyCopyDay;            // the day whose copy exists
    bool m_dailyCopyFailureTold = false;
    std::unique_ptr<DailyCopyAhead> m_dailyCopyAhead;
    bool m_deferred = false;           // the main window's start: check and indexes after its first paint
    bool m_copyAheadAsked = false;     // the deferred work asked for today's copy
    std::unique_ptr<Schedule> m_schedule;
    std::unique_ptr<ScheduleUpkeep> m_scheduleUpkeep;
    std::unique_ptr<StartupWork> m_startupWork; // declared last: its threads end first
};
