#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace kolvar::grid {

// One of the sort glyphs built into the program: "SORTUP", "SORTDN" (8 x 7 arrows) or "SORTAZ",
// "SORTZA" (16 x 16 letters with an arrow). A null image for any other name.
[[nodiscard]] QImage loadSortGlyphResource(const QString& name);

// The glyph as it is painted: every pixel of the transparent colour left out.
[[nodiscard]] QImage maskedGlyph(const QImage& glyph, const QColor& transparent);

} // namespace kolvar::grid
