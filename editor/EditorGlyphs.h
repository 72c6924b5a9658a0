#pragma once

#include <QIcon>
#include <QPixmap>

namespace kolvar {

// The pictures on the record editor's speed buttons.
enum class Glyph { First, Prior, Next, Last, Plus, Minus, Tick };

// A 16×16 picture on a transparent ground. The disabled form is the shape embossed in grey, so
// that a button the main window switches off still shows what it would do.
[[nodiscard]] QPixmap glyphPixmap(Glyph glyph, bool enabled);
// Both forms, the disabled one under QIcon::Disabled.
[[nodiscard]] QIcon glyphIcon(Glyph glyph);

} // namespace kolvar
