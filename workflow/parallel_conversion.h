// Converting a list of pictures, several at once, each in a worker process.
// Shared by the window's runs and the command-line batch tool.
#pragma once

#include "imaging/conversion_status.h"
#include "client/conversion_worker.h"
#include "imaging/file_size_search.h"
#include "imaging/fit_into_box.h"
#include "client/save_scaled_picture.h"
#include "platform/colour.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace workflow {

// A picture to convert: it is fitted into `box` as its header reads when it
// is opened for the conversion (imaging::convertPicture).
struct ConversionJob {
    QString source;
    QString target;
    imaging::FitBox box;
    // Further outputs of the same picture, made from the same decode
    // (imaging::convertPictureSizes); the result then tells of every one.
    std::vector<imaging::SizedTarget> moreTargets = {};
};

using imaging::ConversionResult;
using imaging::ConversionStatus;

// What became of each job; a job that never started has no result.
using ConversionResults = std::vector<std::optional<ConversionResult>>;

struct ConversionOptions {
    int jobs = 1; // pictures at once, one worker process each
    // Where transparent parts land: the button face of the window's standard
    // palette unless the window says otherwise.
    platform::ColourValue background
        = platform::standardSystemColour(platform::kSysButtonFace & ~platform::kSystemColourFlag).value_or(0);
    // The worker executable, the budgets per picture and an observer; the
    // libvips threads per picture are set here. The pictures under way share
    // the memory of the process's MemoryShare unless the settings name
    // another.
    imaging::WorkerSettings worker;
    int quality = imaging::kOwnQuality; // for lossy targets, 1 to 100, or each format its own
    imaging::KeepFromSource keep = {};  // what outputs take from their sources
    // The DPI written into outputs that carry one (a tag: the pixels stay).
    std::optional<int> dpi = {};
    // The bytes every output must come to; none: whatever the quality gives.
    imaging::ByteRange fileSize = {};
    // Results handed on in list order (a report that reads like the list),
    // or as each job ends (a progress bar that moves with the work: with the
    // largest first, the list's first picture may be the last to end).
    bool resultsInListOrder = true;
};

struct ConversionRun {
    ConversionResults results;
    // Peak resident memory of every worker process of the run, summed, in KiB.
    long workersPeakKb = 0;
};

// Converts every job (convertPicture) in up to `options.jobs` workers, each
// driven by a thread of its own. Jobs start largest file first (in list order
// among equals), so that the workers end together; `done(index, result)` is
// called on a driving thread for each job, in list order as soon as it and
// every job before it have ended, or as it ends (resultsInListOrder). Once `stop` is set no new job starts, and
// the ones under way finish; `options.worker.abandon` also ends those under
// way (Stopped).
ConversionRun convertInParallel(const std::vector<ConversionJob> &jobs, const ConversionOptions &options,
                                const std::function<void(std::size_t, const ConversionResult &)> &done = {},
                                const std::atomic<bool> *stop = nullptr);

} // namespace workflow
