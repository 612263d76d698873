#include "platform/paint_ratio.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

namespace platform {

qreal paintTargetRatio(const QPainter &painter)
{
    // A widget's painter names the widget as its device; the engine knows the
    // device the pixels really go to.
    const QPaintEngine *engine = painter.paintEngine();
    const QPaintDevice *device = engine && engine->paintDevice() ? engine->paintDevice() : painter.device();
    return device ? device->devicePixelRatio() : 1.0;
}

} // namespace platform
