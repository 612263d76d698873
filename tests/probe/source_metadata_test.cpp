// Which sources may stand for their output as they are (--no-larger): those
// that hold their picture and nothing else, in each output format; and the
// EXIF block the program writes, read back by exiftool.
#include "engine/codecs/encode_picture.h"
#include "probe/source_metadata.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace imaging;

namespace {

std::span<const std::uint8_t> span(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray encoded(OutputFormat format)
{
    const auto bytes = encodePicture(testpics::gradient(40, 30), format);
    EXPECT_TRUE(bytes);
    return bytes ? *bytes : QByteArray();
}

// The file with exiftool's `assignments` made to it.
QByteArray withTag(const TempDir &dir, const QByteArray &file, const char *suffix, const QStringList &assignments)
{
    const QString path = dir.file(QStringLiteral("tagged.") + suffix);
    writeFile(path, file);
    QProcess exiftool;
    exiftool.start("exiftool", QStringList{"-q", "-overwrite_original"} + assignments + QStringList{path});
    EXPECT_TRUE(exiftool.waitForFinished(30000));
    EXPECT_EQ(exiftool.exitCode(), 0) << exiftool.readAllStandardError().toStdString();
    return readFile(path);
}

} // namespace

TEST(SourceMetadata, OnlyAFileThatHoldsNothingButItsPictureMayStandForTheOutput)
{
    TempDir dir;
    const struct {
        OutputFormat format;
        const char *suffix;
        const char *tag; // one that exiftool writes to that format
    } cases[] = {
        {OutputFormat::Jpeg, "jpg", "-Comment=hello"},       {OutputFormat::Jpeg, "jpg", "-XMP:Title=hello"},
        {OutputFormat::Jpeg, "jpg", "-IPTC:Keywords=hello"}, {OutputFormat::Jpeg, "jpg", "-EXIF:Artist=hello"},
        {OutputFormat::Png, "png", "-PNG:Comment=hello"},    {OutputFormat::Png, "png", "-EXIF:Artist=hello"},
        {OutputFormat::Gif, "gif", "-Comment=hello"},        {OutputFormat::Tiff, "tif", "-EXIF:Artist=hello"},
        {OutputFormat::Tiff, "tif", "-XMP:Title=hello"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tag);
        const QByteArray plain = encoded(c.format);
        EXPECT_TRUE(holdsOnlyPicture(span(plain), c.format));
        EXPECT_FALSE(holdsOnlyPicture(span(withTag(dir, plain, c.suffix, {c.tag})), c.format));
        // A file of another format never stands for this one.
        EXPECT_FALSE(
            holdsOnlyPicture(span(plain), c.format == OutputFormat::Png ? OutputFormat::Jpeg : OutputFormat::Png));
    }
    for (const OutputFormat format : {OutputFormat::Bmp, OutputFormat::Tga})
        EXPECT_TRUE(holdsOnlyPicture(span(encoded(format)), format));
    // A TGA that names its picture or carries the extension area (author,
    // comments, dates) does not.
    QByteArray named = encoded(OutputFormat::Tga);
    named[0] = 4;
    named.insert(18, "name");
    EXPECT_FALSE(holdsOnlyPicture(span(named), OutputFormat::Tga));
    QByteArray extended = encoded(OutputFormat::Tga);
    extended[extended.size() - 26] = 18;
    EXPECT_FALSE(holdsOnlyPicture(span(extended), OutputFormat::Tga));
}

TEST(SourceMetadata, TheKeptBlockReadsBackInEitherByteOrderAndValuesOutsideAreDropped)
{
    TempDir dir;
    const QByteArray jpeg = encoded(OutputFormat::Jpeg);
    for (const char *order : {"Little-endian", "Big-endian"}) {
        SCOPED_TRACE(order);
        const QByteArray source = withTag(dir, jpeg, "jpg",
                                          {QStringLiteral("-ExifByteOrder=") + order, "-EXIF:Artist=Me",
                                           "-EXIF:Model=A camera model with a long name", "-EXIF:GPSAltitude=123.5"});
        const std::span block = findExifBlock(span(source));
        ASSERT_GT(block.size(), 8u);
        EXPECT_EQ(block[0], order[0] == 'L' ? 'I' : 'M');
        const Bytes kept = keptExif(block, false, 40, 30);
        const Bytes located = keptExif(block, true, 40, 30);
        ASSERT_FALSE(kept.empty());
        EXPECT_LT(kept.size(), located.size());
        const QByteArray out(reinterpret_cast<const char *>(kept.data()), qsizetype(kept.size()));
        EXPECT_TRUE(out.contains("A camera model with a long name"));
        // The same block cut short: the model's value now lies outside it
        // and goes, what lies inside stays.
        const qsizetype model = QByteArray(reinterpret_cast<const char *>(block.data()), qsizetype(block.size()))
                                    .indexOf("A camera model");
        ASSERT_GT(model, 0);
        const Bytes cut = keptExif(block.first(std::size_t(model) + 5), false, 40, 30);
        const QByteArray cutOut(reinterpret_cast<const char *>(cut.data()), qsizetype(cut.size()));
        EXPECT_FALSE(cutOut.contains("A camera"));
        EXPECT_TRUE(cutOut.contains("Me"));
    }
}

namespace {

// Where the bytes `pattern` first stand in `block`; -1 when nowhere.
qsizetype find(const Bytes &block, const QByteArray &pattern)
{
    return QByteArray(reinterpret_cast<const char *>(block.data()), qsizetype(block.size())).indexOf(pattern);
}

std::uint32_t le32At(const Bytes &block, qsizetype at)
{
    return block[std::size_t(at)] | std::uint32_t(block[std::size_t(at) + 1]) << 8
           | std::uint32_t(block[std::size_t(at) + 2]) << 16 | std::uint32_t(block[std::size_t(at) + 3]) << 24;
}

void setLe32(Bytes &block, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        block[std::size_t(at + i)] = std::uint8_t(value >> (8 * i));
}

} // namespace

TEST(SourceMetadata, AKeptEntryIsReadAsItsTagDefinesSoAnEnlargedCountCarriesNoLocation)
{
    TempDir dir;
    const QByteArray source = withTag(dir, encoded(OutputFormat::Jpeg), "jpg",
                                      {"-ExifByteOrder=Little-endian", "-EXIF:ExposureTime=1/100", "-EXIF:Artist=Me",
                                       "-GPSLatitude=48.858370", "-GPSLatitudeRef=N", "-GPSLongitude=2.294481",
                                       "-GPSLongitudeRef=E"});
    const std::span found = findExifBlock(span(source));
    const Bytes block(found.begin(), found.end());
    // The entries: tag, type, count 1 (ExposureTime, RATIONAL; Artist, ASCII
    // of three bytes, inline) and the GPS latitude (RATIONAL, three).
    const qsizetype exposure = find(block, QByteArray("\x9a\x82\x05\x00\x01\x00\x00\x00", 8));
    const qsizetype artist = find(block, QByteArray("\x3b\x01\x02\x00\x03\x00\x00\x00", 8));
    const qsizetype latitude = find(block, QByteArray("\x02\x00\x05\x00\x03\x00\x00\x00", 8));
    ASSERT_GT(exposure, 0);
    ASSERT_GT(artist, 0);
    ASSERT_GT(latitude, 0);
    const std::uint32_t exposureValue = le32At(block, exposure + 8);
    const std::uint32_t latitudeValue = le32At(block, latitude + 8);
    const QByteArray location = QByteArray(reinterpret_cast<const char *>(block.data()) + latitudeValue, 24);
    auto keeps = [](const Bytes &kept, const QByteArray &bytes) { return find(kept, bytes) >= 0; };

    const Bytes honest = keptExif(block, false, 40, 30);
    ASSERT_TRUE(keeps(honest, QByteArray(reinterpret_cast<const char *>(block.data()) + exposureValue, 8)));
    EXPECT_FALSE(keeps(honest, location));
    EXPECT_TRUE(keeps(keptExif(block, true, 40, 30), location));

    // The exposure time made to reach over the location: from the first of
    // the two values to the last byte of the other.
    Bytes enlarged = block;
    const std::uint32_t start = std::min(exposureValue, latitudeValue);
    setLe32(enlarged, exposure + 4, (std::max(exposureValue, latitudeValue) + 24 - start) / 8);
    setLe32(enlarged, exposure + 8, start);
    // The artist's text made to run from its three bytes over it too.
    setLe32(enlarged, artist + 4, latitudeValue + 24 - start);
    setLe32(enlarged, artist + 8, start);
    const Bytes kept = keptExif(enlarged, false, 40, 30);
    EXPECT_FALSE(kept.empty());
    EXPECT_FALSE(keeps(kept, location));
    EXPECT_FALSE(keeps(kept, location.left(8)));
}
