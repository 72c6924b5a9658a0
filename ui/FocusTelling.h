#pragma once

class QLineEdit;

namespace kolvar {

// Remedies for what a screen reader misses when the keyboard moves the focus (Qt 6.4):
//
// - Reached with a key (Tab, Shift+Tab, a caption's shortcut), a line field selects its text or
//   moves its cursor inside its focus-in handling, before the toolkit tells assistive tools about
//   the focus; a reader then takes the focus as told already and says nothing, and an empty field
//   is not heard at all. The field takes the focus as a click gives it, and its text is selected
//   (a masked field's cursor goes to its first position) once the focus has been told.
// - A list taking the focus is told as a whole ("List with 5 items"), never its current item,
//   which the user then cannot hear until moving. Its current item is told once the list's focus
//   has been.
//
// For every field and list of the program: installed on the application once it exists.
void tellFocusPlainly();
// The line field remedy for one field, where no application-wide remedy can be relied on.
void tellLineFocusFirst(QLineEdit* field);

} // namespace kolvar
