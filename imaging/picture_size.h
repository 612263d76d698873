// A picture's pixel size as its header states it. Plain C++ so that the header
// probe builds on its own (the fuzzer has no Qt).
#pragma once

#include <cstdint>

namespace imaging {

// (0, 0) stands for no size; a single 0 is a dimension that could not be read.
struct PictureSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    friend bool operator==(const PictureSize &, const PictureSize &) = default;
};

} // namespace imaging
