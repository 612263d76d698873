// The header probe on hand-made HEIF and AVIF boxes: the primary item's
// size and transforms wherever they are listed, the wide forms of the boxes,
// brands, and damage. Files from real encoders, and the turns checked against
// libheif's decoding, are in newer_formats_files_test.cpp.
#include "probe/format_bytes.h"
#include "probe/probe_source.h"

#include <gtest/gtest.h>

using imaging::PictureHeader;
using imaging::PictureSize;
using namespace fmt;
using probetest::probeHeader;

namespace {

constexpr int kNone = -1;

// The EXIF orientation that shows what libheif shows for each `irot` angle
// (anticlockwise quarter turns) with no `imir`, or `imir` of axis 0 (top and
// bottom exchanged) or 1 (left and right exchanged), the rotation listed
// first and the mirror first. Worked out by hand from the EXIF table and
// checked against libheif's pixels by HeifFiles.TransformsMatchLibheifPixels.
struct Turn {
    int angle, axis, rotationFirst, mirrorFirst;
};
constexpr Turn kTurns[] = {
    {0, kNone, 1, 1}, {0, 0, 4, 4}, {0, 1, 2, 2}, //
    {1, kNone, 8, 8}, {1, 0, 5, 7}, {1, 1, 7, 5}, //
    {2, kNone, 3, 3}, {2, 0, 2, 2}, {2, 1, 4, 4}, //
    {3, kNone, 6, 6}, {3, 0, 7, 5}, {3, 1, 5, 7},
};

} // namespace

TEST(HeifProbe, RotationAndMirrorBecomeTheirExifOrientation)
{
    for (const Turn &turn : kTurns) {
        for (const bool mirrorFirst : {false, true}) {
            std::vector<QByteArray> transforms{irot(turn.angle)};
            if (turn.axis != kNone)
                transforms.insert(mirrorFirst ? transforms.begin() : transforms.end(), imir(turn.axis));
            const int expected = mirrorFirst ? turn.mirrorFirst : turn.rotationFirst;
            const PictureSize shown = turn.angle % 2 ? PictureSize{480, 640} : PictureSize{640, 480};
            SCOPED_TRACE(testing::Message()
                         << "irot " << turn.angle << " imir " << turn.axis << " mirror first " << mirrorFirst);
            // ispe first, as writers list it, and last, after the transforms.
            std::vector<QByteArray> properties{ispe(640, 480)};
            properties.insert(properties.end(), transforms.begin(), transforms.end());
            const PictureHeader header = probeHeader(singleItem(properties).file());
            EXPECT_EQ(header, (PictureHeader{{640, 480}, expected}));
            EXPECT_EQ(header.shown(), shown);
            transforms.push_back(ispe(640, 480));
            EXPECT_EQ(probeHeader(singleItem(transforms).file()), header);
        }
    }
}

TEST(HeifProbe, OnlyThePrimaryItemsOwnPropertiesCount)
{
    // Two tiles, a turned thumbnail and the grid, whose ispe is its output
    // size; the grid is listed last and shares the tiles' codec property.
    Heif heif;
    heif.primary = 40;
    heif.properties
        = {box("hvcC", QByteArray(23, '\1')), ispe(512, 512), ispe(160, 120), irot(1), ispe(1000, 700), irot(3)};
    heif.items = {{1, "hvc1", {0x81, 2}},
                  {2, "hvc1", {0x81, 2}},
                  {7, "hvc1", {0x81, 3, 0x84}},
                  {40, "grid", {5, 0x86}},
                  {41, "Exif", {}}};
    EXPECT_EQ(probeHeader(heif.file()), (PictureHeader{{1000, 700}, 6}));
    heif.primary = 7;
    EXPECT_EQ(probeHeader(heif.file()), (PictureHeader{{160, 120}, 8}));
    // Items that are not pictures, or that the file does not list, have no size.
    for (quint32 primary : {41u, 2000u}) {
        heif.primary = primary;
        EXPECT_EQ(probeHeader(heif.file()), PictureHeader{}) << primary;
    }
}

TEST(HeifProbe, WideBoxFormsAndSizes)
{
    // 32-bit item ids (pitm and ipma version 1, infe version 3), 15-bit
    // property indices past 127, a meta box with a 64-bit size, and an mdat
    // whose size 0 runs to the end of the file.
    Heif heif;
    heif.wide = heif.wideIndices = heif.largeMeta = true;
    heif.primary = 0x12345678;
    for (int i = 0; i < 200; ++i)
        heif.properties.push_back(box("free", {}));
    heif.properties.push_back(ispe(4000, 3000));
    heif.properties.push_back(irot(2));
    heif.items = {{5, "av01", {1}}, {0x12345678, "av01", {0x8000 | 202, 201}}};
    heif.brands = "avifmif1miaf";
    const QByteArray file = heif.file();
    EXPECT_EQ(probeHeader(file), (PictureHeader{{4000, 3000}, 3}));
    const qsizetype mdat = file.lastIndexOf("mdat") - 4;
    EXPECT_EQ(probeHeader(file.left(mdat) + be32(0) + "mdat" + QByteArray(40, '\0')), (PictureHeader{{4000, 3000}, 3}));
    // ispe sides beyond a signed 32-bit integer are no side.
    heif.properties[200] = ispe(0x80000000u, 5);
    EXPECT_EQ(probeHeader(heif.file()), (PictureHeader{{0, 5}, 3}));
}

TEST(HeifProbe, BrandsTellHeifFromOtherBoxFiles)
{
    Heif heif = singleItem({ispe(64, 48)});
    for (const char *brands : {"heicmif1", "heix", "mif1", "isommif1", "avif", "avis", "msf1", "hevc", "mp41mif2"}) {
        heif.brands = brands;
        EXPECT_EQ(probeHeader(heif.file()).stored, (PictureSize{64, 48})) << brands;
    }
    for (const char *brands : {"isommp41", "qt  ", "jxl ", "mp42isomavc1"}) {
        heif.brands = brands;
        EXPECT_EQ(probeHeader(heif.file()), PictureHeader{}) << brands;
    }
}

TEST(HeifProbe, DamageGivesNoSize)
{
    const Heif good = singleItem({ispe(640, 480), irot(1)});
    ASSERT_EQ(probeHeader(good.file()), (PictureHeader{{640, 480}, 8}));
    const QByteArray file = good.file();
    auto withBytes = [&](const char *at, const QByteArray &replacement, int skip = 0) {
        QByteArray changed = file;
        return changed.replace(file.indexOf(at) + skip, replacement.size(), replacement);
    };
    // An association past the last property; no ispe; a property whose size
    // runs out of ipco; a meta box running out of the file; no pitm.
    Heif pastTheEnd = good;
    pastTheEnd.items[0].properties.push_back(3);
    Heif noIspe = good;
    noIspe.items[0].properties = {0x82};
    for (const QByteArray &bad :
         {pastTheEnd.file(), noIspe.file(), withBytes("irot", be32(200), -4), withBytes("meta", be32(5000), -4),
          withBytes("pitm", "pitX"), withBytes("iinf", "iinX"), withBytes("ipma", "ipmX")})
        EXPECT_EQ(probeHeader(bad), PictureHeader{});
    // An entry count far beyond the entries, a box smaller than its header.
    EXPECT_EQ(probeHeader(withBytes("ipma", be32(0xFFFFFFFFu), 8)), (PictureHeader{{640, 480}, 8}));
    EXPECT_EQ(probeHeader(withBytes("ispe", be32(4), -4)), PictureHeader{});
    // Cut anywhere: the whole header or nothing, never a size without its turn.
    for (qsizetype cut = 0; cut < file.size(); ++cut) {
        const PictureHeader header = probeHeader(file.left(cut));
        EXPECT_TRUE(header == PictureHeader{} || header == probeHeader(file)) << cut;
    }
}

TEST(HeifProbe, BoxesAreSkippedWithoutReadingThem)
{
    const QByteArray file = singleItem({ispe(640, 480)}).file();
    const qsizetype meta = file.indexOf("meta") - 4;
    const QByteArray padded = file.left(meta) + box("free", QByteArray(1 << 20, '\0')) + file.mid(meta);
    probetest::CheckedSource source(padded);
    EXPECT_EQ(imaging::probePictureHeader(source, false), (PictureHeader{{640, 480}, 1}));
    EXPECT_LT(source.bytesRead, 600u);
}
