// Fitting pictures into the size limits: the target size of every picture of
// a work list, keeping its proportions.
#pragma once

#include "imaging/fit_into_box.h"
#include "workflow/work_list.h"

#include <cstdint>
#include <vector>

namespace workflow {


// The largest side tarvel-batch makes, in any of its options: the largest
// that every output format holds. WebP stops at 16383 pixels a side, libvips
// writes AVIF up to 16384 and HEIC through libheif no larger; JPEG, GIF and
// TGA stop at 65535, BMP, PNG and TIFF beyond.
inline constexpr std::int32_t kMaxBatchSizeLimit = 16383;

// The largest limit the window's size fields take and remember: the same.
inline constexpr std::int32_t kMaxSizeLimit = kMaxBatchSizeLimit;

struct TargetSize {
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const TargetSize &, const TargetSize &) = default;
};

// One row per entry of a work list, in its order.
using TargetSizeTable = std::vector<TargetSize>;

// A picture of width x height fitted into limitWidth x limitHeight
// (imaging::fitIntoBox, the rule each conversion applies too).
TargetSize fitTargetSize(std::int32_t width, std::int32_t height, std::int32_t limitWidth, std::int32_t limitHeight,
                         bool enlarge);

// The same for any way of giving the size (imaging::FitBox).
TargetSize fitTargetSize(std::int32_t width, std::int32_t height, const imaging::FitBox &box);

// The target size of every picture of a work list, in its order, for the
// limits and the state of the enlarge check box.
TargetSizeTable ComputeTargetSizes(const WorkList &items, std::int32_t limitWidth, std::int32_t limitHeight,
                                   bool enlarge);

} // namespace workflow
