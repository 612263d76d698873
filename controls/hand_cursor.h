// The picture button's mouse pointer: a 32 × 32 pointing hand, index finger
// up, white with a black outline, drawn in code.
#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

namespace controls {

// The tip of the index finger.
inline constexpr QPoint kHandHotSpot{11, 1};

// ARGB32, transparent around the hand.
QImage handPointerImage();
QCursor handCursor();

} // namespace controls
