// Pictures as a viewer shows them: every EXIF orientation is applied to the
// pixels, the probe reports the size as shown, and the output is upright and
// carries no orientation, in the same format and in another.
#include "client/conversion_worker.h"
#include "probe/read_picture_size.h"
#include "client/save_scaled_picture.h"
#include "engine/vips_runtime.h"

#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <gtest/gtest.h>

using vips::VImage;

namespace {

// Quadrants of the upright picture: red, green / blue, yellow.
std::array<double, 3> quadrantColour(bool right, bool bottom)
{
    if (!bottom)
        return right ? std::array<double, 3>{0, 255, 0} : std::array<double, 3>{255, 0, 0};
    return right ? std::array<double, 3>{255, 255, 0} : std::array<double, 3>{0, 0, 255};
}

// Where the stored pixel (c, r) of a w x h picture is shown, for each EXIF
// orientation, as the EXIF standard words it: which side of the shown picture
// the stored 0th row and 0th column are.
std::pair<int, int> shownAt(int orientation, int c, int r, int w, int h)
{
    switch (orientation) {
    case 2: return {w - 1 - c, r};         // row 0 top, column 0 right
    case 3: return {w - 1 - c, h - 1 - r}; // bottom, right
    case 4: return {c, h - 1 - r};         // bottom, left
    case 5: return {r, c};                 // left, top
    case 6: return {h - 1 - r, c};         // right, top
    case 7: return {h - 1 - r, w - 1 - c}; // right, bottom
    case 8: return {r, w - 1 - c};         // left, bottom
    default: return {c, r};                // top, left
    }
}

// The stored pixels that a viewer shows as the upright quadrants of
// shownWidth x shownHeight under `orientation`, tagged with it.
VImage storedFor(int orientation, int shownWidth, int shownHeight)
{
    const bool quarter = orientation >= 5;
    const int w = quarter ? shownHeight : shownWidth;
    const int h = quarter ? shownWidth : shownHeight;
    std::vector<unsigned char> pixels(size_t(w) * h * 3);
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const auto [x, y] = shownAt(orientation, c, r, w, h);
            const auto colour = quadrantColour(x >= shownWidth / 2, y >= shownHeight / 2);
            for (int b = 0; b < 3; ++b)
                pixels[(size_t(r) * w + c) * 3 + b] = static_cast<unsigned char>(colour[b]);
        }
    }
    VImage image(vips_image_new_from_memory_copy(pixels.data(), pixels.size(), w, h, 3, VIPS_FORMAT_UCHAR));
    image.set("orientation", orientation);
    return image;
}

void expectUpright(const VImage &out, const std::string &what)
{
    const int w = out.width(), h = out.height();
    for (const bool right : {false, true}) {
        for (const bool bottom : {false, true}) {
            const auto expected = quadrantColour(right, bottom);
            const auto actual = testpics::pixel(out, right ? w * 3 / 4 : w / 4, bottom ? h * 3 / 4 : h / 4);
            for (int b = 0; b < 3; ++b)
                EXPECT_NEAR(actual[b], expected[b], 40) << what << " quadrant " << right << bottom << " band " << b;
        }
    }
}

} // namespace

TEST(Orientation, EveryOrientationComesOutUprightInTheSameFormatAndInAnother)
{
    imaging::allowUntrustedLoaders();
    TempDir dir;
    imaging::ConversionWorker worker;
    const char *others[] = {"png", "bmp", "gif", "tga"};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (const char *format : {"jpg", "tif"}) {
            const QString source = dir.file(QStringLiteral("o%1.%2").arg(orientation).arg(format));
            testpics::save(storedFor(orientation, 300, 200), source, format[0] == 'j' ? ".jpg[Q=95]" : ".tif");
            const std::string what = source.toStdString();
            // The size as shown, which the fitting then uses: 150 x 100 fits
            // into limits of 150 x 150.
            EXPECT_EQ(imaging::ReadPictureSize(source), (imaging::PictureSize{300, 200})) << what;
            const QString other = QString::fromLatin1(others[(orientation + (format[0] == 't')) % 4]);
            for (const QString &extension : {QString::fromLatin1(format), other}) {
                const QString target = dir.file(QStringLiteral("out%1-%2.%3").arg(orientation).arg(format, extension));
                ASSERT_EQ(imaging::convertPicture(worker, source, target, 150, 100, 0xFFFFFF).status,
                          imaging::ConversionStatus::Converted)
                    << what << " to " << extension.toStdString();
                const VImage out = testpics::load(target);
                EXPECT_EQ(out.width(), 150) << target.toStdString();
                EXPECT_EQ(out.height(), 100) << target.toStdString();
                expectUpright(out, target.toStdString());
                // Nothing left for a viewer to turn again.
                EXPECT_EQ(imaging::ReadPictureSize(target), (imaging::PictureSize{150, 100})) << target.toStdString();
                EXPECT_FALSE(out.get_typeof("orientation") && out.get_int("orientation") != 1) << target.toStdString();
            }
        }
    }
}
