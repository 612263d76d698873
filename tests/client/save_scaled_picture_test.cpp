#include "client/save_scaled_picture.h"

#include "probe/header_bytes.h"
#include "platform/colour.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using imaging::SaveScaledPicture;
using vips::VImage;

namespace {

constexpr platform::ColourValue kBackground = platform::rgbValue(236, 233, 216);

struct FormatCase {
    const char *extension;
    const char *signature;
};

void expectNear(const std::array<double, 3> &actual, const std::array<double, 3> &expected, double tolerance)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "band " << i;
}

// A run-length encoded 24-bit TGA, stored bottom row first.
QByteArray rleTga(const VImage &picture)
{
    const VImage rgb = picture.copy_memory();
    QByteArray tga(18, '\0');
    tga[2] = 10;
    tga[12] = char(rgb.width() & 0xFF);
    tga[13] = char(rgb.width() >> 8);
    tga[14] = char(rgb.height() & 0xFF);
    tga[15] = char(rgb.height() >> 8);
    tga[16] = 24;
    for (int y = rgb.height() - 1; y >= 0; --y) {
        for (int x = 0; x < rgb.width();) {
            const auto p = testpics::pixel(rgb, x, y);
            int run = 1;
            while (x + run < rgb.width() && run < 128 && testpics::pixel(rgb, x + run, y) == p)
                ++run;
            tga.append(char(0x80 | (run - 1)));
            tga.append(char(p[2])).append(char(p[1])).append(char(p[0]));
            x += run;
        }
    }
    return tga;
}

// Debian's gdk-pixbuf-tests: pictures from other writers with their decoded
// references.
const QString kPixbufTests = QStringLiteral("/usr/libexec/installed-tests/gdk-pixbuf/test-images/");

QByteArray head(const QString &path, int n) { return readFile(path).left(n); }

} // namespace

TEST(SaveScaledPicture, WritesEveryFormatAtExactlyTheRequestedSize)
{
    TempDir dir;
    const QString source = dir.file("source.png");
    testpics::save(testpics::gradient(200, 150), source, ".png");

    const std::vector<FormatCase> cases{
        {"bmp", "BM"},      {"gif", "GIF8"}, {"jpg", "\xFF\xD8\xFF"}, {"JPEG", "\xFF\xD8\xFF"},
        {"png", "\x89PNG"}, {"tif", "II*"},  {"TIFF", "II*"},         {"tga", ""}};
    for (const auto &c : cases) {
        const QString target = dir.file(QStringLiteral("out.") + c.extension);
        ASSERT_TRUE(SaveScaledPicture(source, target, 123, 77, kBackground)) << c.extension;
        EXPECT_TRUE(head(target, 4).startsWith(c.signature)) << c.extension;
        const VImage out = testpics::load(target);
        EXPECT_EQ(out.width(), 123) << c.extension;
        EXPECT_EQ(out.height(), 77) << c.extension;
        EXPECT_EQ(out.format(), VIPS_FORMAT_UCHAR) << c.extension;
    }
}

TEST(SaveScaledPicture, JpegIsQuality100AndCloseToTheScaledSource)
{
    TempDir dir;
    const QString source = dir.file("source.png");
    const VImage picture = testpics::gradient(640, 480);
    testpics::save(picture, source, ".png");
    const QString target = dir.file("out.jpg");
    ASSERT_TRUE(SaveScaledPicture(source, target, 320, 240, kBackground));
    const VImage expected = picture.resize(0.5);
    EXPECT_GT(testpics::psnr(testpics::load(target), expected), 45.0);
    // At quality 100 every entry of the luminance quantisation table is 1.
    const QByteArray bytes = readFile(target);
    const qsizetype dqt = bytes.indexOf(QByteArray("\xFF\xDB", 2));
    ASSERT_GE(dqt, 0);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(bytes[dqt + 5 + i], 1) << i;
}

TEST(SaveScaledPicture, TiffIsUncompressed24BitAndEnlargesSmallSources)
{
    TempDir dir;
    const QString source = dir.file("small.png");
    testpics::save(testpics::solid(10, 10, {128, 128, 128}), source, ".png");
    const QString target = dir.file("big.tif");
    ASSERT_TRUE(SaveScaledPicture(source, target, 300, 200, kBackground));
    const VImage out = testpics::load(target);
    EXPECT_EQ(out.bands(), 3);
    EXPECT_EQ(out.format(), VIPS_FORMAT_UCHAR);
    // 180000 bytes of pixels: compression of a flat grey would leave far less.
    EXPECT_GE(readFile(target).size(), 300 * 200 * 3);
    EXPECT_EQ(testpics::pixel(out, 150, 100), (std::array<double, 3>{128, 128, 128}));
}

TEST(SaveScaledPicture, BmpIsAClassic24BitBitmapEvenForFewColours)
{
    TempDir dir;
    const QString source = dir.file("grey.png");
    testpics::save(testpics::solid(40, 30, {90}), source, ".png");
    const QString target = dir.file("out.bmp");
    ASSERT_TRUE(SaveScaledPicture(source, target, 21, 13, kBackground));
    const QByteArray bmp = readFile(target);
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp[14], 40);              // BITMAPINFOHEADER
    EXPECT_EQ(bmp[28], 24);              // bits per pixel
    EXPECT_EQ(bmp[30], 0);               // BI_RGB, uncompressed
    EXPECT_EQ(bmp.size(), 54 + 13 * 64); // rows of 63 bytes padded to 64
}

TEST(SaveScaledPicture, TransparencyIsFlattenedOntoTheButtonFaceInFormatsWithoutAlpha)
{
    // BMP, like JPEG, holds no alpha; its pixels are exactly what was drawn.
    TempDir dir;
    const QString source = dir.file("clear.png");
    testpics::save(testpics::solid(64, 64, {10, 200, 30, 0}), source, ".png");
    const QString target = dir.file("out.bmp");
    ASSERT_TRUE(SaveScaledPicture(source, target, 32, 32, kBackground));
    const VImage out = testpics::load(target);
    EXPECT_EQ(out.bands(), 3);
    EXPECT_EQ(testpics::pixel(out, 16, 16), (std::array<double, 3>{236, 233, 216}));

    // Half transparent in 16 bits: half the colour, half the background.
    const QString half = dir.file("half16.png");
    testpics::save(testpics::solid(8, 8, {0, 0, 0, 32768}, VIPS_FORMAT_USHORT), half, ".png");
    ASSERT_TRUE(SaveScaledPicture(half, target, 8, 8, platform::rgbValue(200, 100, 50)));
    const auto p = testpics::pixel(testpics::load(target), 4, 4);
    EXPECT_NEAR(p[0], 100, 2);
    EXPECT_NEAR(p[1], 50, 2);
    EXPECT_NEAR(p[2], 25, 2);

    // Every alpha from 0 to 255 over a white, black and grey 8-bit picture:
    // each value is the nearest to colour x alpha + background x (1 - alpha).
    // Rounded down, 119.97 came out 119, half a level too dark on average.
    const VImage alphas = VImage::xyz(256, 3)[0];
    const VImage rows = VImage::xyz(256, 3)[1];
    const VImage colour = (rows == 0).ifthenelse(255, (rows == 1).ifthenelse(0, 77));
    testpics::save(VImage::bandjoin({colour, colour, colour, alphas})
                       .cast(VIPS_FORMAT_UCHAR)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
                   dir.file("ramp.png"), ".png");
    ASSERT_TRUE(SaveScaledPicture(dir.file("ramp.png"), target, 256, 3, platform::rgbValue(200, 100, 31)));
    const VImage ramp = testpics::load(target);
    const int colours[] = {255, 0, 77}, under[] = {200, 100, 31};
    int wrong = 0;
    for (int y = 0; y < 3; ++y) {
        for (int a = 0; a < 256; ++a) {
            const auto shown = testpics::pixel(ramp, a, y);
            for (int b = 0; b < 3; ++b) {
                // Nearest integer to (c a + u (255 - a)) / 255, halves up.
                const int exact = (2 * (colours[y] * a + under[b] * (255 - a)) + 255) / 510;
                wrong += shown[size_t(b)] != exact;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(SaveScaledPicture, ColourManagedSourcesComeOutAsSrgb)
{
    TempDir dir;
    const QString target = dir.file("out.png");
    struct Case {
        const char *name;
        VImage picture;
        const char *suffix;
        std::array<double, 3> expected;
        double tolerance;
        int bands = 3;
    };
    // Grey stays grey: one channel in a PNG.
    const std::vector<Case> cases{
        {"grey.png", testpics::solid(20, 20, {77}), ".png", {77, 77, 77}, 0, 1},
        {"grey16.png", testpics::solid(20, 20, {65535}, VIPS_FORMAT_USHORT), ".png", {255, 255, 255}, 0, 1},
        {"rgb16.png", testpics::solid(20, 20, {65535, 32896, 0}, VIPS_FORMAT_USHORT), ".png", {255, 128, 0}, 1},
        {"palette.png", testpics::solid(20, 20, {200, 40, 90}), ".png[palette]", {200, 40, 90}, 0},
        // Plain CMYK without a profile: converted through the fallback CMYK
        // profile, so full cyan comes out a strong cyan.
        {"cmyk.jpg",
         testpics::solid(20, 20, {255, 0, 0, 0})
             .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK)),
         ".jpg[Q=100]",
         {0, 160, 230},
         45},
    };
    for (const auto &c : cases) {
        const QString source = dir.file(c.name);
        testpics::save(c.picture, source, c.suffix);
        ASSERT_TRUE(SaveScaledPicture(source, target, 10, 10, kBackground)) << c.name;
        const VImage out = testpics::load(target);
        EXPECT_EQ(out.bands(), c.bands) << c.name;
        EXPECT_EQ(out.format(), VIPS_FORMAT_UCHAR) << c.name;
        const auto p = testpics::pixel(out, 5, 5);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(p[i], c.expected[i], c.tolerance) << c.name << " band " << i;
    }
}

TEST(SaveScaledPicture, TgaIsReadAndWrittenTheRightWayUp)
{
    TempDir dir;
    // Red on top, blue below, written by three TGA writers: bottom-up raw,
    // top-down raw and run-length encoded.
    const VImage picture
        = testpics::solid(40, 20, {255, 0, 0}).join(testpics::solid(40, 20, {0, 0, 255}), VIPS_DIRECTION_VERTICAL);
    testpics::save(picture, dir.file("source.png"), ".png");
    ASSERT_TRUE(SaveScaledPicture(dir.file("source.png"), dir.file("ours.tga"), 40, 40, kBackground));

    QByteArray topDown = readFile(dir.file("ours.tga"));
    {
        // Same pixels stored top row first, flagged by bit 5 of the descriptor.
        QByteArray rows = topDown.mid(18, 40 * 40 * 3);
        QByteArray flipped;
        for (int y = 39; y >= 0; --y)
            flipped += rows.mid(y * 120, 120);
        topDown.replace(18, flipped.size(), flipped);
        topDown[17] = 0x20;
    }
    writeFile(dir.file("topdown.tga"), topDown);
    writeFile(dir.file("rle.TGA"), rleTga(picture));

    for (const char *name : {"ours.tga", "topdown.tga", "rle.TGA"}) {
        const QString source = dir.file(name);
        const QString target = dir.file("back.png");
        ASSERT_TRUE(SaveScaledPicture(source, target, 20, 10, kBackground)) << name;
        const VImage out = testpics::load(target);
        EXPECT_EQ(testpics::pixel(out, 10, 1), (std::array<double, 3>{255, 0, 0})) << name;
        EXPECT_EQ(testpics::pixel(out, 10, 8), (std::array<double, 3>{0, 0, 255})) << name;
    }
}

TEST(SaveScaledPicture, FileNamesAreTakenLiterally)
{
    TempDir dir;
    // libvips and ImageMagick both read options from "[...]" at the end of a
    // name; these files must be read and written as named.
    const std::vector<std::pair<QString, QString>> names{
        {"photo[1].jpg", "photo[1] out.jpg"},          {"a[Q=5].png", "a[Q=5].png.tif"},
        {"100%,名 字.jpeg", "输出 100%,x.bmp"},        {"shot[2].tga", "shot[0].tga"},
        {"b[page=1].gif", "c[compression=jpeg].tiff"},
    };
    for (const auto &[sourceName, targetName] : names) {
        const QString source = dir.file(sourceName);
        if (sourceName.endsWith(".tga"))
            ASSERT_TRUE(SaveScaledPicture(dir.file("photo[1].jpg"), source, 90, 60, kBackground));
        else
            testpics::save(testpics::gradient(90, 60), source,
                           sourceName.endsWith(".gif")   ? ".gif"
                           : sourceName.endsWith(".png") ? ".png"
                                                         : ".jpg");
        ASSERT_TRUE(SaveScaledPicture(source, dir.file(targetName), 45, 30, kBackground)) << sourceName.toStdString();
        const VImage out = testpics::load(dir.file(targetName));
        EXPECT_EQ(out.width(), 45);
        EXPECT_EQ(out.height(), 30);
    }
}

TEST(SaveScaledPicture, InPlaceConversionReplacesTheSourceEveryTime)
{
    TempDir dir;
    const QString path = dir.file("same.jpg");
    testpics::save(testpics::gradient(300, 200), path, ".jpg");
    // Twice at the same path: a cached decode of the first file would give the
    // old size back.
    ASSERT_TRUE(SaveScaledPicture(path, path, 150, 100, kBackground));
    EXPECT_EQ(testpics::load(path).width(), 150);
    ASSERT_TRUE(SaveScaledPicture(path, path, 60, 40, kBackground));
    const VImage out = testpics::load(path);
    EXPECT_EQ(out.width(), 60);
    EXPECT_EQ(out.height(), 40);
    EXPECT_EQ(dir.entries(), QStringList{"same.jpg"});
}

TEST(SaveScaledPicture, FourThreadsConvertAtOnce)
{
    TempDir dir;
    const char *formats[] = {".jpg", ".png", ".bmp", ".tga", ".gif", ".tif"};
    for (int i = 0; i < 6; ++i) {
        const QString source = dir.file(QStringLiteral("src%1").arg(i) + formats[i]);
        testpics::save(testpics::gradient(200 + i * 10, 150), dir.file(QStringLiteral("p%1.png").arg(i)), ".png");
        ASSERT_TRUE(
            SaveScaledPicture(dir.file(QStringLiteral("p%1.png").arg(i)), source, 200 + i * 10, 150, kBackground));
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 6; ++round) {
                const int i = (t + round) % 6;
                const QString source = dir.file(QStringLiteral("src%1").arg(i) + formats[i]);
                const QString target = dir.file(QStringLiteral("t%1-%2").arg(t).arg(round) + formats[i]);
                if (!SaveScaledPicture(source, target, 50 + t, 40 + round, kBackground))
                    ++failures;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    for (int t = 0; t < 4; ++t) {
        for (int round = 0; round < 6; ++round) {
            const int i = (t + round) % 6;
            const VImage out = testpics::load(dir.file(QStringLiteral("t%1-%2").arg(t).arg(round) + formats[i]));
            EXPECT_EQ(out.width(), 50 + t);
            EXPECT_EQ(out.height(), 40 + round);
        }
    }
}

TEST(SaveScaledPicture, RunLengthBitmapsStillConvertThroughImageMagick)
{
    TempDir dir;
    // 4 x 2, 8-bit run-length: a run of four red pixels on each row.
    QByteArray bmp(14 + 40, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 4;
    bmp[22] = 2;
    bmp[26] = 1;
    bmp[28] = 8;
    bmp[30] = 1;                                       // BI_RLE8
    bmp[46] = 2;                                       // colours used
    bmp.append(QByteArray("\0\0\xFF\0\0\xFF\0\0", 8)); // red, green
    bmp[10] = char(bmp.size());
    bmp.append(QByteArray("\x04\x00\x00\x00\x04\x00\x00\x01", 8)); // run, end of line, run, end of bitmap
    bmp[2] = char(bmp.size());
    writeFile(dir.file("rle8.bmp"), bmp);

    ASSERT_TRUE(SaveScaledPicture(dir.file("rle8.bmp"), dir.file("out.png"), 8, 4, kBackground));
    const VImage out = testpics::load(dir.file("out.png"));
    EXPECT_EQ(out.width(), 8);
    expectNear(testpics::pixel(out, 4, 2), {255, 0, 0}, 0);
}

TEST(SaveScaledPicture, TgaAlphaIsReadAsWritersMeanIt)
{
    TempDir dir;
    const QDir tgas(kPixbufTests + "reftests/tga", "*.tga");
    imaging::ConversionWorker worker;
    // How far the program's picture of a 48 x 48 TGA is from a reference
    // laid over the button face by Pillow, or from its colours alone; written
    // as BMP, which lays transparency over the button face.
    auto differenceFrom = [&](const QByteArray &tga, const QString &reference, bool opaque = false) {
        writeFile(dir.file("in.tga"), tga);
        EXPECT_TRUE(imaging::convertPicture(worker, dir.file("in.tga"), dir.file("out.bmp"), 48, 48, kBackground).converted());
        const VImage expected
            = opaque ? testpics::load(tgas.filePath(reference)).extract_band(0, VImage::option()->set("n", 3))
                     : testpics::pillowResize(tgas.filePath(reference), 48, 48);
        return testpics::difference(testpics::load(dir.file("out.bmp")), expected).largest;
    };
    // Every kind and origin gdk-pixbuf's tests read, against their references.
    ASSERT_GE(tgas.count(), 40u);
    for (const QString &name : tgas.entryList())
        EXPECT_LE(differenceFrom(readFile(tgas.filePath(name)), name + ".ref.png"), 1) << qPrintable(name);

    // Alpha bits declared but 0 in every pixel: an opaque picture.
    QByteArray logo16 = readFile(tgas.filePath("gtk-logo-16bpp-top-left.tga"));
    logo16[17] = char(logo16[17] | 1);
    EXPECT_LE(differenceFrom(logo16, "gtk-logo-16bpp.ref.png"), 1);
    const QByteArray logo32 = readFile(tgas.filePath("gtk-logo-32bpp-top-left.tga"));
    const QString reference32 = "gtk-logo-32bpp-top-left.tga.ref.png";
    const qsizetype pixelsEnd = 18 + 48 * 48 * 4;
    QByteArray zero = logo32;
    for (qsizetype i = 18; i < pixelsEnd; i += 4)
        zero[i + 3] = 0;
    EXPECT_EQ(differenceFrom(zero, reference32, true), 0);

    // A TGA 2.0 extension area's attributes type decides: 2 no alpha, 3 alpha
    // (the descriptor counting no alpha bits), 4 premultiplied alpha.
    auto withAttributes = [](const QByteArray &tga, int type) {
        QByteArray extension = hdr::le16(495) + QByteArray(493, '\0');
        extension[494] = char(type);
        return tga + extension + hdr::le32(quint32(tga.size())) + hdr::le32(0) + QByteArray("TRUEVISION-XFILE.\0", 18);
    };
    EXPECT_EQ(differenceFrom(withAttributes(logo32, 2), reference32, true), 0);
    QByteArray undeclared = logo32;
    undeclared[17] = char(undeclared[17] & 0xF0);
    EXPECT_LE(differenceFrom(withAttributes(undeclared, 3), reference32), 1);
    QByteArray premultiplied = logo32;
    for (qsizetype i = 18; i < pixelsEnd; i += 4) {
        for (int b = 0; b < 3; ++b)
            premultiplied[i + b] = char((uchar(logo32[i + b]) * uchar(logo32[i + 3]) + 127) / 255);
    }
    EXPECT_LE(differenceFrom(withAttributes(premultiplied, 4), reference32), 2);
}

TEST(SaveScaledPicture, GifScreenOutsideTheFrameIsTransparentAndGifsAreWrittenOpaque)
{
    TempDir dir;
    // gdk-pixbuf's 2 x 2 screen with a red pixel drawn in its corner, and no
    // transparent colour; written as BMP, the screen around it lands on the
    // button face.
    const QString suite = kPixbufTests + "gif-test-suite/";
    ASSERT_TRUE(SaveScaledPicture(suite + "image-inside-bg.gif", dir.file("out.bmp"), 2, 2, kBackground));
    const VImage expected = testpics::pillowResize(suite + "image-inside-bg.png", 2, 2);
    EXPECT_EQ(testpics::difference(testpics::load(dir.file("out.bmp")), expected).largest, 0);

    // One frame: no loop block, and the graphic control's transparency flag
    // (bit 0) clear, though four colours leave libvips room for a
    // transparent index.
    testpics::save(testpics::quadrants(90, 60), dir.file("source.png"), ".png");
    ASSERT_TRUE(SaveScaledPicture(dir.file("source.png"), dir.file("out.gif"), 90, 60, kBackground));
    const QByteArray gif = readFile(dir.file("out.gif"));
    EXPECT_FALSE(gif.contains("NETSCAPE2.0"));
    const qsizetype control = gif.indexOf(QByteArray("\x21\xF9\x04", 3));
    EXPECT_TRUE(control < 0 || (gif[control + 3] & 1) == 0);
    const VImage out = testpics::load(dir.file("out.gif"));
    EXPECT_EQ(out.bands(), 3);
    EXPECT_EQ(testpics::difference(out, testpics::quadrants(90, 60)).largest, 0);
}
