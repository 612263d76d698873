#include "imaging/tga_file.h"

#include <gtest/gtest.h>

#include <vector>

using imaging::encodeTga24;
using imaging::parseTgaHeader;

namespace {

QByteArray header(int colourMapType, int imageType, int width, int height, int depth, int mapEntryBits = 0)
{
    QByteArray h(18, '\0');
    h[1] = char(colourMapType);
    h[2] = char(imageType);
    h[7] = char(mapEntryBits);
    h[12] = char(width & 0xFF);
    h[13] = char(width >> 8);
    h[14] = char(height & 0xFF);
    h[15] = char(height >> 8);
    h[16] = char(depth);
    return h;
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
    EXPECT_FALSE(parseTgaHeader(header(2, 2, 4, 3, 24)));   // colour map type
    EXPECT_FALSE(parseTgaHeader(header(0, 0, 4, 3, 24)));   // no image data
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 0, 3, 24)));   // empty
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 4, 0, 24)));
    EXPECT_FALSE(parseTgaHeader(header(0, 2, 4, 3, 7)));    // depth
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
