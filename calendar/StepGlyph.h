#pragma once

#include <QPixmap>

namespace kolvar::calendar {

inline constexpr int StepGlyphSize = 20;

// A filled black triangle on a transparent ground, StepGlyphSize square, pointing left or right:
// the picture of the calendar window's step buttons. The two are mirror images, so the buttons
// of a pair look alike.
[[nodiscard]] QPixmap stepGlyph(bool pointsRight);

} // namespace kolvar::calendar
