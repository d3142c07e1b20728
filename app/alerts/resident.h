#pragma once

#include "alerts/announcer.h"
#include "alerts/daywatch.h"
#include "alerts/timednotices.h"
#include "forms/frmprincipal.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;

class modgeral;

namespace runtime {
class Platform;
}

namespace alerts {

class Notifier;

// The program staying resident without its main window: a tray icon where the
// desktop has a tray, notices at start, on a new day and when a reminder for
// today or tomorrow appears, a notice at each reminder's time, and the main
// window on request.
class ResidentProgram : public QObject
{
    Q_OBJECT
public:
    ResidentProgram(runtime::Platform &platform, modgeral &store, Notifier &notifier,
                    int checkIntervalMs = 60 * 1000, QObject *parent = nullptr);
    ~ResidentProgram() override;

    // Announces today's and tomorrow's reminders and shows the tray icon
    // (where the desktop has a tray).
    void start();

    QSystemTrayIcon *trayIcon() const { return m_tray; }
    QMenu *trayMenu() const { return m_menu.get(); }
    DayWatch &dayWatch() { return m_dayWatch; }
    TimedNotices &timedNotices() { return m_timedNotices; }
    frmprincipal *mainWindow() const { return m_mainWindow; }

    // Announces now when this program keeps its reminders in database (another
    // run asks so): whether the notices went out; unset for another database.
    std::optional<bool> announceFor(const QString &database);

public slots:
    void openMainWindow();
    // Announces both days afresh; false when the service did not take a notice.
    bool announceNow();
    void quit();

private:
    void createTray();
    void watchDatabase();
    void onDatabaseChanged();

    runtime::Platform &m_platform;
    modgeral &m_store;
    Announcer m_announcer;
    DayWatch m_dayWatch;
    TimedNotices m_timedNotices;
    QFileSystemWatcher m_databaseWatcher;
    QTimer m_settle; // a save touches the file several times: look once it is done
    std::unique_ptr<QMenu> m_menu; // a tray's menu has no parent widget
    QSystemTrayIcon *m_tray = nullptr;
    QPointer<frmprincipal> m_mainWindow;
};

} // namespace alerts
