#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class frmcalendario;
}

namespace runtime {
class Platform;
}

// The plain calendar window: one Dayboard covering the client area. The window
// has no logic of its own; the control navigates and selects by itself. When
// the calendar library cannot be loaded the user is told and the window opens
// empty.
class frmcalendario : public QWidget
{
    Q_OBJECT
public:
    explicit frmcalendario(runtime::Platform &platform, QWidget *parent = nullptr);
    ~frmcalendario() override;

    // The calendar control, or nullptr when it could not be loaded.
    QWidget *Dayboard1() const { return m_dayboard1; }

private:
    std::unique_ptr<Ui::frmcalendario> ui;
    QPointer<QWidget> m_dayboard1;
};
