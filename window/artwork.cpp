#include "window/artwork.h"

#include "platform/surface.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace window {

namespace {

struct FaceColours {
    QColor top, bottom, border, text;
};

FaceColours coloursOf(ButtonFace face)
{
    switch (face) {
    case ButtonFace::Hover:
        return {QColor(255, 246, 224), QColor(248, 214, 140), QColor(222, 150, 40), QColor(40, 40, 40)};
    case ButtonFace::Pressed:
        return {QColor(226, 222, 206), QColor(242, 240, 232), QColor(110, 130, 160), QColor(20, 20, 20)};
    case ButtonFace::Normal:
    default: return {QColor(255, 255, 255), QColor(226, 228, 236), QColor(0, 60, 116), QColor(20, 20, 20)};
    }
}

} // namespace

QImage buttonFacePicture(const QString &caption, int width, int height, ButtonFace face, qreal ratio)
{
    QImage image(platform::toDevicePixels(width, ratio), platform::toDevicePixels(height, ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(236, 233, 216));
    // Drawn over the whole picture, whose logical size may be a fraction off
    // width x height, so that the frame keeps to its edges at any ratio.
    const QSizeF size = image.deviceIndependentSize();
    const FaceColours colours = coloursOf(face);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, colours.top);
    gradient.setColorAt(1, colours.bottom);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(gradient);
    painter.drawRoundedRect(body, 3, 3);

    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(colours.text);
    const QRectF textRect(face == ButtonFace::Pressed ? QPointF(1, 1) : QPointF(0, 0), size);
    // "(&F)" marks the mnemonic: the letter is underlined, the "&" not drawn.
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
    return image;
}

QImage emblemPicture(int size, qreal ratio)
{
    const int pixels = platform::toDevicePixels(size, ratio);
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(kEmblemUnits), size / double(kEmblemUnits));
    paintEmblem(painter);
    return image;
}

void paintEmblem(QPainter &painter)
{
    // The larger picture: a frame with sky and hills.
    const QRectF photo(4, 6, 34, 26);
    painter.setPen(QPen(QColor(70, 90, 120), 1.5));
    QLinearGradient sky(0, 6, 0, 32);
    sky.setColorAt(0, QColor(120, 180, 240));
    sky.setColorAt(1, QColor(220, 240, 255));
    painter.setBrush(sky);
    painter.drawRect(photo);
    QPainterPath hills;
    hills.moveTo(4, 32);
    hills.lineTo(4, 24);
    hills.quadTo(14, 14, 22, 24);
    hills.quadTo(30, 18, 38, 22);
    hills.lineTo(38, 32);
    hills.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(80, 160, 80));
    painter.drawPath(hills);
    painter.setBrush(QColor(255, 210, 60));
    painter.drawEllipse(QPointF(30, 13), 3.5, 3.5);

    // The smaller copy, in front.
    const QRectF small(26, 26, 18, 14);
    painter.setPen(QPen(QColor(200, 90, 30), 1.5));
    painter.setBrush(QColor(255, 240, 220));
    painter.drawRect(small);
    painter.setPen(QPen(QColor(200, 90, 30), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14, 38), QPointF(23, 38));
    painter.drawLine(QPointF(19, 34.5), QPointF(23, 38));
    painter.drawLine(QPointF(19, 41.5), QPointF(23, 38));
}

} // namespace window
