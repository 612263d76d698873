// tarvel-bench SOURCE_DIR OUTPUT_DIR [--width W] [--height H] [--enlarge] [--jobs N]
//
// Converts every picture of a folder into OUTPUT_DIR, same name and format,
// fitted into W x H (default 1024 x 768), through the program's own
// SaveScaledPicture, and prints one summary line for scripts.
#include "imaging/modify_image_size.h"
#include "imaging/vips_runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <vips/vips8>

#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

struct Job {
    QString name;
    int width = 0;
    int height = 0;
};

bool qualifies(const QString &name)
{
    static const QStringList extensions{"bmp", "BMP", "gif", "GIF", "jpg", "JPG", "jpeg", "JPEG",
                                        "png", "PNG", "tif", "TIF", "tiff", "TIFF", "tga", "TGA"};
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(name.mid(dot + 1));
}

// Fits a picture into the box keeping its proportions.
std::pair<int, int> fit(int w, int h, int maxW, int maxH, bool enlarge)
{
    if (w <= 0 || h <= 0)
        return {0, 0};
    if (!enlarge && w <= maxW && h <= maxH)
        return {w, h};
    const double scale = std::min(double(maxW) / w, double(maxH) / h);
    return {std::max(1, int(std::lround(w * scale))), std::max(1, int(std::lround(h * scale)))};
}

// Until the header probe exists the bench reads sizes with libvips.
std::pair<int, int> pictureSize(const QString &path)
{
    try {
        const QByteArray native = QFile::encodeName(path);
        const vips::VImage header =
            vips::VImage::new_from_source(vips::VSource::new_from_file(native.constData()), "");
        return {header.width(), header.height()};
    } catch (const vips::VError &) {
        return {0, 0};
    }
}

int usage()
{
    std::fprintf(stderr, "usage: tarvel-bench SOURCE_DIR OUTPUT_DIR [--width W] [--height H] [--enlarge] [--jobs N]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int maxW = 1024, maxH = 768, jobs = int(std::thread::hardware_concurrency());
    bool enlarge = false;
    QStringList folders;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if ((a == "--width" || a == "--height" || a == "--jobs") && i + 1 < args.size()) {
            const int v = args[++i].toInt();
            (a == "--width" ? maxW : a == "--height" ? maxH : jobs) = v;
        } else if (a == "--enlarge") {
            enlarge = true;
        } else if (a.startsWith("--")) {
            return usage();
        } else {
            folders << a;
        }
    }
    if (folders.size() != 2 || maxW < 1 || maxH < 1 || jobs < 1)
        return usage();
    imaging::ensureVipsStarted();

    QElapsedTimer timer;
    timer.start();
    const QDir source(folders[0]);
    std::vector<Job> work;
    for (const QString &name : source.entryList(QDir::Files, QDir::NoSort)) {
        if (!qualifies(name))
            continue;
        const auto [w, h] = pictureSize(source.filePath(name));
        const auto [tw, th] = fit(w, h, maxW, maxH, enlarge);
        work.push_back({name, tw, th});
    }

    std::atomic<size_t> next{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < jobs; ++t) {
        threads.emplace_back([&] {
            for (size_t i; (i = next++) < work.size();) {
                const Job &job = work[i];
                if (!imaging::SaveScaledPicture(source.filePath(job.name), folders[1] + "/" + job.name,
                                                job.width, job.height)) {
                    ++failed;
                    std::fprintf(stderr, "failed: %s\n", qPrintable(job.name));
                }
            }
        });
    }
    for (auto &thread : threads)
        thread.join();

    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("bench: pictures=%zu failed=%d seconds=%.2f per_second=%.2f peak_rss_mb=%.1f\n", work.size(),
                failed.load(), seconds, work.size() / seconds, usage.ru_maxrss / 1024.0);
    return failed ? 1 : 0;
}
