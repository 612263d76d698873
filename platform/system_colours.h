// System colours resolved from the application's palette, and the conversions
// between the program's colour values and Qt's.
#pragma once

#include "platform/colour.h"

#include <QColor>

#include <optional>

namespace platform {

// Resolves a system colour (top bit set) from the application palette; any
// other value is returned as it is. A system colour index the program does not
// know has no value.
std::optional<ColourValue> resolveColour(ColourValue value);

// The button-face colour as RGB, onto which transparent pictures are flattened
// when their output holds no alpha (JPEG, BMP), as are the pixels a GIF keeps opaque.
ColourValue buttonFaceColour();

QColor toQColor(ColourValue rgb);
ColourValue fromQColor(const QColor &colour);

} // namespace platform
