#include "app/batch_workflow.h"

#include "app/batch_plan.h"
#include "platform/native_path.h"

#include <QCoreApplication>

namespace app {

BatchListing scanBatchFolder(const QString &folder, const std::function<void(int, int)> &sizeRead)
{
    BatchListing listing;
    listing.names = listConvertibleFiles(folder);
    const int total = int(listing.names.size());
    for (const QString &name : std::as_const(listing.names)) {
        listing.sizes << readSizeText(pathInFolder(folder, name));
        if (sizeRead)
            sizeRead(int(listing.sizes.size()), total);
    }
    return listing;
}

BatchSummary runBatch(const BatchRequest &request, const BatchListing &listing, const ConversionExecutor &execute)
{
    BatchSummary summary;
    summary.targets = ComputeTargetSizes(listing.sizes, request.width, request.height, request.enlarge);
    const auto jobs = batchJobs(request.sourceFolder, request.outputFolder, listing.names, summary.targets);
    const ConversionRun run = execute(jobs);
    summary.workersPeakKb = run.workersPeakKb;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const auto result = i < run.results.size() ? run.results[i] : std::nullopt;
        if (result && result->converted())
            ++summary.converted;
        else
            summary.failures.push_back({listing.names[qsizetype(i)], result});
    }
    return summary;
}

QString failureReason(const std::optional<ConversionResult> &result)
{
    return result ? imaging::reasonText(result->status) : QCoreApplication::translate("app", "已中断，未转换");
}

QString failureLine(const BatchFailure &failure, bool withDetail)
{
    QString line = QCoreApplication::translate("app", "%1：%2", "a file name and why it failed")
                       .arg(platform::displayPath(failure.name), failureReason(failure.result));
    if (withDetail && failure.result && !failure.result->detail.isEmpty())
        line += QCoreApplication::translate("app", "（%1）", "the decoder's own message").arg(failure.result->detail);
    return line;
}

} // namespace app
