#include "controls/xp_combo_images.h"

#include "controls/xp_combo_layout.h"

#include <array>

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
    case XPComboPic::Hot:
        return {qRgb(152, 180, 240), qRgb(243, 247, 255), qRgb(200, 219, 255), qRgb(54, 76, 122)};
    case XPComboPic::Pressed:
        return {qRgb(110, 138, 200), qRgb(158, 182, 236), qRgb(204, 218, 248), qRgb(36, 54, 94)};
    case XPComboPic::Disabled:
        return {qRgb(201, 201, 201), qRgb(244, 244, 244), qRgb(226, 226, 226), qRgb(172, 172, 172)};
    case XPComboPic::Normal:
        break;
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

QImage xpComboArrowImage(XPComboPic pic)
{
    constexpr int n = kArrowImageSize;
    const ButtonColours c = coloursOf(pic);
    QImage image(n, n, QImage::Format_RGB32);

    // Face: a vertical gradient inside a one-pixel border.
    for (int y = 0; y < n; ++y) {
        const QRgb face = mix(c.faceTop, c.faceBottom, y, n - 1);
        for (int x = 0; x < n; ++x) {
            const bool edge = x == 0 || y == 0 || x == n - 1 || y == n - 1;
            image.setPixel(x, y, edge ? c.border : face);
        }
    }
    // Rounded corners: the corner pixel fades into the white field behind it, the
    // pixel inside it softens the turn.
    const QRgb white = qRgb(255, 255, 255);
    for (const auto &[x, y, dx, dy] : {std::array{0, 0, 1, 1}, std::array{n - 1, 0, -1, 1}, std::array{0, n - 1, 1, -1},
                                       std::array{n - 1, n - 1, -1, -1}}) {
        image.setPixel(x, y, mix(c.border, white, 2, 3));
        image.setPixel(x + dx, y + dy, mix(c.border, QRgb(image.pixel(x + dx, y + dy)), 1, 2));
    }

    // Downward triangle, 7 pixels wide at the top, centred on column 8.
    const int top = pic == XPComboPic::Pressed ? 8 : 7;
    for (int row = 0; row < 4; ++row) {
        for (int x = n / 2 - 3 + row; x <= n / 2 + 3 - row; ++x)
            image.setPixel(x, top + row, c.glyph);
    }
    return image;
}

} // namespace controls
