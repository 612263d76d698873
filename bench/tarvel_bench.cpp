// tarvel-bench SOURCE_DIR OUTPUT_DIR [--width W] [--height H] [--enlarge] [--jobs N]
// tarvel-bench --probe DIR [--list]
//
// The first form converts every picture of a folder into OUTPUT_DIR, same name
// and format, fitted into W x H (default 1024 x 768) the way the program fits
// them (ReadPictureSize, ComputeTargetSizes, SaveScaledPicture), and prints one
// summary line for scripts.
// The second form reads the size of every file of a folder with the header
// probe and prints how many files per second it reads; --list also prints each
// file's size text.
#include "app/size_text.h"
#include "app/target_sizes.h"
#include "imaging/modify_image_size.h"
#include "imaging/read_picture_size.h"
#include "imaging/vips_runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

bool qualifies(const QString &name)
{
    static const QStringList extensions{"bmp", "BMP", "gif", "GIF", "jpg", "JPG", "jpeg", "JPEG",
                                        "png", "PNG", "tif", "TIF", "tiff", "TIFF", "tga", "TGA"};
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(name.mid(dot + 1));
}

int usage()
{
    std::fprintf(stderr, "usage: tarvel-bench SOURCE_DIR OUTPUT_DIR [--width W] [--height H] [--enlarge] [--jobs N]\n"
                         "       tarvel-bench --probe DIR [--list]\n");
    return 2;
}

int probeFolder(const QString &folder, bool list)
{
    QElapsedTimer timer;
    timer.start();
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files, QDir::NoSort);
    const double listSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    QStringList sizes;
    sizes.reserve(names.size());
    int sized = 0;
    for (const QString &name : names) {
        const imaging::PictureSize size = imaging::ReadPictureSize(dir.filePath(name));
        sized += size.Width > 0 && size.Height > 0;
        sizes << app::sizeText(size);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;

    if (list) {
        for (qsizetype i = 0; i < names.size(); ++i)
            std::printf("%s\t%s\n", qPrintable(names[i]), qPrintable(sizes[i]));
    }
    std::printf("bench: probe files=%lld sized=%d list_seconds=%.3f probe_seconds=%.3f per_second=%.0f\n",
                static_cast<long long>(names.size()), sized, listSeconds, seconds, names.size() / seconds);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int maxW = 1024, maxH = 768, jobs = int(std::thread::hardware_concurrency());
    bool enlarge = false, probe = false, list = false;
    QStringList folders;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if ((a == "--width" || a == "--height" || a == "--jobs") && i + 1 < args.size()) {
            const int v = args[++i].toInt();
            (a == "--width" ? maxW : a == "--height" ? maxH : jobs) = v;
        } else if (a == "--enlarge") {
            enlarge = true;
        } else if (a == "--probe") {
            probe = true;
        } else if (a == "--list") {
            list = true;
        } else if (a.startsWith("--")) {
            return usage();
        } else {
            folders << a;
        }
    }
    if (probe)
        return folders.size() == 1 ? probeFolder(folders[0], list) : usage();
    if (folders.size() != 2 || maxW < 1 || maxH < 1 || jobs < 1)
        return usage();
    imaging::ensureVipsStarted();

    QElapsedTimer timer;
    timer.start();
    const QDir source(folders[0]);
    QStringList names, sizes;
    for (const QString &name : source.entryList(QDir::Files, QDir::NoSort)) {
        if (!qualifies(name))
            continue;
        names << name;
        sizes << app::sizeText(imaging::ReadPictureSize(source.filePath(name)));
    }
    const app::TargetSizeTable targets = app::ComputeTargetSizes(sizes, maxW, maxH, enlarge);

    std::atomic<qsizetype> next{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < jobs; ++t) {
        threads.emplace_back([&] {
            for (qsizetype i; (i = next++) < names.size();) {
                const app::TargetSize &target = targets[std::size_t(i)];
                if (!imaging::SaveScaledPicture(source.filePath(names[i]), folders[1] + "/" + names[i],
                                                target.width, target.height)) {
                    ++failed;
                    std::fprintf(stderr, "failed: %s\n", qPrintable(names[i]));
                }
            }
        });
    }
    for (auto &thread : threads)
        thread.join();

    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("bench: pictures=%lld failed=%d seconds=%.2f per_second=%.2f peak_rss_mb=%.1f\n",
                static_cast<long long>(names.size()), failed.load(), seconds, names.size() / seconds,
                usage.ru_maxrss / 1024.0);
    return failed ? 1 : 0;
}
