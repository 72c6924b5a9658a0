#pragma once

#include <QString>

namespace kolvar::hints {

// The user guide the hints window shows when no hints file lies beside the program: plain
// Polish text, one paragraph a line.
[[nodiscard]] QString builtInGuide();

} // namespace kolvar::hints
