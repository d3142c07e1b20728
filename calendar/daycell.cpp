#include "daycell.h"

#include <QMouseEvent>
#include <QPainter>

namespace almanaq {

BorderedLabel::BorderedLabel(QWidget *parent)
    : QLabel(parent)
{
}

QColor BorderedLabel::borderColour()
{
    return QColor(0x40, 0x40, 0x40);
}

void BorderedLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (frameShape() == QFrame::NoFrame)
        return;
    QPainter painter(this);
    painter.setPen(QPen(borderColour(), lineWidth()));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

DayCell::DayCell(int index, QWidget *parent)
    : BorderedLabel(parent)
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
