// Fitting pictures into the size limits: the target size of every picture of
// a work list, keeping its proportions.
#pragma once

#include "workflow/work_list.h"

#include <cstdint>
#include <vector>

namespace workflow {

// The largest limit the window takes, and the largest tarvel-batch takes.
inline constexpr std::int32_t kMaxSizeLimit = 1024;

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

// The target size of every picture of a work list, in its order, for the
// limits and the state of the enlarge check box.
TargetSizeTable ComputeTargetSizes(const WorkList &items, std::int32_t limitWidth, std::int32_t limitHeight,
                                   bool enlarge);

} // namespace workflow
