#include "SortGlyph.h"

#include <QFile>

// Resources of a static library are registered by hand, and outside any namespace.
static void initSortGlyphResources()
{
    Q_INIT_RESOURCE(sortglyphs);
}

namespace kolvar::grid {

QImage loadSortGlyphResource(const QString& name)
{
    static const bool registered = (initSortGlyphResources(), true);
    Q_UNUSED(registered);
    const QString path = QStringLiteral(":/sortglyphs/") + name;
    if (!QFile::exists(path))
        return {};
    return QImage(path, "XPM").convertToFormat(QImage::Format_RGB32);
}

QImage maskedGlyph(const QImage& glyph, const QColor& transparent)
{
    QImage masked = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & RGB_MASK;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    return masked;
}

} // namespace kolvar::grid
