#include "dayboard.h"

#include "twips.h"

#include <QPainter>
#include <QResizeEvent>

#include <cmath>

// How the control and its constituent controls follow its size, and its border.

namespace almanaq {

// ---- Layout and scaling ---------------------------------------------------------------

int Dayboard::widthTwips() const
{
    return width() * TwipsPerPixel;
}

int Dayboard::heightTwips() const
{
    return height() * TwipsPerPixel;
}

QSize Dayboard::sizeHint() const
{
    return QSize(toPixels(m_designWidth), toPixels(m_designHeight));
}

QSize Dayboard::minimumSizeHint() const
{
    return QSize(toPixels(m_designWidth / 2.0), toPixels(m_designHeight / 2.0));
}

void Dayboard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void Dayboard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    UserControl_Show();
}

void Dayboard::UserControl_Resize()
{
    if (m_sizeLocked) {
        // A freshly placed instance keeps its initial size until it is first shown.
        resize(toPixels(m_initialWidth), toPixels(m_initialHeight));
        return;
    }
    ScaleControls();
}

void Dayboard::UserControl_Show()
{
    m_sizeLocked = false;
}

void Dayboard::ScaleControls()
{
    // Drawing waits until every control has its new place; a nested run (the
    // floors below resize the control again) restores what it found.
    const bool updatesWereEnabled = updatesEnabled();
    setUpdatesEnabled(false);

    if (m_layoutPending) {
        CaptureLayout();
        m_layoutPending = false;
    }

    // Never smaller than half the design size in either direction.
    if (float(m_designHeight / 2.0) > float(heightTwips()))
        resize(width(), toPixels(m_designHeight / 2.0));
    if (float(m_designWidth / 2.0) > float(widthTwips()))
        resize(toPixels(m_designWidth / 2.0), height());

    const double rH = m_designHeight * 1.0 / heightTwips();
    const double rW = m_designWidth * 1.0 / widthTwips();

    const QList<QWidget *> controls = constituentControls();
    for (qsizetype k = 0; k < controls.size() && k < m_controlLayout.size(); ++k) {
        QWidget *control = controls[k];
        const ControlRecord &L = m_controlLayout[k];
        control->setGeometry(toPixels(std::floor(L.left / rW)), toPixels(std::floor(L.top / rH)),
                             toPixels(std::floor(L.width / rW)), toPixels(std::floor(L.height / rH)));
        // Whole points, raised to the next even size when odd.
        const int m = int(std::floor(L.fontSize / rW));
        const int size = m + m % 2;
        if (size > 0) {
            QFont font = control->font();
            font.setPointSize(size);
            control->setFont(font);
        }
    }

    setUpdatesEnabled(updatesWereEnabled);
}

void Dayboard::CaptureLayout()
{
    const QList<QWidget *> controls = constituentControls();
    m_controlLayout.clear();
    m_controlLayout.resize(controls.size());
    for (qsizetype k = 0; k < controls.size(); ++k) {
        const QRect geometry = controls[k]->geometry();
        ControlRecord &record = m_controlLayout[k];
        record.top = qint16(geometry.y() * TwipsPerPixel);
        record.left = qint16(geometry.x() * TwipsPerPixel);
        record.height = qint16(geometry.height() * TwipsPerPixel);
        record.width = qint16(geometry.width() * TwipsPerPixel);
        const double points = controls[k]->font().pointSizeF();
        record.fontSize = points > 0 ? qint16(std::lround(points)) : qint16(0);
    }
}

// ---- Drawing ---------------------------------------------------------------------------

void Dayboard::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (m_borderStyle == FixedSingle) {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace almanaq
