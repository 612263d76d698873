#include "platform/colour.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

// The colours a palette-less process (no QGuiApplication, as in the batch tool
// and the imaging tests) resolves to: Qt's own Fusion defaults.
QColor fallbackColour(ColourValue index)
{
    switch (index) {
    case 5: return QColor(255, 255, 255);
    case 8: return QColor(0, 0, 0);
    case 13: return QColor(48, 140, 198);
    case 15: return QColor(239, 239, 239);
    case 18: return QColor(0, 0, 0);
    default: return {};
    }
}

QPalette::ColorRole roleOf(ColourValue index, bool *known)
{
    *known = true;
    switch (index) {
    case 5: return QPalette::Base;
    case 8: return QPalette::Text;
    case 13: return QPalette::Highlight;
    case 15: return QPalette::Button;
    case 18: return QPalette::ButtonText;
    default: *known = false; return QPalette::NoRole;
    }
}

} // namespace

std::optional<ColourValue> resolveColour(ColourValue value)
{
    if (!(value & kSystemColourFlag))
        return value & 0x00FFFFFFu;
    const ColourValue index = value & ~kSystemColourFlag;
    bool known = false;
    const QPalette::ColorRole role = roleOf(index, &known);
    if (!known)
        return std::nullopt;
    const QColor colour = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        ? QGuiApplication::palette().color(QPalette::Active, role)
        : fallbackColour(index);
    return fromQColor(colour);
}

QColor toQColor(ColourValue rgb)
{
    return QColor(redOf(rgb), greenOf(rgb), blueOf(rgb));
}

ColourValue fromQColor(const QColor &colour)
{
    return rgbValue(colour.red(), colour.green(), colour.blue());
}

} // namespace platform
