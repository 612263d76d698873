#include "workflow/parallel_conversion.h"

#include "client/save_scaled_picture.h"
#include "platform/file_system.h"

#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <thread>

namespace workflow {

namespace {

ConversionResult convertJob(imaging::ConversionWorker &worker, const ConversionJob &job,
                            const ConversionOptions &options)
{
    const imaging::EncodeSettings encode{options.quality, options.dpi.value_or(0), options.fileSize};
    if (job.moreTargets.empty())
        return imaging::convertPicture(worker, job.source, job.target, job.box, options.background, encode,
                                       options.keep);
    std::vector<imaging::SizedTarget> targets{{job.target, job.box}};
    targets.insert(targets.end(), job.moreTargets.begin(), job.moreTargets.end());
    return imaging::convertPictureSizes(worker, job.source, targets, options.background, encode, options.keep);
}

} // namespace

ConversionRun convertInParallel(const std::vector<ConversionJob> &jobs, const ConversionOptions &options,
                                const std::function<void(std::size_t, const ConversionResult &)> &done,
                                const std::atomic<bool> *stop)
{
    ConversionRun run;
    run.results.resize(jobs.size());
    // What a killed run left behind in the folders written to goes first.
    QSet<QString> folders;
    for (const ConversionJob &job : jobs) {
        folders.insert(job.target.left(job.target.lastIndexOf(u'/')));
        for (const imaging::SizedTarget &more : job.moreTargets)
            folders.insert(more.path.left(more.path.lastIndexOf(u'/')));
    }
    for (const QString &folder : std::as_const(folders))
        platform::removeStaleTemporaryFiles(folder.isEmpty() ? QStringLiteral("/") : folder);
    const int count = std::clamp<int>(options.jobs, 1, int(std::max<std::size_t>(jobs.size(), 1)));
    imaging::WorkerSettings settings = options.worker;
    // Pictures side by side, each with libvips threads of its own, should
    // not ask for more threads than there are cores.
    settings.threadsPerPicture = std::max(1, std::max(1, QThread::idealThreadCount()) / count);

    // The largest files first, so that the workers finish together rather
    // than one waiting on a large picture started last; ties in list order.
    std::vector<std::size_t> order(jobs.size());
    std::vector<qint64> bytes(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        order[i] = i;
        bytes[i] = QFileInfo(jobs[i].source).size();
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return bytes[a] > bytes[b]; });
    // Results are still handed on in list order: each waits for those before
    // it in the list (or, at the end, for the ones that never started).
    std::mutex reporting;
    std::size_t reported = 0;
    auto handOn = [&](bool all) {
        while (reported < jobs.size() && (run.results[reported] || all)) {
            if (done && run.results[reported])
                done(reported, *run.results[reported]);
            ++reported;
        }
    };
    std::atomic<std::size_t> next{0};
    std::atomic<long> peakKb{0};
    auto work = [&] {
        imaging::ConversionWorker worker(settings);
        for (;;) {
            if ((stop && stop->load()) || (settings.abandon && settings.abandon->load()))
                break;
            const std::size_t n = next.fetch_add(1);
            if (n >= jobs.size())
                break;
            const std::size_t i = order[n];
            const ConversionJob &job = jobs[i];
            const ConversionResult result = convertJob(worker, job, options);
            const std::lock_guard lock(reporting);
            run.results[i] = result;
            if (options.resultsInListOrder)
                handOn(false);
            else if (done)
                done(i, result);
        }
        worker.shutDown();
        peakKb += worker.endedWorkersPeakKb();
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < count; ++t)
        threads.emplace_back(work);
    work();
    for (auto &thread : threads)
        thread.join();
    if (options.resultsInListOrder)
        handOn(true);
    run.workersPeakKb = peakKb;
    return run;
}

} // namespace workflow
