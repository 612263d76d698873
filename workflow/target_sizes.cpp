#include "workflow/target_sizes.h"

namespace workflow {

TargetSize fitTargetSize(std::int32_t width, std::int32_t height, std::int32_t limitWidth, std::int32_t limitHeight,
                         bool enlarge)
{
    const imaging::PictureSize fitted = imaging::fitIntoBox({width, height}, {limitWidth, limitHeight, enlarge});
    return {fitted.Width, fitted.Height};
}

TargetSize fitTargetSize(std::int32_t width, std::int32_t height, const imaging::FitBox &box)
{
    const imaging::PictureSize fitted = imaging::fitIntoBox({width, height}, box);
    return {fitted.Width, fitted.Height};
}

TargetSizeTable ComputeTargetSizes(const WorkList &items, std::int32_t limitWidth, std::int32_t limitHeight,
                                   bool enlarge)
{
    TargetSizeTable table;
    table.reserve(items.size());
    for (const WorkItem &item : items)
        table.push_back(fitTargetSize(item.size.Width, item.size.Height, limitWidth, limitHeight, enlarge));
    return table;
}

} // namespace workflow
