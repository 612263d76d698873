#include "platform/system_colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

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
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return standardSystemColour(index);
    return fromQColor(QGuiApplication::palette().color(QPalette::Active, role));
}

ColourValue buttonFaceColour()
{
    // Index 15 is always known; white only if the palette itself were broken.
    return resolveColour(kSysButtonFace).value_or(rgbValue(255, 255, 255));
}

QColor toQColor(ColourValue rgb) { return QColor(redOf(rgb), greenOf(rgb), blueOf(rgb)); }

ColourValue fromQColor(const QColor &colour) { return rgbValue(colour.red(), colour.green(), colour.blue()); }

} // namespace platform
