#include "StepGlyph.h"

#include <QPainter>

namespace kolvar::calendar {

QPixmap stepGlyph(bool pointsRight)
{
    QPixmap pixmap(StepGlyphSize, StepGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // Built column by column from the tip, so the edges stay crisp at this size where an
    // antialiased polygon would blur.
    constexpr int Columns = 9;
    const int tip = pointsRight ? StepGlyphSize - 7 : 6;
    const int step = pointsRight ? -1 : 1;
    for (int i = 0; i < Columns; ++i)
        painter.fillRect(tip + i * step, 9 - i, 1, 2 + 2 * i, Qt::black);
    return pixmap;
}

} // namespace kolvar::calendar
