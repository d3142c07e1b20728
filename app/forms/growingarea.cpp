#include "forms/growingarea.h"

#include <QEvent>
#include <QResizeEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

GrowingArea *GrowingArea::install(QWidget &area)
{
    return new GrowingArea(area);
}

GrowingArea::GrowingArea(QWidget &area)
    : QObject(&area)
    , m_designed(area.size())
{
    area.installEventFilter(this);
}

void GrowingArea::follow(QWidget *control, int growth)
{
    m_controls.append({control, control->geometry(), growth});
}

bool GrowingArea::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        place(static_cast<QResizeEvent *>(event)->size());
    return QObject::eventFilter(watched, event);
}

void GrowingArea::place(const QSize &areaSize)
{
    const int wider = std::max(0, areaSize.width() - m_designed.width());
    const int taller = std::max(0, areaSize.height() - m_designed.height());
    for (const Control &control : std::as_const(m_controls)) {
        if (!control.widget)
            continue;
        QRect place = control.designed;
        if (control.growth & Wider)
            place.setWidth(place.width() + wider);
        if (control.growth & Taller)
            place.setHeight(place.height() + taller);
        if (control.growth & Lower)
            place.translate(0, taller);
        control.widget->setGeometry(place);
    }
}
