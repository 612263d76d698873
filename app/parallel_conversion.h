// Converting a list of pictures on several threads at once. Shared by the
// window's batch run and the command-line batch tool.
#pragma once

#include "platform/colour.h"

#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace app {

struct ConversionJob {
    QString source;
    QString target;
    int width = 0;
    int height = 0;
};

// Runs SaveScaledPicture for every job on up to `threads` threads. Jobs start
// in list order; `done(index, converted)` is called on the worker thread as
// each one ends. Once `stop` is set no new job starts, and the ones under way
// finish. Returns each job's result (false for a job that never started).
std::vector<bool> convertInParallel(const std::vector<ConversionJob> &jobs, int threads,
                                    platform::ColourValue background,
                                    const std::function<void(std::size_t, bool)> &done = {},
                                    const std::atomic<bool> *stop = nullptr);

} // namespace app
