#include "forms/syncmenu.h"

#include "exchange/passwordvault.h"
#include "exchange/synccontroller.h"
#include "forms/frmsincronizacao.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

SyncMenu::SyncMenu(QWidget *window, QMenu *principal, runtime::Platform &platform, modgeral &store,
                   std::function<void()> reload)
    : QObject(window)
    , m_window(window)
    , m_controller(new SyncController(platform, store, makeSystemVault(), makePasswordDialog(), this))
{
    auto *settings = new QAction(QStringLiteral("Sincroni&zação..."), principal);
    settings->setObjectName(QStringLiteral("mnusincronizacao"));
    auto *now = new QAction(QStringLiteral("Sincronizar &agora"), principal);
    now->setObjectName(QStringLiteral("mnusincronizar"));
    QAction *before = nullptr;
    const QList<QAction *> existing = principal->actions();
    for (QAction *action : existing)
        if (action->isSeparator())
            before = action; // the last one, above "Sair"
    principal->insertActions(before, {settings, now});
    principal->insertSeparator(settings);
    connect(settings, &QAction::triggered, this, &SyncMenu::mnusincronizacao_Click);
    connect(now, &QAction::triggered, this, &SyncMenu::mnusincronizar_Click);
    connect(m_controller, &SyncController::synchronized, this, std::move(reload));
    if (m_controller->settings().atStart)
        QTimer::singleShot(0, this, &SyncMenu::mnusincronizar_Click);
}

void SyncMenu::mnusincronizacao_Click()
{
    frmsincronizacao dialog(*m_controller, m_window);
    dialog.exec();
}

void SyncMenu::mnusincronizar_Click()
{
    m_controller->syncNow(m_window);
}
