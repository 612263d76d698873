#include "platform/colour_blend.h"
#include "platform/system_colours.h"

#include "platform/numeric.h"

#include <algorithm>

namespace platform {

namespace {

// Components are packed into one value, so each must stay a byte or it would
// spill into its neighbour.
int clampComponent(int c) { return std::clamp(c, 0, 255); }

} // namespace

ColourValue Lighten(ColourValue rgb, int amount)
{
    auto lighten = [amount](int c) { return clampComponent(amount + ((255 - amount) * c) / 255); };
    return rgbValue(lighten(redOf(rgb)), lighten(greenOf(rgb)), lighten(blueOf(rgb)));
}

ColourValue Mix(ColourValue a, ColourValue b, int weight)
{
    const ColourValue ra = resolveColour(a).value_or(0xFFFFFFFFu);
    const ColourValue rb = resolveColour(b).value_or(0xFFFFFFFFu);
    auto mix = [weight](int ca, int cb) {
        const double value = (255.0 - weight) * cb / 255.0 + double(weight) * ca / 255.0;
        return clampComponent(roundToInt32(value).value_or(0));
    };
    return rgbValue(mix(redOf(ra), redOf(rb)), mix(greenOf(ra), greenOf(rb)), mix(blueOf(ra), blueOf(rb)));
}

} // namespace platform
