#include "alerts/windowrefresh.h"

#include "forms/frmprincipal.h"

#include <QApplication>
#include <QThread>

namespace alerts {

WindowRefresh::WindowRefresh(WindowSource window, QObject *parent)
    : QObject(parent)
    , m_window(std::move(window))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(250);
    connect(&m_retry, &QTimer::timeout, this, &WindowRefresh::request);
}

void WindowRefresh::request()
{
    frmprincipal *window = m_window();
    if (!window)
        return; // a window opened later loads the list anyway
    if (QThread::currentThread()->loopLevel() > 1 || QApplication::activeModalWidget()) {
        m_retry.start();
        return;
    }
    window->carregarlista();
}

} // namespace alerts
