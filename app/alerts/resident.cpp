#include "alerts/resident.h"

#include "alerts/notifier.h"
#include "forms/commandicons.h"
#include "forms/frmprincipal.h"
#include "runtime/platform.h"
#include "runtime/windowmanager.h"
#include "store/modgeral.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QSqlDatabase>
#include <QSystemTrayIcon>

namespace alerts {

ResidentProgram::ResidentProgram(runtime::Platform &platform, modgeral &store, Notifier &notifier,
                                 int checkIntervalMs, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_store(store)
    , m_announcer(store, platform.clock(), notifier)
    , m_dayWatch(platform.clock(), checkIntervalMs)
    , m_timedNotices(store, platform.clock(), platform.settings(), notifier)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_announcer.announceAdded();
        m_timedNotices.reload();
    });
    connect(&m_dayWatch, &DayWatch::dayChanged, this, &ResidentProgram::announceNow);
    // The timer also catches what the file watcher cannot see (a database
    // written by another program while this one was busy).
    connect(&m_dayWatch, &DayWatch::ticked, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_store.events(), &StoreEvents::reminderSaved, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_databaseWatcher, &QFileSystemWatcher::fileChanged, this,
            &ResidentProgram::onDatabaseChanged);
    connect(&notifier, &Notifier::openRequested, this, &ResidentProgram::openMainWindow);
}

ResidentProgram::~ResidentProgram()
{
    delete m_tray; // before the menu it shows
    if (m_mainWindow)
        m_mainWindow->close();
    delete m_mainWindow; // closing leaves the deletion to an event loop that may not run again
}

void ResidentProgram::start()
{
    if (!m_store.isOpen())
        m_store.abrirbanco();
    watchDatabase();
    // Made even without a tray: Qt puts the icon there once a panel offers
    // one, as happens when the session starts this program before its panel.
    createTray();
    m_announcer.announceAll();
    m_timedNotices.start();
}

void ResidentProgram::createTray()
{
    m_menu = std::make_unique<QMenu>();
    m_menu->setObjectName(QStringLiteral("mnubandeja"));
    QAction *open = m_menu->addAction(QStringLiteral("Abrir"), this, &ResidentProgram::openMainWindow);
    open->setObjectName(QStringLiteral("mnubandejaabrir"));
    QAction *now = m_menu->addAction(QStringLiteral("Avisar agora"), this, &ResidentProgram::announceNow);
    now->setObjectName(QStringLiteral("mnubandejaavisar"));
    m_menu->addSeparator();
    QAction *leave = m_menu->addAction(QStringLiteral("Sair"), this, &ResidentProgram::quit);
    leave->setObjectName(QStringLiteral("mnubandejasair"));

    m_tray = new QSystemTrayIcon(programIcon(), this);
    m_tray->setToolTip(QStringLiteral("Zedozarir"));
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            openMainWindow();
    });
    m_tray->show();
}

void ResidentProgram::watchDatabase()
{
    if (!m_store.isOpen())
        return;
    const QString path = m_store.connection().databaseName();
    if (!m_databaseWatcher.files().contains(path))
        m_databaseWatcher.addPath(path);
}

void ResidentProgram::onDatabaseChanged()
{
    watchDatabase(); // a file replaced as a whole drops out of the watch
    m_settle.start();
}

void ResidentProgram::openMainWindow()
{
    m_mainWindow = m_platform.windows().show<frmprincipal>(
        [this] { return new frmprincipal(m_platform, m_store); });
}

bool ResidentProgram::announceNow()
{
    bool delivered = false;
    m_announcer.announceAll(&delivered);
    return delivered;
}

std::optional<bool> ResidentProgram::announceFor(const QString &database)
{
    if (!m_store.isOpen())
        return std::nullopt;
    const QString mine = QFileInfo(m_store.connection().databaseName()).canonicalFilePath();
    if (mine.isEmpty() || mine != QFileInfo(database).canonicalFilePath())
        return std::nullopt;
    return announceNow();
}

void ResidentProgram::quit()
{
    if (m_mainWindow)
        m_mainWindow->close();
    QCoreApplication::quit();
}

} // namespace alerts
