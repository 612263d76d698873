// What screen readers learn of the drawn controls: the picture button is a
// push button that can be pressed, the combo a combo box with its text as
// value and a list to open, the bar a progress bar with its value. Each
// control's name is its accessibleName(), which the window sets.
#pragma once

namespace controls {

// Registers the interfaces with Qt's accessibility, once; the controls call
// it when they are made.
void installAccessibleInterfaces();

} // namespace controls
