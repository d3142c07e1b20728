#include "runtime/windowmanager.h"

#include "runtime/windowplacement.h"

namespace runtime {

void WindowManager::registerLoaded(QWidget *window)
{
    if (!window || m_windows.contains(window))
        return;
    m_windows.append(window);
    connect(window, &QObject::destroyed, this, [this] {
        m_windows.removeIf([](const QPointer<QWidget> &w) { return w.isNull(); });
    });
}

QList<QWidget *> WindowManager::loaded() const
{
    // A closed window is hidden at once and deleted a moment later: from the
    // close on it no longer counts as loaded.
    QList<QWidget *> result;
    for (const QPointer<QWidget> &window : m_windows) {
        if (window && window->isVisible())
            result.append(window);
    }
    return result;
}

void WindowManager::placeOverOwner(QWidget &window)
{
    if (const QWidget *owner = window.parentWidget())
        windowplacement::centreOver(window, *owner);
}

bool WindowManager::unload(QWidget *window)
{
    if (!window)
        return true;
    return window->close();
}

void WindowManager::unloadAllExcept(const QWidget *keep)
{
    QList<QWidget *> windows = loaded();
    windows.removeAll(const_cast<QWidget *>(keep));
    while (!windows.isEmpty()) {
        QWidget *last = windows.takeLast();
        if (!unload(last))
            return;
    }
}

} // namespace runtime
