// The EXIF tags an output may keep of its source, each with the type and the
// number of values the EXIF standard gives it: a kept value is read as that
// and nothing else, so an entry whose count was enlarged to reach into other
// values (the GPS directory's, say) keeps nothing of them.
#pragma once

#include <cstdint>
#include <optional>

namespace imaging {

enum class ExifDirectory { Main, Exif, Gps };

struct ExifTagRule {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;  // the TIFF type: 1 BYTE, 2 ASCII, 3 SHORT, 5 RATIONAL, 7 UNDEFINED, 10 SRATIONAL
    std::uint16_t count = 0; // values; for text the most bytes with its final zero, 0 for any up to kLongestExifText
};

// The longest text kept of an entry whose count the standard leaves open.
constexpr std::uint32_t kLongestExifText = 256;

// The rule of a kept tag of `directory`; nothing for a tag not kept.
std::optional<ExifTagRule> keptExifTag(ExifDirectory directory, std::uint32_t tag);

} // namespace imaging
