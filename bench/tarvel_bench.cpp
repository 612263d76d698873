// tarvel-bench --probe DIR [--list]
// tarvel-bench --stages DIR [--width W] [--height H] [--enlarge] [--cpu]
// tarvel-bench --png-levels DIR [--width W] [--height H]
//
// Developer measurements; the conversion itself is timed with
// `tarvel-batch --stats`, which ends with the same kind of summary line.
// --probe reads the size of every file of a folder with the header probe and
// prints how many files per second it reads; --list also prints each file's
// size text.
// --stages converts every picture of a folder one at a time, in memory and in
// this process (not in a worker, so that nothing but the stages is timed), and
// prints how long each stage took, per format: header probe, decode (with
// shrink-on-load), resample to the fitted size, encode in the same format, and
// the atomic write (to a temporary folder). --cpu counts the processor time
// of all the process's threads instead of the time on the clock, which other
// work on a shared machine disturbs less.
// --png-levels draws every PNG of a folder at its fitted size and writes it
// as PNG in several ways, printing the bytes and the processor seconds of
// each summed over the folder: libvips' pngsave (libpng and zlib) unfiltered,
// as libvips writes by default, and with adaptive filtering, and the
// program's writer at each libdeflate level.
#include "engine/draw_scaled_picture.h"
#include "engine/codecs/encode_picture.h"
#include "worker/mapped_file.h"
#include "engine/codecs/png_file.h"
#include "probe/read_picture_size.h"
#include "engine/source_format.h"
#include "engine/codecs/vips_errors.h"
#include "engine/vips_runtime.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "workflow/size_text.h"
#include "workflow/target_sizes.h"
#include "workflow/work_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tarvel-bench --probe DIR [--list]\n"
                         "       tarvel-bench --stages DIR [--width W] [--height H] [--enlarge] [--cpu]\n"
                         "       tarvel-bench --png-levels DIR [--width W] [--height H]\n");
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
        sizes << workflow::sizeText(size);
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

// Seconds spent in each stage, summed over the pictures of one format.
struct StageTimes {
    int pictures = 0;
    std::array<double, 5> seconds{};
};
const std::array<const char *, 5> kStages{"probe", "decode", "resample", "encode", "write"};

// Whether a WebP output of the source is written losslessly, as the worker
// decides it.
bool losslessSource(QByteArrayView bytes)
{
    return imaging::storesLosslessly(
        imaging::sniffSource(bytes.first(std::min(bytes.size(), imaging::kSniffBytes)), false, bytes), bytes);
}

// Seconds since start() or restart(), on the clock or of processor time.
class StageTimer {
public:
    explicit StageTimer(bool cpu) : m_cpu(cpu) { }
    void start() { m_start = now(); }
    void restart() { start(); }
    qint64 nsecsElapsed() const { return now() - m_start; }

private:
    qint64 now() const
    {
        timespec t{};
        clock_gettime(m_cpu ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    bool m_cpu;
    qint64 m_start = 0;
};

int stagesOfFolder(const QString &folder, int maxW, int maxH, bool enlarge, bool cpu)
{
    QTemporaryDir scratch;
    const QStringList names = workflow::listConvertibleFiles(folder);
    std::map<QString, StageTimes> byFormat;
    StageTimer timer(cpu);
    for (const QString &name : names) {
        const QString path = workflow::pathInFolder(folder, name);
        StageTimes &t = byFormat[name.mid(name.lastIndexOf(u'.') + 1).toLower()];
        timer.start();
        const platform::ReadOnlyFile file(path);
        const imaging::PictureHeader header = imaging::readPictureHeader(file, imaging::hasTgaName(path));
        t.seconds[0] += timer.nsecsElapsed() / 1e9;
        // Fitted to the size as shown, resized as stored (the engine turns the
        // small result afterwards, which this leaves out).
        const imaging::PictureSize shown = header.shown();
        workflow::TargetSize target = workflow::fitTargetSize(shown.Width, shown.Height, maxW, maxH, enlarge);
        if (header.orientation >= 5)
            std::swap(target.width, target.height);

        // Each stage is forced into memory so the next one starts from pixels.
        timer.restart();
        const imaging::MappedFile mapped(file.descriptor());
        auto decoded
            = imaging::loadForScaling({mapped.bytes(), imaging::hasTgaName(path)}, target.width, target.height);
        try {
            if (decoded)
                decoded->image = decoded->image.copy_memory();
        } catch (const vips::VError &error) {
            decoded = imaging::failureOf(error);
        }
        t.seconds[1] += timer.nsecsElapsed() / 1e9;
        timer.restart();
        auto scaled = decoded ? imaging::scaleToSize(*decoded, target.width, target.height, 0xEFEFEF)
                              : imaging::Result<vips::VImage>(decoded.failure());
        if (scaled)
            *scaled = scaled->copy_memory();
        t.seconds[2] += timer.nsecsElapsed() / 1e9;
        timer.restart();
        const auto format = imaging::outputFormatForPath(name);
        const imaging::Result<QByteArray> bytes
            = scaled && format
                  ? imaging::encodePicture(*scaled, *format, imaging::kOwnQuality, losslessSource(mapped.bytes()))
                  : imaging::Result<QByteArray>(scaled.failure());
        t.seconds[3] += timer.nsecsElapsed() / 1e9;
        timer.restart();
        const bool written = bytes && platform::writeFileAtomically(scratch.filePath(name), *bytes);
        t.seconds[4] += timer.nsecsElapsed() / 1e9;
        if (!written)
            std::fprintf(stderr, "failed: %s\n", qPrintable(name));
        ++t.pictures;
    }

    std::printf("format\tpictures");
    for (const char *stage : kStages)
        std::printf("\t%s_s", stage);
    std::printf("\ttotal_s\tms_per_picture\n");
    StageTimes all;
    for (const auto &[format, t] : byFormat) {
        double total = 0;
        std::printf("%s\t%d", qPrintable(format), t.pictures);
        for (size_t i = 0; i < t.seconds.size(); ++i) {
            std::printf("\t%.3f", t.seconds[i]);
            total += t.seconds[i];
            all.seconds[i] += t.seconds[i];
        }
        all.pictures += t.pictures;
        std::printf("\t%.3f\t%.0f\n", total, 1000 * total / t.pictures);
    }
    double total = 0;
    std::printf("all\t%d", all.pictures);
    for (double seconds : all.seconds) {
        std::printf("\t%.3f", seconds);
        total += seconds;
    }
    std::printf("\t%.3f\t%.0f\n", total, all.pictures ? 1000 * total / all.pictures : 0.0);
    return 0;
}

// The PNGs of a folder drawn at their fitted sizes, in memory.
std::vector<vips::VImage> fittedPngs(const QString &folder, int maxW, int maxH)
{
    std::vector<vips::VImage> pictures;
    for (const QString &name : workflow::listConvertibleFiles(folder)) {
        if (!name.endsWith(".png", Qt::CaseInsensitive))
            continue;
        const QString path = workflow::pathInFolder(folder, name);
        const platform::ReadOnlyFile file(path);
        const imaging::PictureSize shown = imaging::readPictureHeader(file, false).shown();
        const workflow::TargetSize target = workflow::fitTargetSize(shown.Width, shown.Height, maxW, maxH, false);
        const imaging::MappedFile mapped(file.descriptor());
        const auto drawn
            = imaging::DrawScaledPicture({mapped.bytes(), false, 1}, target.width, target.height, 0xEFEFEF);
        if (drawn)
            pictures.push_back(drawn->copy_memory());
    }
    return pictures;
}

int pngLevels(const QString &folder, int maxW, int maxH)
{
    const std::vector<vips::VImage> pictures = fittedPngs(folder, maxW, maxH);
    StageTimer timer(true);
    auto row = [&](const char *name, auto encode) {
        qint64 bytes = 0;
        timer.start();
        for (const vips::VImage &picture : pictures)
            bytes += encode(picture).size();
        std::printf("%s\t%lld\t%.3f\n", name, static_cast<long long>(bytes), timer.nsecsElapsed() / 1e9);
    };
    auto libpng = [](int filter) {
        return [filter](const vips::VImage &picture) {
            VipsBlob *blob = picture.pngsave_buffer(vips::VImage::option()->set("filter", filter)->set("strip", true));
            size_t size = 0;
            vips_blob_get(blob, &size);
            vips_area_unref(VIPS_AREA(blob));
            return QByteArray(qsizetype(size), '\0');
        };
    };
    std::printf("writer\tbytes\tcpu_s\t(%zu pictures)\n", pictures.size());
    row("libpng-zlib6-unfiltered", libpng(VIPS_FOREIGN_PNG_FILTER_NONE));
    row("libpng-zlib6-adaptive", libpng(VIPS_FOREIGN_PNG_FILTER_ALL));
    for (int level = 1; level <= 12; ++level) {
        const QByteArray name = "ours-libdeflate" + QByteArray::number(level);
        row(name.constData(), [level](const vips::VImage &picture) {
            return imaging::encodePng(static_cast<const unsigned char *>(picture.data()), picture.width(),
                                      picture.height(), picture.bands(), level);
        });
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    imaging::allowUntrustedLoaders();
    const QStringList args = app.arguments().mid(1);
    int maxW = 1024, maxH = 768;
    bool enlarge = false, probe = false, stages = false, list = false, cpu = false, png = false;
    QStringList folders;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if ((a == "--width" || a == "--height") && i + 1 < args.size()) {
            (a == "--width" ? maxW : maxH) = args[++i].toInt();
        } else if (a == "--enlarge") {
            enlarge = true;
        } else if (a == "--probe") {
            probe = true;
        } else if (a == "--stages") {
            stages = true;
        } else if (a == "--list") {
            list = true;
        } else if (a == "--cpu") {
            cpu = true;
        } else if (a == "--png-levels") {
            png = true;
        } else if (a.startsWith("--")) {
            return usage();
        } else {
            folders << a;
        }
    }
    if (folders.size() != 1 || int(probe) + int(stages) + int(png) != 1 || maxW < 1 || maxH < 1)
        return usage();
    if (png)
        return pngLevels(folders[0], maxW, maxH);
    return probe ? probeFolder(folders[0], list) : stagesOfFolder(folders[0], maxW, maxH, enlarge, cpu);
}
