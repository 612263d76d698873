#include "controls/xp_progress_bar.h"

#include "controls/accessibility.h"
#include "controls/stored_colour.h"
#include "platform/paint_ratio.h"
#include "platform/system_colours.h"

#include <QAccessible>
#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace controls {

using platform::ColourValue;

namespace {

constexpr ColourValue kDefaultColor = platform::kSysHighlight;

} // namespace

XP_ProgressBar::XP_ProgressBar(QWidget *parent) : QWidget(parent), m_window(this)
{
    installAccessibleInterfaces();
    // Every pixel is painted, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);
    m_state.Font = font();
    setColor(kDefaultColor);
    setHDC();
    applyRegion();
    DrawProgressBar();
}

void XP_ProgressBar::setColor(ColourValue lColor)
{
    if (const auto rgb = platform::resolveColour(lColor))
        m_state.Color = *rgb;
}

void XP_ProgressBar::setShowText(bool bShowText)
{
    m_state.ShowText = bShowText;
    DrawProgressBar();
}

void XP_ProgressBar::setValue(int cValue)
{
    m_state.Value = cValue;
    DrawProgressBar();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, cValue);
        QAccessible::updateAccessibility(&event);
    }
}

void XP_ProgressBar::setHDC() { acquireSurface(devicePixelRatioF()); }

void XP_ProgressBar::acquireSurface(qreal ratio)
{
    const int w = width();
    const int h = height();
    if (w < 1 || h < 1)
        return; // keep what there is; a widget without area draws nothing
    if (m_surface.isNull() || m_surface.width() < w || m_surface.height() < h
        || m_surface.devicePixelRatio() != ratio) {
        // Grow in both directions at once, so a surface never gets smaller; a
        // new ratio needs new pixels, at the size reached so far.
        platform::Surface grown(std::max(w, m_surface.width()), std::max(h, m_surface.height()), ratio);
        if (!grown.isNull())
            m_surface = std::move(grown);
    }
}

platform::Rect XP_ProgressBar::measuredClient() const
{
    if (!m_window)
        return {};
    return {0, 0, m_window->width(), m_window->height()};
}

void XP_ProgressBar::drawOffscreen(qreal ratio)
{
    // A hidden widget gets its resize events only when shown; draw at the
    // size it has now all the same.
    acquireSurface(ratio);
    const platform::Rect client = measuredClient();
    if (m_surface.isNull() || client.isEmpty())
        return;
    paintProgressBar(m_surface, m_state, client);
}

void XP_ProgressBar::DrawProgressBar()
{
    // Copy to the screen at once: the batch conversion moves the bar without
    // returning to the event loop in between.
    drawOffscreen(devicePixelRatioF());
    if (isVisible()) {
        m_copyOnly = true; // the surface is fresh: the paint below only copies it
        repaint();
        m_copyOnly = false;
    }
}

void XP_ProgressBar::pDraw(platform::Surface &destination, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst,
                           int yDst) const
{
    if (WidthSrc < 1)
        WidthSrc = m_surface.width();
    if (HeightSrc < 1)
        HeightSrc = m_surface.height();
    destination.BitBlt(xDst, yDst, WidthSrc, HeightSrc, m_surface, xSrc, ySrc);
}

void XP_ProgressBar::applyRegion() { setMask(progressBarRegion(width(), height()).toQRegion()); }

void XP_ProgressBar::paintEvent(QPaintEvent *)
{
    // Without a surface (no area, or no memory for one) there is nothing to show.
    if (m_surface.isNull())
        return;
    QPainter painter(this);
    // Drawn with the pixels of the screen (or picture) it goes to.
    const qreal ratio = platform::paintTargetRatio(painter);
    if (!m_copyOnly || m_surface.devicePixelRatio() != ratio)
        drawOffscreen(ratio);
    const platform::Rect shown = m_surface.toDevice(platform::Rect{0, 0, width(), height()});
    painter.drawImage(QPoint(0, 0), m_surface.image(), QRect(0, 0, shown.width(), shown.height()));
}

void XP_ProgressBar::resizeEvent(QResizeEvent *)
{
    // Only the surface and the shape follow the size here; Qt paints next.
    setHDC();
    applyRegion();
}

void XP_ProgressBar::changeEvent(QEvent *event)
{
    // A new font is used from the next redraw on; it does not redraw by itself.
    if (event->type() == QEvent::FontChange) {
        m_state.Font = font();
        updateGeometry();
        return;
    }
    QWidget::changeEvent(event);
}

QSize XP_ProgressBar::sizeHint() const { return {200, 20}; }

void XP_ProgressBar::readProperties(const platform::PropertyBag &bag)
{
    setColor(colourFromStored(bag.read(QStringLiteral("Color"), storedColour(kDefaultColor))));
    setMax(bag.read(QStringLiteral("Max"), 100).toInt());
    setMin(bag.read(QStringLiteral("Min"), 0).toInt());
    setOrientation(bag.read(QStringLiteral("Orientation"), 0).toInt());
    setScrolling(bag.read(QStringLiteral("Scrolling"), 0).toInt());
    setShowText(bag.read(QStringLiteral("ShowText"), false).toBool());
    setValue(bag.read(QStringLiteral("Value"), 0).toInt());
}

void XP_ProgressBar::writeProperties(platform::PropertyBag &bag) const
{
    bag.write(QStringLiteral("Color"), storedColour(m_state.Color), storedColour(kDefaultColor));
    bag.write(QStringLiteral("Max"), m_state.Max, 100);
    bag.write(QStringLiteral("Min"), m_state.Min, 0);
    bag.write(QStringLiteral("Orientation"), m_state.Orientation, 0);
    bag.write(QStringLiteral("Scrolling"), m_state.Scrolling, 0);
    bag.write(QStringLiteral("ShowText"), m_state.ShowText, false);
    bag.write(QStringLiteral("Value"), m_state.Value, 0);
}

} // namespace controls
