#include "daycell.h"

#include <QMouseEvent>

namespace almanaq {

DayCell::DayCell(int index, QWidget *parent)
    : QLabel(parent)
    , m_index(index)
{
}

void DayCell::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void DayCell::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed && event->button() == Qt::LeftButton;
    m_pressed = false;
    // The release that ends a double click gives no second click.
    const bool endsDoubleClick = m_inDoubleClick;
    m_inDoubleClick = false;
    if (wasPressed && !endsDoubleClick && rect().contains(event->position().toPoint()))
        emit clicked(m_index);
    QLabel::mouseReleaseEvent(event);
}

void DayCell::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_inDoubleClick = true;
        emit doubleClicked(m_index);
    }
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace almanaq
