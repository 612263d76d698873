// The device pixel ratio a paint event draws at.
#pragma once

#include <QtGlobal>

class QPainter;

namespace platform {

// The ratio of the device under the painter: the window's backing store on
// its screen, or the picture of a grab or render, which may have a ratio of
// its own. A widget's own ratio only tells the first.
qreal paintTargetRatio(const QPainter &painter);

} // namespace platform
