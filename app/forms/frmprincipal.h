#pragma once

#include "store/removalundo.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class modgeral;
struct Statement;

namespace runtime {
class Platform;
}

namespace Ui {
class frmprincipal;
}

// The main window: the reminder list under the view filter in force, its
// menus, toolbar and pop-up menu, and the commands behind them.
class frmprincipal : public QMainWindow
{
    Q_OBJECT
public:
    frmprincipal(runtime::Platform &platform, modgeral &store, QWidget *parent = nullptr);
    ~frmprincipal() override;

    // Refills the list from the database under the stored view filter.
    void carregarlista();
    // Applies the list's font and colours from the settings.
    void CarregarConfigSoft();

    QTreeWidget *list() const;
    QLabel *statusLabel() const;
    QMenu *popupMenu() const { return m_popup; }
    QString statusMessage() const;

    // Runs the toolbar command with this key; unknown keys do nothing.
    void Toolbar_ButtonClick(const QString &key);

    // Commands of the menus, toolbar and pop-up menu.
    void mnunovo_Click();
    void mnueditar_Click();
    void mnuremover_Click();
    // Puts back every row the last removal of this run took.
    void mnudesfazer_Click();
    void mnusair_Click();
    void mnusite_Click();
    void mnutodos_Click();
    void mnuhoje_Click();
    void mnuamanha_Click();
    void mnu7dias_Click();
    void mnu15dias_Click();
    void mnupreferencias_Click();
    void mnucalendario_Click();
    void mnudias_Click();
    void mnulembretesdata_Click();
    void mnusoftware_Click();
    void mnusalvatxt_Click();
    void mnusalvahtml_Click();
    void mnuimprimir_Click();
    void mnusalvacsv_Click();
    void mnuimportarical_Click();
    void mnuexportarical_Click();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void createStatusPanels();
    void fitDayColumnToFont();
    void createToolbar();
    void createPopupCommands();
    void connectCommands();
    void setMenuIcons();
    void applyViewFilter(QAction *item, const QString &savedValue, const QString &statusText);
    Statement statementForFilter(const QString &filter) const;
    void showLoadError(const QString &description);
    QTreeWidgetItem *selectedRow() const;
    bool warnWhenNothingSelected(const QString &title);
    void lstlista_DblClick();
    void lstlista_MouseDown(const QPoint &position);
    void enableUndo();

    std::unique_ptr<Ui::frmprincipal> ui;
    runtime::Platform &m_platform;
    modgeral &m_store;
    QMenu *m_popup = nullptr;
    QAction *m_popupUndo = nullptr;
    RemovalUndo m_removal;
    QLabel *m_messagePanel = nullptr;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
};
