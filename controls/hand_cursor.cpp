#include "controls/hand_cursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace controls {

namespace {

QPainterPath handOutline()
{
    auto finger = [](qreal x, qreal y, qreal w, qreal h) {
        QPainterPath p;
        p.addRoundedRect(QRectF(x, y, w, h), w / 2, w / 2);
        return p;
    };
    QPainterPath hand = finger(9.5, 1.5, 5, 20);     // index, pointing up
    hand = hand.united(finger(13.5, 10.5, 4.5, 11)); // middle
    hand = hand.united(finger(17.5, 12.5, 4.5, 10)); // ring
    hand = hand.united(finger(21.5, 14.5, 4, 9));    // little
    QPainterPath palm;
    palm.addRoundedRect(QRectF(9.5, 17.5, 16, 12), 3, 3);
    hand = hand.united(palm);
    QPainterPath thumb;
    thumb.moveTo(10, 19.5);
    thumb.lineTo(5.5, 14.5);
    thumb.lineTo(3, 16);
    thumb.lineTo(3, 17.5);
    thumb.lineTo(9.5, 26);
    thumb.closeSubpath();
    return hand.united(thumb).simplified();
}

} // namespace

QImage handPointerImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Hard edges: a pointer is two-coloured.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(handOutline());
    // The gaps between the folded fingers.
    painter.drawLine(QPointF(14, 18), QPointF(14, 21));
    painter.drawLine(QPointF(18, 18), QPointF(18, 21));
    painter.drawLine(QPointF(22, 18), QPointF(22, 21));
    return image;
}

QCursor handCursor() { return QCursor(QPixmap::fromImage(handPointerImage()), kHandHotSpot.x(), kHandHotSpot.y()); }

} // namespace controls
