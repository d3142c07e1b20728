#pragma once

#include <cmath>

namespace almanaq {

// Positions and sizes are kept in twips, as the layout was designed; the
// screen gets them at 15 twips to the pixel.
constexpr int TwipsPerPixel = 15;

inline int toPixels(double twips)
{
    return int(std::lround(twips / TwipsPerPixel));
}

} // namespace almanaq
