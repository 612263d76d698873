// The header probe over bytes in memory: every format's odd cases, damage and
// the promise to read only header bytes inside the data.
#include "probe/header_probe.h"

#include "probe/header_bytes.h"
#include "probe/probe_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using imaging::PictureSize;
using namespace hdr;

using probetest::CheckedSource;
using probetest::probe;
using probetest::probeHeader;

namespace {

QByteArray exif(bool bigEndian, const std::vector<TiffEntry> &entries)
{
    return jpegSegment(0xE1, QByteArray("Exif\0\0", 6) + tiff(bigEndian, entries));
}

} // namespace

TEST(HeaderProbe, DimensionsAreReadAtTheirFullWidth)
{
    EXPECT_EQ(probe(png(70000, 10)), (PictureSize{70000, 10}));
    EXPECT_EQ(probe(png(0x80000000u, 5)), (PictureSize{0, 5}));
    EXPECT_EQ(probe("GIF89a" + le16(40000) + le16(100)), (PictureSize{40000, 100}));
    EXPECT_EQ(probe("8BPS" + QByteArray(10, '\0') + be32(70000) + be32(40000)), (PictureSize{40000, 70000}));
    EXPECT_EQ(probe(bmp(70000, 3, false, false)), (PictureSize{70000, 3}));
}

TEST(HeaderProbe, BmpTopDownOldHeaderAndImpossibleSides)
{
    EXPECT_EQ(probe(bmp(800, -600)), (PictureSize{800, 600}));
    EXPECT_EQ(probe(bmp(300, 200, true)), (PictureSize{300, 200}));
    EXPECT_EQ(probe(bmp(-5, 7, false, false)), (PictureSize{0, 7}));
    EXPECT_EQ(probe(bmp(5, std::numeric_limits<qint32>::min(), false, false)), (PictureSize{5, 0}));
}

TEST(HeaderProbe, IconStoresTwoHundredFiftySixAsZero)
{
    EXPECT_EQ(probe(bytes({0, 0, 1, 0, 1, 0, 0, 0})), (PictureSize{256, 256}));
    EXPECT_EQ(probe(bytes({0, 0, 1, 0, 1, 0, 48, 32})), (PictureSize{48, 32}));
    EXPECT_EQ(probe(bytes({0, 0, 1, 0, 1, 0})), (PictureSize{0, 0}));
}

TEST(HeaderProbe, TgaIsKnownByItsNameForEveryImageType)
{
    for (int type : {1, 2, 3, 9, 10, 11})
        EXPECT_EQ(probe(tga(type, 1024, 768), true), (PictureSize{1024, 768})) << type;
    for (int type : {0, 4, 32})
        EXPECT_EQ(probe(tga(type, 1024, 768), true), (PictureSize{0, 0})) << type;
    EXPECT_EQ(probe(tga(10, 1024, 768), false), (PictureSize{0, 0}));
    // Content named .tga is what its signature says, as the decoder reads it,
    // even when its third byte is a TGA image type (here the file size's).
    EXPECT_EQ(probe(png(30, 20), true), (PictureSize{30, 20}));
    QByteArray bitmap = bmp(640, 480);
    bitmap[2] = 10;
    EXPECT_EQ(probe(bitmap, true), (PictureSize{640, 480}));
}

TEST(HeaderProbe, TiffSizeTagsAreFoundWhereverTheyStand)
{
    for (bool big : {false, true}) {
        for (bool bigEndian : {false, true}) {
            for (quint16 type : {quint16(3), quint16(4), quint16(big ? 16 : 4)}) {
                SCOPED_TRACE(testing::Message()
                             << "BigTIFF " << big << " big-endian " << bigEndian << " type " << type);
                EXPECT_EQ(probe(greyTiff(bigEndian, 640, 480, type, big)), (PictureSize{640, 480}));
                const std::vector<TiffEntry> shuffled{
                    {254, 4, 1, 0}, {258, 3, 1, 8}, {257, type, 1, 3000}, {256, type, 1, 40000}};
                EXPECT_EQ(probe(tiff(bigEndian, shuffled, QByteArray(100, 'x'), big)), (PictureSize{40000, 3000}));
            }
        }
    }
}

TEST(HeaderProbe, TiffSidesOfEveryIntegerType)
{
    struct Case {
        quint16 type;
        quint64 stored;
        qint32 classic, big;
    };
    const qint32 top = std::numeric_limits<qint32>::max();
    const Case cases[] = {
        {1, 200, 200, 200},
        {6, 100, 100, 100},
        {6, 0x80, 0, 0},
        {3, 65535, 65535, 65535},
        {8, 30000, 30000, 30000},
        {8, 0xFFFF, 0, 0},
        {4, 70000, 70000, 70000},
        {4, 0x80000000u, 0, 0},
        {9, 0x7FFFFFFF, top, top},
        {9, 0xFFFFFFFFu, 0, 0},
        // Eight-byte values fit only BigTIFF's value field.
        {16, 70000, 0, 70000},
        {16, 0x100000005u, 0, 0},
        {16, 0x8000000000000005u, 0, 0},
        {17, 40000, 0, 40000},
        {17, ~quint64(0), 0, 0},
    };
    for (bool bigEndian : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "big-endian " << bigEndian << " type " << c.type << " " << c.stored);
            const std::vector<TiffEntry> sides{{256, c.type, 1, c.stored}, {257, c.type, 1, c.stored}};
            EXPECT_EQ(probe(tiff(bigEndian, sides)), (PictureSize{c.classic, c.classic}));
            EXPECT_EQ(probe(bigTiff(bigEndian, sides)), (PictureSize{c.big, c.big}));
        }
    }
}

TEST(HeaderProbe, TiffDamageGivesWhatWasFound)
{
    // A rational width, a width of two values: no usable entry.
    EXPECT_EQ(probe(tiff(true, {{256, 5, 1, 640}, {257, 3, 1, 480}})), (PictureSize{0, 480}));
    EXPECT_EQ(probe(tiff(true, {{256, 3, 2, 640}, {257, 3, 1, 480}})), (PictureSize{0, 480}));
    EXPECT_EQ(probe(bigTiff(true, {{256, 16, 2, 640}, {257, 16, 1, 480}})), (PictureSize{0, 480}));
    // Cut inside the height entry; a directory claiming 65535 entries.
    const QByteArray both = tiff(false, {{256, 3, 1, 640}, {257, 3, 1, 480}});
    EXPECT_EQ(probe(both.left(both.size() - 8)), (PictureSize{640, 0}));
    QByteArray many = both;
    many[8] = many[9] = char(0xFF);
    EXPECT_EQ(probe(many), (PictureSize{640, 480}));
    QByteArray far = both;
    far.replace(4, 4, le32(0xFFFFFFF0u));
    EXPECT_EQ(probe(far), (PictureSize{0, 0}));
}

TEST(HeaderProbe, BigTiffDamageGivesWhatWasFound)
{
    const QByteArray both = bigTiff(false, {{256, 16, 1, 640}, {257, 3, 1, 480}});
    ASSERT_EQ(probe(both), (PictureSize{640, 480}));
    // A directory claiming more entries than any file could hold.
    QByteArray many = both;
    many.replace(16, 8, QByteArray(8, '\xFF'));
    EXPECT_EQ(probe(many), (PictureSize{640, 480}));
    // The first directory past the end, also where adding to its offset wraps.
    for (quint64 offset : {quint64(both.size()), ~quint64(0) - 4}) {
        QByteArray far = both;
        far.replace(8, 8, inOrder(false, offset, 8));
        EXPECT_EQ(probe(far), (PictureSize{0, 0})) << offset;
    }
    // An offset size other than 8, a non-zero word after it.
    for (int at : {4, 6}) {
        QByteArray odd = both;
        odd[at] = 4;
        EXPECT_EQ(probe(odd), (PictureSize{0, 0})) << at;
    }
}

TEST(HeaderProbe, TiffCutAnywhereNeverInventsASide)
{
    for (bool big : {false, true}) {
        for (bool bigEndian : {false, true}) {
            const QByteArray whole
                = tiff(bigEndian, {{254, 4, 1, 0}, {256, quint16(big ? 16 : 4), 1, 70000}, {257, 3, 1, 600}},
                       QByteArray(30, 'x'), big);
            ASSERT_EQ(probe(whole), (PictureSize{70000, 600}));
            for (qsizetype cut = 0; cut < whole.size(); ++cut) {
                const PictureSize size = probe(whole.left(cut));
                EXPECT_TRUE(size.Width == 0 || size.Width == 70000) << big << bigEndian << " cut " << cut;
                EXPECT_TRUE(size.Height == 0 || size.Height == 600) << big << bigEndian << " cut " << cut;
            }
        }
    }
}

TEST(HeaderProbe, JpegEveryFrameHeaderCounts)
{
    for (int code = 0xC0; code <= 0xCF; ++code) {
        const bool frame = code != 0xC4 && code != 0xC8 && code != 0xCC;
        // A table segment shaped like a frame must be skipped, not read.
        const QByteArray file = kJpegStart + jpegFrame(code, 11, 22) + jpegFrame(0xC0, 1024, 768);
        EXPECT_EQ(probe(file), (frame ? PictureSize{11, 22} : PictureSize{1024, 768})) << code;
    }
}

TEST(HeaderProbe, JpegFillBytesAndDamage)
{
    const QByteArray frame = jpegFrame(0xC2, 1024, 768);
    EXPECT_EQ(probe(kJpegStart + bytes({0xFF, 0xFF, 0xFF}) + frame), (PictureSize{1024, 768}));
    for (int length : {0, 1})
        EXPECT_EQ(probe(kJpegStart + bytes({0xFF, 0xE1, 0, length}) + frame), (PictureSize{0, 0})) << length;
    EXPECT_EQ(probe(kJpegStart + jpegSegment(0xDA, bytes({1, 1, 0})) + frame), (PictureSize{0, 0}));
    EXPECT_EQ(probe(kJpegStart + bytes({0xFF, 0xD9}) + frame), (PictureSize{0, 0}));
    EXPECT_EQ(probe(kJpegStart + bytes({0xFF, 0xC0, 0, 4, 8, 3, 0, 4, 0})), (PictureSize{0, 0}));
    EXPECT_EQ(probe(kJpegStart + jpegSegment(0xE1, QByteArray(100, 'x')).left(60) + frame), (PictureSize{0, 0}));
    const QByteArray whole = kJpegStart + frame;
    // Cut anywhere before the end of the width field; four component bytes follow it.
    for (qsizetype cut = 0; cut < whole.size() - 4; ++cut)
        EXPECT_EQ(probe(whole.left(cut)), (PictureSize{0, 0})) << cut;
}

TEST(HeaderProbe, JpegSegmentsAreSkippedWithoutReadingThem)
{
    CheckedSource source(kJpegStart + jpegSegment(0xE1, QByteArray(60000, '\xFF')) + jpegFrame(0xC0, 640, 480));
    EXPECT_EQ(imaging::probePictureSize(source, false), (PictureSize{640, 480}));
    EXPECT_LT(source.bytesRead, 200u);
}

TEST(HeaderProbe, ShortAndUnknownDataHasNoSize)
{
    for (const QByteArray &data :
         {QByteArray(), bytes({0x89, 'P', 'N'}), QByteArray("just some text here"), QByteArray("II*\0", 4),
          QByteArray("MM\0*", 4), QByteArray("II+\0", 4), QByteArray("MM\0+", 4)})
        EXPECT_EQ(probe(data), (PictureSize{0, 0}));
}

TEST(HeaderProbe, ExifOrientationTurnsTheSizeAsShown)
{
    for (const bool bigEndian : {false, true}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const bool quarter = orientation >= 5;
            const PictureSize shown = quarter ? PictureSize{480, 640} : PictureSize{640, 480};
            const std::string what = std::to_string(orientation) + (bigEndian ? " MM" : " II");
            const QByteArray jpeg = kJpegStart + exif(bigEndian, {{271, 2, 4, 0}, {274, 3, 1, quint64(orientation)}})
                                    + jpegFrame(0xC0, 640, 480);
            EXPECT_EQ(probeHeader(jpeg), (imaging::PictureHeader{{640, 480}, orientation})) << what;
            EXPECT_EQ(probe(jpeg), shown) << what;
            for (const bool big : {false, true}) {
                const QByteArray file
                    = tiff(bigEndian, {{256, 3, 1, 640}, {257, 4, 1, 480}, {274, 3, 1, quint64(orientation)}}, {}, big);
                EXPECT_EQ(probe(file), shown) << what << (big ? " BigTIFF" : " TIFF");
            }
        }
    }
}

TEST(HeaderProbe, OnlyAPlainFirstExifOrientationCounts)
{
    const QByteArray frame = jpegFrame(0xC0, 640, 480);
    const QByteArray xmp = jpegSegment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
    auto orientationOf
        = [&](const QByteArray &segments) { return probeHeader(kJpegStart + segments + frame).orientation; };
    EXPECT_EQ(orientationOf(xmp + exif(false, {{274, 3, 1, 6}})), 6);
    EXPECT_EQ(orientationOf(exif(false, {{274, 3, 1, 6}}) + exif(false, {{274, 3, 1, 3}})), 6);
    // Out of range, of another type, or more than one value: as if none.
    for (const TiffEntry &odd : {TiffEntry{274, 3, 1, 0}, TiffEntry{274, 3, 1, 9}, TiffEntry{274, 3, 1, 0xFFFF},
                                 TiffEntry{274, 5, 1, 6}, TiffEntry{274, 3, 2, 6}})
        EXPECT_EQ(orientationOf(exif(true, {odd})), 1) << odd.type << ' ' << odd.count << ' ' << odd.value;
    // A directory offset out of the EXIF block is not followed out of it,
    // though the file goes on: the block's offsets count from its own start.
    // The block starts after the marker, its length and "Exif\0\0"; its
    // directory offset is redirected past its end, where one says 6.
    QByteArray pointsOut = exif(false, {{274, 3, 1, 3}});
    const qsizetype blockStart = 4 + 6;
    pointsOut[blockStart + 4] = char(200);
    const QByteArray beyond = QByteArray(200 - (pointsOut.size() - blockStart), '\0') + le16(1) + le16(274) + le16(3)
                              + le32(1) + le32(6) + le32(0);
    EXPECT_EQ(orientationOf(pointsOut + beyond), 1);
    EXPECT_EQ(orientationOf(jpegSegment(0xE1, QByteArray("Exif\0\0XX*\0", 10))), 1);
    const QByteArray whole = kJpegStart + exif(true, {{274, 3, 1, 8}}) + frame;
    for (qsizetype cut = 0; cut < whole.size() - 4; ++cut)
        EXPECT_EQ(probe(whole.left(cut)), (PictureSize{0, 0})) << cut;
}
