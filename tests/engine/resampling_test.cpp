// The geometry and the kernels of the resize, against exact values and
// against Pillow's resize of the same pictures (pillow_resize.py: Lanczos3
// where a direction shrinks, Catmull-Rom where it grows). The program grows
// pictures with LBB, Catmull-Rom held within its neighbours, so it parts from
// Pillow where Catmull-Rom overshoots a hard edge.
#include "client/save_scaled_picture.h"

#include "platform/colour.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <gtest/gtest.h>

using vips::VImage;

namespace {

VImage as(const VImage &pixels, VipsInterpretation interpretation = VIPS_INTERPRETATION_B_W,
          VipsBandFormat format = VIPS_FORMAT_UCHAR)
{
    return pixels.cast(format).copy(VImage::option()->set("interpretation", interpretation));
}

// The picture as the program converts it, in a worker of its own or in one
// the caller keeps for many pictures.
// Written as PNG, or as `extension` says (BMP holds no alpha: transparency
// lands on the button face).
VImage converted(imaging::ConversionWorker &worker, const QString &source, int width, int height,
                 const QString &extension = "png")
{
    TempDir dir;
    const platform::ColourValue buttonFace = platform::rgbValue(236, 233, 216);
    const QString target = dir.file("out." + extension);
    EXPECT_TRUE(imaging::convertPicture(worker, source, target, width, height, buttonFace).converted());
    return testpics::load(target);
}

VImage converted(const QString &source, int width, int height)
{
    imaging::ConversionWorker worker;
    return converted(worker, source, width, height);
}

} // namespace

TEST(Resampling, ADirectionThatKeepsItsSizeIsCopiedAndCentresStayAligned)
{
    TempDir dir;
    // 1000 x 20 rows, alternately black and white, grown in width only: every
    // row stays black or white.
    testpics::save(as(VImage::xyz(1000, 20)[1] % 2 * 255), dir.file("rows.png"), ".png");
    const VImage rows = as(VImage::xyz(1024, 20)[1] % 2 * 255);
    const VImage wide = converted(dir.file("rows.png"), 1024, 20);
    EXPECT_EQ(testpics::difference(wide, rows).largest, 0);

    // A one-pixel black frame around 100 x 100 grown to 101 x 101 stays on all
    // four edges; half a pixel off, the bottom and right ones came out 123.
    testpics::save(as((VImage::black(98, 98) + 255).embed(1, 1, 100, 100)), dir.file("frame.png"), ".png");
    const VImage frame = converted(dir.file("frame.png"), 101, 101);
    EXPECT_EQ(frame.crop(0, 0, 101, 1).max() + frame.crop(0, 100, 101, 1).max(), 0);
    EXPECT_EQ(frame.crop(0, 0, 1, 101).max() + frame.crop(100, 0, 1, 101).max(), 0);
    EXPECT_EQ(frame.crop(2, 2, 97, 97).min(), 255);

    // A step from 64 to 192 grows without ringing: never past either side,
    // rising all the way.
    testpics::save(as((VImage::xyz(10, 4)[0] < 5).ifthenelse(64, 192)), dir.file("step.png"), ".png");
    const VImage step = converted(dir.file("step.png"), 37, 4);
    for (int x = 0; x < 37; ++x) {
        EXPECT_GE(step.getpoint(x, 2)[0], x == 0 ? 64 : step.getpoint(x - 1, 2)[0]) << x;
        EXPECT_LE(step.getpoint(x, 2)[0], 192) << x;
    }
}

TEST(Resampling, PhotosLinesAndTransparencyComeOutAsPillowResizesThem)
{
    TempDir dir;
    // A real photo from Debian's gdk-pixbuf-tests, decoded once into a PNG so
    // that both sides resize the same pixels; and as a JPEG of 1279 x 855,
    // whose last 7 columns and rows are a partial block of libjpeg's reduced
    // decode, which the target must span.
    const VImage photo = testpics::load("/usr/libexec/installed-tests/gdk-pixbuf/bug725582-testrotate.jpg");
    testpics::save(photo, dir.file("photo.png"), ".png[strip]");
    testpics::save(photo.resize(2.0).crop(0, 0, 1279, 855), dir.file("odd.jpg"), ".jpg[Q=95,strip]");
    // White and a grey half, black one-pixel lines every 7 columns and 11
    // rows, and a one-pixel frame.
    const VImage xy = VImage::xyz(300, 200);
    const VImage lines = (xy[0] % 7 == 0) | (xy[1] % 11 == 0) | (xy[0] == 299) | (xy[1] == 199);
    testpics::save(as(lines.ifthenelse(0, (xy[0] > 150).ifthenelse(128, 255))), dir.file("lines.png"), ".png");
    // Opaque white beside transparent red (black in the palette formats), in
    // each kind of source with alpha.
    const VImage rgba = as((VImage::xyz(64, 32)[0] < 32)
                               .ifthenelse(std::vector<double>{255, 255, 255, 255}, std::vector<double>{255, 0, 0, 0}),
                           VIPS_INTERPRETATION_sRGB);
    testpics::save(rgba, dir.file("rgba.png"), ".png");
    testpics::save(as(rgba * 257, VIPS_INTERPRETATION_RGB16, VIPS_FORMAT_USHORT), dir.file("rgba16.png"), ".png");
    testpics::save(rgba, dir.file("palette.png"), ".png[palette]");
    testpics::save(as(rgba[1].bandjoin(rgba[3])), dir.file("grey.png"), ".png");
    testpics::save(rgba, dir.file("clear.gif"), ".gif");

    // The largest difference, the mean, and the largest away from a 3-pixel
    // edge, where libvips repeats the edge pixels under its kernel and Pillow
    // leaves them out.
    struct Case {
        const char *source;
        std::vector<std::pair<int, int>> sizes;
        double largest, mean, inner;
    };
    const std::vector<std::pair<int, int>> clearSizes{{50, 32}, {64, 20}, {40, 20}, {100, 32}, {64, 45}};
    const std::vector<Case> cases{
        // Reductions are exact but for the last rounding.
        {"photo.png", {{301, 157}, {640, 200}, {200, 428}, {37, 23}}, 2, 0.25, 2},
        {"photo.png", {{1000, 700}, {1280, 428}, {641, 429}, {300, 600}}, 24, 0.75, 24},
        // Decoded at 1/4 and 1/2 (twice the target left), the partial last
        // blocks kept and libjpeg's averaging undone: within 6 levels of
        // Pillow's reduction of the full decode (64 when the decode went to
        // 1/8 and dropped the partial blocks).
        {"odd.jpg", {{159, 106}, {150, 100}, {320, 214}}, 8, 0.5, 8},
        {"lines.png", {{120, 80}, {300, 37}, {13, 200}, {97, 61}}, 20, 1.5, 5},
        // Catmull-Rom overshoots each line by up to 28 levels.
        {"lines.png", {{750, 500}, {301, 200}, {300, 517}, {120, 450}}, 32, 5, 32},
        // Premultiplied, the hidden red weighs nothing whichever way is resampled.
        {"rgba.png", clearSizes, 3, 0.1, 3},
        {"rgba16.png", clearSizes, 3, 0.1, 3},
        {"palette.png", clearSizes, 3, 0.1, 3},
        {"grey.png", clearSizes, 3, 0.1, 3},
        {"clear.gif", clearSizes, 3, 0.1, 3},
    };
    imaging::ConversionWorker worker;
    for (const Case &c : cases) {
        // Pillow's reference lies over the button face: a picture with alpha
        // is compared as BMP, which lays it there too.
        const QString extension = testpics::load(dir.file(c.source)).has_alpha() ? "bmp" : "png";
        for (auto [width, height] : c.sizes) {
            const VImage ours = converted(worker, dir.file(c.source), width, height, extension);
            const VImage pillow = testpics::pillowResize(dir.file(c.source), width, height);
            const testpics::Difference all = testpics::difference(ours, pillow);
            EXPECT_LE(all.largest, c.largest) << c.source << " " << width << " x " << height;
            EXPECT_LE(all.mean, c.mean) << c.source << " " << width << " x " << height;
            EXPECT_LE(testpics::difference(ours, pillow, 3).largest, c.inner)
                << c.source << " " << width << " x " << height;
        }
    }
}
