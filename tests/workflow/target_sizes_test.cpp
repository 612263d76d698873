#include "workflow/target_sizes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using workflow::ComputeTargetSizes;
using workflow::fitTargetSize;
using workflow::TargetSize;

namespace workflow {
inline void PrintTo(const TargetSize &s, std::ostream *os) { *os << s.width << " x " << s.height; }
} // namespace workflow

TEST(TargetSizes, FitsIntoTheLimitsRoundingHalvesToEven)
{
    EXPECT_EQ(fitTargetSize(1600, 1200, 425, 321, false), (TargetSize{425, 319}));
    EXPECT_EQ(fitTargetSize(2000, 2000, 425, 321, false), (TargetSize{321, 321}));
    EXPECT_EQ(fitTargetSize(100, 50, 425, 321, false), (TargetSize{100, 50}));
    EXPECT_EQ(fitTargetSize(100, 50, 425, 321, true), (TargetSize{425, 212}));
    // 425 x 212 is too high; the correction starts from the rounded 212.
    EXPECT_EQ(fitTargetSize(1000, 500, 425, 100, false), (TargetSize{200, 100}));
    EXPECT_EQ(fitTargetSize(2000, 1000, 1024, 1024, false), (TargetSize{1024, 512}));
    EXPECT_EQ(fitTargetSize(300, 200, 1024, 1024, true), (TargetSize{1024, 683}));
    EXPECT_EQ(fitTargetSize(500, 1000, 1024, 300, false), (TargetSize{150, 300}));
    for (bool enlarge : {false, true})
        EXPECT_EQ(fitTargetSize(425, 321, 425, 321, enlarge), (TargetSize{425, 321}));
}

TEST(TargetSizes, NoSizeStaysNoSizeAndThinPicturesKeepAPixel)
{
    for (bool enlarge : {false, true}) {
        EXPECT_EQ(fitTargetSize(0, 0, 1024, 768, enlarge), (TargetSize{0, 0}));
        EXPECT_EQ(fitTargetSize(640, 0, 1024, 768, enlarge), (TargetSize{0, 0}));
        EXPECT_EQ(fitTargetSize(640, 480, 0, 768, enlarge), (TargetSize{0, 0}));
    }
    EXPECT_EQ(fitTargetSize(1, 5000, 1024, 768, false), (TargetSize{1, 768}));
    EXPECT_EQ(fitTargetSize(70000, 3, 1024, 768, false), (TargetSize{1024, 1}));
}

TEST(TargetSizes, OneRowPerWorkItemInOrder)
{
    const workflow::TargetSizeTable table
        = ComputeTargetSizes({{"a", {1600, 1200}}, {"b", {0, 0}}, {"c", {100, 50}}, {"d", {640, 0}}}, 425, 321, true);
    EXPECT_EQ(table, (workflow::TargetSizeTable{{425, 319}, {0, 0}, {425, 212}, {0, 0}}));
    EXPECT_TRUE(ComputeTargetSizes({}, 425, 321, true).empty());
}

TEST(TargetSizes, RandomSizesKeepEveryPromise)
{
    std::mt19937 random(20240607);
    auto side = [&] { return std::int32_t(std::uniform_int_distribution<int>(1, 1 << (random() % 17 + 1))(random)); };
    for (int i = 0; i < 200000; ++i) {
        const std::int32_t w = side(), h = side();
        const std::int32_t lw = std::uniform_int_distribution<int>(1, 1024)(random);
        const std::int32_t lh = std::uniform_int_distribution<int>(1, 1024)(random);
        const bool enlarge = random() % 2;
        const TargetSize t = fitTargetSize(w, h, lw, lh, enlarge);
        SCOPED_TRACE(testing::Message() << w << "x" << h << " into " << lw << "x" << lh << " enlarge " << enlarge);

        ASSERT_GE(t.width, 1);
        ASSERT_GE(t.height, 1);
        if (!enlarge && w <= lw && h <= lh) {
            ASSERT_EQ(t, (TargetSize{w, h}));
            continue;
        }
        ASSERT_LE(t.width, lw);
        ASSERT_LE(t.height, lh);
        ASSERT_TRUE(t.width == lw || t.height == lh);
        if (!enlarge) {
            ASSERT_TRUE(t.width <= w && t.height <= h);
        }
        // Some scale k puts both sides within a pixel: |tw - k w| <= 1, |th - k h| <= 1.
        const std::int64_t tw = t.width, th = t.height;
        ASSERT_LE((tw - 1) * h, (th + 1) * w);
        ASSERT_LE((th - 1) * w, (tw + 1) * h);
    }
}

namespace {

// The reference rules, worked out apart from the fitting: the longer side
// becomes n and the shorter follows, rounded half to even; a scale multiplies
// both sides in long double, exact for these sizes, rounded the same way
// (nearbyint in the default rounding mode).
TargetSize longEdgeReference(std::int32_t w, std::int32_t h, std::int32_t n, bool enlarge)
{
    if (!enlarge && std::max(w, h) <= n)
        return {w, h};
    auto follow = [n](std::int32_t shorter, std::int32_t longer) {
        return std::max<std::int32_t>(1, std::int32_t(std::nearbyintl((long double)n * shorter / longer)));
    };
    return w > h ? TargetSize{n, follow(h, w)} : TargetSize{follow(w, h), n};
}

TargetSize scaleReference(std::int32_t w, std::int32_t h, std::int64_t millionths)
{
    auto side = [millionths](std::int32_t s) {
        return std::max<std::int32_t>(1, std::int32_t(std::nearbyintl((long double)s * millionths / 1e6L)));
    };
    return {side(w), side(h)};
}

} // namespace

TEST(TargetSizes, LongEdgeAndScaleFollowTheReferenceAtOddSizes)
{
    // The long edge is a square box of that side.
    auto longEdge = [](std::int32_t w, std::int32_t h, std::int32_t n, bool enlarge) {
        return fitTargetSize(w, h, imaging::FitBox{n, n, enlarge});
    };
    auto scaled = [](std::int32_t w, std::int32_t h, std::int64_t millionths, bool enlarge) {
        return fitTargetSize(
            w, h, imaging::FitBox{workflow::kMaxBatchSizeLimit, workflow::kMaxBatchSizeLimit, enlarge, millionths});
    };
    // A 3000 px box on a 6000 x 4000 photo, either way round.
    EXPECT_EQ(fitTargetSize(6000, 4000, {3000, 3000, false}), (TargetSize{3000, 2000}));
    EXPECT_EQ(fitTargetSize(4000, 6000, {3000, 3000, false}), (TargetSize{2000, 3000}));
    EXPECT_EQ(longEdge(6000, 4000, 3000, false), (TargetSize{3000, 2000}));
    // Halves go to the even neighbour: 5 x 3 at 50 % is 2.5 x 1.5.
    EXPECT_EQ(scaled(5, 3, 500'000, false), (TargetSize{2, 2}));
    EXPECT_EQ(scaled(7, 1, 500'000, false), (TargetSize{4, 1})); // 3.5 -> 4, 0.5 -> 1 (never below 1)
    EXPECT_EQ(scaled(1001, 999, 125'000, false), (TargetSize{125, 125}));
    // Above 100 % only with enlarge; beyond the largest side, fitted into it.
    EXPECT_EQ(scaled(301, 201, 1'500'000, false), (TargetSize{301, 201}));
    EXPECT_EQ(scaled(301, 201, 1'500'000, true), (TargetSize{452, 302})); // 451.5 -> 452, 301.5 -> 302
    EXPECT_EQ(scaled(12001, 3001, 2'000'000, true), (TargetSize{16383, 4097}));
    EXPECT_EQ(longEdge(16383, 1, 16383, true), (TargetSize{16383, 1}));

    std::mt19937 random(20261207);
    for (int i = 0; i < 100000; ++i) {
        // Odd sides, where halves and thin pictures show.
        const std::int32_t w = std::uniform_int_distribution<int>(0, 20000)(random) * 2 + 1;
        const std::int32_t h = std::uniform_int_distribution<int>(0, 20000)(random) * 2 + 1;
        const std::int32_t n = std::uniform_int_distribution<int>(1, workflow::kMaxBatchSizeLimit)(random);
        const bool enlarge = random() % 2;
        SCOPED_TRACE(testing::Message() << w << "x" << h << " n " << n << " enlarge " << enlarge);
        ASSERT_EQ(longEdge(w, h, n, enlarge), longEdgeReference(w, h, n, enlarge));
        // Percentages with up to four decimals, 0.0001 % to 1000 %.
        const std::int64_t millionths = std::uniform_int_distribution<std::int64_t>(1, 10'000'000)(random);
        const TargetSize expected
            = scaleReference(w, h, enlarge ? millionths : std::min<std::int64_t>(millionths, 1'000'000));
        const TargetSize got = scaled(w, h, millionths, enlarge);
        if (expected.width <= workflow::kMaxBatchSizeLimit && expected.height <= workflow::kMaxBatchSizeLimit)
            ASSERT_EQ(got, expected);
        else
            ASSERT_EQ(got, fitTargetSize(w, h, workflow::kMaxBatchSizeLimit, workflow::kMaxBatchSizeLimit, true));
    }
}
