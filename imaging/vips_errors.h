// What a libvips error stands for.
#pragma once

#include "imaging/conversion_status.h"

namespace vips {
class VError;
}

namespace imaging {

// Running out of memory (the worker's budget), or a damaged picture; the
// library's message goes with it.
ConversionResult failureOf(const vips::VError &error);

} // namespace imaging
