// Colours as a colour-managed viewer shows them: pixels stored in another
// colour space, with its profile embedded, come out as the same colours in
// sRGB. The expected values are what lcms' own tools (jpgicc, tificc, transicc
// of liblcms2-utils, perceptual intent) make of the same files.
#include "client/save_scaled_picture.h"
#include "engine/vips_runtime.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>

#include <gtest/gtest.h>

using vips::VImage;

namespace {

// Real profiles from Debian packages: ghostscript's (libgs-common) and
// icc-profiles-free.
const QString kGhostscript = QStringLiteral("/usr/share/color/icc/ghostscript/");
const QString kFree = QStringLiteral("/usr/share/color/icc/");

struct ColourCase {
    const char *name; // file name; the extension picks the format
    QString profile;  // empty: none
    std::vector<double> stored;
    VipsInterpretation interpretation;
    std::array<double, 3> shown; // in sRGB
};

VImage flat(const ColourCase &c)
{
    const bool wide = c.interpretation == VIPS_INTERPRETATION_RGB16;
    VImage image = VImage::black(32, 32, VImage::option()->set("bands", int(c.stored.size())))
                       .cast(wide ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR)
                       .new_from_image(c.stored)
                       .copy(VImage::option()->set("interpretation", c.interpretation));
    if (!c.profile.isEmpty()) {
        const QByteArray profile = readFile(c.profile);
        EXPECT_FALSE(profile.isEmpty()) << "missing " << c.profile.toStdString();
        void *data = g_malloc(size_t(profile.size()));
        std::memcpy(data, profile.constData(), size_t(profile.size()));
        auto release = [](void *blob, void *) -> int {
            g_free(blob);
            return 0;
        };
        vips_image_set_blob(image.get_image(), VIPS_META_ICC_NAME, release, data, size_t(profile.size()));
    }
    return image;
}

} // namespace

TEST(Colour, EmbeddedProfilesAreConvertedToSrgbBeforeTheyAreDropped)
{
    imaging::allowUntrustedLoaders();
    const double k16 = 257.0; // 8-bit values as 16-bit ones
    const std::vector<ColourCase> cases{
        // sRGB purple (127, 0, 127) stored in Adobe RGB (1998).
        {"adobe.jpg", kGhostscript + "a98.icc", {108, 0, 124}, VIPS_INTERPRETATION_sRGB, {127, 0, 127}},
        {"adobe.png", kGhostscript + "a98.icc", {108, 0, 124}, VIPS_INTERPRETATION_sRGB, {127, 0, 127}},
        {"adobe.tif", kGhostscript + "a98.icc", {108, 0, 124}, VIPS_INTERPRETATION_sRGB, {127, 0, 127}},
        {"adobe16.png", kGhostscript + "a98.icc", {108 * k16, 0, 124 * k16}, VIPS_INTERPRETATION_RGB16, {127, 0, 127}},
        {"prophoto.tif", kGhostscript + "rommrgb.icc", {100, 50, 30}, VIPS_INTERPRETATION_sRGB, {156, 42, 33}},
        // Full magenta and yellow ink.
        {"cmyk.jpg", kGhostscript + "default_cmyk.icc", {0, 255, 255, 0}, VIPS_INTERPRETATION_CMYK, {238, 51, 56}},
        {"cmyk.tif", kGhostscript + "default_cmyk.icc", {0, 255, 255, 0}, VIPS_INTERPRETATION_CMYK, {238, 51, 56}},
        // Grey 128 under a linear grey profile and under one of L*.
        {"grey-linear.tif", kFree + "Gray.icc", {128}, VIPS_INTERPRETATION_B_W, {188, 188, 188}},
        {"grey-lstar.png", kFree + "Gray-CIE_L.icc", {128}, VIPS_INTERPRETATION_B_W, {119, 119, 119}},
    };
    TempDir dir;
    for (const ColourCase &c : cases) {
        const QString source = dir.file(QString::fromLatin1(c.name));
        testpics::save(flat(c), source, c.name + std::strlen(c.name) - 4);
        const QString target = dir.file(QStringLiteral("out-%1.png").arg(QString::fromLatin1(c.name)));
        ASSERT_TRUE(imaging::SaveScaledPicture(source, target, 16, 16, 0xFFFFFF)) << c.name;
        const VImage out = testpics::load(target);
        const auto pixel = testpics::pixel(out, 8, 8);
        for (int b = 0; b < 3; ++b)
            EXPECT_NEAR(pixel[b], c.shown[b], 3) << c.name << " band " << b;
        EXPECT_FALSE(out.get_typeof(VIPS_META_ICC_NAME)) << c.name << ": the profile no longer fits the pixels";
    }
}

// A JPEG whose ICC profile is not one (its header cut short, junk where the
// signature goes) converts, taken as sRGB, as libvips' own copy does.
TEST(Colour, AProfileThatCannotBeReadIsTakenAsSrgb)
{
    const VImage picture = (VImage::black(40, 30, VImage::option()->set("bands", 3)) + std::vector<double>{200, 100, 50})
                               .cast(VIPS_FORMAT_UCHAR)
                               .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    VipsBlob *blob = picture.jpegsave_buffer();
    size_t length = 0;
    const void *data = vips_blob_get(blob, &length);
    const QByteArray plain(static_cast<const char *>(data), qsizetype(length));
    vips_area_unref(VIPS_AREA(blob));
    for (const QByteArray &profile : {QByteArray(512, 'x'), QByteArray("\0\0\2\0", 4) + QByteArray(300, '!')}) {
        const QByteArray body = QByteArray("ICC_PROFILE\0\1\1", 14) + profile;
        QByteArray segment("\xFF\xE2");
        segment += char((body.size() + 2) >> 8);
        segment += char((body.size() + 2) & 0xFF);
        TempDir dir;
        writeFile(dir.file("broken.jpg"), plain.left(2) + segment + body + plain.mid(2));
        ASSERT_TRUE(imaging::SaveScaledPicture(dir.file("broken.jpg"), dir.file("out.png"), 20, 15, 0xFFFFFF));
        const auto pixel = testpics::pixel(testpics::load(dir.file("out.png")), 10, 7);
        EXPECT_NEAR(pixel[0], 200, 3);
        EXPECT_NEAR(pixel[1], 100, 3);
        EXPECT_NEAR(pixel[2], 50, 3);
    }
}

TEST(Colour, CmykWithoutAProfileIsConvertedThroughADefaultOne)
{
    imaging::allowUntrustedLoaders();
    TempDir dir;
    const QString source = dir.file("cmyk.jpg");
    testpics::save(flat({"cmyk.jpg", QString(), {0, 255, 255, 0}, VIPS_INTERPRETATION_CMYK, {}}), source, ".jpg");
    ASSERT_TRUE(imaging::SaveScaledPicture(source, dir.file("out.png"), 16, 16, 0xFFFFFF));
    const auto pixel = testpics::pixel(testpics::load(dir.file("out.png")), 8, 8);
    EXPECT_GT(pixel[0], 200); // a red, as any CMYK profile makes of magenta and yellow ink
    EXPECT_LT(pixel[1], 100);
    EXPECT_LT(pixel[2], 100);
}

TEST(Colour, TransparencySurvivesTheProfileAtEveryDepth)
{
    // Alpha ramps over colour ramps, 16-bit PNG and TIFF (alpha plain and
    // premultiplied), 16-bit grey with alpha and 8-bit RGBA, each with its
    // profile embedded, written and converted to sRGB and laid over the
    // background by lcms through Pillow's ImageCms, in alpha_profile_pictures.py;
    // written as BMP, which lays them over the background too.
    // The reference turns 16-bit colours into 8 bits before lcms, the program
    // after; the two part by a few levels where lcms' tables round apart.
    const platform::ColourValue background = platform::rgbValue(236, 233, 216);
    TempDir dir;
    int pictures = 0;
    for (const QString &profile : {kGhostscript + "a98.icc", kFree + "Gray-CIE_L.icc"}) {
        const QByteArray names
            = testpics::runPython(ALPHA_PROFILE_PICTURES, {dir.path(), profile, "236", "233", "216"});
        for (const QByteArray &name : names.split('\n')) {
            if (name.isEmpty())
                continue;
            ++pictures;
            const QString source = dir.file(QString::fromUtf8(name));
            ASSERT_TRUE(imaging::SaveScaledPicture(source, dir.file("out.bmp"), 64, 16, background)) << name.data();
            const VImage expected = testpics::load(source + ".expected.png");
            const testpics::Difference difference = testpics::difference(testpics::load(dir.file("out.bmp")), expected);
            EXPECT_LE(difference.largest, 4) << name.data();
            EXPECT_LE(difference.mean, 0.3) << name.data();
        }
    }
    EXPECT_EQ(pictures, 5);
}
