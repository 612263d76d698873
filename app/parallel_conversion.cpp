#include "app/parallel_conversion.h"

#include "imaging/modify_image_size.h"
#include "imaging/vips_runtime.h"

#include <QThread>

#include <algorithm>
#include <thread>

namespace app {

ConversionResults convertInParallel(const std::vector<ConversionJob> &jobs, int threads,
                                    platform::ColourValue background,
                                    const std::function<void(std::size_t, ConversionStatus)> &done,
                                    const std::atomic<bool> *stop)
{
    ConversionResults results(jobs.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (;;) {
            if (stop && stop->load())
                return;
            const std::size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                return;
            const ConversionJob &job = jobs[i];
            const ConversionStatus status =
                imaging::ConvertPicture(job.source, job.target, job.width, job.height, background);
            results[i] = status;
            if (done)
                done(i, status);
        }
    };
    const int count = std::clamp<int>(threads, 1, int(std::max<std::size_t>(jobs.size(), 1)));
    // Pictures side by side, each with libvips threads of its own, should
    // not ask for more threads than there are cores.
    imaging::setThreadsPerPicture(std::max(1, std::max(1, QThread::idealThreadCount()) / count));
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t)
        workers.emplace_back(work);
    work();
    for (auto &worker : workers)
        worker.join();
    return results;
}

} // namespace app
