#include "runtime/firstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <utility>
#include <ctime>

namespace runtime {

namespace {

class FirstPaintProbe final : public QObject
{
public:
    FirstPaintProbe(QWidget *widget, std::function<void()> action)
        : QObject(widget)
        , m_action(std::move(action))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_action) {
            // After this paint is done and the window flushed to the screen.
            QTimer::singleShot(0, this, std::exchange(m_action, nullptr));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

void quitAfterFirstPaintIfAsked(QWidget *widget)
{
    if (qEnvironmentVariableIsEmpty("LEMBRETE_SAIR_APOS_PINTAR"))
        return;
    afterFirstPaint(widget, [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("pintado %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

void afterFirstPaint(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new FirstPaintProbe(widget, std::move(action)));
}

} // namespace runtime
