// What a libvips error stands for.
#pragma once

#include "imaging/conversion_status.h"

#include <cerrno>

namespace vips {
class VError;
}

namespace imaging {

// Running out of memory (the worker's budget), or a damaged picture; the
// library's message goes with it. `errorNumber` is errno as the failing
// libvips call left it, errno itself when called first thing in the catch.
// Callers clear errno before each step, so that an ENOMEM from earlier,
// already overcome, does not count.
ConversionResult failureOf(const vips::VError &error, int errorNumber = errno);

} // namespace imaging
