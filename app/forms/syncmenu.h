#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;
class SyncController;
class modgeral;

namespace runtime {
class Platform;
}

// The sync commands of the main window: "Sincronização..." and "Sincronizar
// agora" in the Principal menu (before its closing separator), and the sync
// at start when the user asked for it. Owned by the window.
class SyncMenu : public QObject
{
    Q_OBJECT
public:
    SyncMenu(QWidget *window, QMenu *principal, runtime::Platform &platform, modgeral &store,
             std::function<void()> reload);

    SyncController &controller() const { return *m_controller; }

    void mnusincronizacao_Click();
    void mnusincronizar_Click();

private:
    QWidget *m_window;
    SyncController *m_controller;
};
