// Reduced JPEGs against an exact reduction: Pillow's Lanczos3 in floating
// point of the full decode, each direction at its own scale
// (pillow_resize.py). The program decodes JPEGs at a reduced scale first, so
// these check that nothing of the source is lost or softened on the way.
#include "client/save_scaled_picture.h"

#include "platform/colour.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

using vips::VImage;

namespace {

constexpr platform::ColourValue kBackground = platform::rgbValue(236, 233, 216);

// The mean absolute Laplacian of the luma: how much fine detail there is.
double detail(const VImage &picture)
{
    const VImage luma = picture.bands() >= 3 ? picture.colourspace(VIPS_INTERPRETATION_B_W) : picture;
    const VImage kernel = VImage::new_matrixv(3, 3, 0.0, -1.0, 0.0, -1.0, 4.0, -1.0, 0.0, -1.0, 0.0);
    const VImage sharp
        = luma.cast(VIPS_FORMAT_FLOAT).conv(kernel, VImage::option()->set("precision", VIPS_PRECISION_FLOAT));
    return sharp.crop(1, 1, picture.width() - 2, picture.height() - 2).abs().avg();
}

} // namespace

TEST(Fidelity, PhotosComeOutAsAFloatLanczosOfTheFullDecode)
{
    // Two of Debian's wallpapers (lomiri-wallpapers-16.04), into the
    // window's default box and into the largest one. Decoded at 1/8 or 1/4
    // with as little as 1.03 times left for Lanczos3, they came out 45 dB
    // from the reference and 6% softer.
    const QString photos[] = {"/usr/share/backgrounds/Picture_0B_by_freespace.jpg",
                              "/usr/share/backgrounds/aitzgorri_by_Aitzol_Berasategi.jpg"};
    const int boxes[][2] = {{425, 321}, {1024, 768}};
    TempDir dir;
    for (const QString &photo : photos) {
        ASSERT_TRUE(QFile::exists(photo)) << "lomiri-wallpapers-16.04 is not installed";
        const VImage source = testpics::load(photo);
        for (const auto &box : boxes) {
            const double scale = std::min(double(box[0]) / source.width(), double(box[1]) / source.height());
            const int width = int(std::lround(source.width() * scale));
            const int height = int(std::lround(source.height() * scale));
            ASSERT_TRUE(imaging::SaveScaledPicture(photo, dir.file("out.png"), width, height, kBackground));
            const VImage ours = testpics::load(dir.file("out.png"));
            const VImage reference = testpics::pillowResize(photo, width, height);
            const std::string what = photo.toStdString() + " " + std::to_string(width) + " x " + std::to_string(height);
            EXPECT_GE(testpics::psnr(ours, reference), 53.0) << what;
            EXPECT_NEAR(detail(ours) / detail(reference), 1.0, 0.02) << what;
        }
    }
}

TEST(Fidelity, EveryEdgeCountsWithAndWithoutShrinkOnLoad)
{
    // White pictures with a 5-pixel strip of colour along each side, at sizes
    // that leave libjpeg a partial block at the right and at the bottom,
    // reduced far enough for 1/4 and 1/2 decoding and too little for any.
    // Dropping the partial block, 120 x 120 showed white in the last column
    // where the reference shows (254, 110, 110). Chroma is kept whole
    // (4:4:4), as libjpeg's reduced decode handles subsampled chroma its own
    // way.
    TempDir dir;
    const int sizes[][2] = {{1005, 1005}, {1001, 997}};
    for (const auto &size : sizes) {
        const VImage xy = VImage::xyz(size[0], size[1]);
        const VImage x = xy[0], y = xy[1];
        const std::vector<double> white{255, 255, 255};
        VImage picture = (VImage::black(size[0], size[1]) + white).cast(VIPS_FORMAT_UCHAR);
        picture = (x >= size[0] - 5).ifthenelse(std::vector<double>{255, 0, 0}, picture);
        picture = (y >= size[1] - 5).ifthenelse(std::vector<double>{0, 160, 0}, picture);
        picture = (x < 5).ifthenelse(std::vector<double>{0, 0, 255}, picture);
        picture = (y < 5).ifthenelse(std::vector<double>{200, 0, 200}, picture);
        picture
            = picture.cast(VIPS_FORMAT_UCHAR).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        const QString source = dir.file(QStringLiteral("strips-%1x%2.jpg").arg(size[0]).arg(size[1]));
        testpics::save(picture, source, ".jpg[Q=95,subsample_mode=off]");
        for (const int width : {120, 250, 600}) {
            const int height = int(std::lround(double(width) * size[1] / size[0]));
            ASSERT_TRUE(imaging::SaveScaledPicture(source, dir.file("out.png"), width, height, kBackground));
            const VImage ours = testpics::load(dir.file("out.png"));
            const VImage reference = testpics::pillowResize(source, width, height);
            const testpics::Difference all = testpics::difference(ours, reference);
            EXPECT_LE(all.largest, 8) << size[0] << " x " << size[1] << " into " << width;
            EXPECT_LE(all.mean, 0.2) << size[0] << " x " << size[1] << " into " << width;
        }
    }
}
