// Colour arithmetic shared by the custom controls.
#pragma once

#include "platform/colour.h"

namespace platform {

// Moves an RGB colour towards white: each component c becomes
// amount + (255 - amount) * c / 255 (integer division). Amount 0 keeps the
// colour, 255 gives white.
ColourValue Lighten(ColourValue rgb, int amount);

// Weighted mix of two colour values, weight 0..255 for `a`: each component is
// (255 - weight) * b / 255 + weight * a / 255, rounded to nearest, halves to
// even. System colours are resolved first; one that cannot be resolved counts
// as white.
ColourValue Mix(ColourValue a, ColourValue b, int weight);

} // namespace platform
