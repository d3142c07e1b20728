#include "arrowbitmap.h"

#include <QPainter>
#include <QPolygon>

namespace almanaq {

QImage arrowImage(ArrowDirection direction)
{
    // Only colours of the 16-colour palette.
    const QColor ground(0xC0, 0xC0, 0xC0);
    const QColor teal(0x00, 0x80, 0x80);

    QImage image(16, 17, QImage::Format_RGB32);
    image.fill(ground);

    // A right-pointing arrow in a 10 x 11 box: a shaft 5 high and a head 11 high.
    QPolygon arrow({QPoint(0, 3), QPoint(4, 3), QPoint(4, 0), QPoint(9, 5),
                    QPoint(4, 10), QPoint(4, 7), QPoint(0, 7)});
    if (direction == ArrowDirection::Left) {
        for (QPoint &point : arrow)
            point.setX(9 - point.x());
    }
    arrow.translate(3, 3);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(teal);
    painter.drawPolygon(arrow);
    return image;
}

} // namespace almanaq
