#include "forms/statusclock.h"

#include <QTimer>

StatusClock::StatusClock(std::function<QString()> text, QWidget *parent)
    : QLabel(parent)
    , m_text(std::move(text))
    , m_timer(new QTimer(this))
{
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    connect(m_timer, &QTimer::timeout, this, &StatusClock::refresh);
    m_timer->start(1000);
    refresh();
}

void StatusClock::refresh()
{
    const QString current = m_text();
    if (current != text())
        setText(current);
}
