// ReadPictureSize on real files: pictures of every format the probe knows,
// written by libvips (ImageMagick for BMP, PSD, icon, TGA) or by hand where no
// writer makes them, checked against the size libvips reads from each file.
#include "probe/read_picture_size.h"

#include "probe/header_bytes.h"
#include "engine/codecs/tga_file.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using imaging::PictureSize;
using imaging::ReadPictureSize;
using vips::VImage;

namespace {

PictureSize vipsSize(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // libvips tells TGA by its name only through ImageMagick.
    const VImage header
        = path.endsWith(".tga") ? VImage::magickload(native.constData()) : VImage::new_from_file(native.constData());
    return {header.width(), header.height()};
}

void saveMagick(const VImage &picture, const QString &path, const char *format)
{
    picture.magicksave(QFile::encodeName(path).constData(), VImage::option()->set("format", format));
}

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

class RealPictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        const VImage rgb = testpics::gradient(301, 173);
        const VImage tall = testpics::gradient(97, 1203);
        testpics::save(rgb, dir.file("rgb.png"), ".png");
        testpics::save(testpics::solid(64, 3, {90}), dir.file("grey.png"), ".png");
        testpics::save(rgb, dir.file("palette.png"), ".png[palette]");
        testpics::save(testpics::solid(33, 17, {1000, 2000, 3000}, VIPS_FORMAT_USHORT), dir.file("rgb16.png"), ".png");
        testpics::save(rgb, dir.file("baseline.jpg"), ".jpg[Q=90]");
        testpics::save(tall, dir.file("progressive.jpg"), ".jpg[interlace,profile=srgb]");
        testpics::save(testpics::solid(40, 30, {128}), dir.file("grey.jpg"), ".jpg");
        testpics::save(rgb, dir.file("rgb.gif"), ".gif");
        testpics::save(rgb, dir.file("strips.tif"), ".tif");
        testpics::save(tall, dir.file("tiles.tif"), ".tif[tile,compression=lzw]");
        testpics::save(testpics::gradient(1000, 600), dir.file("pyramid.tif"), ".tif[tile,pyramid]");
        // Small enough that the cuts below reach its directory, written after the pixels.
        testpics::save(testpics::gradient(9, 7), dir.file("big.tif"), ".tif[bigtiff]");
        testpics::save(testpics::gradient(70000, 2), dir.file("big-wide.tif"),
                       ".tif[bigtiff,tile,compression=deflate]");
        saveMagick(rgb, dir.file("info.bmp"), "bmp3");
        saveMagick(rgb, dir.file("v5.bmp"), "bmp");
        saveMagick(rgb, dir.file("core.bmp"), "bmp2");
        saveMagick(rgb, dir.file("layers.psd"), "psd");
        saveMagick(testpics::gradient(48, 32), dir.file("small.ico"), "ico");
        saveMagick(testpics::gradient(256, 256), dir.file("large.ico"), "ico");
        saveMagick(tall, dir.file("magick.tga"), "tga");
        const VImage pixels = rgb.copy_memory();
        writeFile(dir.file("own.TGA"),
                  imaging::encodeTga24(static_cast<const unsigned char *>(pixels.data()), 301, 173));
        writeFile(dir.file("big-endian-short.tif"), hdr::greyTiff(true, 70, 50, 3));
        writeFile(dir.file("big-endian-long.tif"), hdr::greyTiff(true, 50, 70, 4));
        writeFile(dir.file("big-endian-long8.tif"), hdr::greyTiff(true, 30, 20, 16, true));
        writeFile(dir.file("top-down.bmp"), hdr::bmp(40, -30));
        // An extended-sequential frame (0xC1) that decoders read like a baseline one.
        QByteArray sof1 = readFile(dir.file("baseline.jpg"));
        sof1[sof1.indexOf("\xFF\xC0") + 1] = char(0xC1);
        writeFile(dir.file("sof1.jpg"), sof1);
        // Fill bytes before a marker.
        QByteArray filled = readFile(dir.file("baseline.jpg"));
        writeFile(dir.file("filled.jpg"), filled.insert(filled.indexOf("\xFF\xDB"), "\xFF\xFF\xFF"));
    }

    TempDir dir;
};

} // namespace

TEST_F(RealPictures, ProbeAgreesWithLibvips)
{
    const QStringList names = dir.entries();
    ASSERT_EQ(names.size(), 27);
    for (const QString &name : names) {
        const PictureSize size = ReadPictureSize(dir.file(name));
        EXPECT_EQ(size, vipsSize(dir.file(name))) << name.toStdString();
        EXPECT_GT(size.Width, 0) << name.toStdString();
    }
}

TEST_F(RealPictures, TruncatedCopiesNeverInventASize)
{
    QDir(dir.path()).mkdir("cuts");
    for (const QString &name : dir.entries()) {
        if (name == "cuts")
            continue;
        const QString cutPath = dir.file("cuts/" + name);
        const QByteArray whole = readFile(dir.file(name));
        const PictureSize full = ReadPictureSize(dir.file(name));
        for (qsizetype cut = 0; cut < std::min<qsizetype>(whole.size(), 1500); cut += 1 + cut / 64) {
            writeFile(cutPath, whole.left(cut));
            const PictureSize size = ReadPictureSize(cutPath);
            EXPECT_TRUE(size.Width == 0 || size.Width == full.Width) << name.toStdString() << " cut " << cut;
            EXPECT_TRUE(size.Height == 0 || size.Height == full.Height) << name.toStdString() << " cut " << cut;
        }
    }
}

TEST_F(RealPictures, OddPathsHaveNoSizeAndEveryFileIsClosed)
{
    writeFile(dir.file("图片 副本, 1.png"), readFile(dir.file("rgb.png")));
    QFile::link(dir.file("rgb.png"), dir.file("link.png"));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("pipe.png")).constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder.png");

    const int before = openDescriptors();
    for (int round = 0; round < 50; ++round) {
        EXPECT_EQ(ReadPictureSize(dir.file("图片 副本, 1.png")), (PictureSize{301, 173}));
        EXPECT_EQ(ReadPictureSize(dir.file("link.png")), (PictureSize{301, 173}));
        EXPECT_EQ(ReadPictureSize(dir.file("pipe.png")), (PictureSize{}));
        EXPECT_EQ(ReadPictureSize(dir.file("folder.png")), (PictureSize{}));
        EXPECT_EQ(ReadPictureSize(dir.file("missing.png")), (PictureSize{}));
        EXPECT_EQ(ReadPictureSize(dir.file("rgb.png") + QChar(0) + "x"), (PictureSize{}));
        EXPECT_EQ(ReadPictureSize(QString()), (PictureSize{}));
    }
    EXPECT_EQ(openDescriptors(), before);
}
