#include "controls/xp_combo_images.h"

#include "controls/xp_combo_layout.h"
#include "platform/surface.h"

#include <array>
#include <cmath>

namespace controls {

namespace {

struct ButtonColours {
    QRgb border;
    QRgb faceTop;
    QRgb faceBottom;
    QRgb glyph;
};

ButtonColours coloursOf(XPComboPic pic)
{
    switch (pic) {
    case XPComboPic::Hot: return {qRgb(152, 180, 240), qRgb(243, 247, 255), qRgb(200, 219, 255), qRgb(54, 76, 122)};
    case XPComboPic::Pressed: return {qRgb(110, 138, 200), qRgb(158, 182, 236), qRgb(204, 218, 248), qRgb(36, 54, 94)};
    case XPComboPic::Disabled:
        return {qRgb(201, 201, 201), qRgb(244, 244, 244), qRgb(226, 226, 226), qRgb(172, 172, 172)};
    case XPComboPic::Normal: break;
    }
    return {qRgb(168, 190, 236), qRgb(226, 235, 254), qRgb(184, 205, 249), qRgb(77, 97, 133)};
}

int mixChannel(int from, int to, int step, int steps)
{
    return (from * (steps - step) + to * step + steps / 2) / steps;
}

QRgb mix(QRgb from, QRgb to, int step, int steps)
{
    return qRgb(mixChannel(qRed(from), qRed(to), step, steps), mixChannel(qGreen(from), qGreen(to), step, steps),
                mixChannel(qBlue(from), qBlue(to), step, steps));
}

} // namespace

QImage xpComboArrowImage(XPComboPic pic, qreal ratio)
{
    // Drawn in device pixels: each logical pixel of the 17 x 17 picture covers
    // the device pixels from at(x) to at(x + 1).
    auto at = [ratio](int logical) { return platform::toDevicePixels(logical, ratio); };
    const int n = at(kArrowImageSize);
    const ButtonColours c = coloursOf(pic);
    QImage image(n, n, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);

    // Face: a vertical gradient inside a one-pixel border.
    const int inner = at(1);
    const int outer = at(kArrowImageSize - 1);
    for (int y = 0; y < n; ++y) {
        const QRgb face = mix(c.faceTop, c.faceBottom, y, n - 1);
        for (int x = 0; x < n; ++x) {
            const bool edge = x < inner || y < inner || x >= outer || y >= outer;
            image.setPixel(x, y, edge ? c.border : face);
        }
    }
    // Rounded corners: the corner pixel fades into the white field behind it, the
    // pixel inside it softens the turn.
    const QRgb white = qRgb(255, 255, 255);
    const int last = kArrowImageSize - 1;
    for (const auto &[x, y, dx, dy] : {std::array{0, 0, 1, 1}, std::array{last, 0, -1, 1}, std::array{0, last, 1, -1},
                                       std::array{last, last, -1, -1}}) {
        for (int py = at(y); py < at(y + 1); ++py)
            for (int px = at(x); px < at(x + 1); ++px)
                image.setPixel(px, py, mix(c.border, white, 2, 3));
        for (int py = at(y + dy); py < at(y + dy + 1); ++py)
            for (int px = at(x + dx); px < at(x + dx + 1); ++px)
                image.setPixel(px, py, mix(c.border, QRgb(image.pixel(px, py)), 1, 2));
    }

    // Downward triangle, 7 pixels wide at the top, centred on the picture; its
    // sides step one device pixel a row, so they stay fine on HiDPI screens.
    const int top = at(pic == XPComboPic::Pressed ? 8 : 7);
    const double centre = n / 2.0;
    const double halfWidth = 3.5 * ratio;
    for (int row = 0;; ++row) {
        const int left = int(std::floor(centre - halfWidth + row + 0.5));
        const int right = int(std::floor(centre + halfWidth - row + 0.5));
        if (left >= right)
            break;
        for (int x = left; x < right; ++x)
            image.setPixel(x, top + row, c.glyph);
    }
    return image;
}

} // namespace controls
