// The header probe on hand-made WebP, JPEG XL and PNG headers: each way a
// size is stored, the orientation where each keeps it, and damage.
#include "probe/format_bytes.h"
#include "probe/probe_source.h"

#include <gtest/gtest.h>

using imaging::PictureHeader;
using imaging::PictureSize;
using namespace fmt;
using probetest::probeHeader;

namespace {

QByteArray tiffWithOrientation(bool bigEndian, int orientation)
{
    return hdr::tiff(bigEndian, {{271, 2, 4, 0}, {274, 3, 1, quint64(orientation)}});
}

// Every cut of `file` gives `whole` or nothing.
void expectCutsGiveAllOrNothing(const QByteArray &file, const PictureHeader &whole)
{
    for (qsizetype cut = 0; cut < file.size(); ++cut) {
        const PictureHeader header = probeHeader(file.left(cut));
        EXPECT_TRUE(header == PictureHeader{} || header == whole) << "cut " << cut;
    }
}

// A JPEG XL size header in the long form, ratio 0, then image metadata
// that is not all default and has extra fields: the orientation.
QByteArray jxlCodestream(quint32 width, quint32 height, int orientation)
{
    BitWriter bits;
    bits.put(0, 1).side(height, 3).put(0, 3).side(width, 3).put(0, 1).put(1, 1).put(quint64(orientation - 1), 3);
    return bytes({0xFF, 0x0A}) + bits.put(0, 3).bytes() + QByteArray(8, '\x42');
}

} // namespace

TEST(WebPProbe, EachKindOfFirstChunkGivesTheSize)
{
    // The two scaling bits above a lossy frame's 14-bit sides do not belong to them.
    EXPECT_EQ(probeHeader(webp(vp8(0xC000 | 640, 0x4000 | 480))), (PictureHeader{{640, 480}, 1}));
    EXPECT_EQ(probeHeader(webp(vp8(0x3FFF, 1))), (PictureHeader{{16383, 1}, 1}));
    EXPECT_EQ(probeHeader(webp(vp8l(16384, 1))), (PictureHeader{{16384, 1}, 1}));
    EXPECT_EQ(probeHeader(webp(vp8l(1, 9999))), (PictureHeader{{1, 9999}, 1}));
    // The extended canvas, animations too: the largest sides 24 bits hold.
    EXPECT_EQ(probeHeader(webp(vp8x(1 << 24, 3, 0x02) + webpChunk("ANIM", QByteArray(6, '\0')))),
              (PictureHeader{{1 << 24, 3}, 1}));
    EXPECT_EQ(probeHeader(webp(vp8x(300, 200, 0x10) + webpChunk("ALPH", "x") + vp8(16, 16))),
              (PictureHeader{{300, 200}, 1}));
}

TEST(WebPProbe, WhatDecodersRefuseHasNoSize)
{
    QByteArray badStart = webp(vp8(640, 480));
    badStart[12 + 8 + 3] = 0x9C;
    QByteArray shortRiff = webp(vp8(640, 480));
    shortRiff.replace(4, 4, le32(11));
    QByteArray longChunk = webp(vp8(640, 480));
    longChunk.replace(16, 4, le32(100));
    QByteArray badSignature = webp(vp8l(64, 64));
    badSignature[20] = 0x2E;
    for (const QByteArray &bad : {webp(vp8(640, 480, false)), badStart, webp(vp8l(64, 64, 1)), badSignature, shortRiff,
                                  longChunk, webp(webpChunk("ALPH", "x") + vp8(16, 16)), webp(vp8x(5, 5, 0).left(12))})
        EXPECT_EQ(probeHeader(bad), PictureHeader{});
    // Cut inside the picture data, the first chunk's header still holds.
    EXPECT_EQ(probeHeader(webp(vp8(640, 480)).left(12 + 8 + 10)), (PictureHeader{{640, 480}, 1}));
}

TEST(WebPProbe, ExtendedFileTakesItsExifOrientation)
{
    const QByteArray odd = webpChunk("ICCP", QByteArray(17, 'c'));
    for (const bool bigEndian : {false, true}) {
        for (const bool prefixed : {false, true}) {
            SCOPED_TRACE(testing::Message() << "big-endian " << bigEndian << " prefixed " << prefixed);
            const QByteArray exif = webpChunk("EXIF", (prefixed ? QByteArray("Exif\0\0", 6) : QByteArray())
                                                          + tiffWithOrientation(bigEndian, 6));
            const QByteArray file = webp(vp8x(640, 480, 0x28) + odd + vp8(640, 480) + exif);
            EXPECT_EQ(probeHeader(file), (PictureHeader{{640, 480}, 6}));
            // Cut before the EXIF chunk ends, the orientation is lost, not the size.
            for (qsizetype cut = 30; cut < file.size(); ++cut) {
                const PictureHeader header = probeHeader(file.left(cut));
                EXPECT_EQ(header.stored, (PictureSize{640, 480})) << cut;
                EXPECT_TRUE(header.orientation == 1 || header.orientation == 6) << cut;
            }
            // Without the EXIF flag, or past the RIFF size, the chunk is not read.
            EXPECT_EQ(probeHeader(webp(vp8x(640, 480, 0x20) + odd + vp8(640, 480) + exif)).orientation, 1);
            QByteArray beyond = webp(vp8x(640, 480, 0x28) + vp8(640, 480)) + exif;
            EXPECT_EQ(probeHeader(beyond).orientation, 1);
        }
    }
    // A simple file has no place for EXIF: a chunk after its frame is not read.
    EXPECT_EQ(probeHeader(webp(vp8(64, 48) + webpChunk("EXIF", tiffWithOrientation(false, 8)))).orientation, 1);
}

TEST(JpegXlProbe, SizeHeaderForms)
{
    // Multiples of 8 in 5 bits each (the smallest and largest), then each
    // bit count of the long form, then the width from each fixed ratio.
    BitWriter small;
    small.put(1, 1).put(0, 5).put(0, 3).put(31, 5).put(1, 1);
    EXPECT_EQ(probeHeader(bytes({0xFF, 0x0A}) + small.bytes()), (PictureHeader{{256, 8}, 1}));
    const quint32 sides[] = {1 << 9, 1 << 13, 1 << 18, 1u << 30};
    for (int which = 0; which < 4; ++which) {
        BitWriter bits;
        bits.put(0, 1).side(sides[which], which).put(0, 3).side(sides[3 - which], 3 - which).put(1, 1);
        EXPECT_EQ(probeHeader(bytes({0xFF, 0x0A}) + bits.bytes()),
                  (PictureHeader{{qint32(sides[3 - which]), qint32(sides[which])}, 1}))
            << which;
    }
    const qint32 widths[] = {1000, 1200, 1333, 1500, 1777, 1250, 2000};
    for (int ratio = 1; ratio <= 7; ++ratio) {
        BitWriter bits;
        bits.put(0, 1).side(1000, 1).put(quint64(ratio), 3).put(1, 1);
        EXPECT_EQ(probeHeader(bytes({0xFF, 0x0A}) + bits.bytes()), (PictureHeader{{widths[ratio - 1], 1000}, 1}))
            << ratio;
    }
    // 2:1 of the tallest side is more than a signed 32-bit width.
    BitWriter tall;
    tall.put(0, 1).side(1u << 30, 3).put(7, 3).put(1, 1);
    EXPECT_EQ(probeHeader(bytes({0xFF, 0x0A}) + tall.bytes()), (PictureHeader{{0, 1 << 30}, 1}));
}

TEST(JpegXlProbe, OrientationFromTheImageMetadata)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const PictureHeader header = probeHeader(jxlCodestream(640, 480, orientation));
        EXPECT_EQ(header, (PictureHeader{{640, 480}, orientation}));
        EXPECT_EQ(header.shown(), (orientation >= 5 ? PictureSize{480, 640} : PictureSize{640, 480}));
    }
    // Metadata all default, or without extra fields: upright.
    BitWriter noExtra;
    noExtra.put(0, 1).side(640, 1).put(0, 3).side(480, 1).put(0, 1).put(0, 1).put(7, 3);
    EXPECT_EQ(probeHeader(bytes({0xFF, 0x0A}) + noExtra.bytes()), (PictureHeader{{480, 640}, 1}));
    expectCutsGiveAllOrNothing(jxlCodestream(640, 480, 6), PictureHeader{{640, 480}, 6});
}

TEST(JpegXlProbe, ContainerGathersTheCodestreamFromItsPieces)
{
    const QByteArray codestream = jxlCodestream(3000, 2000, 8);
    const PictureHeader expected{{3000, 2000}, 8};
    // An Exif box saying otherwise is not what decoders apply.
    const QByteArray before
        = box("jxll", bytes({10})) + box("Exif", be32(0) + tiffWithOrientation(true, 3)) + box("xml ", "<x/>");
    EXPECT_EQ(probeHeader(jxlContainer(before + box("jxlc", codestream))), expected);
    EXPECT_EQ(probeHeader(jxlContainer(box("jxlc", codestream, true))), expected);
    // Split in two pieces anywhere, an empty first one too, the last one marked.
    for (qsizetype split = 0; split <= codestream.size(); ++split) {
        const QByteArray pieces = box("jxlp", be32(0) + codestream.left(split)) + box("Exif", be32(0))
                                  + box("jxlp", be32(0x80000001u) + codestream.mid(split));
        EXPECT_EQ(probeHeader(jxlContainer(pieces)), expected) << split;
    }
    // Pieces out of order, no ftyp, another brand: no size.
    const QByteArray swapped = box("jxlp", be32(1) + codestream.left(4)) + box("jxlp", be32(0) + codestream.mid(4));
    const QByteArray noFtyp = kJxlSignatureBox + box("jxlc", codestream);
    const QByteArray otherBrand = kJxlSignatureBox + box("ftyp", "jxl2" + be32(0)) + box("jxlc", codestream);
    for (const QByteArray &bad : {jxlContainer(swapped), noFtyp, otherBrand})
        EXPECT_EQ(probeHeader(bad), PictureHeader{});
    expectCutsGiveAllOrNothing(jxlContainer(before + box("jxlc", codestream)), expected);
}

TEST(PngProbe, ExifBeforeThePictureDataTurnsIt)
{
    const QByteArray start = hdr::png(640, 480) + be32(0);
    const QByteArray idat = pngChunk("IDAT", QByteArray(20, 'p'));
    for (const bool bigEndian : {false, true}) {
        const QByteArray exif = pngChunk("eXIf", tiffWithOrientation(bigEndian, 6));
        const QByteArray file = start + pngChunk("pHYs", QByteArray(9, '\0')) + exif + idat + pngChunk("IEND", {});
        EXPECT_EQ(probeHeader(file), (PictureHeader{{640, 480}, 6})) << bigEndian;
        // After IDAT, as libvips reads PNG, it is not taken.
        EXPECT_EQ(probeHeader(start + idat + exif + pngChunk("IEND", {})).orientation, 1);
        // Only the first counts; JPEG's "Exif\0\0" before it is not PNG's form.
        EXPECT_EQ(probeHeader(start + exif + pngChunk("eXIf", tiffWithOrientation(false, 3)) + idat).orientation, 6);
        EXPECT_EQ(
            probeHeader(start + pngChunk("eXIf", "Exif" + QByteArray(2, '\0') + tiffWithOrientation(bigEndian, 6)))
                .orientation,
            1);
        for (qsizetype cut = 24; cut < file.size(); ++cut) {
            const PictureHeader header = probeHeader(file.left(cut));
            EXPECT_TRUE(header.orientation == 1 || header.orientation == 6) << cut;
            EXPECT_EQ(header.stored, (PictureSize{640, 480})) << cut;
        }
    }
    // Up to 64 chunks are looked at.
    QByteArray many = start;
    for (int i = 0; i < 70; ++i)
        many += pngChunk("tEXt", "k");
    EXPECT_EQ(probeHeader(many + pngChunk("eXIf", tiffWithOrientation(false, 6))).orientation, 1);
}
