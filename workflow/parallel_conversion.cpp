#include "workflow/parallel_conversion.h"

#include "imaging/save_scaled_picture.h"
#include "platform/file_system.h"

#include <QSet>
#include <QThread>

#include <algorithm>
#include <thread>

namespace workflow {

namespace {

ConversionResult convertJob(imaging::ConversionWorker &worker, const ConversionJob &job,
                            const ConversionOptions &options)
{
    if (job.moreTargets.empty())
        return imaging::convertPicture(worker, job.source, job.target, job.box, options.background,
                                       options.jpegQuality);
    std::vector<imaging::SizedTarget> targets{{job.target, job.box}};
    targets.insert(targets.end(), job.moreTargets.begin(), job.moreTargets.end());
    return imaging::convertPictureSizes(worker, job.source, targets, options.background, options.jpegQuality);
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
    for (const ConversionJob &job : jobs)
        folders.insert(job.target.left(job.target.lastIndexOf(u'/')));
    for (const QString &folder : std::as_const(folders))
        platform::removeStaleTemporaryFiles(folder.isEmpty() ? QStringLiteral("/") : folder);
    const int count = std::clamp<int>(options.jobs, 1, int(std::max<std::size_t>(jobs.size(), 1)));
    imaging::WorkerSettings settings = options.worker;
    // Pictures side by side, each with libvips threads of its own, should
    // not ask for more threads than there are cores.
    settings.threadsPerPicture = std::max(1, std::max(1, QThread::idealThreadCount()) / count);

    std::atomic<std::size_t> next{0};
    std::atomic<long> peakKb{0};
    auto work = [&] {
        imaging::ConversionWorker worker(settings);
        for (;;) {
            if ((stop && stop->load()) || (settings.abandon && settings.abandon->load()))
                break;
            const std::size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                break;
            const ConversionJob &job = jobs[i];
            const ConversionResult result = convertJob(worker, job, options);
            run.results[i] = result;
            if (done)
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
    run.workersPeakKb = peakKb;
    return run;
}

} // namespace workflow
