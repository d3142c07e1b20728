#pragma once

#include "store/stepgate.h"

#include <QObject>
#include <QString>
#include <memory>
#include <mutex>

class QSqlDatabase;
class QThread;
struct sqlite3;

// The start-up work that may wait until the main window is up, each on a
// thread with a connection of its own: the check of the file's structure, then
// building the indexes the file lacks. The owner's thread stays free; it
// applies what the check found and starts the build (see modgeral).
class StartupWork : public QObject
{
    Q_OBJECT
public:
    enum class Stage { Idle, Checking, Indexing };

    explicit StartupWork(QObject *parent = nullptr);
    ~StartupWork() override;

    void startCheck(const QString &databasePath);
    bool checkStarted() const;
    // Waits for the check started; what it found, empty for a sound file.
    QString waitForCheck();

    void startIndexes(const QString &databasePath);
    bool indexesStarted() const;

    // The search waits for its index while this is true.
    bool searchPending() const { return m_searchPending; }
    void setSearchPending(bool pending) { m_searchPending = pending; }

    Stage stage() const { return m_stage; }
    int percent() const { return m_percent; }

    // The owner's thread is about to write: the build gives way to it.
    void holdForChange() { m_gate.holdForChange(); }

signals:
    void checkFinished(const QString &damage);
    void stageChanged(StartupWork::Stage stage);
    void indexProgress(int percent);
    // The build ended; built is false when the file could not be written.
    void indexesFinished(bool built);

    // From the threads to this object's own thread.
    void checkEnded(const QString &damage, QPrivateSignal);
    void indexingProgressed(int percent, QPrivateSignal);
    void indexingEnded(bool built, QPrivateSignal);

private:
    void setStage(Stage stage);
    void setChecking(const QSqlDatabase &db);

    std::unique_ptr<QThread> m_check;
    std::unique_ptr<QThread> m_indexes;
    QString m_damage; // written by the check's thread before it ends
    std::mutex m_checkingMutex;
    sqlite3 *m_checking = nullptr; // the check's connection while it runs
    StepGate m_gate;
    Stage m_stage = Stage::Idle;
    int m_percent = 0;
    bool m_searchPending = false;
};
