#pragma once

#include <initializer_list>

namespace kolvar::bench {

// Whether keys can be pressed through the X server the program draws on, as a keyboard presses
// them; no X types here, whose macros clash with Qt's names. The first call opens the connection:
// made before a command's clock starts, it is not in the command's time.
bool serverKeysUsable();

// Presses the keys named as X names them ("Shift_L", "F3", "Return") together, then lets them go.
void pressServerKeys(std::initializer_list<const char*> names);

} // namespace kolvar::bench
