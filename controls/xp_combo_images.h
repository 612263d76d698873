// The four 17 x 17 pictures of the combo box's arrow button, drawn in code.
#pragma once

#include <QImage>
#include <QtGlobal>

namespace controls {

enum class XPComboPic { Normal = 0, Hot = 1, Pressed = 2, Disabled = 3 };

// An opaque RGB32 picture: a rounded blue button face with a dark downward
// triangle (grey for Disabled; the triangle sits one row lower when Pressed).
// At a device pixel ratio above 1 it has that many more pixels, and says so.
QImage xpComboArrowImage(XPComboPic pic, qreal ratio = 1);

} // namespace controls
