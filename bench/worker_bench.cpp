// tarvel-worker-bench --starts N PICTURE [WORKER]
// tarvel-worker-bench --pictures N PICTURE [WORKER]
// tarvel-worker-bench --census FILE...
//
// Developer measurements of the conversion worker.
// --starts starts N workers one after another (as a crash or a new parallel
// slot does) and has each convert PICTURE to 16 x 16 PNG; prints the time
// from the start to the first reply, per worker: median, quickest, slowest.
// --pictures has one worker convert PICTURE N times, one after another, and
// prints the time per picture, from the request to the reply.
// WORKER is the worker executable, the one beside this program by default.
// TARVEL_WORKER_NAMESPACES=off measures a start without namespaces.
// --census runs, in this process and unconfined, what a worker runs before
// it is shut in (libvips and the warm-up), writes "census: start" on
// standard error, then decodes each FILE with libvips' own loader for it
// (any format libvips reads, WebP, HEIF, AVIF and JPEG XL included), resizes
// it and encodes it as PNG. Under `strace -f`, the system calls after the
// line are what those loaders make once warm (bench/worker_syscalls.sh).
#include "client/conversion_worker.h"
#include "engine/vips_runtime.h"
#include "worker/worker_warm_up.h"

#include <QCoreApplication>
#include <QFile>

#include <vips/vips8>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tarvel-worker-bench --starts N PICTURE [WORKER]\n"
                         "       tarvel-worker-bench --pictures N PICTURE [WORKER]\n"
                         "       tarvel-worker-bench --census FILE...\n");
    return 2;
}

// Times `count` conversions of `picture`, in a new worker each time when
// `newWorkers`, else all in one (started before the first is timed).
int timeConversions(int count, const QString &picture, const QString &executable, bool newWorkers)
{
    imaging::WorkerSettings settings;
    settings.executable = executable;
    std::vector<double> milliseconds;
    std::optional<imaging::ConversionWorker> worker;
    for (int i = -1; i < count; ++i) {
        const int source = ::open(QFile::encodeName(picture).constData(), O_RDONLY | O_CLOEXEC);
        if (source < 0)
            return usage();
        if (newWorkers || !worker)
            worker.emplace(settings);
        imaging::WorkerTask task;
        task.width = 16;
        task.height = 16;
        const auto started = std::chrono::steady_clock::now();
        const imaging::Result<QByteArray> converted = worker->convert(source, task);
        // The first, untimed, starts the worker that --pictures reuses.
        if (i >= 0)
            milliseconds.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
        ::close(source);
        if (!converted) {
            std::fprintf(stderr, "worker %d: %s\n", i, qPrintable(converted.failure().detail));
            return 1;
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%s: %d, median %.2f ms, quickest %.2f ms, slowest %.2f ms\n",
                newWorkers ? "worker starts, to the first reply" : "pictures in one worker", count,
                milliseconds[milliseconds.size() / 2], milliseconds.front(), milliseconds.back());
    return 0;
}

int census(const QStringList &files)
{
    imaging::allowUntrustedLoaders();
    if (!imaging::ensureVipsStarted())
        return 1;
    const std::string warmUp = imaging::warmUpEngine();
    if (!warmUp.empty())
        std::fprintf(stderr, "warm-up: %s\n", warmUp.c_str());
    std::fprintf(stderr, "census: start\n");
    int failed = 0;
    for (const QString &name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            ++failed;
            continue;
        }
        const QByteArray bytes = file.readAll();
        try {
            const vips::VImage image
                = vips::VImage::new_from_buffer(bytes.constData(), size_t(bytes.size()), "",
                                                vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
            const vips::VImage small = image.thumbnail_image(64);
            VipsBlob *png = small.pngsave_buffer();
            vips_area_unref(VIPS_AREA(png));
        } catch (const vips::VError &error) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), error.what());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool starts = args.value(0) == QLatin1String("--starts");
    if ((starts || args.value(0) == QLatin1String("--pictures")) && (args.size() == 3 || args.size() == 4)
        && args[1].toInt() > 0)
        return timeConversions(args[1].toInt(), args[2], args.value(3), starts);
    if (args.size() >= 2 && args[0] == QLatin1String("--census"))
        return census(args.mid(1));
    return usage();
}
