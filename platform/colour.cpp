#include "platform/colour.h"

namespace platform {

std::optional<ColourValue> standardSystemColour(ColourValue index)
{
    switch (index) {
    case 5: return rgbValue(255, 255, 255);
    case 8: return rgbValue(0, 0, 0);
    case 13: return rgbValue(48, 140, 198);
    case 15: return rgbValue(239, 239, 239);
    case 18: return rgbValue(0, 0, 0);
    default: return std::nullopt;
    }
}

} // namespace platform
