#pragma once

#include <QObject>

class QPushButton;
class QWidget;

// The keys a dialog-like window answers, as dialogs do: Enter presses the
// button that has the focus, else the window's default button; Escape closes
// the window. Keys a control uses itself (Enter in a multi-line box, the
// calendar's keys) stay with it. Owned by the window.
class WindowKeys : public QObject
{
    Q_OBJECT
public:
    // A null default button leaves Enter alone.
    static void install(QWidget &window, QPushButton *defaultButton, bool escapeCloses);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowKeys(QWidget &window, QPushButton *defaultButton, bool escapeCloses);

    QWidget &m_window;
    QPushButton *m_defaultButton;
    bool m_escapeCloses;
};
