#pragma once

#include <QDialog>
#include <memory>

class SyncController;

namespace Ui {
class frmsincronizacao;
}

// The sync settings: the calendar collection's address, the user, the
// password (kept in the desktop's secret service, never in the settings file)
// and "Sincronizar ao iniciar"; "Sincronizar agora" saves them and syncs.
class frmsincronizacao : public QDialog
{
    Q_OBJECT
public:
    frmsincronizacao(SyncController &controller, QWidget *parent = nullptr);
    ~frmsincronizacao() override;

    void cmdok_Click();
    void cmdsincronizar_Click();

private:
    // False, with the user told why, when the address is not usable.
    bool saveSettings();

    std::unique_ptr<Ui::frmsincronizacao> ui;
    SyncController &m_controller;
};
