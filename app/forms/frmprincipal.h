#pragma once

#include "forms/remindercommands.h"

#include <QDate>
#include <QMainWindow>
#include <optional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTreeView;
class ReminderListModel;
class ReminderRows;
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

    QTreeView *list() const;
    QLabel *statusLabel() const;
    QMenu *popupMenu() const { return m_popup; }
    QString statusMessage() const;

    // Runs the toolbar command with this key; unknown keys do nothing.
    void Toolbar_ButtonClick(const QString &key);

    // Commands of the menus, toolbar and pop-up menu.
    void mnunovo_Click();
    void mnueditar_Click();
    void mnuremover_Click();
    // Puts back the row the last removal of this run took.
    void mnudesfazer_Click();
    void mnuprocurar_Click();
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
    void makeResizable();
    void createStatusPanels();
    void fitDayColumnToFont();
    void createToolbar();
    void createPopupCommands();
    void connectCommands();
    void setMenuIcons();
    struct ViewFilterChoice
    {
        QAction *item = nullptr; // none for a stored value that is none of the five
        QString savedValue;
        QString statusText;
    };
    ViewFilterChoice viewFilterChoice(const QString &filter) const;
    void markViewFilter(const ViewFilterChoice &choice);
    void applyViewFilter(const ViewFilterChoice &choice);
    Statement statementForFilter(const QString &filter) const;
    void showRows(ReminderRows rows);
    void tellFinding(bool finding);
    void showLoadError(const QString &description);
    // The key of the row with the keyboard focus, or -1.
    qint64 chosenKey() const;
    void chooseAfterLoad(qint64 before);
    void chooseRow(int row);
    // The selected row, or -1 when none is.
    int selectedRow() const;
    std::optional<QDate> chooseOccurrence(int row, const QString &caption, const QString &action);
    bool warnWhenNothingSelected(const QString &title);
    // Opens the editor on the reminder with this key.
    void editar(qint64 key);
    void lstlista_DblClick();
    void lstlista_MouseDown(const QPoint &position);
    void enableUndo();

    std::unique_ptr<Ui::frmprincipal> ui;
    runtime::Platform &m_platform;
    modgeral &m_store;
    ReminderListModel *m_rows = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_popupUndo = nullptr;
    ReminderCommands m_commands;
    QLabel *m_messagePanel = nullptr;
    QString m_messageBeforeFinding; // shown again once the repeating reminders are listed
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
};
