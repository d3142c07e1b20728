#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class frmprincipal;

namespace alerts {

// Reloads the main window's list when another run of the program changed the
// reminders. A reload opens the store's connection afresh, so it waits while
// a modal window or any other inner event loop runs (a question in the middle
// of a save, a sync waiting for its password): they may be using the old one.
class WindowRefresh : public QObject
{
    Q_OBJECT
public:
    // window: the main window now, or null when none is open.
    using WindowSource = std::function<frmprincipal *()>;
    explicit WindowRefresh(WindowSource window, QObject *parent = nullptr);

public slots:
    void request();

private:
    WindowSource m_window;
    QTimer m_retry;
};

} // namespace alerts
