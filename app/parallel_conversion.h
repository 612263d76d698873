// Converting a list of pictures on several threads at once. Shared by the
// window's batch run and the command-line batch tool.
#pragma once

#include "imaging/modify_image_size.h"
#include "platform/colour.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace app {

struct ConversionJob {
    QString source;
    QString target;
    int width = 0;
    int height = 0;
};

using imaging::ConversionStatus;

// What became of each job; a job that never started has no status.
using ConversionResults = std::vector<std::optional<ConversionStatus>>;

// Converts every job (SaveScaledPicture) on up to `threads` threads. Jobs
// start in list order; `done(index, status)` is called on the worker thread as
// each one ends. Once `stop` is set no new job starts, and the ones under way
// finish.
ConversionResults convertInParallel(const std::vector<ConversionJob> &jobs, int threads,
                                    platform::ColourValue background,
                                    const std::function<void(std::size_t, ConversionStatus)> &done = {},
                                    const std::atomic<bool> *stop = nullptr);

} // namespace app
