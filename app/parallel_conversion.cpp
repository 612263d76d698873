#include "app/parallel_conversion.h"

#include "imaging/modify_image_size.h"

#include <algorithm>
#include <thread>

namespace app {

std::vector<bool> convertInParallel(const std::vector<ConversionJob> &jobs, int threads,
                                    platform::ColourValue background,
                                    const std::function<void(std::size_t, bool)> &done,
                                    const std::atomic<bool> *stop)
{
    // vector<bool> packs bits, so workers write their results to separate chars.
    std::vector<char> results(jobs.size(), 0);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (;;) {
            if (stop && stop->load())
                return;
            const std::size_t i = next.fetch_add(1);
            if (i >= jobs.size())
                return;
            const ConversionJob &job = jobs[i];
            const bool converted =
                imaging::SaveScaledPicture(job.source, job.target, job.width, job.height, background);
            results[i] = converted;
            if (done)
                done(i, converted);
        }
    };
    const int count = std::clamp<int>(threads, 1, int(std::max<std::size_t>(jobs.size(), 1)));
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t)
        workers.emplace_back(work);
    work();
    for (auto &worker : workers)
        worker.join();
    return std::vector<bool>(results.begin(), results.end());
}

} // namespace app
