#include "platform/region.h"

#include <algorithm>

namespace platform {

void Region::subtractPixel(int x, int y)
{
    const QPoint p(x, y);
    if (m_rect.contains(x, y) && std::find(m_removed.begin(), m_removed.end(), p) == m_removed.end())
        m_removed.push_back(p);
}

bool Region::contains(int x, int y) const
{
    return m_rect.contains(x, y) && std::find(m_removed.begin(), m_removed.end(), QPoint(x, y)) == m_removed.end();
}

QRegion Region::toQRegion() const
{
    if (m_rect.isEmpty())
        return {};
    QRegion region(m_rect.left, m_rect.top, m_rect.width(), m_rect.height());
    for (const QPoint &p : m_removed)
        region -= QRegion(p.x(), p.y(), 1, 1);
    return region;
}

} // namespace platform
