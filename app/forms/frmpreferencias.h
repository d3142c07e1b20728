#pragma once

#include <QWidget>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;

namespace runtime {
class Platform;
}

namespace settings {
struct ColourChoice;
}

namespace Ui {
class frmpreferencias;
}

// The preferences dialog: the list's font name, font size and text colour and
// the two background colours of its rows. Every choice goes to the settings
// the moment it is made; the main window applies them when it is activated.
class frmpreferencias : public QWidget
{
    Q_OBJECT
public:
    frmpreferencias(runtime::Platform &platform, QWidget *parent = nullptr);
    ~frmpreferencias() override;

    // Refills the font name box with the names of the screen fonts.
    void pegarfontes();

    void optcorfonte_Click(int index);
    void optcorfundo1_Click(int index);
    void optcorfundo2_Click(int index);
    void cboffonte_LostFocus();
    void cboftamanho_LostFocus();
    void cmdsair_Click();
    // Writes or removes the user's autostart entry of the resident program.
    void chkavisarsessao_Click(bool checked);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void createColourGrids();
    QButtonGroup *createColourGrid(QGroupBox *frame, const QString &arrayName, int columns,
                                   const QString &accessiblePrefix);
    void createSizeList();
    void showSessionStart();
    void prepareChoiceBox(QComboBox *box);
    void selectStoredColour(QButtonGroup *group, const settings::ColourChoice &choice,
                            void (frmpreferencias::*click)(int));
    static void showStoredText(QComboBox *box, const QString &text);

    std::unique_ptr<Ui::frmpreferencias> ui;
    runtime::Platform &m_platform;
    QButtonGroup *m_optcorfonte = nullptr;
    QButtonGroup *m_optcorfundo1 = nullptr;
    QButtonGroup *m_optcorfundo2 = nullptr;
};
