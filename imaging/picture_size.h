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

// Pictures whose header declares more pixels than this are refused unread:
// a decompression bomb or a broken header, never a photo.
inline constexpr long long kMaxSourcePixels = 500'000'000;
// Files longer than this are refused unread: no picture this program converts
// comes near it, and a worker could not map it within its memory budget.
inline constexpr std::uint64_t kMaxSourceBytes = std::uint64_t(4) << 30;

// What the header probe reads: the size as the pixels are stored, and the EXIF
// orientation, which says how a viewer turns or mirrors them (1 to 8, 1 when
// the file has none).
struct PictureHeader {
    PictureSize stored;
    int orientation = 1;

    // The size a viewer shows: orientations 5 to 8 turn the picture a
    // quarter, so its sides swap.
    PictureSize shown() const { return orientation >= 5 ? PictureSize{stored.Height, stored.Width} : stored; }

    friend bool operator==(const PictureHeader &, const PictureHeader &) = default;
};

// An orientation value as stored: 1 to 8, and 1 (as stored) for anything else.
inline int exifOrientation(std::int64_t stored) { return stored >= 1 && stored <= 8 ? int(stored) : 1; }

} // namespace imaging
