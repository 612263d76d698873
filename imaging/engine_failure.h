// Why the engine gave no picture, with the decoder's own words for logs.
#pragma once

#include "imaging/conversion_status.h"

#include <QString>

namespace vips {
class VError;
}

namespace imaging {

struct EngineFailure {
    ConversionStatus status = ConversionStatus::Damaged;
    QString detail;
};

// The failure that a libvips error stands for: running out of memory (the
// worker's budget) or a damaged picture.
EngineFailure failureOf(const vips::VError &error);

} // namespace imaging
