// Colour values in a property bag: stored as 32-bit integers holding the bit
// pattern of the colour value, so system colours (top bit set) survive.
#pragma once

#include "platform/colour.h"

#include <QVariant>

namespace controls {

inline QVariant storedColour(platform::ColourValue colour) { return QVariant(qint32(colour)); }

// Accepts any integer variant, signed or unsigned.
inline platform::ColourValue colourFromStored(const QVariant &stored)
{
    return platform::ColourValue(quint32(stored.toLongLong()));
}

} // namespace controls
