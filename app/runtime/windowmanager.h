#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace runtime {

// Keeps the program's windows single-instance. Showing a window loads it on
// first use (its constructor is the load handler), makes it visible and
// returns at once; a window closed by the user is unloaded and the next
// showing loads it afresh. The loaded windows are listed in load order.
class WindowManager : public QObject
{
    Q_OBJECT
public:
    // Records a window that is now loaded (the main window does so itself).
    void registerLoaded(QWidget *window);

    // The loaded windows, in the order they were loaded.
    QList<QWidget *> loaded() const;
    int loadedCount() const { return int(loaded().size()); }

    template<class Window>
    Window *find() const
    {
        for (QWidget *window : loaded()) {
            if (auto *match = qobject_cast<Window *>(window))
                return match;
        }
        return nullptr;
    }

    // Shows the one instance of Window, creating it with create() when it is
    // not loaded; closing it deletes it.
    template<class Window, class Create>
    Window *show(Create create)
    {
        Window *window = find<Window>();
        if (!window) {
            window = create();
            window->setAttribute(Qt::WA_DeleteOnClose); // closing unloads it
            registerLoaded(window);
            placeOverOwner(*window);
        }
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }

    // Closes a window; true when it went away.
    bool unload(QWidget *window);

    // Unloads every loaded window but keep, most recently loaded first. Stops
    // when a window refuses to close.
    void unloadAllExcept(const QWidget *keep);

private:
    // A new window opens centred over the window that opened it, on screen.
    static void placeOverOwner(QWidget &window);

    QList<QPointer<QWidget>> m_windows;
};

} // namespace runtime
