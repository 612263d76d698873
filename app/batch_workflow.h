// The batch conversion, one piece of code for the window and tarvel-batch:
// list a folder's pictures and read their sizes (the scan), then fit them into
// the limits, convert them and sum up what became of each (the run). Both
// front ends convert the same files, in the same order, to the same bytes.
#pragma once

#include "app/parallel_conversion.h"
#include "app/target_sizes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace app {

// The window's work lists: List1 (file names) and List2 (their size texts).
struct BatchListing {
    QStringList names;
    QStringList sizes;
};

// The folder's convertible pictures (listConvertibleFiles) and the size text
// of each, in the order the file system lists them. `sizeRead(done, total)`
// is called after each size is read.
BatchListing scanBatchFolder(const QString &folder, const std::function<void(int, int)> &sizeRead = {});

struct BatchRequest {
    QString sourceFolder;
    QString outputFolder;
    int width = 0; // the limits
    int height = 0;
    bool enlarge = false;
};

// How a run's conversions are carried out: the window waits for them with its
// event loop running, tarvel-batch simply waits.
using ConversionExecutor = std::function<ConversionRun(const std::vector<ConversionJob> &)>;

struct BatchFailure {
    QString name;
    std::optional<ConversionResult> result; // none: never started (interrupted)
};

struct BatchSummary {
    TargetSizeTable targets; // the fitted size of every listed picture
    int converted = 0;
    std::vector<BatchFailure> failures; // in list order
    long workersPeakKb = 0;
};

// Fits every listed picture into the limits, converts each into the output
// folder under its own name, and says what became of each.
BatchSummary runBatch(const BatchRequest &request, const BatchListing &listing, const ConversionExecutor &execute);

// Why a picture failed, in Chinese; "已中断，未转换" for one never started.
QString failureReason(const std::optional<ConversionResult> &result);

// "name：reason", the name shown with replacement characters where its bytes
// are not UTF-8; `withDetail` adds the library's own message, for logs.
QString failureLine(const BatchFailure &failure, bool withDetail = false);

} // namespace app
