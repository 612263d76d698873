// The window's own pictures, drawn in code: the faces of the picture buttons
// (each carrying its caption, as the button pictures always have) and the
// small emblem shown in Picture1 and as the window icon.
#pragma once

#include "controls/button_tracking.h"

#include <QImage>
#include <QPainter>
#include <QString>

namespace window {

using controls::ButtonFace;

// A face of `width` x `height` pixels with `caption` centred on it. The
// rounded frame stays within 6 pixels of the edges, so the button can stretch
// the face's middle and keep its corners. At a device pixel ratio above 1 the
// picture has that many more pixels, and says so.
QImage buttonFacePicture(const QString &caption, int width, int height, ButtonFace face, qreal ratio = 1);

// A picture in a frame with arrows pointing to a smaller size: the window's
// icon and the icon files an installation gets; like the faces, at any ratio.
QImage emblemPicture(int size, qreal ratio = 1);

// The emblem's one drawing, on a square of kEmblemUnits units: every size of
// it, and its SVG, come from here.
inline constexpr int kEmblemUnits = 48;
void paintEmblem(QPainter &painter);

} // namespace window
