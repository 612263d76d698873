// Where a dialog goes when it is centred on the screen or over the main window.
#pragma once

#include "dialogs/file_dialogs.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace dialogs {

// The top-left corner for a dialog of `dialog` size, or nothing when the
// placement leaves the dialog where the platform put it. Halving truncates
// toward zero, so a dialog larger than the reference area gets a negative
// offset and is placed partly above or left of it.
std::optional<QPoint> dialogPosition(DialogPlacement placement, QSize dialog, QRect screen, QRect mainWindow);

} // namespace dialogs
