#include "engine/codecs/bmp_file.h"

#include "engine/vips_runtime.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <vips/vips8>

#include <vector>

using imaging::decodeBmp;
using imaging::parseBmpHeader;

namespace {

void put16(QByteArray &b, qsizetype at, quint32 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void put32(QByteArray &b, qsizetype at, quint32 v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A bitmap with a 40-byte header (or `infoSize`), `extra` bytes after it
// (palette or masks), then `rows` as stored, each padded to 4 bytes.
QByteArray bitmap(int width, int height, int bits, const QByteArray &extra, const std::vector<QByteArray> &rows,
                  quint32 compression = 0, quint32 infoSize = 40)
{
    QByteArray b(14 + qsizetype(infoSize), '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 14, infoSize);
    put32(b, 18, quint32(width));
    put32(b, 22, quint32(height));
    put16(b, 26, 1);
    put16(b, 28, quint32(bits));
    put32(b, 30, compression);
    b += extra;
    put32(b, 10, quint32(b.size()));
    for (QByteArray row : rows) {
        while (row.size() % 4)
            row.append('\0');
        b += row;
    }
    put32(b, 2, quint32(b.size()));
    return b;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

std::vector<unsigned char> decode(const QByteArray &file)
{
    const auto h = parseBmpHeader(file);
    if (!h)
        return {};
    std::vector<unsigned char> out(size_t(h->width) * size_t(h->height) * size_t(h->bands()), 0xAA);
    if (!decodeBmp(file, *h, out.data()))
        return {};
    return out;
}

using Pixels = std::vector<unsigned char>;

} // namespace

TEST(BmpDecoder, TwentyFourBitRowsInBothOrders)
{
    // Stored first: blue pixel; stored second: red pixel (BGR order on disk).
    const std::vector<QByteArray> rows{bytes({255, 0, 0}), bytes({0, 0, 255})};
    EXPECT_EQ(decode(bitmap(1, 2, 24, {}, rows)), (Pixels{255, 0, 0, 0, 0, 255}));  // bottom-up
    EXPECT_EQ(decode(bitmap(1, -2, 24, {}, rows)), (Pixels{0, 0, 255, 255, 0, 0})); // top-down
}

TEST(BmpDecoder, PalettedPixelsOfEveryDepth)
{
    const QByteArray palette = bytes({0, 0, 255, 0, 0, 255, 0, 0}); // red, green
    // 1 bit: 0b01000000 -> red, green.
    EXPECT_EQ(decode(bitmap(2, 1, 1, palette, {bytes({0x40})})), (Pixels{255, 0, 0, 0, 255, 0}));
    // 4 bits: 0x10 -> green, red.
    EXPECT_EQ(decode(bitmap(2, 1, 4, palette, {bytes({0x10})})), (Pixels{0, 255, 0, 255, 0, 0}));
    // 8 bits with a two-entry palette: index 5 lies past it and shows black.
    EXPECT_EQ(decode(bitmap(2, 1, 8, palette, {bytes({1, 5})})), (Pixels{0, 255, 0, 0, 0, 0}));
    // The old 12-byte header with 3-byte palette entries and 16-bit sizes.
    QByteArray core = bitmap(2, 1, 8, bytes({0, 0, 255, 255, 0, 0}), {bytes({1, 0})}, 0, 12);
    put16(core, 18, 2);
    put16(core, 20, 1);
    put16(core, 22, 1);
    put16(core, 24, 8);
    EXPECT_EQ(decode(core), (Pixels{0, 0, 255, 255, 0, 0}));
}

TEST(BmpDecoder, SixteenAndThirtyTwoBitMasks)
{
    // 16-bit 5-5-5: pure red.
    EXPECT_EQ(decode(bitmap(1, 1, 16, {}, {bytes({0x00, 0x7C})})), (Pixels{255, 0, 0}));
    // 16-bit 5-6-5 from explicit masks: pure green.
    QByteArray masks565;
    masks565.resize(12);
    put32(masks565, 0, 0xF800);
    put32(masks565, 4, 0x07E0);
    put32(masks565, 8, 0x001F);
    EXPECT_EQ(decode(bitmap(1, 1, 16, masks565, {bytes({0xE0, 0x07})}, 3)), (Pixels{0, 255, 0}));
    // 32-bit plain: the fourth byte is not alpha.
    EXPECT_EQ(decode(bitmap(1, 1, 32, {}, {bytes({10, 20, 30, 0})})), (Pixels{30, 20, 10}));
}

TEST(BmpDecoder, AlphaMaskGivesTransparencyUnlessItIsEmptyEverywhere)
{
    QByteArray masks;
    masks.resize(16);
    put32(masks, 0, 0x00FF0000);
    put32(masks, 4, 0x0000FF00);
    put32(masks, 8, 0x000000FF);
    put32(masks, 12, 0xFF000000);
    EXPECT_EQ(decode(bitmap(1, 1, 32, masks, {bytes({10, 20, 30, 128})}, 6)), (Pixels{30, 20, 10, 128}));
    EXPECT_EQ(decode(bitmap(2, 1, 32, masks, {bytes({10, 20, 30, 0, 1, 2, 3, 0})}, 6)),
              (Pixels{30, 20, 10, 255, 3, 2, 1, 255}));
}

TEST(BmpDecoder, DamagedOrForeignLayoutsAreRefused)
{
    const QByteArray good = bitmap(2, 2, 24, {}, {bytes({1, 2, 3, 4, 5, 6}), bytes({7, 8, 9, 10, 11, 12})});
    EXPECT_FALSE(decode(good).empty());
    // The last row may lack its padding, not its pixels.
    EXPECT_FALSE(decode(good.left(good.size() - 2)).empty());
    EXPECT_TRUE(decode(good.left(good.size() - 3)).empty());
    // Run-length and embedded formats are left to another decoder.
    EXPECT_FALSE(parseBmpHeader(bitmap(2, 1, 8, bytes({0, 0, 0, 0}), {bytes({2, 0, 0, 1})}, 1)));
    EXPECT_FALSE(parseBmpHeader(bitmap(2, 1, 24, {}, {}, 4)));
    // Nonsense sizes and depths.
    EXPECT_FALSE(parseBmpHeader(bitmap(0, 1, 24, {}, {})));
    EXPECT_FALSE(parseBmpHeader(bitmap(1, 1, 7, {}, {})));
    EXPECT_FALSE(parseBmpHeader(good.left(20)));
    // A palette that would have to lie inside the header.
    QByteArray noRoom = bitmap(2, 1, 8, {}, {bytes({0, 1})});
    EXPECT_FALSE(parseBmpHeader(noRoom));
}

TEST(BmpFile, WritesTheBytesOfImageMagicksBmp3AtEveryRowPadding)
{
    ASSERT_TRUE(imaging::ensureVipsStarted());
    // ImageMagick's saver, the reference here, is one libvips calls untrusted.
    imaging::allowUntrustedLoaders();
    // Widths 1 to 5 need 1, 2, 3, 0 and 1 bytes of padding per row.
    for (int width = 1; width <= 5; ++width) {
        for (int height : {1, 3}) {
            SCOPED_TRACE(testing::Message() << width << " x " << height);
            std::vector<unsigned char> rgb(std::size_t(width * height * 3));
            for (std::size_t i = 0; i < rgb.size(); ++i)
                rgb[i] = static_cast<unsigned char>(i * 37 + 11);
            const vips::VImage picture
                = vips::VImage::new_from_memory(rgb.data(), rgb.size(), width, height, 3, VIPS_FORMAT_UCHAR)
                      .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
            VipsBlob *blob
                = picture.magicksave_buffer(vips::VImage::option()->set("format", "BMP3")->set("strip", true));
            std::size_t length = 0;
            const auto *data = static_cast<const char *>(vips_blob_get(blob, &length));
            const QByteArray magick(data, qsizetype(length));
            vips_area_unref(VIPS_AREA(blob));
            EXPECT_EQ(imaging::encodeBmp24(rgb.data(), width, height), magick);
            // And the program reads back what it wrote.
            const QByteArray written = imaging::encodeBmp24(rgb.data(), width, height);
            const auto header = parseBmpHeader(written);
            ASSERT_TRUE(header);
            std::vector<unsigned char> back(rgb.size());
            ASSERT_TRUE(decodeBmp(written, *header, back.data()));
            EXPECT_EQ(back, rgb);
        }
    }
}
