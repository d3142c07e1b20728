#include "forms/windowkeys.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

WindowKeys::WindowKeys(QWidget &window, QPushButton *defaultButton, bool escapeCloses)
    : QObject(&window)
    , m_window(window)
    , m_defaultButton(defaultButton)
    , m_escapeCloses(escapeCloses)
{
    if (m_defaultButton)
        m_defaultButton->setDefault(true);
    window.installEventFilter(this);
}

void WindowKeys::install(QWidget &window, QPushButton *defaultButton, bool escapeCloses)
{
    new WindowKeys(window, defaultButton, escapeCloses); // owned by the window
}

// Key presses reach the window when the control with the focus leaves them.
bool WindowKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_defaultButton) {
        auto *focused = qobject_cast<QPushButton *>(m_window.focusWidget());
        QPushButton *button = focused && focused->isEnabled() ? focused : m_defaultButton;
        if (button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
    if (key->key() == Qt::Key_Escape && m_escapeCloses) {
        m_window.close();
        return true;
    }
    return false;
}
