#include "workflow/parallel_conversion.h"

#include "support/temp_dir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

using namespace workflow;

namespace {

void makePicture(const QString &path, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    ASSERT_TRUE(image.save(path, "PNG"));
}

} // namespace

TEST(ParallelConversion, ConvertsEveryJobAndReportsEachOnce)
{
    TempDir dir;
    std::vector<ConversionJob> jobs;
    for (int i = 0; i < 12; ++i) {
        const QString source = dir.file(QStringLiteral("p%1.png").arg(i));
        makePicture(source, 64 + i, 48);
        jobs.push_back({source, dir.file(QStringLiteral("o%1.jpg").arg(i)), {20 + i, 10, true}});
    }
    QFile(dir.file("broken.png")).open(QIODevice::WriteOnly);
    jobs.push_back({dir.file("broken.png"), dir.file("o-broken.png"), {10, 10, true}});

    std::mutex mutex;
    std::vector<int> reported(jobs.size(), 0);
    const auto results = convertInParallel(jobs, {3, 0xFFFFFF, {}}, [&](std::size_t i, const ConversionResult &) {
                             std::lock_guard lock(mutex);
                             ++reported[i];
                         }).results;
    ASSERT_EQ(results.size(), jobs.size());
    for (std::size_t i = 0; i + 1 < jobs.size(); ++i) {
        ASSERT_TRUE(results[i]) << i;
        EXPECT_EQ(results[i]->status, ConversionStatus::Converted) << i;
        const imaging::PictureSize fitted = imaging::fitIntoBox({64 + int(i), 48}, jobs[i].box);
        EXPECT_EQ(QImage(jobs[i].target).size(), QSize(fitted.Width, fitted.Height)) << i;
        EXPECT_EQ(results[i]->target, fitted) << i;
    }
    // An empty file states no size to fit.
    ASSERT_TRUE(results.back());
    EXPECT_EQ(results.back()->status, ConversionStatus::NoSize);
    EXPECT_EQ(reported, std::vector<int>(jobs.size(), 1));
}

TEST(ParallelConversion, StopStartsNoNewJobs)
{
    TempDir dir;
    std::vector<ConversionJob> jobs;
    for (int i = 0; i < 6; ++i) {
        const QString source = dir.file(QStringLiteral("p%1.png").arg(i));
        makePicture(source, 40, 40);
        jobs.push_back({source, dir.file(QStringLiteral("o%1.png").arg(i)), {10, 10, false}});
    }
    std::atomic<bool> stop{false};
    int finished = 0;
    const auto results = convertInParallel(
                             jobs, {1, 0xFFFFFF, {}},
                             [&](std::size_t, const ConversionResult &) {
                                 if (++finished == 2)
                                     stop = true;
                             },
                             &stop)
                             .results;
    ASSERT_EQ(results.size(), 6u);
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].has_value(), i < 2) << i;
        EXPECT_TRUE(!results[i] || results[i]->converted()) << i;
    }
    EXPECT_FALSE(QFile::exists(dir.file("o2.png")));
}

TEST(ParallelConversion, LargestFilesStartFirstAndResultsComeInListOrderOrAsTheyEnd)
{
    TempDir dir;
    std::vector<ConversionJob> jobs;
    const int sides[] = {20, 90, 40, 160, 60};
    const int kLargestFirst[] = {160, 90, 60, 40, 20};
    for (int i = 0; i < 5; ++i) {
        const QString source = dir.file(QStringLiteral("p%1.png").arg(i));
        // Noise, so that the files grow with their pixels.
        QImage image(sides[i], sides[i], QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < sides[i]; ++y) {
            for (int x = 0; x < sides[i]; ++x) {
                seed = seed * 1664525u + 1013904223u;
                image.setPixel(x, y, seed >> 8);
            }
        }
        ASSERT_TRUE(image.save(source, "PNG"));
        jobs.push_back({source, dir.file(QStringLiteral("o%1.png").arg(i)), 10, 10});
    }
    for (int workers : {2, 1}) {
        std::vector<std::size_t> reported;
        convertInParallel(jobs, {workers, 0xFFFFFF, {}},
                          [&](std::size_t i, const ConversionResult &) { reported.push_back(i); });
        EXPECT_EQ(reported, (std::vector<std::size_t>{0, 1, 2, 3, 4})) << workers;
    }
    // For a progress bar, as each ends: one worker ends them largest first.
    std::vector<std::size_t> asTheyEnd;
    ConversionOptions asTheyEndOptions{1, 0xFFFFFF, {}};
    asTheyEndOptions.resultsInListOrder = false;
    convertInParallel(jobs, asTheyEndOptions, [&](std::size_t i, const ConversionResult &) { asTheyEnd.push_back(i); });
    EXPECT_EQ(asTheyEnd, (std::vector<std::size_t>{3, 1, 4, 2, 0}));
    // One at a time, stopped once the first n pictures were handed to the
    // worker: those n are the largest.
    for (std::size_t n : {1u, 2u, 3u}) {
        std::atomic<bool> stop{false};
        std::size_t sent = 0;
        ConversionOptions options{1, 0xFFFFFF, {}};
        options.worker.pictureSent = [&](pid_t) {
            if (++sent == n)
                stop = true;
        };
        const auto results = convertInParallel(jobs, options, {}, &stop).results;
        std::vector<int> started;
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (results[i])
                started.push_back(sides[i]);
        }
        std::sort(started.rbegin(), started.rend());
        EXPECT_EQ(started, std::vector<int>(std::begin(kLargestFirst), std::begin(kLargestFirst) + n)) << n;
    }
}
