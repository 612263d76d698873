// Transparency through the whole conversion (a real worker, the check of its
// reply): kept in every output format that holds alpha, laid over the chosen
// background in those that do not, and never bleeding the colour of a
// transparent pixel into its neighbours when resampled.
#include "client/conversion_worker.h"
#include "client/save_scaled_picture.h"
#include "engine/vips_runtime.h"
#include "platform/colour.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using imaging::BoxFit;
using imaging::ConversionResult;
using imaging::ConversionWorker;
using imaging::FitBox;
using vips::VImage;

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 20;

// Left half opaque red; right half blue at alpha 128 above, and green at
// alpha 0 below.
VImage translucent()
{
    const VImage x = VImage::xyz(kWidth, kHeight)[0];
    const VImage y = VImage::xyz(kWidth, kHeight)[1];
    const VImage left = x < kWidth / 2;
    const VImage top = y < kHeight / 2;
    const VImage red = left.ifthenelse(255, 0);
    const VImage green = left.ifthenelse(0, top.ifthenelse(0, 255));
    const VImage blue = left.ifthenelse(0, top.ifthenelse(255, 0));
    const VImage alpha = left.ifthenelse(255, top.ifthenelse(128, 0));
    return VImage::bandjoin({red, green, blue, alpha})
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

std::vector<double> at(const VImage &picture, int x, int y) { return picture.getpoint(x, y); }

class AlphaOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(imaging::ensureVipsStarted());
        dir = new TempDir;
        worker = new ConversionWorker;
        testpics::save(translucent(), file("translucent.png"), ".png");
    }
    static void TearDownTestSuite()
    {
        delete worker;
        delete dir;
    }
    static QString file(const QString &name) { return dir->file(name); }

    static ConversionResult convert(const QString &target, const FitBox &box, platform::ColourValue background)
    {
        return imaging::convertPicture(*worker, file("translucent.png"), file(target), box, background);
    }

    static inline TempDir *dir = nullptr;
    static inline ConversionWorker *worker = nullptr;
};

TEST_F(AlphaOutput, FormatsWithAlphaKeepItAndTheOthersLayItOverTheBackground)
{
    const platform::ColourValue white = platform::rgbValue(255, 255, 255);
    const struct {
        const char *extension;
        double tolerance; // of each band, for the lossy coders
        bool alpha;
    } cases[] = {
        {"png", 0, true},   {"tif", 0, true},   {"tga", 0, true},    {"webp", 0, true},
        {"avif", 6, true},  {"heic", 6, true},  {"jxl", 4, true},    {"jpg", 4, false},
        {"bmp", 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.extension);
        const QString target = QStringLiteral("out.%1").arg(QLatin1String(c.extension));
        const ConversionResult result = convert(target, {kWidth, kHeight, false}, white);
        ASSERT_TRUE(result.converted()) << result.detail.toStdString();
        const VImage made = testpics::load(file(target));
        ASSERT_EQ(made.width(), kWidth);
        ASSERT_EQ(made.bands(), c.alpha ? 4 : 3);
        const std::vector<double> opaque = at(made, 5, 5);
        const std::vector<double> half = at(made, 30, 5);
        const std::vector<double> clear = at(made, 30, 15);
        auto expectNear = [&](const std::vector<double> &got, std::vector<double> want, const char *where) {
            for (std::size_t b = 0; b < want.size(); ++b)
                EXPECT_NEAR(got[b], want[b], c.tolerance) << where << " band " << b;
        };
        if (c.alpha) {
            expectNear(opaque, {255, 0, 0, 255}, "opaque");
            expectNear(half, {0, 0, 255, 128}, "half");
            // Where nothing shows, only the alpha matters.
            EXPECT_NEAR(clear[3], 0, c.tolerance) << "clear";
        } else {
            expectNear(opaque, {255, 0, 0}, "opaque");
            // Blue at half over white.
            expectNear(half, {127, 127, 255}, "half");
            expectNear(clear, {255, 255, 255}, "clear");
        }
    }
}

// A lossy source gives a lossy WebP, whose alpha is a chunk of its own.
TEST_F(AlphaOutput, LossyWebpKeepsItsAlphaChunk)
{
    QProcess cwebp;
    cwebp.start("cwebp", {"-quiet", "-q", "80", "-exact", file("translucent.png"), "-o", file("lossy.webp")});
    ASSERT_TRUE(cwebp.waitForFinished(60000));
    ASSERT_EQ(cwebp.exitCode(), 0);
    const ConversionResult result
        = imaging::convertPicture(*worker, file("lossy.webp"), file("lossy-out.webp"), {kWidth, kHeight, false}, 0);
    ASSERT_TRUE(result.converted()) << result.detail.toStdString();
    const VImage made = testpics::load(file("lossy-out.webp"));
    ASSERT_EQ(made.bands(), 4);
    EXPECT_EQ(at(made, 5, 5)[3], 255);
    EXPECT_NEAR(at(made, 30, 5)[3], 128, 2);
    EXPECT_EQ(at(made, 30, 15)[3], 0);
    EXPECT_NEAR(at(made, 30, 5)[2], 255, 8);
}

TEST_F(AlphaOutput, GifMarksWhatIsLessThanHalfOpaqueTransparentAndLaysTheRestOverTheBackground)
{
    ASSERT_TRUE(convert("out.gif", {kWidth, kHeight, false}, platform::rgbValue(255, 255, 255)).converted());
    const VImage made = testpics::load(file("out.gif"));
    ASSERT_EQ(made.bands(), 4);
    const std::vector<double> opaque = at(made, 5, 5), half = at(made, 30, 5), clear = at(made, 30, 15);
    EXPECT_EQ(opaque[3], 255);
    EXPECT_NEAR(opaque[0], 255, 8);
    EXPECT_EQ(half[3], 255);
    EXPECT_NEAR(half[0], 127, 12);
    EXPECT_NEAR(half[2], 255, 12);
    EXPECT_EQ(clear[3], 0);
}

TEST_F(AlphaOutput, AnOpaquePictureGetsNoAlphaChannelAndPadBordersStayOpaque)
{
    testpics::save(testpics::quadrants(32, 32).bandjoin(255).copy(VImage::option()->set(
                       "interpretation", VIPS_INTERPRETATION_sRGB)),
                   file("opaque.png"), ".png");
    ASSERT_TRUE(imaging::convertPicture(*worker, file("opaque.png"), file("opaque-out.png"), {16, 16, false}, 0)
                    .converted());
    EXPECT_EQ(testpics::load(file("opaque-out.png")).bands(), 3);

    // The translucent picture padded into a tall box: borders above and
    // below in the pad colour, opaque; the picture between keeps its alpha.
    FitBox box{40, 60, false};
    box.fit = BoxFit::Pad;
    box.padColour = 0x00FF00;
    ASSERT_TRUE(convert("padded.png", box, 0).converted());
    const VImage made = testpics::load(file("padded.png"));
    ASSERT_EQ(made.height(), 60);
    ASSERT_EQ(made.bands(), 4);
    EXPECT_EQ(at(made, 30, 2)[3], 255);
    EXPECT_EQ(at(made, 30, 57)[3], 255);
    EXPECT_EQ(at(made, 30, 20 + 15)[3], 0);
    EXPECT_NEAR(at(made, 30, 20 + 5)[3], 128, 1);
}

// An opaque red area beside a transparent green one: resampled either way,
// no pixel that shows anything takes any green from the transparent side.
TEST_F(AlphaOutput, ResamplingLetsNoColourOfTransparentPixelsBleed)
{
    const VImage x = VImage::xyz(24, 12)[0];
    const VImage left = x < 12;
    const VImage edge = VImage::bandjoin({left.ifthenelse(255, 0), left.ifthenelse(0, 255), VImage::black(24, 12),
                                          left.ifthenelse(255, 0)})
                            .cast(VIPS_FORMAT_UCHAR)
                            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    testpics::save(edge, file("edge.png"), ".png");
    for (const auto &[w, h] : {std::pair{97, 31}, {9, 5}, {50, 7}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        FitBox box{w, h, true};
        box.fit = BoxFit::Stretch;
        const QString target = QStringLiteral("edge-%1x%2.png").arg(w).arg(h);
        const ConversionResult result = imaging::convertPicture(*worker, file("edge.png"), file(target), box, 0);
        ASSERT_TRUE(result.converted()) << result.detail.toStdString();
        const VImage made = testpics::load(file(target));
        ASSERT_EQ(made.bands(), 4);
        ASSERT_EQ(made.width(), w);
        bool translucentEdge = false;
        for (int py = 0; py < h; ++py) {
            for (int px = 0; px < w; ++px) {
                const std::vector<double> p = at(made, px, py);
                if (p[3] == 0)
                    continue;
                translucentEdge |= p[3] < 255;
                EXPECT_LE(p[1], 1) << "at " << px << ", " << py << " alpha " << p[3];
                EXPECT_GE(p[0], 254) << "at " << px << ", " << py << " alpha " << p[3];
            }
        }
        EXPECT_TRUE(translucentEdge) << "the edge was not resampled";
    }
}

} // namespace
