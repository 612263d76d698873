// The batch conversion, one piece of code for the window and tarvel-batch:
// the work list (work_list.h) is converted into the output folder here, each
// picture fitted into the limits as it is opened, and what became of each
// picture is summed up. The sizes the lists show (target_sizes.h) come from
// the same rule. Both front ends convert the same files, in the same order, to
// the same bytes.
#pragma once

#include "workflow/output_names.h"
#include "workflow/parallel_conversion.h"
#include "workflow/target_sizes.h"
#include "workflow/work_list.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace workflow {

struct BatchRequest {
    QString sourceFolder;
    QString outputFolder;
    // The name each work item is written under, in the list's order
    // (batchOutputNames); none: every picture under its own name.
    std::vector<OutputName> outputs{};
};

// A folder that every picture of a batch goes into, under its own name,
// fitted into `box`.
struct SizedOutput {
    QString folder;
    imaging::FitBox box;
};

// One job per work item: the source in the source folder, the target in the
// output folder under the item's output name, fitted into `box`.
std::vector<ConversionJob> batchJobs(const BatchRequest &request, const WorkList &items, const imaging::FitBox &box);
// The same with a target in each of `outputs` (the request's output folder
// unused), each under the item's output name, all made from one decode of the
// source.
std::vector<ConversionJob> batchJobs(const BatchRequest &request, const WorkList &items,
                                     const std::vector<SizedOutput> &outputs);

// How many pictures to convert at once: one per processor.
int defaultJobCount();

// What a front end hands a run besides the pictures: where each picture's
// end is told (on a driving thread, one call at a time, in list order or as
// pictures end as the options say), and the flag that starts no new picture.
struct BatchCallbacks {
    std::function<void(std::size_t index, const ConversionResult &result)> pictureDone = {};
    const std::atomic<bool> *stop = nullptr;
};

struct BatchFailure {
    QString name;
    std::optional<ConversionResult> result; // none: never started (interrupted)
};

// A picture written under another name than the format's extension alone
// gives it, as its name clashed with another picture's.
struct RenamedOutput {
    QString name;
    QString output;
};

struct BatchSummary {
    int converted = 0;
    std::vector<BatchFailure> failures; // in list order
    std::vector<RenamedOutput> renamed; // of the converted pictures, in list order
    long workersPeakKb = 0;
    ConversionResults results; // each picture's, in list order; none: never started
};

// Converts every work item in parallel workers (convertInParallel), fitted
// into `box` as the file is when it is converted, into the output folder under
// its output name, and says what became of each.
BatchSummary runBatch(const BatchRequest &request, const WorkList &items, const imaging::FitBox &box,
                      const ConversionOptions &options, const BatchCallbacks &callbacks = {});
// The same into each of `outputs`; a picture counts as converted when every
// one of its outputs is.
BatchSummary runBatch(const BatchRequest &request, const WorkList &items, const std::vector<SizedOutput> &outputs,
                      const ConversionOptions &options, const BatchCallbacks &callbacks = {});

// What a run of the request's jobs came to, picture by picture: one result
// per job (convertInParallel gives one for each).
BatchSummary summarise(const BatchRequest &request, const WorkList &items, ConversionRun run);

// Why a picture failed, in the interface's language; "已中断，未转换" for one
// never started.
QString failureReason(const std::optional<ConversionResult> &result);

// "name：reason" for a name as the caller shows it (platform::displayPath,
// quoted for a terminal); `withDetail` adds the library's own message, for logs.
QString failureLine(const QString &shownName, const std::optional<ConversionResult> &result, bool withDetail = false);

} // namespace workflow
