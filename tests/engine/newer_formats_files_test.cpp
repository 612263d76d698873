// The header probe on files that Debian's encoders write at test time (cwebp,
// img2webp, heif-enc, avifenc, cjxl, exiftool), checked against the readers
// of the same packages (webpinfo, heif-info, jxlinfo, exiftool); and HEIF's
// turns and mirrors checked against the pixels libheif decodes.
#include "probe/format_bytes.h"
#include "probe/read_picture_size.h"
#include "probe/probe_source.h"
#include "support/programs.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using imaging::PictureHeader;
using imaging::PictureSize;
using vips::VImage;

namespace {

// The numbers `pattern` captures in `text`, or none.
std::vector<int> numbers(const QString &text, const char *pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    std::vector<int> out;
    for (int i = 1; match.hasMatch() && i <= match.lastCapturedIndex(); ++i)
        out.push_back(match.captured(i).toInt());
    return out;
}

PictureSize sizeOf(const std::vector<int> &sides)
{
    return sides.size() == 2 ? PictureSize{sides[0], sides[1]} : PictureSize{};
}

// exiftool's EXIF orientation of a file, 1 when it has none.
int exiftoolOrientation(const QString &path)
{
    const QString value = runProgram("exiftool", {"-n", "-s3", "-Orientation", path}).trimmed();
    return value.isEmpty() ? 1 : value.toInt();
}

qsizetype boxSize(const QByteArray &file, qsizetype at)
{
    return qsizetype(quint32(quint8(file[at])) << 24 | quint8(file[at + 1]) << 16 | quint8(file[at + 2]) << 8
                     | quint8(file[at + 3]));
}

// A box's contents, found by its path of types from the top of the file
// (`meta` skips its version and flags).
struct Found {
    qsizetype contents = -1, end = -1;
};
Found findBox(const QByteArray &file, const QList<QByteArray> &path)
{
    Found at{0, file.size()};
    for (const QByteArray &type : path) {
        qsizetype box = at.contents;
        Found next;
        while (box + 8 <= at.end) {
            const qsizetype size = boxSize(file, box);
            if (size < 8)
                break;
            if (file.mid(box + 4, 4) == type) {
                next = {box + 8 + (type == "meta" ? 4 : 0), box + size};
                break;
            }
            box += size;
        }
        if (next.contents < 0)
            return next;
        at = next;
    }
    return at;
}

class NewerFormatFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const VImage rgb = testpics::gradient(61, 37);
        testpics::save(rgb, file("rgb.png"), ".png");
        testpics::save(rgb.bandjoin(rgb.extract_band(0)), file("rgba.png"), ".png");
        testpics::save(rgb, file("photo.jpg"), ".jpg");
        runProgram("cwebp", {"-quiet", "-q", "60", file("rgb.png"), "-o", file("lossy.webp")});
        runProgram("cwebp", {"-quiet", "-lossless", file("rgb.png"), "-o", file("lossless.webp")});
        runProgram("cwebp", {"-quiet", file("rgba.png"), "-o", file("alpha.webp")});
        runProgram("img2webp",
                   {"-loop", "0", file("rgb.png"), "-d", "80", file("rgba.png"), "-o", file("animated.webp")});
        QFile::copy(file("lossy.webp"), file("exif.webp"));
        QFile::copy(file("rgb.png"), file("exif.png"));
        for (const char *name : {"exif.webp", "exif.png", "photo.jpg"})
            runProgram("exiftool", {"-q", "-overwrite_original", "-Orientation#=6", file(name)});
        // The same with VP8X's EXIF flag cleared: libvips then leaves the chunk unread.
        QByteArray noFlag = readFile(file("exif.webp"));
        ASSERT_EQ(noFlag.mid(12, 4), "VP8X");
        noFlag[20] = char(noFlag[20] & ~0x08);
        writeFile(file("exif-no-flag.webp"), noFlag);
        // And with the "Exif\0\0" that some writers put before the TIFF structure.
        const QByteArray exif = readFile(file("exif.webp"));
        const qsizetype chunk = exif.indexOf("EXIF");
        const quint32 length = quint8(exif[chunk + 4]) | quint8(exif[chunk + 5]) << 8 | quint8(exif[chunk + 6]) << 16;
        const QByteArray chunks = exif.mid(12, chunk - 12)
                                  + fmt::webpChunk("EXIF", QByteArray("Exif\0\0", 6) + exif.mid(chunk + 8, length));
        writeFile(file("exif-prefixed.webp"), fmt::webp(chunks));
        runProgram("heif-enc", {"-q", "50", file("rgb.png"), "-o", file("grid.heic")});
        runProgram("heif-enc", {"-A", "-q", "50", file("rgb.png"), "-o", file("heif-enc.avif")});
        runProgram("avifenc", {"-s", "10", file("rgb.png"), file("avifenc.avif")});
        runProgram("cjxl", {file("rgb.png"), file("bare.jxl"), "-d", "1"});
        runProgram("cjxl", {file("rgb.png"), file("container.jxl"), "-d", "0", "--container=1"});
        // cjxl takes a JPEG's EXIF orientation into the codestream; its pieces
        // split over jxlp boxes and bare make two more files.
        runProgram("cjxl", {file("photo.jpg"), file("oriented.jxl"), "--lossless_jpeg=0"});
        const QByteArray oriented = readFile(file("oriented.jxl"));
        const Found jxlc = findBox(oriented, {"jxlc"});
        ASSERT_GT(jxlc.contents, 0);
        const QByteArray codestream = oriented.mid(jxlc.contents, jxlc.end - jxlc.contents);
        writeFile(file("oriented-bare.jxl"), codestream);
        writeFile(file("oriented-pieces.jxl"), oriented.left(jxlc.contents - 8)
                                                   + fmt::box("jxlp", fmt::be32(0) + codestream.left(3))
                                                   + fmt::box("jxlp", fmt::be32(0x80000001u) + codestream.mid(3)));
    }
    static void TearDownTestSuite() { delete dir; }
    static QString file(const QString &name) { return dir->file(name); }

    static PictureHeader probeFile(const QString &name)
    {
        const PictureHeader header = probetest::probeHeader(readFile(file(name)));
        EXPECT_EQ(imaging::ReadPictureSize(file(name)), header.shown()) << name.toStdString();
        return header;
    }

    static TempDir *dir;
};

TempDir *NewerFormatFiles::dir = nullptr;

} // namespace

TEST_F(NewerFormatFiles, WebPAgreesWithWebpinfoExiftoolAndLibvips)
{
    for (const char *name : {"lossy.webp", "lossless.webp", "alpha.webp", "animated.webp", "exif.webp"}) {
        const QString info = runProgram("webpinfo", {file(name)});
        const std::vector<int> canvas = numbers(info, R"(Canvas size (\d+) x (\d+))");
        const PictureSize size = canvas.empty() ? PictureSize{numbers(info, R"(Width: (\d+))").at(0),
                                                              numbers(info, R"(Height: (\d+))").at(0)}
                                                : sizeOf(canvas);
        EXPECT_EQ(probeFile(name), (PictureHeader{size, exiftoolOrientation(file(name))})) << name;
        EXPECT_EQ(size, (PictureSize{61, 37})) << name;
    }
    EXPECT_EQ(probeFile("exif.webp").orientation, 6);
    // The decoder's own reading: libvips takes the EXIF chunk, prefixed or
    // not, only when VP8X's flag announces it (webpinfo calls a file without
    // the flag damaged).
    for (const char *name : {"exif.webp", "exif-no-flag.webp", "exif-prefixed.webp", "alpha.webp"}) {
        const VImage header = VImage::new_from_file(QFile::encodeName(file(name)).constData());
        const int orientation = header.get_typeof("orientation") ? header.get_int("orientation") : 1;
        EXPECT_EQ(probeFile(name), (PictureHeader{{header.width(), header.height()}, orientation})) << name;
    }
    EXPECT_EQ(probeFile("exif-prefixed.webp").orientation, 6);
    EXPECT_EQ(probeFile("exif-no-flag.webp").orientation, 1);
}

TEST_F(NewerFormatFiles, PngExifAgreesWithLibvipsAndExiftool)
{
    const QByteArray before = readFile(file("exif.png"));
    const qsizetype exif = before.indexOf("eXIf") - 4, idat = before.indexOf("IDAT") - 4;
    const qsizetype iend = before.indexOf("IEND") - 4;
    ASSERT_TRUE(exif > 0 && exif < idat && idat < iend);
    const qsizetype exifEnd = exif + 12 + boxSize(before, exif);
    writeFile(file("exif-after.png"), before.left(exif) + before.mid(exifEnd, iend - exifEnd)
                                          + before.mid(exif, exifEnd - exif) + before.mid(iend));
    for (const char *name : {"exif.png", "exif-after.png"}) {
        const VImage header = VImage::new_from_file(QFile::encodeName(file(name)).constData());
        const int orientation = header.get_typeof("orientation") ? header.get_int("orientation") : 1;
        EXPECT_EQ(probeFile(name), (PictureHeader{{61, 37}, orientation})) << name;
    }
    EXPECT_EQ(probeFile("exif.png").orientation, exiftoolOrientation(file("exif.png")));
    EXPECT_EQ(imaging::ReadPictureSize(file("exif.png")), (PictureSize{37, 61}));
    EXPECT_EQ(imaging::ReadPictureSize(file("exif-after.png")), (PictureSize{61, 37}));
}

TEST_F(NewerFormatFiles, HeifAndAvifAgreeWithHeifInfo)
{
    for (const char *name : {"grid.heic", "heif-enc.avif", "avifenc.avif"}) {
        const QString info = runProgram("heif-info", {file(name)});
        const PictureSize shown = sizeOf(numbers(info, R"(image: (\d+)x(\d+) \(id=\d+\), primary)"));
        EXPECT_EQ(probeFile(name).shown(), shown) << name;
        EXPECT_EQ(shown, (PictureSize{61, 37})) << name;
    }
}

TEST_F(NewerFormatFiles, JpegXlAgreesWithJxlinfo)
{
    for (const char *name : {"bare.jxl", "container.jxl", "oriented.jxl", "oriented-bare.jxl", "oriented-pieces.jxl"}) {
        const QString info = runProgram("jxlinfo", {file(name)});
        const std::vector<int> orientation = numbers(info, R"(Orientation: (\d))");
        const PictureHeader expected{sizeOf(numbers(info, R"(JPEG XL image, (\d+)x(\d+))")),
                                     orientation.empty() ? 1 : orientation[0]};
        EXPECT_EQ(probeFile(name), expected) << name;
        EXPECT_EQ(expected.stored, (PictureSize{61, 37})) << name;
    }
    EXPECT_EQ(probeFile("oriented-pieces.jxl").orientation, 6);
}

// libjxl's test data: a container whose codestream box has a 64-bit size,
// written in the order libjxl used then (the size before the type), which
// libvips (through Debian's libjxl 0.7) reads, as it does the same box as a
// last box of size 0, running to the end of the file. The standard order
// (the type, then the size), which that libjxl cannot read, gives the same.
TEST_F(NewerFormatFiles, JpegXlExtendedBoxSizesAgreeWithLibvips)
{
    const QString testData = "/usr/share/libjxl-testdata/jxl/boxes/square-extended-size-container.jxl";
    const QByteArray file = readFile(testData);
    ASSERT_EQ(file.size(), 104);
    const qsizetype jxlc = file.indexOf("jxlc");
    ASSERT_EQ(jxlc, 0x2C);
    const QByteArray codestream = file.mid(jxlc + 4);
    writeFile(this->file("to-the-end.jxl"), file.left(0x20) + fmt::be32(0) + "jxlc" + codestream);
    writeFile(this->file("standard-large.jxl"), file.left(0x20) + fmt::box("jxlc", codestream, true));
    for (const QString &path : {testData, this->file("to-the-end.jxl")}) {
        const std::vector<int> size = numbers(vipsSays(path), R"(^jxlload (\d+)x(\d+)$)");
        const PictureHeader header = probetest::probeHeader(readFile(path));
        EXPECT_EQ(header, (PictureHeader{sizeOf(size), 1})) << path.toStdString();
        EXPECT_EQ(imaging::ReadPictureSize(path), header.shown()) << path.toStdString();
        EXPECT_EQ(header.stored, (PictureSize{8, 8})) << path.toStdString();
    }
    EXPECT_EQ(probeFile("standard-large.jxl"), (PictureHeader{{8, 8}, 1}));
}

TEST_F(NewerFormatFiles, TruncatedCopiesNeverInventASizeOrATurn)
{
    for (const QString &name : dir->entries()) {
        if (name.endsWith(".jpg") || (name.endsWith(".png") && !name.startsWith("exif")))
            continue;
        const QByteArray whole = readFile(file(name));
        const PictureHeader full = probetest::probeHeader(whole);
        for (qsizetype cut = 0; cut < whole.size(); cut += 1 + cut / 32) {
            const PictureHeader header = probetest::probeHeader(whole.left(cut));
            EXPECT_TRUE(header.stored.Width == 0 || header.stored.Width == full.stored.Width)
                << name.toStdString() << cut;
            EXPECT_TRUE(header.stored.Height == 0 || header.stored.Height == full.stored.Height)
                << name.toStdString() << cut;
            EXPECT_TRUE(header.orientation == 1 || header.orientation == full.orientation) << name.toStdString() << cut;
        }
    }
}

// avifenc's lossless picture with two of its properties replaced, in place,
// by `irot` and `imir` of the same size (a property box may hold more than it
// needs), and the primary item's associations reordered; heif-convert
// decodes it with libheif, which applies the transforms, and the result must
// be the source turned by libvips as the probe's orientation says.
TEST_F(NewerFormatFiles, TransformsMatchLibheifPixels)
{
    const VImage mark = testpics::gradient(13, 7);
    testpics::save(mark, file("mark.png"), ".png");
    runProgram("avifenc", {"-s", "10", "--lossless", file("mark.png"), file("mark.avif")});
    const QByteArray source = readFile(file("mark.avif"));
    const Found ipco = findBox(source, {"meta", "iprp", "ipco"});
    const Found ipma = findBox(source, {"meta", "iprp", "ipma"});
    ASSERT_GT(ipco.contents, 0);
    // The properties in order; version 0 ipma: count, item 1, its count, the indices.
    std::vector<std::pair<qsizetype, QByteArray>> boxes;
    for (qsizetype at = ipco.contents; at < ipco.end; at += boxSize(source, at))
        boxes.emplace_back(at, source.mid(at + 4, 4));
    const qsizetype list = ipma.contents + 4 + 4 + 2 + 1;
    ASSERT_EQ(source.mid(ipma.contents, 11), QByteArray("\0\0\0\0\0\0\0\1\0\1\4", 11));
    auto indexOf = [&](const char *type) {
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].second == type)
                return int(i);
        return -1;
    };
    const int pixi = indexOf("pixi"), colr = indexOf("colr"), ispe = indexOf("ispe"), av1C = indexOf("av1C");
    ASSERT_TRUE(pixi >= 0 && colr >= 0 && ispe >= 0 && av1C >= 0);
    auto replaced = [&](int index, const char *type, int value) {
        const int size = int(boxSize(source, boxes[std::size_t(index)].first));
        return fmt::box(type, fmt::bytes({value}) + QByteArray(size - 9, '\0'));
    };
    for (int angle = 0; angle < 4; ++angle) {
        for (int axis = 0; axis < 2; ++axis) {
            for (const bool mirrorFirst : {false, true}) {
                QByteArray variant = source;
                variant.replace(boxes[std::size_t(pixi)].first, replaced(pixi, "irot", angle).size(),
                                replaced(pixi, "irot", angle));
                variant.replace(boxes[std::size_t(colr)].first, replaced(colr, "imir", axis).size(),
                                replaced(colr, "imir", axis));
                // The transforms listed before ispe, libvips' stumbling block.
                const int first = mirrorFirst ? colr : pixi, second = mirrorFirst ? pixi : colr;
                variant.replace(
                    list, 4,
                    fmt::bytes({0x80 | (first + 1), 0x80 | (second + 1), 0x80 | (ispe + 1), 0x80 | (av1C + 1)}));
                writeFile(file("turned.avif"), variant);
                runProgram("heif-convert", {file("turned.avif"), file("turned.png")});
                const PictureHeader header = probeFile("turned.avif");
                SCOPED_TRACE(testing::Message() << "irot " << angle << " imir " << axis << " mirror first "
                                                << mirrorFirst << " orientation " << header.orientation);
                VImage expected = mark.copy();
                expected.set("orientation", header.orientation);
                expected = expected.autorot();
                const VImage decoded = testpics::load(file("turned.png"));
                ASSERT_EQ((PictureSize{decoded.width(), decoded.height()}), header.shown());
                EXPECT_EQ(testpics::difference(decoded, expected).largest, 0);
            }
        }
    }
}
