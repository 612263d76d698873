#include "platform/surface.h"
#include "platform/system_colours.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace platform {

namespace {

constexpr int kTextFlags = Qt::AlignCenter | Qt::TextSingleLine;

std::optional<QRgb> toRgb(ColourValue colour)
{
    const std::optional<ColourValue> rgb = resolveColour(colour);
    if (!rgb)
        return std::nullopt;
    return qRgb(redOf(*rgb), greenOf(*rgb), blueOf(*rgb));
}

QRect toQRect(const Rect &r) { return QRect(r.left, r.top, r.width(), r.height()); }

Rect scaled(const Rect &r, qreal ratio)
{
    return {toDevicePixels(r.left, ratio), toDevicePixels(r.top, ratio), toDevicePixels(r.right, ratio),
            toDevicePixels(r.bottom, ratio)};
}

Rect intersect(const Rect &a, const Rect &b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// One 16-bit channel at `pos` of `length` steps from `from` towards `to`,
// reduced to 8 bits. Wide arithmetic: lengths come from callers' rectangles.
int channelAt(quint16 from, quint16 to, long long pos, long long length)
{
    const long long value = (from * (length - pos) + to * pos) / length;
    return int(value >> 8);
}

QRgb blend(QRgb below, QRgb above)
{
    const int a = qAlpha(above);
    if (a == 255)
        return above;
    auto mix = [a](int under, int over) { return (over * a + under * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(below), qRed(above)), mix(qGreen(below), qGreen(above)), mix(qBlue(below), qBlue(above)));
}

} // namespace

int toDevicePixels(int logical, qreal ratio)
{
    // Rounded half up, as QSize rounds a widget's size at a ratio.
    if (ratio == 1)
        return logical;
    return int(std::clamp(std::floor(logical * ratio + 0.5), double(INT_MIN), double(INT_MAX)));
}

GradientVertex gradientVertex(int x, int y, ColourValue rgb)
{
    return {x, y, quint16(redOf(rgb) << 8), quint16(greenOf(rgb) << 8), quint16(blueOf(rgb) << 8)};
}

Surface::Surface(int width, int height, qreal ratio)
{
    if (width < 1 || height < 1 || !(ratio > 0))
        return;
    m_image = QImage(toDevicePixels(width, ratio), toDevicePixels(height, ratio), QImage::Format_RGB32);
    if (m_image.isNull())
        return;
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(qRgb(0, 0, 0));
    m_width = width;
    m_height = height;
    m_ratio = ratio;
}

int Surface::toDevice(int logical) const { return toDevicePixels(logical, m_ratio); }

Rect Surface::toDevice(const Rect &logical) const { return scaled(logical, m_ratio); }

ColourValue Surface::pixel(int x, int y) const
{
    const int dx = toDevice(x);
    const int dy = toDevice(y);
    if (!bounds().contains(x, y) || !m_image.rect().contains(dx, dy))
        return 0;
    const QRgb rgb = reinterpret_cast<const QRgb *>(m_image.constScanLine(dy))[dx];
    return rgbValue(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void Surface::setClipRect(const Rect &clip) { m_clip = clip; }

void Surface::clearClip() { m_clip.reset(); }

Rect Surface::drawable() const
{
    const Rect device{0, 0, m_image.width(), m_image.height()};
    return m_clip ? intersect(toDevice(*m_clip), device) : device;
}

void Surface::put(int x, int y, QRgb rgb) { fillClipped({x, y, x + 1, y + 1}, rgb); }

void Surface::fillDevicePixels(const Rect &deviceRect, QRgb rgb)
{
    const Rect r = intersect(deviceRect, drawable());
    if (r.isEmpty())
        return;
    for (int y = r.top; y < r.bottom; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(m_image.scanLine(y)) + r.left, r.width(), rgb);
}

void Surface::fillClipped(const Rect &rect, QRgb rgb) { fillDevicePixels(toDevice(rect), rgb); }

void Surface::FillRect(const Rect &rect, ColourValue colour)
{
    if (const auto rgb = toRgb(colour))
        fillClipped(rect, *rgb);
}

void Surface::FrameRect(const Rect &rect, ColourValue colour)
{
    const auto rgb = toRgb(colour);
    if (!rgb || rect.isEmpty())
        return;
    fillClipped({rect.left, rect.top, rect.right, rect.top + 1}, *rgb);
    fillClipped({rect.left, rect.bottom - 1, rect.right, rect.bottom}, *rgb);
    fillClipped({rect.left, rect.top, rect.left + 1, rect.bottom}, *rgb);
    fillClipped({rect.right - 1, rect.top, rect.right, rect.bottom}, *rgb);
}

void Surface::SetPixelV(int x, int y, ColourValue colour)
{
    if (const auto rgb = toRgb(colour))
        put(x, y, *rgb);
}

void Surface::MoveToEx(int x, int y) { m_position = QPoint(x, y); }

void Surface::LineTo(int x, int y, ColourValue pen)
{
    const QPoint from = m_position;
    m_position = QPoint(x, y);
    const auto rgb = toRgb(pen);
    const Rect area = drawable();
    const bool missesArea = (from.x() < area.left && x < area.left) || (from.x() >= area.right && x >= area.right)
                            || (from.y() < area.top && y < area.top) || (from.y() >= area.bottom && y >= area.bottom);
    if (!rgb || missesArea)
        return;
    // Bresenham from the start point, stopping before the end point.
    int cx = from.x();
    int cy = from.y();
    const int dx = std::abs(x - cx);
    const int dy = -std::abs(y - cy);
    const int sx = cx < x ? 1 : -1;
    const int sy = cy < y ? 1 : -1;
    int error = dx + dy;
    while (cx != x || cy != y) {
        put(cx, cy, *rgb);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            cx += sx;
        }
        if (twice <= dx) {
            error += dx;
            cy += sy;
        }
    }
}

void Surface::GradientFill(const GradientVertex &first, const GradientVertex &second, GradientDirection direction)
{
    const Rect logical{first.x, first.y, second.x, second.y};
    const Rect whole = toDevice(logical);
    const Rect r = intersect(whole, drawable());
    if (logical.isEmpty() || r.isEmpty())
        return;
    const bool horizontal = direction == GradientDirection::Horizontal;
    const long long length = horizontal ? whole.width() : whole.height();
    auto colourAt = [&](int coordinate) {
        const long long pos = coordinate - (horizontal ? whole.left : whole.top);
        return qRgb(channelAt(first.red, second.red, pos, length), channelAt(first.green, second.green, pos, length),
                    channelAt(first.blue, second.blue, pos, length));
    };
    if (horizontal) {
        for (int x = r.left; x < r.right; ++x)
            fillDevicePixels({x, r.top, x + 1, r.bottom}, colourAt(x));
    } else {
        for (int y = r.top; y < r.bottom; ++y)
            fillDevicePixels({r.left, y, r.right, y + 1}, colourAt(y));
    }
}

void Surface::BitBlt(int xDst, int yDst, int width, int height, const Surface &source, int xSrc, int ySrc)
{
    BitBlt(xDst, yDst, width, height, source.image(), xSrc, ySrc);
}

void Surface::BitBlt(int xDst, int yDst, int width, int height, const QImage &source, int xSrc, int ySrc)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return;
    // A block copy ignores transparency. Between surfaces of one whole ratio
    // the device blocks have the same size and the copy is exact.
    const QImage src = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    stretchDevicePixels(toDevice(Rect::fromSize(xDst, yDst, width, height)), src,
                        scaled(Rect::fromSize(xSrc, ySrc, width, height), source.devicePixelRatio()));
}

void Surface::StretchBlt(const Rect &destination, const QImage &source, const Rect &sourceRect)
{
    stretchDevicePixels(toDevice(destination), source, scaled(sourceRect, source.devicePixelRatio()));
}

void Surface::stretchDevicePixels(const Rect &destination, const QImage &source, const Rect &sourceRect)
{
    if (source.isNull() || destination.isEmpty() || sourceRect.isEmpty())
        return;
    // Pictures may carry transparency (GIF faces): transparent pixels leave the
    // surface as it is, partly transparent ones are blended onto it.
    const bool opaque = source.format() == QImage::Format_RGB32;
    const QImage src
        = opaque || source.format() == QImage::Format_ARGB32 ? source : source.convertToFormat(QImage::Format_ARGB32);
    const Rect sourceBounds{0, 0, src.width(), src.height()};
    const Rect visible = intersect(destination, drawable());
    const long long dw = destination.width();
    const long long dh = destination.height();
    for (int y = visible.top; y < visible.bottom; ++y) {
        // Sample at the centre of each destination pixel.
        const int sy = sourceRect.top + int(((2LL * (y - destination.top) + 1) * sourceRect.height()) / (2 * dh));
        QRgb *out = reinterpret_cast<QRgb *>(m_image.scanLine(y));
        for (int x = visible.left; x < visible.right; ++x) {
            const int sx = sourceRect.left + int(((2LL * (x - destination.left) + 1) * sourceRect.width()) / (2 * dw));
            if (!sourceBounds.contains(sx, sy))
                continue;
            const QRgb in = reinterpret_cast<const QRgb *>(src.constScanLine(sy))[sx];
            out[x] = opaque ? in | 0xFF000000u : blend(out[x], in);
        }
    }
}

QRect centredTextRect(const QString &text, const Rect &rect, const QFont &font)
{
    if (text.isEmpty() || rect.isEmpty())
        return {};
    return QFontMetrics(font).boundingRect(toQRect(rect), kTextFlags, text);
}

QRect Surface::DrawText(const QString &text, const Rect &rect, const QFont &font, ColourValue colour)
{
    const auto rgb = toRgb(colour);
    const Rect visible = intersect(toDevice(rect), drawable());
    if (!rgb || text.isEmpty() || rect.isEmpty() || visible.isEmpty())
        return {};
    // The image carries the ratio: the painter takes logical coordinates and
    // renders the glyphs with device pixels.
    QPainter painter(&m_image);
    painter.setClipRect(
        QRectF(visible.left / m_ratio, visible.top / m_ratio, visible.width() / m_ratio, visible.height() / m_ratio));
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(*rgb));
    QRect laidOut;
    painter.drawText(toQRect(rect), kTextFlags, text, &laidOut);
    return laidOut;
}

} // namespace platform
