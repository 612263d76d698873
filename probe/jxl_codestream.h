// Where a JPEG XL codestream of one still picture ends, read from its headers
// alone: the size header, the image metadata, the frame header and its table
// of contents, whose sections' lengths add up to the rest of the frame.
#pragma once

#include "imaging/picture_size.h"

#include <cstdint>
#include <optional>
#include <span>

namespace imaging {

struct JxlCodestreamExtent {
    PictureSize size;
    std::uint64_t length = 0; // the codestream's bytes, from its signature to its last frame's end
};

// The extent of the codestream at the start of `bytes` (FF 0A first) when it
// is the kind the program's encoder writes: one regular frame, the last, of
// the whole picture, replacing the canvas; no preview, animation, extra
// channel, ICC profile, extension or permuted sections, every padding bit 0.
// Nothing for any other codestream, and for one cut short.
std::optional<JxlCodestreamExtent> jxlStillCodestream(std::span<const std::uint8_t> bytes);

} // namespace imaging
