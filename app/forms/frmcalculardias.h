#pragma once

#include <QWidget>
#include <memory>

namespace runtime {
class Platform;
}

namespace Ui {
class frmcalculardias;
}

// The day calculator: the number of days from one typed date to another.
class frmcalculardias : public QWidget
{
    Q_OBJECT
public:
    frmcalculardias(runtime::Platform &platform, QWidget *parent = nullptr);
    ~frmcalculardias() override;

    void cmdcalcular_Click();

private:
    void Form_Load();

    std::unique_ptr<Ui::frmcalculardias> ui;
    runtime::Platform &m_platform;
};
