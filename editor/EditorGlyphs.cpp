#include "EditorGlyphs.h"

#include <QPainter>
#include <QRect>

#include <vector>

namespace kolvar {

namespace {

constexpr int Size = 16;

using Shape = std::vector<QRect>;

// A triangle with its point at tipX and its base five columns away, pointing left when step is
// +1 (the columns widen to the right) and right when step is -1.
void addTriangle(Shape& shape, int tipX, int step)
{
    for (int i = 0; i < 5; ++i)
        shape.emplace_back(tipX + i * step, 7 - i, 1, 2 + 2 * i);
}

void addBar(Shape& shape, int x)
{
    shape.emplace_back(x, 3, 2, 10);
}

Shape shapeOf(Glyph glyph)
{
    Shape shape;
    switch (glyph) {
    case Glyph::First:
        addBar(shape, 4);
        addTriangle(shape, 7, +1);
        break;
    case Glyph::Prior:
        addTriangle(shape, 5, +1);
        break;
    case Glyph::Next:
        addTriangle(shape, 10, -1);
        break;
    case Glyph::Last:
        addTriangle(shape, 8, -1);
        addBar(shape, 10);
        break;
    case Glyph::Plus:
        shape.emplace_back(3, 7, 10, 2);
        shape.emplace_back(7, 3, 2, 10);
        break;
    case Glyph::Minus:
        shape.emplace_back(3, 7, 10, 2);
        break;
    case Glyph::Tick:
        for (int i = 0; i < 4; ++i)
            shape.emplace_back(3 + i, 7 + i, 1, 3);
        for (int i = 0; i < 6; ++i)
            shape.emplace_back(7 + i, 9 - i, 1, 3);
        break;
    }
    return shape;
}

QColor colourOf(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Plus:
    case Glyph::Tick:
        return QColor(0, 128, 0);
    case Glyph::Minus:
        return QColor(192, 0, 0);
    case Glyph::First:
    case Glyph::Prior:
    case Glyph::Next:
    case Glyph::Last:
        break;
    }
    return QColor(0, 0, 128);
}

void fill(QPainter& p, const Shape& shape, const QColor& colour, QPoint offset)
{
    for (const QRect& r : shape)
        p.fillRect(r.translated(offset), colour);
}

} // namespace

QPixmap glyphPixmap(Glyph glyph, bool enabled)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const Shape shape = shapeOf(glyph);
    if (enabled) {
        fill(p, shape, colourOf(glyph), {});
    } else {
        fill(p, shape, Qt::white, { 1, 1 });
        fill(p, shape, QColor(128, 128, 128), {});
    }
    return pixmap;
}

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    icon.addPixmap(glyphPixmap(glyph, true), QIcon::Normal);
    icon.addPixmap(glyphPixmap(glyph, false), QIcon::Disabled);
    return icon;
}

} // namespace kolvar
