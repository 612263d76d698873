#include "workflow/parallel_conversion.h"

#include "support/temp_dir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

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
