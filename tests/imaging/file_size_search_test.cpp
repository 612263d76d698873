// Aiming at a file-size range: over a model encoder whose bytes grow with the
// quality and the pixels (checked against every quality and size tried by
// brute force), and over the program's own JPEG and WebP encoders on photos.
#include "imaging/file_size_search.h"

#include "engine/codecs/encode_picture.h"
#include "imaging/fit_into_box.h"
#include "engine/vips_runtime.h"

#include <QDir>

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

using namespace imaging;

namespace {

// Bytes that grow steeply near the top quality, as a JPEG's do, and about as the pixels.
std::int64_t modelBytes(int quality, PictureSize size)
{
    const double perPixel = 0.04 + 2.5 * std::pow(quality / 100.0, 4);
    return std::int64_t(600 + perPixel * size.Width * size.Height);
}

// Runs a search over the model, failing the test when a quality and size is encoded twice.
SizeSearchResult searchModel(const SizeSearch &search)
{
    std::set<std::pair<int, std::int64_t>> seen;
    return searchFileSize(search, [&](int quality, PictureSize size) -> std::optional<std::int64_t> {
        EXPECT_TRUE(seen.insert({quality, std::int64_t(size.Width) << 32 | size.Height}).second)
            << "encoded twice at " << quality;
        return modelBytes(quality, size);
    });
}

} // namespace

TEST(FileSizeSearch, ExactSizesGetTheBestQualityWithinTheCeilingAndNeverLeaveTheRange)
{
    int searches = 0, mostEncodes = 0;
    double allEncodes = 0;
    for (const PictureSize size : {PictureSize{295, 413}, {413, 579}, {1920, 1080}, {640, 480}})
        for (const std::int64_t ceiling : {5'000, 20'000, 50'000, 100'000, 300'000, 2'000'000})
            for (const std::int64_t floor : {0, 20'480, 51'200})
                for (const int top : {100, 90, 75}) {
                    if (floor > ceiling)
                        continue;
                    const ByteRange range{floor, ceiling};
                    const SizeSearchResult result = searchModel({range, size, top, true, false});
                    // Brute force: the best quality at or below the top whose file is in the range.
                    int best = 0;
                    for (int q = top; q >= 1 && !best; --q)
                        if (modelBytes(q, size) <= ceiling)
                            best = q;
                    SCOPED_TRACE(std::to_string(size.Width) + "x" + std::to_string(size.Height) + " within " +
                                 std::to_string(floor) + ".." + std::to_string(ceiling) + " from " +
                                 std::to_string(top));
                    EXPECT_EQ(result.size, size); // an exact size never changes
                    if (best && modelBytes(best, size) >= floor) {
                        EXPECT_EQ(result.outcome, SizeSearchOutcome::Met);
                        EXPECT_EQ(result.quality, best);
                        EXPECT_EQ(result.bytes, modelBytes(best, size));
                    } else if (best) {
                        EXPECT_EQ(result.outcome, SizeSearchOutcome::TooSmall);
                        EXPECT_EQ(result.bytes, modelBytes(best, size)); // the largest under the ceiling
                    } else {
                        EXPECT_EQ(result.outcome, SizeSearchOutcome::TooLarge);
                        EXPECT_EQ(result.quality, 1);
                        EXPECT_EQ(result.bytes, modelBytes(1, size)); // the smallest there is
                    }
                    ++searches;
                    allEncodes += result.encodes;
                    mostEncodes = std::max(mostEncodes, result.encodes);
                }
    // Bisection alone needs 1 + 7; the search takes at most two more, and
    // fewer on the average.
    EXPECT_LE(mostEncodes, 10);
    EXPECT_LE(allEncodes / searches, 6.0);
}

TEST(FileSizeSearch, FittedPicturesShrinkOnlyOnceTheQualityReachesItsFloor)
{
    const PictureSize fitted{1024, 683};
    // 150 KB: reached by quality alone, not below the floor quality.
    const SizeSearchResult byQuality = searchModel({{0, 150'000}, fitted, 100, true, true});
    EXPECT_EQ(byQuality.outcome, SizeSearchOutcome::Met);
    EXPECT_EQ(byQuality.size, fitted);
    EXPECT_GE(byQuality.quality, kLowestFitQuality);
    EXPECT_LE(byQuality.bytes, 150'000);
    EXPECT_GT(modelBytes(byQuality.quality + 1, fitted), 150'000);

    // 20 KB: at quality 40 it is still too large, so the long edge is the
    // longest whose file fits.
    const SizeSearchResult bySize = searchModel({{0, 20'000}, fitted, 100, true, true});
    EXPECT_EQ(bySize.outcome, SizeSearchOutcome::Met);
    EXPECT_EQ(bySize.quality, kLowestFitQuality);
    EXPECT_LE(bySize.bytes, 20'000);
    EXPECT_LT(bySize.size.Width, fitted.Width);
    EXPECT_EQ(bySize.size, fitIntoBox(fitted, {bySize.size.Width, bySize.size.Width, false, 0}));
    const PictureSize longer = fitIntoBox(fitted, {bySize.size.Width + 1, bySize.size.Width + 1, false, 0});
    EXPECT_GT(modelBytes(kLowestFitQuality, longer), 20'000);
    EXPECT_LE(bySize.encodes, 16);

    // The same range for an exact size fails rather than change it, naming the smallest size made.
    const SizeSearchResult exact = searchModel({{0, 20'000}, fitted, 100, true, false});
    EXPECT_EQ(exact.outcome, SizeSearchOutcome::TooLarge);
    EXPECT_EQ(exact.size, fitted);
    EXPECT_TRUE(sizeSearchProblem(exact, {0, 20'000}).contains(QString::number(exact.bytes)));

    // Below 600 bytes there is nothing at any size.
    const SizeSearchResult never = searchModel({{0, 500}, fitted, 100, true, true});
    EXPECT_EQ(never.outcome, SizeSearchOutcome::TooLarge);
    EXPECT_EQ(never.size, (PictureSize{1, 1}));
}

TEST(FileSizeSearch, LosslessFormatsChangeOnlyTheDimensionsAndAFloorIsNeverReachedByEnlarging)
{
    // A lossless encoder: the quality does not matter.
    const auto lossless = [](int, PictureSize size) -> std::optional<std::int64_t> {
        return 100 + 3 * std::int64_t(size.Width) * size.Height;
    };
    const SizeSearchResult fitted = searchFileSize({{0, 300'000}, {1024, 683}, 100, false, true}, lossless);
    EXPECT_EQ(fitted.outcome, SizeSearchOutcome::Met);
    EXPECT_LE(fitted.bytes, 300'000);
    EXPECT_EQ(fitted.quality, 100);
    EXPECT_LT(fitted.size.Width, 1024);
    const SizeSearchResult exact = searchFileSize({{0, 300'000}, {1024, 683}, 100, false, false}, lossless);
    EXPECT_EQ(exact.outcome, SizeSearchOutcome::TooLarge);
    EXPECT_EQ(exact.encodes, 1);

    // Under the floor at the settings' own quality and size: one encode, and the reason names it.
    const SizeSearchResult small = searchModel({{20'480, 50'000}, {150, 200}, 40, true, false});
    EXPECT_EQ(small.outcome, SizeSearchOutcome::TooSmall);
    EXPECT_EQ(small.encodes, 1);
    EXPECT_TRUE(sizeSearchProblem(small, {20'480, 50'000}).contains(QString::number(small.bytes)));
    EXPECT_TRUE(sizeSearchProblem(small, {20'480, 50'000}).contains("20480"));

    // An encoder that fails ends the search.
    const SizeSearchResult failed =
        searchFileSize({{0, 1000}, {100, 100}, 90, true, false},
                       [](int quality, PictureSize) -> std::optional<std::int64_t> {
                           if (quality < 90)
                               return std::nullopt;
                           return 5000;
                       });
    EXPECT_EQ(failed.outcome, SizeSearchOutcome::EncodeFailed);
}

TEST(FileSizeSearch, RealJpegAndWebpFilesOfPhotosStayWithinTheRange)
{
    ASSERT_TRUE(ensureVipsStarted());
    const QStringList photos = QDir("/usr/share/backgrounds").entryList({"*.jpg"}, QDir::Files, QDir::Name);
    ASSERT_GE(photos.size(), 8);
    int searches = 0, met = 0;
    double allEncodes = 0;
    for (const QString &name : photos.mid(0, 8)) {
        const QString path = "/usr/share/backgrounds/" + name;
        // An exam photo, filled to 295 x 413, and a picture for sharing, fitted into 1024.
        const vips::VImage exam = vips::VImage::thumbnail(path.toUtf8().constData(), 295,
            vips::VImage::option()->set("height", 413)->set("crop", VIPS_INTERESTING_CENTRE)).copy_memory();
        const vips::VImage shared = vips::VImage::thumbnail(path.toUtf8().constData(), 1024).copy_memory();
        for (const OutputFormat format : {OutputFormat::Jpeg, OutputFormat::WebP})
            for (const auto &[picture, range, mayShrink] :
                 {std::tuple{exam, ByteRange{20'480, 50'000}, false}, {exam, ByteRange{0, 10'000}, false},
                  {shared, ByteRange{0, 100'000}, true}, {shared, ByteRange{0, 15'000}, true}}) {
                const PictureSize size{picture.width(), picture.height()};
                std::map<std::pair<int, int>, std::int64_t> made;
                const SizeSearchResult result =
                    searchFileSize({range, size, 100, true, mayShrink}, [&](int quality, PictureSize to) {
                        const vips::VImage scaled = to == size ? picture
                            : picture.resize(double(to.Width) / size.Width,
                                             vips::VImage::option()->set("vscale", double(to.Height) / size.Height));
                        const Result<QByteArray> bytes = encodePicture(scaled, format, quality);
                        EXPECT_TRUE(bytes) << bytes.failure().detail.toStdString() << " at " << to.Width << "x" << to.Height;
                        made[{quality, to.Width}] = bytes ? bytes->size() : 0;
                        return bytes ? std::optional<std::int64_t>(bytes->size()) : std::nullopt;
                    });
                SCOPED_TRACE(name.toStdString() + " " + std::to_string(int(format)) + " " +
                             std::to_string(range.floor) + ".." + std::to_string(range.ceiling));
                ++searches;
                allEncodes += result.encodes;
                // The bounds of the search: one encode, then 100 qualities (61
                // in a fitted picture) and 1024 long edges, each at most two
                // steps more than bisection.
                EXPECT_LE(result.encodes, mayShrink ? 1 + 8 + 12 : 1 + 9);
                EXPECT_EQ(made.size(), std::size_t(result.encodes));
                // What it chose is a file it made, in the range.
                EXPECT_EQ((made[{result.quality, result.size.Width}]), result.bytes);
                if (result.outcome == SizeSearchOutcome::Met) {
                    ++met;
                    EXPECT_LE(result.bytes, range.ceiling);
                    EXPECT_GE(result.bytes, range.floor);
                    if (!mayShrink) {
                        EXPECT_EQ(result.size, size);
                    }
                    // Nothing one quality higher at that size was made within the ceiling.
                    const auto above = made.find({result.quality + 1, result.size.Width});
                    if (above != made.end()) {
                        EXPECT_GT(above->second, range.ceiling);
                    }
                } else {
                    EXPECT_FALSE(sizeSearchProblem(result, range).isEmpty());
                }
            }
    }
    // Most of these ranges are reachable; a 10 KB exam photo of a detailed scene may not be.
    EXPECT_GE(met, searches * 3 / 4);
    EXPECT_LE(allEncodes / searches, 8.0);
}
