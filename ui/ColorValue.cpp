#include "ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

namespace kolvar {

namespace {

QColor systemColor(int index)
{
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case 5:
        return p.color(QPalette::Active, QPalette::Base);
    case 8:
        return p.color(QPalette::Active, QPalette::Text);
    case 13:
        return p.color(QPalette::Active, QPalette::Highlight);
    case 14:
        return p.color(QPalette::Active, QPalette::HighlightedText);
    case 15:
        return p.color(QPalette::Active, QPalette::Button);
    case 16:
        return p.color(QPalette::Active, QPalette::Dark);
    case 18:
        return p.color(QPalette::Active, QPalette::ButtonText);
    case 20:
        return p.color(QPalette::Active, QPalette::Light);
    default:
        return p.color(QPalette::Active, QPalette::Window);
    }
}

} // namespace

QColor toQColor(ColorValue value)
{
    if (value & colors::SystemBit)
        return systemColor(value & 0xFF);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

ColorValue fromQColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return ColorValue(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace kolvar
