// What outputs keep of their sources on request: dates (--keep-dates), EXIF
// without what would betray the owner or describe the output wrongly
// (--keep-metadata, --keep-location, read back with exiftool), and the
// source's own bytes when converting would only make them larger
// (--no-larger).
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "support/programs.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace cli;

namespace {

// Every tag exiftool finds in the file, by group and name ("EXIF:Make"),
// with numeric values as numbers.
QJsonObject exiftoolTags(const QString &path)
{
    const QJsonArray all
        = QJsonDocument::fromJson(runProgram("exiftool", {"-json", "-n", "-G", path}).toUtf8()).array();
    return all.isEmpty() ? QJsonObject() : all.first().toObject();
}

QStringList groupsOf(const QJsonObject &tags)
{
    QStringList groups;
    for (const QString &key : tags.keys()) {
        const QString group = key.section(u':', 0, 0);
        if (!groups.contains(group))
            groups << group;
    }
    return groups;
}

// A photo as a camera leaves it: turned by its orientation, with a thumbnail,
// a place, the camera's serial number and its owner, and an XMP description.
void makePhoto(const TempDir &dir, const QString &name, const char *format)
{
    if (QByteArray(format) == "TIFF") {
        makePicture(dir.file("made.png"), 400, 300, "PNG");
        runProgram("vips", {"copy", dir.file("made.png"), dir.file(name)});
    } else {
        makePicture(dir.file(name), 400, 300, format);
    }
    makePicture(dir.file("thumb.jpg"), 40, 30, "JPG");
    runProgram("exiftool", {"-q",
                            "-overwrite_original",
                            "-EXIF:Orientation#=6",
                            "-EXIF:Make=Kamera",
                            "-EXIF:Model=K 1",
                            "-EXIF:DateTimeOriginal=2021:06:05 14:03:02",
                            "-EXIF:ExposureTime=0.004",
                            "-EXIF:FNumber=5.6",
                            "-EXIF:ISO=200",
                            "-EXIF:Artist=A. Person",
                            "-EXIF:Copyright=(c) A. Person",
                            "-EXIF:GPSLatitude=48.8583",
                            "-EXIF:GPSLatitudeRef=N",
                            "-EXIF:GPSLongitude=2.2945",
                            "-EXIF:GPSLongitudeRef=E",
                            "-EXIF:SerialNumber=SN123456",
                            "-EXIF:OwnerName=Owner Name",
                            "-EXIF:LensSerialNumber=LS98765",
                            "-EXIF:ExifImageWidth=400",
                            "-EXIF:ExifImageHeight=300",
                            "-XMP:Description=private words",
                            dir.file(name)});
    if (QByteArray(format) == "JPG")
        runProgram("exiftool",
                   {"-q", "-overwrite_original", "-ThumbnailImage<=" + dir.file("thumb.jpg"), dir.file(name)});
}

} // namespace

TEST(BatchToolKeep, MetadataKeptOnRequestWithoutLocationSerialsThumbnailOrTurn)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    const QStringList names{"photo.jpg", "photo.png", "photo.tif"};
    makePhoto(dir, "in/photo.jpg", "JPG");
    makePhoto(dir, "in/photo.png", "PNG");
    makePhoto(dir, "in/photo.tif", "TIFF");
    const QJsonObject source = exiftoolTags(dir.file("in/photo.jpg"));
    ASSERT_EQ(source["EXIF:GPSLatitude"].toDouble(), 48.8583);
    ASSERT_TRUE(source.contains("EXIF:ThumbnailImage"));
    ASSERT_EQ(source["EXIF:SerialNumber"].toString(), "SN123456");
    const QString settings = dir.file("CULERT.txt");

    // By default nothing is kept, as before.
    ASSERT_EQ(runTool({"-w", "200", "-H", "200", dir.file("in"), dir.file("plain")}, settings).status, kAllConverted);
    for (const QString &name : names) {
        const QJsonObject tags = exiftoolTags(dir.file("plain/" + name));
        // (exiftool counts a TIFF's own first directory as EXIF.)
        for (const char *tag : {"EXIF:Make", "EXIF:DateTimeOriginal", "EXIF:Copyright", "EXIF:GPSLatitude"})
            EXPECT_FALSE(tags.contains(tag)) << name.toStdString() << " " << tag;
        EXPECT_FALSE(groupsOf(tags).contains("XMP")) << name.toStdString();
    }

    for (const bool location : {false, true}) {
        const QString out = dir.file(location ? "located" : "kept");
        QStringList arguments{"-w", "200", "-H", "200", "--keep-metadata", dir.file("in"), out};
        if (location)
            arguments.prepend("--keep-location");
        const ToolRun kept = runTool(arguments, settings);
        ASSERT_EQ(kept.status, kAllConverted) << kept.err.toStdString();
        for (const QString &name : names) {
            SCOPED_TRACE(name.toStdString() + (location ? " with location" : ""));
            const QJsonObject tags = exiftoolTags(out + u'/' + name);
            // Upright at the fitted size, and nothing says otherwise.
            EXPECT_EQ(tags["File:ImageWidth"].toInt() + tags["PNG:ImageWidth"].toInt()
                          + tags["EXIF:ImageWidth"].toInt(),
                      150);
            EXPECT_EQ(tags["EXIF:Orientation"].toInt(), 1);
            EXPECT_EQ(tags["EXIF:ExifImageWidth"].toInt(), 150);
            EXPECT_EQ(tags["EXIF:ExifImageHeight"].toInt(), 200);
            EXPECT_EQ(tags["EXIF:ColorSpace"].toInt(), 1);
            // What the photo is: when, with what, how, by whom.
            EXPECT_EQ(tags["EXIF:DateTimeOriginal"].toString(), "2021:06:05 14:03:02");
            EXPECT_EQ(tags["EXIF:Make"].toString(), "Kamera");
            EXPECT_EQ(tags["EXIF:Model"].toString(), "K 1");
            EXPECT_EQ(tags["EXIF:ExposureTime"].toDouble(), 0.004);
            EXPECT_EQ(tags["EXIF:FNumber"].toDouble(), 5.6);
            EXPECT_EQ(tags["EXIF:ISO"].toInt(), 200);
            EXPECT_EQ(tags["EXIF:Artist"].toString(), "A. Person");
            EXPECT_EQ(tags["EXIF:Copyright"].toString(), "(c) A. Person");
            // Never the thumbnail, who owns the camera, which camera it is.
            EXPECT_FALSE(tags.contains("EXIF:ThumbnailImage"));
            EXPECT_FALSE(tags.contains("EXIF:SerialNumber"));
            EXPECT_FALSE(tags.contains("EXIF:LensSerialNumber"));
            EXPECT_FALSE(tags.contains("EXIF:OwnerName"));
            EXPECT_FALSE(groupsOf(tags).contains("XMP"));
            EXPECT_FALSE(groupsOf(tags).contains("ICC_Profile"));
            // The place only when asked for.
            EXPECT_EQ(tags.contains("EXIF:GPSLatitude"), location);
            if (location) {
                EXPECT_EQ(tags["EXIF:GPSLatitude"].toDouble(), 48.8583);
                EXPECT_EQ(tags["EXIF:GPSLongitudeRef"].toString(), "E");
            }
            // Still a sound file of its format, which exiftool finds nothing
            // wrong with.
            const QString warnings = runProgram("exiftool", {"-validate", "-warning", "-a", "-s3", out + u'/' + name});
            EXPECT_FALSE(warnings.contains("Error")) << warnings.toStdString();
            EXPECT_TRUE(runProgram("vipsheader", {out + u'/' + name}).contains("150x200")) << name.toStdString();
        }
    }
}

TEST(BatchToolKeep, ExifAfterThePixelsOfALargePngIsFoundToo)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    // A PNG of noise, far larger than the first read, whose eXIf chunk (as
    // exiftool writes it into a small one) is moved behind the pixels.
    makePicture(dir.file("small.png"), 8, 8, "PNG");
    runProgram("exiftool", {"-q", "-overwrite_original", "-EXIF:Make=Late", dir.file("small.png")});
    const QByteArray small = readFile(dir.file("small.png"));
    const qsizetype chunk = small.indexOf("eXIf") - 4;
    ASSERT_GT(chunk, 0);
    const QByteArray exif = small.mid(chunk, 12 + qsizetype(quint8(small[chunk + 2])) * 256 + quint8(small[chunk + 3]));
    QImage noise(500, 500, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 500; ++x)
            noise.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    ASSERT_TRUE(noise.save(dir.file("noise.png"), "PNG"));
    QByteArray large = readFile(dir.file("noise.png"));
    ASSERT_GT(large.size(), 512 * 1024);
    large.insert(large.size() - 12, exif);
    writeFile(dir.file("in/late.png"), large);
    ASSERT_EQ(exiftoolTags(dir.file("in/late.png"))["EXIF:Make"].toString(), "Late");

    ASSERT_EQ(
        runTool({"--keep-metadata", "-w", "100", "-H", "100", dir.file("in"), dir.file("out")}, dir.file("CULERT.txt"))
            .status,
        kAllConverted);
    EXPECT_EQ(exiftoolTags(dir.file("out/late.png"))["EXIF:Make"].toString(), "Late");
}

// Some writers store the GPS directory's pointer as a signed LONG (SLONG)
// rather than a LONG; exiftool reads the place all the same, and so must the
// program, in either byte order.
TEST(BatchToolKeep, LocationKeptWhenItsPointerIsStoredSigned)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    for (const char *order : {"MM", "II"}) {
        const QString name = QStringLiteral("in/%1.jpg").arg(order);
        makePicture(dir.file(name), 120, 90, "JPG");
        runProgram("exiftool", {"-q", "-overwrite_original", QStringLiteral("-ExifByteOrder=") + order,
                                "-EXIF:Make=Kamera", "-EXIF:GPSLatitude=48.8583", "-EXIF:GPSLatitudeRef=N",
                                dir.file(name)});
        QByteArray file = readFile(dir.file(name));
        // The pointer entry: tag 34853, type LONG (4), one value.
        const QByteArray entry = QByteArray(order) == "MM" ? QByteArray("\x88\x25\x00\x04\x00\x00\x00\x01", 8)
                                                           : QByteArray("\x25\x88\x04\x00\x01\x00\x00\x00", 8);
        const qsizetype at = file.indexOf(entry);
        ASSERT_GT(at, 0) << order;
        file[at + (QByteArray(order) == "MM" ? 3 : 2)] = 9;
        writeFile(dir.file(name), file);
        const QJsonObject source = exiftoolTags(dir.file(name));
        ASSERT_EQ(source["EXIF:GPSLatitude"].toDouble(), 48.8583) << order;
    }
    const ToolRun run = runTool({"--keep-metadata", "--keep-location", "-w", "60", "-H", "60", dir.file("in"),
                                 dir.file("out")},
                                dir.file("CULERT.txt"));
    ASSERT_EQ(run.status, kAllConverted) << run.err.toStdString();
    for (const char *order : {"MM", "II"}) {
        const QJsonObject tags = exiftoolTags(dir.file(QStringLiteral("out/%1.jpg").arg(order)));
        EXPECT_EQ(tags["EXIF:Make"].toString(), "Kamera") << order;
        EXPECT_EQ(tags["EXIF:GPSLatitude"].toDouble(), 48.8583) << order;
        EXPECT_EQ(tags["EXIF:GPSLatitudeRef"].toString(), "N") << order;
    }
}

TEST(BatchToolKeep, DatesOfTheSourceToTheNanosecondWhereKept)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    makePicture(dir.file("in/a.png"), 300, 200, "PNG");
    makePicture(dir.file("in/b.jpg"), 300, 200, "JPG");
    // Years ago, at an odd nanosecond, with the access time apart.
    const timespec times[2] = {{1500000000, 123456789}, {1400000000, 987654321}};
    for (const char *name : {"in/a.png", "in/b.jpg"})
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(name).toLocal8Bit().constData(), times, 0), 0);
    const QString settings = dir.file("CULERT.txt");
    ASSERT_EQ(runTool({"--keep-dates", "-w", "100", "-H", "100", dir.file("in"), dir.file("out")}, settings).status,
              kAllConverted);
    ASSERT_EQ(runTool({"-w", "100", "-H", "100", dir.file("in"), dir.file("now")}, settings).status, kAllConverted);
    for (const char *name : {"a.png", "b.jpg"}) {
        struct stat kept {
        }, fresh{};
        ASSERT_EQ(::stat(dir.file(QStringLiteral("out/") + name).toLocal8Bit().constData(), &kept), 0);
        ASSERT_EQ(::stat(dir.file(QStringLiteral("now/") + name).toLocal8Bit().constData(), &fresh), 0);
        EXPECT_EQ(kept.st_mtim.tv_sec, 1400000000) << name;
        EXPECT_EQ(kept.st_atim.tv_sec, 1500000000) << name;
        EXPECT_EQ(kept.st_mtim.tv_nsec, 987654321) << name; // tmpfs and ext4 keep nanoseconds
        EXPECT_GT(fresh.st_mtim.tv_sec, 1400000000 + 86400) << name;
        // The runs read the source without touching its access time.
        struct stat source { };
        ASSERT_EQ(::stat(dir.file(QStringLiteral("in/") + name).toLocal8Bit().constData(), &source), 0);
        EXPECT_EQ(source.st_atim.tv_sec, 1500000000) << name;
    }
    // An output that replaces an older one takes the source's dates too.
    ASSERT_EQ(runTool({"--keep-dates", "-w", "50", "-H", "50", dir.file("in"), dir.file("now")}, settings).status,
              kAllConverted);
    struct stat replaced { };
    ASSERT_EQ(::stat(dir.file("now/a.png").toLocal8Bit().constData(), &replaced), 0);
    EXPECT_EQ(replaced.st_mtim.tv_sec, 1400000000);
    EXPECT_EQ(QImage(dir.file("now/a.png")).width(), 50);
}

TEST(BatchToolKeep, NoLargerKeepsTheSourceBytesOnlyWhenTheyMayStandForTheOutput)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    // A two-colour palette PNG, which grows as the 24-bit one the program
    // writes; a twin with a text chunk; a photo that shrinks; a small one
    // that grows but must be made smaller to fit.
    QImage twoColours(120, 90, QImage::Format_Mono);
    twoColours.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            twoColours.setPixel(x, y, (x / 10 + y / 10) % 2);
    ASSERT_TRUE(twoColours.save(dir.file("in/grows.png"), "PNG"));
    QImage described = twoColours;
    described.setText("Comment", "where it was taken");
    ASSERT_TRUE(described.save(dir.file("in/described.png"), "PNG"));
    ASSERT_TRUE(twoColours.scaled(400, 300).save(dir.file("in/too-big.png"), "PNG"));
    QImage photo(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 300, y * 255 / 200, 90));
    ASSERT_TRUE(photo.save(dir.file("in/shrinks.png"), "PNG", 100)); // stored, not compressed
    const QString settings = dir.file("CULERT.txt");

    const ToolRun run
        = runTool({"--no-larger", "--json", "-w", "300", "-H", "200", dir.file("in"), dir.file("out")}, settings);
    ASSERT_EQ(run.status, kAllConverted) << run.err.toStdString();
    std::map<QString, QJsonObject> byPath;
    QJsonObject summary;
    for (const QString &line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        (object["type"] == "summary" ? summary : byPath[object["path"].toString()]) = object;
    }
    EXPECT_EQ(readFile(dir.file("out/grows.png")), readFile(dir.file("in/grows.png")));
    EXPECT_TRUE(byPath["grows.png"]["kept_original"].toBool());
    EXPECT_EQ(byPath["grows.png"]["status"].toString(), "converted");
    for (const char *name : {"described.png", "too-big.png", "shrinks.png"}) {
        EXPECT_NE(readFile(dir.file(QStringLiteral("out/") + name)), readFile(dir.file(QStringLiteral("in/") + name)))
            << name;
        EXPECT_FALSE(byPath[name].contains("kept_original")) << name;
    }
    EXPECT_EQ(QImage(dir.file("out/too-big.png")).size(), QSize(267, 200));
    EXPECT_EQ(summary["kept_original"].toInt(), 1);
    EXPECT_EQ(summary["converted"].toInt(), 4);
    EXPECT_TRUE(summary["no_larger"].toBool());

    // Without it the program's own file, larger; the text says which was kept.
    ASSERT_EQ(runTool({"-w", "300", "-H", "200", dir.file("in"), dir.file("converted")}, settings).status,
              kAllConverted);
    EXPECT_GT(readFile(dir.file("converted/grows.png")).size(), readFile(dir.file("in/grows.png")).size());
    const ToolRun text
        = runTool({"--no-larger", "-w", "300", "-H", "200", dir.file("in"), dir.file("again")}, settings);
    EXPECT_TRUE(text.out.contains(u"完成（保留原文件） grows.png"_qs)) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(u"（其中 1 个保留原文件）"_qs)) << text.out.toStdString();
}
