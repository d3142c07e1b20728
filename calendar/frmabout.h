#pragma once

#include "systemregistry.h"

#include <QDialog>
#include <QLabel>

#include <array>

class QPushButton;
class QUrl;

namespace almanaq {

// What the about box does outside itself. The default starts programs
// detached, shows message boxes and opens addresses with the desktop.
class AboutServices
{
public:
    virtual ~AboutServices() = default;
    virtual bool startProgram(const QString &path);
    // A message box with one OK button and no icon.
    virtual void showMessage(QWidget *owner, const QString &text, const QString &title);
    virtual bool openUrl(const QUrl &url);

    static AboutServices &standard();
};

// A label that works as a link: a click, Space or Enter triggers it.
class LinkLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The library's about box, shown by Dayboard::AboutBox.
class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr, const SystemRegistry &registry = SystemRegistry(),
                      AboutServices &services = AboutServices::standard());

    // Creates the form if it does not exist yet and shows it modally; returns
    // once it has been closed. A call while it is open brings it forward.
    static void showModal(QWidget *owner);

    void StartSysInfo();
    bool GetKeyValue(RegistryRoot KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                     QString &KeyVal) const;

    static QString versionText();

public slots:
    void reject() override;

private:
    void createControls();
    void Form_Load();
    void cmdOK_Click();
    void lblLink_Click(int index);

    SystemRegistry m_registry;
    AboutServices &m_services;

    QLabel *Picture1 = nullptr;
    QLabel *imgIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCopyright = nullptr;
    QLabel *lblTradeMark = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    std::array<QLabel *, 2> Label1{};
    std::array<LinkLabel *, 2> lblLink{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
};

} // namespace almanaq
