#include "workflow/target_sizes.h"

#include <gtest/gtest.h>

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
