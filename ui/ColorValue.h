#pragma once

#include <QColor>

#include <cstdint>

namespace kolvar {

// Colours travel through the settings file as the 32-bit values existing registers use: an RGB
// colour is 0x00BBGGRR (positive), a system colour has the top bit set and names a palette role.
using ColorValue = std::int32_t;

namespace colors {
inline constexpr ColorValue Black = 0x000000;
inline constexpr ColorValue Maroon = 0x000080;
inline constexpr ColorValue Navy = 0x800000;
inline constexpr ColorValue Red = 0x0000FF;
inline constexpr ColorValue Blue = 0xFF0000;
inline constexpr ColorValue Aqua = 0xFFFF00;
inline constexpr ColorValue Silver = 0xC0C0C0;
inline constexpr ColorValue Gray = 0x808080;
inline constexpr ColorValue White = 0xFFFFFF;

inline constexpr ColorValue SystemBit = ColorValue(0x80000000u);
inline constexpr ColorValue Window = SystemBit | 5;          // -2147483643
inline constexpr ColorValue WindowText = SystemBit | 8;      // -2147483640
inline constexpr ColorValue Highlight = SystemBit | 13;      // -2147483635
inline constexpr ColorValue HighlightText = SystemBit | 14;  // -2147483634
inline constexpr ColorValue BtnFace = SystemBit | 15;        // -2147483633
inline constexpr ColorValue BtnShadow = SystemBit | 16;      // -2147483632
inline constexpr ColorValue BtnText = SystemBit | 18;        // -2147483630
inline constexpr ColorValue BtnHighlight = SystemBit | 20;   // -2147483628
} // namespace colors

// The colour a value shows on this desktop; system colours follow the application palette.
[[nodiscard]] QColor toQColor(ColorValue value);
// The value of an RGB colour (always positive).
[[nodiscard]] ColorValue fromQColor(const QColor& color);

} // namespace kolvar
