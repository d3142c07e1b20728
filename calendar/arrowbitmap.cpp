#include "arrowbitmap.h"

#include <QColor>

namespace almanaq {

namespace {

constexpr int ArrowLength = 10;
constexpr int ArrowHeight = 11;

// Whether (x, y) of the 10 x 11 box lies on a right-pointing arrow: a shaft
// five pixels high and a head that narrows from the full height to one pixel.
bool onArrow(int x, int y)
{
    if (x < 0 || x >= ArrowLength || y < 0 || y >= ArrowHeight)
        return false;
    const int middle = ArrowHeight / 2;
    if (x < 4)
        return y >= middle - 2 && y <= middle + 2;
    const int halfHeight = ArrowLength - 1 - x;
    return y >= middle - halfHeight && y <= middle + halfHeight;
}

} // namespace

QImage arrowImage(ArrowDirection direction)
{
    // Only colours of the 16-colour palette.
    const QColor ground(0xC0, 0xC0, 0xC0);
    const QColor teal(0x00, 0x80, 0x80);
    const QColor outline(Qt::black);

    QImage image(16, 17, QImage::Format_RGB32);
    image.fill(ground);
    const int left = (image.width() - ArrowLength) / 2;
    const int top = (image.height() - ArrowHeight) / 2;

    for (int y = 0; y < ArrowHeight; ++y) {
        for (int x = 0; x < ArrowLength; ++x) {
            if (!onArrow(x, y))
                continue;
            const bool edge = !onArrow(x - 1, y) || !onArrow(x + 1, y) || !onArrow(x, y - 1)
                              || !onArrow(x, y + 1);
            const int column = direction == ArrowDirection::Right ? x : ArrowLength - 1 - x;
            image.setPixelColor(left + column, top + y, edge ? outline : teal);
        }
    }
    return image;
}

} // namespace almanaq
