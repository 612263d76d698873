#include "controls/xp_combo_layout.h"

#include "platform/numeric.h"

#include <algorithm>

namespace controls {

XPComboLayout xpComboLayout(int widthTwips, double fontPointSize)
{
    XPComboLayout layout;
    layout.width = std::max(widthTwips, kXPComboMinWidth);
    layout.arrowLeft = layout.width - 285;
    layout.listWidth = layout.width;
    layout.textWidth = layout.width - 375;
    // Larger fonts move the text up so it stays inside the fixed height. Font
    // sizes are small, so the rounded excess always has a 32-bit value.
    if (fontPointSize > 8)
        layout.textTop = 60 - 15 * platform::roundToInt32(fontPointSize - 8).value_or(0);
    return layout;
}

int twipsToPixels(int twips) { return platform::roundToInt32(double(twips) / kTwipsPerPixel).value_or(0); }

} // namespace controls
