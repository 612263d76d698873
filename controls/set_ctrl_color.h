// A coloured one-pixel outline over any widget's own border. The outline is
// painted over the widget's outermost pixel ring right after the widget has
// painted itself. Hooked widgets carry a marker property instead of being
// listed anywhere, so a destroyed widget leaves nothing behind. One colour
// serves all hooked widgets: the one given by the latest hook call.
#pragma once

#include "platform/colour.h"

class QWidget;

namespace controls {

// The dynamic property that marks a hooked widget.
inline constexpr char kBorderHookProperty[] = "BorderHookFilter";

// Sets the colour for every hooked widget and hooks `widget` unless it is
// hooked already. A null widget only sets the colour.
void HookBorderColor(QWidget *widget, platform::ColourValue color);
// Removes the outline; a widget that is not hooked is left alone.
void UnhookBorderColor(QWidget *widget);

bool isBorderHooked(const QWidget *widget);
platform::ColourValue borderColour();

} // namespace controls
