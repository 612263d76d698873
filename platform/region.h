// A window shape: a rectangle with single pixels taken out (the cut corners of
// a control). A widget takes it as its mask.
#pragma once

#include "platform/surface.h"

#include <QPoint>
#include <QRegion>

#include <vector>

namespace platform {

class Region {
public:
    explicit Region(const Rect &rect) : m_rect(rect) { }

    // Takes the pixel (x, y) out; pixels outside the rectangle change nothing.
    void subtractPixel(int x, int y);

    bool contains(int x, int y) const;
    QRegion toQRegion() const;

private:
    Rect m_rect;
    std::vector<QPoint> m_removed;
};

} // namespace platform
