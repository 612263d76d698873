// Exact sizes made by the worker, pixel by pixel: fill, pad and stretch of
// real photos against Pillow's ImageOps, and every output of a picture in its
// own exact box.
#include "client/save_scaled_picture.h"

#include "engine/vips_runtime.h"
#include "support/programs.h"
#include "support/temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vips/vips8>

using namespace imaging;

namespace {

struct ModeCase {
    BoxFit fit;
    const char *name;
};

constexpr ModeCase kModes[] = {{BoxFit::Fill, "fill"}, {BoxFit::Pad, "pad"}, {BoxFit::Stretch, "stretch"}};

QString colourText(std::uint32_t rgb) { return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')); }

} // namespace

TEST(ExactSizeConversion, EachModeMatchesPillowsImageOpsOnRealPhotos)
{
    TempDir dir;
    const char *photos[] = {"/usr/share/backgrounds/Fossa_by_Jasper_Roks.jpg",
                            "/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg"};
    struct Box {
        int width, height;
        Anchor anchor;
    };
    // Forms' photo sizes, a wide banner, and anchors on both axes.
    const Box boxes[] = {{295, 413, Anchor::Centre}, {413, 579, Anchor::Top}, {480, 160, Anchor::BottomRight},
                         {150, 200, Anchor::Left}};
    ConversionWorker worker;
    for (const char *photo : photos) {
        for (const ModeCase &mode : kModes) {
            for (const Box &b : boxes) {
                FitBox box{b.width, b.height, false};
                box.fit = mode.fit;
                box.anchor = b.anchor;
                box.padColour = 0x2080C0;
                const QString target = dir.file(QStringLiteral("%1-%2x%3.png").arg(mode.name).arg(b.width).arg(b.height));
                const ConversionResult result = convertPicture(worker, photo, target, box, 0);
                ASSERT_TRUE(result.converted()) << photo << ' ' << mode.name << ' ' << result.detail.toStdString();
                EXPECT_EQ(result.target, (PictureSize{b.width, b.height}));
                const QStringList said
                    = runProgram(PILLOW_EXACT_PIXELS,
                                 {photo, target, mode.name, QString::number(b.width), QString::number(b.height),
                                  QString::number(horizontalHalves(b.anchor)), QString::number(verticalHalves(b.anchor)),
                                  colourText(box.padColour)})
                          .split(' ');
                ASSERT_EQ(said.size(), 2);
                EXPECT_EQ(said[0], "1") << mode.name;
                // Two Lanczos resamplers of one decode; a crop or border one
                // pixel off, or a wrong colour, costs far more.
                EXPECT_GT(said[1].toDouble(), 30.0)
                    << photo << ' ' << mode.name << ' ' << b.width << 'x' << b.height << " anchor " << int(b.anchor);
            }
        }
    }
}

TEST(ExactSizeConversion, EveryOutputOfAPictureTakesItsOwnBoxAndPadBordersAreThePadColour)
{
    ASSERT_TRUE(ensureVipsStarted());
    TempDir dir;
    // A red picture, wider than tall: padded into tall boxes it gets
    // borders above and below.
    const QString source = dir.file("red.png");
    vips::VImage::black(300, 100, vips::VImage::option()->set("bands", 3))
        .linear({1.0, 1.0, 1.0}, {200.0, 10.0, 10.0})
        .cast(VIPS_FORMAT_UCHAR)
        .pngsave(source.toUtf8().constData());
    std::vector<SizedTarget> targets;
    for (const auto &[w, h] : {std::pair{100, 100}, {60, 90}, {240, 120}}) {
        FitBox box{w, h, false};
        box.fit = BoxFit::Pad;
        box.anchor = Anchor::Top;
        box.padColour = 0x00FF00;
        targets.push_back({dir.file(QStringLiteral("pad-%1x%2.png").arg(w).arg(h)), box});
    }
    FitBox fill{40, 40, false};
    fill.fit = BoxFit::Fill;
    targets.push_back({dir.file("fill.png"), fill});

    ConversionWorker worker;
    const ConversionResult result = convertPictureSizes(worker, source, targets, 0);
    ASSERT_TRUE(result.converted()) << result.detail.toStdString();
    ASSERT_EQ(result.sizes.size(), targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const vips::VImage made = vips::VImage::new_from_file(targets[i].path.toUtf8().constData());
        EXPECT_EQ(made.width(), targets[i].box.width);
        EXPECT_EQ(made.height(), targets[i].box.height);
        EXPECT_EQ(result.sizes[i].target, (PictureSize{targets[i].box.width, targets[i].box.height}));
        // The picture at the top, the border at the bottom in the pad colour.
        const std::vector<double> top = made.getpoint(made.width() / 2, 0);
        const std::vector<double> bottom = made.getpoint(made.width() / 2, made.height() - 1);
        EXPECT_NEAR(top[0], 200, 2) << i;
        EXPECT_NEAR(top[1], 10, 2) << i;
        if (targets[i].box.fit == BoxFit::Pad) {
            EXPECT_EQ(bottom, (std::vector<double>{0, 255, 0})) << i;
        } else {
            EXPECT_NEAR(bottom[0], 200, 2) << i;
        }
    }
}
