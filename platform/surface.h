// An in-memory 32-bit RGB picture with the drawing rules the custom controls are
// written against: rectangles are left/top inclusive and right/bottom exclusive,
// lines leave out their end point, and anything outside the picture (or its
// clip rectangle) is clipped.
// Coordinates are logical pixels. A surface made for a HiDPI screen holds more
// device pixels than logical ones: logical x covers the device columns from
// toDevice(x) up to toDevice(x + 1), so shapes that touch in logical pixels
// touch on the device too, and at a ratio of 1 the two are the same.
// Colours are colour values (0x00BBGGRR, top bit = system colour); a system
// colour that cannot be resolved makes the call draw nothing.
#pragma once

#include "platform/colour.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QFont;

namespace platform {

// Half-open rectangle. A rectangle whose right is not above its left (or bottom
// not below its top) is empty and draws nothing.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect fromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend constexpr bool operator==(const Rect &, const Rect &) = default;
};

// A corner of a gradient: position and 16-bit colour channels (8-bit value in
// the high byte).
struct GradientVertex {
    int x = 0;
    int y = 0;
    quint16 red = 0;
    quint16 green = 0;
    quint16 blue = 0;
};

// The 16-bit vertex channels of a resolved colour (component × 256).
GradientVertex gradientVertex(int x, int y, ColourValue rgb);

enum class GradientDirection { Horizontal, Vertical };

class Surface {
public:
    Surface() = default;
    // A black picture of width x height logical pixels at `ratio` device pixels
    // per logical pixel; a size below 1 in either direction, or one that cannot
    // be allocated, gives a null surface.
    Surface(int width, int height, qreal ratio = 1);

    bool isNull() const { return m_image.isNull(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    Rect bounds() const { return {0, 0, width(), height()}; }
    qreal devicePixelRatio() const { return m_ratio; }
    // Where a logical coordinate lands on this surface's device pixels.
    int toDevice(int logical) const;
    Rect toDevice(const Rect &logical) const;

    // Device pixels as RGB32, carrying the ratio so that QPainter draws the
    // image at its logical size; the surface only ever writes opaque values.
    const QImage &image() const { return m_image; }

    // Limits all drawing to the rectangle (within the picture) until cleared.
    void setClipRect(const Rect &clip);
    void clearClip();
    // The colour value of logical pixel (x, y), read at its first device
    // pixel; 0 outside the picture.
    ColourValue pixel(int x, int y) const;

    void FillRect(const Rect &rect, ColourValue colour);
    // One-pixel outline along the inside of the rectangle.
    void FrameRect(const Rect &rect, ColourValue colour);
    void SetPixelV(int x, int y, ColourValue colour);

    // Moves the current position without drawing.
    void MoveToEx(int x, int y);
    // A one-pixel line from the current position to (x, y), end point excluded;
    // the current position becomes (x, y).
    void LineTo(int x, int y, ColourValue pen);
    QPoint currentPosition() const { return m_position; }

    // Fills the rectangle spanned by the two vertices (the first at its top-left,
    // the second at its bottom-right) with channels running linearly from the
    // first vertex's to the second's along x (Horizontal) or y (Vertical), one
    // step per device pixel. The second vertex's colour itself lies just
    // outside the rectangle.
    void GradientFill(const GradientVertex &first, const GradientVertex &second, GradientDirection direction);

    // Copies a width × height block of `source` starting at (xSrc, ySrc) to
    // (xDst, yDst). Parts outside either picture are left out. A picture's
    // coordinates are its own logical pixels (its pixels over its device pixel
    // ratio); a source at another ratio is resampled with the nearest pixel.
    void BitBlt(int xDst, int yDst, int width, int height, const Surface &source, int xSrc, int ySrc);
    void BitBlt(int xDst, int yDst, int width, int height, const QImage &source, int xSrc, int ySrc);

    // Copies the source rectangle (in the picture's logical pixels, as above)
    // onto the destination rectangle, stretched with the nearest source pixel.
    // A rectangle of zero or negative size fails and draws nothing. Destination
    // pixels that would sample outside the source keep their colour;
    // transparent source pixels are blended onto the surface.
    void StretchBlt(const Rect &destination, const QImage &source, const Rect &sourceRect);
    // StretchBlt with both rectangles in device pixels, the destination's in
    // this surface's and the source's in the picture's.
    void stretchDevicePixels(const Rect &destination, const QImage &source, const Rect &sourceRect);

    // Draws the text on one line, centred in the rectangle and clipped to it,
    // with a transparent background; the glyphs are rendered at device
    // resolution. Returns where the text was laid out, in logical pixels (an
    // empty rectangle when nothing was drawn).
    QRect DrawText(const QString &text, const Rect &rect, const QFont &font, ColourValue colour);

private:
    // The device pixels drawing may touch.
    Rect drawable() const;
    void fillDevicePixels(const Rect &deviceRect, QRgb rgb);
    void fillClipped(const Rect &rect, QRgb rgb);
    void put(int x, int y, QRgb rgb);

    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    qreal m_ratio = 1;
    QPoint m_position;
    std::optional<Rect> m_clip;
};

// Where a logical coordinate lands on a device of the given ratio.
int toDevicePixels(int logical, qreal ratio);

// Where DrawText puts the text: its bounding rectangle centred in `rect`.
QRect centredTextRect(const QString &text, const Rect &rect, const QFont &font);

} // namespace platform
