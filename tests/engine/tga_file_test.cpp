#include "engine/codecs/tga_file.h"

#include <gtest/gtest.h>

#include <vector>

using imaging::decodeTga;
using imaging::encodeTga24;
using imaging::parseTgaHeader;

namespace {

QByteArray header(int colourMapType, int imageType, int width, int height, int depth, int mapEntryBits = 0,
                  int descriptor = 0, int mapLength = 4)
{
    QByteArray h(18, '\0');
    h[1] = char(colourMapType);
    h[2] = char(imageType);
    h[5] = char(mapLength);
    h[7] = char(mapEntryBits);
    h[17] = char(descriptor);
    h[12] = char(width & 0xFF);
    h[13] = char(width >> 8);
    h[14] = char(height & 0xFF);
    h[15] = char(height >> 8);
    h[16] = char(depth);
    return h;
}

// Decodes a whole file, or returns an empty vector when decoding fails.
std::vector<unsigned char> decode(const QByteArray &file)
{
    const auto h = parseTgaHeader(file);
    if (!h)
        return {};
    std::vector<unsigned char> out(size_t(h->width * h->height * h->bands()), 0xAA);
    if (!decodeTga(file, *h, out.data()))
        return {};
    return out;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

TEST(TgaHeader, RecognisesTheKindsDecodersRead)
{
    EXPECT_TRUE(parseTgaHeader(header(0, 2, 1024, 768, 24)));
    EXPECT_TRUE(parseTgaHeader(header(0, 10, 4, 3, 32)));
    EXPECT_TRUE(parseTgaHeader(header(0, 3, 4, 3, 8)));
    EXPECT_TRUE(parseTgaHeader(header(0, 11, 4, 3, 8)));
    EXPECT_TRUE(parseTgaHeader(header(1, 1, 4, 3, 8, 24)));
    EXPECT_TRUE(parseTgaHeader(header(1, 9, 4, 3, 8, 32)));
    const auto h = parseTgaHeader(header(0, 10, 1024, 768, 24));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 1024);
    EXPECT_EQ(h->height, 768);
}

TEST(TgaHeader, RefusesWhatIsNoTga)
{
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 4, 3, 24).first(17)));
    EXPECT_FALSE(parseTgaHeader(header(2, 2, 4, 3, 24))); // colour map type
    EXPECT_FALSE(parseTgaHeader(header(0, 0, 4, 3, 24))); // no image data
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 0, 3, 24))); // empty
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 4, 0, 24)));
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 4, 3, 7)));     // depth
    EXPECT_FALSE(parseTgaHeader(header(0, 1, 4, 3, 8, 24))); // mapped without a map
    EXPECT_FALSE(parseTgaHeader(header(1, 1, 4, 3, 8, 5)));
    EXPECT_FALSE(parseTgaHeader(QByteArray("\x89PNG\r\n\x1A\n0000000000")));
}

TEST(TgaWriter, WritesBottomUpBgrWithFooter)
{
    // 2 x 2: top row red, green; bottom row blue, white.
    const std::vector<unsigned char> rgb{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const QByteArray tga = encodeTga24(rgb.data(), 2, 2);
    ASSERT_EQ(tga.size(), 18 + 12 + 26);
    const auto h = parseTgaHeader(tga);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->imageType, 2);
    EXPECT_EQ(h->pixelDepth, 24);
    EXPECT_EQ(tga[17], 0); // bottom-left origin
    const QByteArray pixels = tga.mid(18, 12);
    EXPECT_EQ(pixels, QByteArray("\xFF\x00\x00\xFF\xFF\xFF\x00\x00\xFF\x00\xFF\x00", 12));
    EXPECT_TRUE(tga.endsWith(QByteArray("TRUEVISION-XFILE.\0", 18)));
}

TEST(TgaDecoder, HonoursBothOriginBits)
{
    // 2 x 2 grey: stored rows 10 20 / 30 40.
    const QByteArray pixels = bytes({10, 20, 30, 40});
    EXPECT_EQ(decode(header(0, 3, 2, 2, 8, 0, 0x00) + pixels), (std::vector<unsigned char>{30, 40, 10, 20}));
    EXPECT_EQ(decode(header(0, 3, 2, 2, 8, 0, 0x20) + pixels), (std::vector<unsigned char>{10, 20, 30, 40}));
    EXPECT_EQ(decode(header(0, 3, 2, 2, 8, 0, 0x30) + pixels), (std::vector<unsigned char>{20, 10, 40, 30}));
    EXPECT_EQ(decode(header(0, 3, 2, 2, 8, 0, 0x10) + pixels), (std::vector<unsigned char>{40, 30, 20, 10}));
}

TEST(TgaDecoder, ReadsEveryPixelLayout)
{
    // 24-bit BGR, top-down.
    EXPECT_EQ(decode(header(0, 2, 1, 1, 24, 0, 0x20) + bytes({1, 2, 3})), (std::vector<unsigned char>{3, 2, 1}));
    // 32-bit BGRA with 8 alpha bits, and without: the fourth byte is then not alpha.
    EXPECT_EQ(decode(header(0, 2, 1, 1, 32, 0, 0x28) + bytes({1, 2, 3, 4})), (std::vector<unsigned char>{3, 2, 1, 4}));
    EXPECT_EQ(decode(header(0, 2, 1, 1, 32, 0, 0x20) + bytes({1, 2, 3, 0})), (std::vector<unsigned char>{3, 2, 1}));
    // 16-bit ARGB1555: full red with the alpha bit.
    EXPECT_EQ(decode(header(0, 2, 1, 1, 16, 0, 0x21) + bytes({0x00, 0xFC})),
              (std::vector<unsigned char>{255, 0, 0, 255}));
    // Grey with alpha.
    EXPECT_EQ(decode(header(0, 3, 1, 1, 16, 0, 0x28) + bytes({90, 128})), (std::vector<unsigned char>{90, 128}));
    // Colour-mapped: map of two 24-bit entries starting at index 5, an id field first.
    QByteArray mapped = header(1, 1, 2, 1, 8, 24, 0x20, 2);
    mapped[0] = 3; // id length
    mapped[3] = 5; // first map index
    mapped += bytes({7, 7, 7}) + bytes({0, 0, 255, 255, 0, 0}) + bytes({6, 5});
    EXPECT_EQ(decode(mapped), (std::vector<unsigned char>{0, 0, 255, 255, 0, 0}));
}

TEST(TgaDecoder, RunLengthPacketsMayCrossRows)
{
    // 3 x 2 grey, top-down: a run of 4 crosses into the second row, then raw 2.
    const QByteArray file = header(0, 11, 3, 2, 8, 0, 0x20) + bytes({0x83, 50, 0x01, 60, 70});
    EXPECT_EQ(decode(file), (std::vector<unsigned char>{50, 50, 50, 50, 60, 70}));
}

TEST(TgaDecoder, DamagedFilesFail)
{
    EXPECT_TRUE(decode(header(0, 2, 2, 2, 24) + QByteArray(11, '\1')).empty());    // one byte short
    EXPECT_TRUE(decode(header(0, 10, 2, 2, 24) + bytes({0x83, 1, 2})).empty());    // run value cut off
    EXPECT_TRUE(decode(header(0, 10, 2, 2, 24) + bytes({0x81, 1, 2, 3})).empty()); // too few packets
    QByteArray mapped = header(1, 1, 1, 1, 8, 24, 0, 1) + bytes({1, 2, 3}) + bytes({1});
    EXPECT_TRUE(decode(mapped).empty());                                         // index past the map
    EXPECT_TRUE(decode(header(1, 1, 1, 1, 8, 24, 0, 200) + bytes({0})).empty()); // map cut off
}
