#include "controls/button_face.h"

#include "platform/colour_blend.h"
#include "platform/system_colours.h"

namespace controls {

using platform::ColourValue;
using platform::Rect;

namespace {

const QImage &pictureFor(ButtonFace face, const ButtonLook &look)
{
    switch (face) {
    case ButtonFace::Hover: return look.PictureMouseOn;
    case ButtonFace::Pressed: return look.PictureDown;
    default: return look.Picture;
    }
}

} // namespace

void drawNineSlice(platform::Surface &surface, const QImage &face, int border)
{
    // Converted once here rather than in each of the nine copies.
    const QImage picture = face.convertToFormat(QImage::Format_ARGB32);
    // Cut in device pixels, the borders as thick at each edge, in the picture
    // at its own ratio and on the surface at its: a picture made for the
    // surface's size and ratio is copied unchanged, without seams.
    const int w = picture.width();
    const int h = picture.height();
    const int W = surface.image().width();
    const int H = surface.image().height();
    const int b = platform::toDevicePixels(border, face.devicePixelRatio());
    const int B = surface.toDevice(border);
    struct Slice {
        Rect destination;
        Rect source;
    };
    const Slice slices[] = {
        {Rect::fromSize(0, 0, B, B), Rect::fromSize(0, 0, b, b)},
        {Rect::fromSize(B, 0, W - 2 * B, B), Rect::fromSize(b, 0, w - 2 * b, b)},
        {Rect::fromSize(W - B, 0, B, B), Rect::fromSize(w - b, 0, b, b)},
        {Rect::fromSize(0, B, B, H - 2 * B), Rect::fromSize(0, b, b, h - 2 * b)},
        {Rect::fromSize(B, B, W - 2 * B, H - 2 * B), Rect::fromSize(b, b, w - 2 * b, h - 2 * b)},
        {Rect::fromSize(W - B, B, B, H - 2 * B), Rect::fromSize(w - b, b, b, h - 2 * b)},
        {Rect::fromSize(0, H - B, B, B), Rect::fromSize(0, h - b, b, b)},
        {Rect::fromSize(B, H - B, W - 2 * B, B), Rect::fromSize(b, h - b, w - 2 * b, b)},
        {Rect::fromSize(W - B, H - B, B, B), Rect::fromSize(w - b, h - b, b, b)},
    };
    for (const Slice &slice : slices)
        surface.stretchDevicePixels(slice.destination, picture, slice.source);
}

void drawBevel(platform::Surface &surface, bool pressed, ColourValue fore, ColourValue back)
{
    const int right = surface.width() - 1;
    const int bottom = surface.height() - 1;
    const ColourValue light = platform::Mix(fore, 0xFFFFFF, 0);
    const ColourValue dark = platform::Mix(fore, 0x000000, 128);
    const ColourValue topLeft = pressed ? dark : light;
    const ColourValue bottomRight = pressed ? light : dark;
    surface.FillRect(surface.bounds(), back);
    surface.MoveToEx(0, bottom);
    surface.LineTo(0, 0, topLeft);
    surface.LineTo(right, 0, topLeft);
    surface.LineTo(right, bottom, bottomRight);
    surface.LineTo(0, bottom, bottomRight);
}

void paintButtonFace(platform::Surface &surface, ButtonFace face, const ButtonLook &look)
{
    const QImage &picture = pictureFor(face, look);
    if (!picture.isNull())
        drawNineSlice(surface, picture);
    else
        drawBevel(surface, face == ButtonFace::Pressed, look.ForeColor, look.BackColor);
    surface.DrawText(look.Caption, surface.bounds(), look.Font, look.ForeColor);
}

} // namespace controls

namespace controls {

void drawFocusMark(QPainter &painter, const QRect &button, platform::ColourValue fore)
{
    const QRect frame = button.adjusted(3, 3, -4, -4);
    if (frame.width() < 1 || frame.height() < 1)
        return;
    const QColor colour = platform::toQColor(platform::resolveColour(fore).value_or(0));
    // Pixel by pixel, as the classic focus rectangle: every pixel of the
    // outline whose coordinates add up to an even number.
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            painter.fillRect(x, y, 1, 1, colour);
    };
    for (int x = frame.left(); x <= frame.right(); ++x) {
        dot(x, frame.top());
        dot(x, frame.bottom());
    }
    for (int y = frame.top() + 1; y < frame.bottom(); ++y) {
        dot(frame.left(), y);
        dot(frame.right(), y);
    }
}

} // namespace controls
