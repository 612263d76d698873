#include "workflow/batch_workflow.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace workflow {

namespace {

// The name the item is written under: its output name, or its own.
const QString &outputName(const BatchRequest &request, const WorkList &items, std::size_t i)
{
    return i < request.outputs.size() ? request.outputs[i].name : items[i].name;
}

} // namespace

std::vector<ConversionJob> batchJobs(const BatchRequest &request, const WorkList &items, const imaging::FitBox &box)
{
    std::vector<ConversionJob> jobs;
    jobs.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString &name = items[i].name;
        jobs.push_back({pathInFolder(request.sourceFolder, name),
                        pathInFolder(request.outputFolder, outputName(request, items, i)), box});
    }
    return jobs;
}

std::vector<ConversionJob> batchJobs(const BatchRequest &request, const WorkList &items,
                                     const std::vector<SizedOutput> &outputs)
{
    std::vector<ConversionJob> jobs;
    if (outputs.empty())
        return jobs;
    jobs.reserve(items.size());
    for (std::size_t k = 0; k < items.size(); ++k) {
        const QString &output = outputName(request, items, k);
        ConversionJob job{pathInFolder(request.sourceFolder, items[k].name),
                          pathInFolder(outputs.front().folder, output), outputs.front().box};
        for (std::size_t i = 1; i < outputs.size(); ++i)
            job.moreTargets.push_back({pathInFolder(outputs[i].folder, output), outputs[i].box});
        jobs.push_back(std::move(job));
    }
    return jobs;
}

int defaultJobCount() { return std::max(1, QThread::idealThreadCount()); }

BatchSummary summarise(const BatchRequest &request, const WorkList &items, ConversionRun run)
{
    BatchSummary summary;
    summary.workersPeakKb = run.workersPeakKb;
    // One result per job the run was given, none for a picture never started.
    run.results.resize(std::min(run.results.size(), items.size()));
    for (std::size_t i = 0; i < run.results.size(); ++i) {
        const auto &result = run.results[i];
        if (result && result->converted()) {
            ++summary.converted;
            if (i < request.outputs.size() && request.outputs[i].renamed)
                summary.renamed.push_back({items[i].name, request.outputs[i].name});
        } else {
            summary.failures.push_back({items[i].name, result});
        }
    }
    summary.results = std::move(run.results);
    return summary;
}

BatchSummary runBatch(const BatchRequest &request, const WorkList &items, const imaging::FitBox &box,
                      const ConversionOptions &options, const BatchCallbacks &callbacks)
{
    return summarise(request, items,
                     convertInParallel(batchJobs(request, items, box), options, callbacks.pictureDone, callbacks.stop));
}

BatchSummary runBatch(const BatchRequest &request, const WorkList &items, const std::vector<SizedOutput> &outputs,
                      const ConversionOptions &options, const BatchCallbacks &callbacks)
{
    return summarise(request, items,
                     convertInParallel(batchJobs(request, items, outputs), options, callbacks.pictureDone,
                                       callbacks.stop));
}

QString failureReason(const std::optional<ConversionResult> &result)
{
    if (!result)
        return QCoreApplication::translate("workflow", "已中断，未转换");
    // A file-size range missed: the program's own words, naming the nearest size.
    if (result->status == imaging::ConversionStatus::SizeOutOfRange && !result->detail.isEmpty())
        return result->detail;
    return imaging::reasonText(result->status);
}

QString failureLine(const QString &shownName, const std::optional<ConversionResult> &result, bool withDetail)
{
    QString line = QCoreApplication::translate("workflow", "%1：%2", "a file name and why it failed")
                       .arg(shownName, failureReason(result));
    if (withDetail && result && !result->detail.isEmpty())
        line += QCoreApplication::translate("workflow", "（%1）", "the decoder's own message").arg(result->detail);
    return line;
}

} // namespace workflow
