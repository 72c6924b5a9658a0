#pragma once

namespace kolvar {

// A choice box (a combo box that takes no typing) as a screen reader sees it with this
// installed: also its chosen item as text. Orca 43 takes a box's value from its text, its
// selection or its list's selection, none of which Qt 6.4 gives such a box, and says only
// "Rozmiar: combo box". A box that takes typing has its line field's text already.
void installComboAccessible();

} // namespace kolvar
