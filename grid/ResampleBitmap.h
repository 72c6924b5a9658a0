#pragma once

#include <QImage>

namespace kolvar::grid {

// Scales source into the whole of target, whose size the caller has set, by bilinear
// interpolation in 15-bit fixed point. Both are made 24 bits per pixel.
void resampleBitmap(QImage& source, QImage& target);

} // namespace kolvar::grid
