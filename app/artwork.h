// The window's own pictures, drawn in code: the faces of the picture buttons
// (each carrying its caption, as the button pictures always have) and the
// small emblem shown in Picture1 and as the window icon.
#pragma once

#include "controls/button_tracking.h"

#include <QImage>
#include <QString>

namespace app {

using controls::ButtonFace;

// A face of `width` x `height` pixels with `caption` centred on it. The
// rounded frame stays within 6 pixels of the edges, so the button can stretch
// the face's middle and keep its corners.
QImage buttonFacePicture(const QString &caption, int width, int height, ButtonFace face);

// A picture in a frame with arrows pointing to a smaller size.
QImage emblemPicture(int size);

} // namespace app
