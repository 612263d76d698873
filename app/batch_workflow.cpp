#include "app/batch_workflow.h"

#include "app/batch_plan.h"
#include "platform/native_path.h"

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
        const auto status = i < run.results.size() ? run.results[i] : std::nullopt;
        if (status == ConversionStatus::Converted)
            ++summary.converted;
        else
            summary.failures.push_back({listing.names[qsizetype(i)], status});
    }
    return summary;
}

QString failureReason(std::optional<ConversionStatus> status)
{
    return status ? imaging::reasonText(*status) : QStringLiteral(u"已中断，未转换");
}

QString failureLine(const BatchFailure &failure)
{
    return QStringLiteral(u"%1：%2").arg(platform::displayPath(failure.name), failureReason(failure.status));
}

} // namespace app
