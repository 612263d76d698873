// Colour values as the program stores them: 32 bits laid out 0x00BBGGRR (red in
// the low byte); a value with the top bit set names a system colour, which
// system_colours.h resolves from the GUI's palette.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

using ColourValue = std::uint32_t;

inline constexpr ColourValue kSystemColourFlag = 0x80000000u;
inline constexpr ColourValue kSysWindow = 0x80000005u;
inline constexpr ColourValue kSysWindowText = 0x80000008u;
inline constexpr ColourValue kSysHighlight = 0x8000000Du;
inline constexpr ColourValue kSysButtonFace = 0x8000000Fu;
inline constexpr ColourValue kSysButtonText = 0x80000012u;

constexpr ColourValue rgbValue(int red, int green, int blue)
{
    return ColourValue(red & 0xFF) | ColourValue(green & 0xFF) << 8 | ColourValue(blue & 0xFF) << 16;
}
constexpr int redOf(ColourValue c) { return int(c & 0xFF); }
constexpr int greenOf(ColourValue c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(ColourValue c) { return int((c >> 16) & 0xFF); }

// The system colour of `index` in the standard palette of Qt's Fusion style,
// which the window uses on every desktop; a process without a GUI, such as
// tarvel-batch, resolves system colours to these. Nothing for an unknown index.
std::optional<ColourValue> standardSystemColour(ColourValue index);

} // namespace platform
