// The picture button's faces, drawn without a widget: a face picture stretched
// over the button with fixed 6-pixel borders, or, without a picture, a flat
// face with a one-pixel bevel; the caption centred on top.
#pragma once

#include "controls/button_tracking.h"
#include "platform/colour.h"
#include "platform/surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

namespace controls {

struct ButtonLook {
    QImage Picture;        // normal face
    QImage PictureMouseOn; // hover face
    QImage PictureDown;    // pressed face
    QString Caption;
    QFont Font;
    platform::ColourValue ForeColor = platform::kSysButtonText;
    platform::ColourValue BackColor = platform::kSysButtonFace;
};

inline constexpr int kNineSliceBorder = 6;

// Draws the face over the whole surface.
void paintButtonFace(platform::Surface &surface, ButtonFace face, const ButtonLook &look);

// Stretches `picture` over the surface in nine pieces: the corners keep their
// size, the edges stretch along the edge, the middle both ways. Pieces with no
// area on either side (a picture or surface under twice the border) are left
// out.
void drawNineSlice(platform::Surface &surface, const QImage &picture, int border = kNineSliceBorder);

// The focus mark of a classic desktop button: a one-pixel dotted frame three
// pixels inside `button`, every other pixel in the caption colour.
void drawFocusMark(QPainter &painter, const QRect &button, platform::ColourValue fore);

// Fills with `back` and draws the bevel: left and top white, right and bottom
// half the brightness of `fore`; the other way round when pressed.
void drawBevel(platform::Surface &surface, bool pressed, platform::ColourValue fore, platform::ColourValue back);

} // namespace controls
