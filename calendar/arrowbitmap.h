#pragma once

#include <QImage>

namespace almanaq {

enum class ArrowDirection { Left, Right };

// The picture of a month arrow button: a 16 x 17 bitmap holding a black-outlined
// teal arrow, 10 pixels long and 11 high, on a light-grey ground.
QImage arrowImage(ArrowDirection direction);

} // namespace almanaq
