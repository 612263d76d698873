#include "dialogs/dialog_placement.h"

namespace dialogs {

std::optional<QPoint> dialogPosition(DialogPlacement placement, QSize dialog, QRect screen, QRect mainWindow)
{
    QRect reference;
    switch (placement) {
    case DialogPlacement::Screen: reference = screen; break;
    case DialogPlacement::MainWindow: reference = mainWindow; break;
    default: return std::nullopt;
    }
    return QPoint(reference.x() + (reference.width() - dialog.width()) / 2,
                  reference.y() + (reference.height() - dialog.height()) / 2);
}

} // namespace dialogs
