// The gradient progress bar as a widget. It draws into an off-screen surface
// that grows with the widget and never shrinks, and copies it to the screen in
// one piece. Only `Value`, `ShowText` and an explicit `DrawProgressBar` redraw;
// the other properties take effect at the next redraw or paint.
#pragma once

#include "controls/progress_bar_paint.h"
#include "platform/property_bag.h"
#include "platform/surface.h"

#include <QPointer>
#include <QWidget>

namespace controls {

class XP_ProgressBar : public QWidget {
    Q_OBJECT

public:
    explicit XP_ProgressBar(QWidget *parent = nullptr);

    // The bar colour, always a resolved RGB value. Setting a system colour
    // stores its current RGB value; one that cannot be resolved is ignored.
    platform::ColourValue Color() const { return m_state.Color; }
    void setColor(platform::ColourValue lColor);
    int Max() const { return m_state.Max; }
    void setMax(int cMax) { m_state.Max = cMax; }
    int Min() const { return m_state.Min; }
    void setMin(int cMin) { m_state.Min = cMin; }
    int Orientation() const { return m_state.Orientation; }
    void setOrientation(int cOrientation) { m_state.Orientation = cOrientation; }
    int Scrolling() const { return m_state.Scrolling; }
    void setScrolling(int lScrolling) { m_state.Scrolling = lScrolling; }
    bool ShowText() const { return m_state.ShowText; }
    void setShowText(bool bShowText);
    int Value() const { return m_state.Value; }
    // Not limited to the range: the drawing clamps.
    void setValue(int cValue);

    // The widget whose size is measured on every redraw (this one by default).
    QWidget *hWnd() const { return m_window; }
    void setHWnd(QWidget *chWnd) { m_window = chWnd; }

    // The off-screen surface (null while the widget has no area).
    const platform::Surface &HDC() const { return m_surface; }
    // Re-acquires the off-screen surface for the current size at the widget's
    // device pixel ratio: a larger one when the widget outgrew it, a new one
    // for a new ratio, else the same.
    void setHDC();

    // Redraws the whole control into the off-screen surface and, when shown,
    // copies it to the screen before returning.
    void DrawProgressBar();
    // Copies a WidthSrc × HeightSrc block of the off-screen surface from
    // (xSrc, ySrc) to (xDst, yDst) of `destination`; a size below 1 means the
    // whole surface in that direction.
    void pDraw(platform::Surface &destination, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst,
               int yDst) const;

    // Stored properties: Color, Max, Min, Orientation, Scrolling, ShowText,
    // Value, each left out when equal to its default.
    void readProperties(const platform::PropertyBag &bag);
    void writeProperties(platform::PropertyBag &bag) const;

    const ProgressBarState &state() const { return m_state; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    platform::Rect measuredClient() const;
    void acquireSurface(qreal ratio);
    void drawOffscreen(qreal ratio);
    void applyRegion();

    ProgressBarState m_state;
    QPointer<QWidget> m_window;
    platform::Surface m_surface;
    bool m_copyOnly = false;
};

} // namespace controls
