// Every way a conversion can fail gives false and leaves the folder as it was.
#include "client/save_scaled_picture.h"

#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using imaging::SaveScaledPicture;

namespace {

constexpr platform::ColourValue kBackground = platform::rgbValue(236, 233, 216);

class SaveFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        testpics::save(testpics::gradient(64, 48), dir.file("good.png"), ".png");
        testpics::save(testpics::gradient(64, 48), dir.file("good.jpg"), ".jpg");
        before = dir.entries();
    }
    void expectFolderUnchanged() { EXPECT_EQ(dir.entries(), before); }

    TempDir dir;
    QStringList before;
};

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    for (int shift = 24; shift >= 0; shift -= 8)
        png.append(char((quint32(data.size()) >> shift) & 0xFF));
    png.append(body);
    const quint32 crc = crc32(body);
    for (int shift = 24; shift >= 0; shift -= 8)
        png.append(char((crc >> shift) & 0xFF));
}

// A PNG whose valid header claims the size, with an empty image data chunk.
QByteArray pngHeaderClaiming(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QByteArray header;
    for (quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.append(char((v >> shift) & 0xFF));
    header.append("\x08\x02\0\0\0", 5); // 8-bit RGB
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", {});
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace

TEST_F(SaveFailure, RefusedArgumentsWriteNothing)
{
    EXPECT_FALSE(SaveScaledPicture(dir.file("missing.png"), dir.file("out.png"), 10, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(QString(), dir.file("out.png"), 10, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), QString(), 10, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(dir.path(), dir.file("out.png"), 10, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("out.png"), 0, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("out.png"), 10, -1, kBackground));
    for (const char *name : {"out.if", "out.pn", "out.g", "out.", "out", "out.ico", "out.webpp", "out.jpe"})
        EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file(name), 10, 10, kBackground)) << name;
    expectFolderUnchanged();
}

TEST_F(SaveFailure, DotOnlyInAFolderNameIsNoExtension)
{
    QDir(dir.path()).mkdir("my.pics");
    before = dir.entries();
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("my.pics/a"), 10, 10, kBackground));
    EXPECT_TRUE(QDir(dir.file("my.pics")).isEmpty());
    expectFolderUnchanged();
}

TEST_F(SaveFailure, UnwritableTargetsWriteNothing)
{
    writeFile(dir.file("plain.txt"), "text");
    before = dir.entries();
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("missing/out.png"), 10, 10, kBackground));
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("plain.txt/out.png"), 10, 10, kBackground));
    expectFolderUnchanged();
}

TEST_F(SaveFailure, ReadOnlyFolderWritesNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(dir.file("locked"), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(SaveScaledPicture(dir.file("good.png"), dir.file("locked/out.png"), 10, 10, kBackground));
    QFile::setPermissions(dir.file("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QDir(dir.file("locked")).isEmpty());
}

TEST_F(SaveFailure, BrokenSourcesWriteNothingAndKeepAnExistingTarget)
{
    const QByteArray jpeg = readFile(dir.file("good.jpg"));
    const QByteArray png = readFile(dir.file("good.png"));
    writeFile(dir.file("text.jpg"), "this is not a picture at all, just words");
    writeFile(dir.file("empty.png"), QByteArray());
    writeFile(dir.file("truncated.jpg"), jpeg.left(jpeg.size() / 2));
    writeFile(dir.file("truncated.png"), png.left(png.size() / 2));
    writeFile(dir.file("header-only.png"), png.left(40));
    writeFile(dir.file("fake.tga"), "not a tga header, just a line of text");
    writeFile(dir.file("svg.png"), "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>");
    writeFile(dir.file("target.png"), "previous output");
    before = dir.entries();

    for (const char *name :
         {"text.jpg", "empty.png", "truncated.jpg", "truncated.png", "header-only.png", "fake.tga", "svg.png"}) {
        EXPECT_FALSE(SaveScaledPicture(dir.file(name), dir.file("target.png"), 10, 10, kBackground)) << name;
        EXPECT_FALSE(SaveScaledPicture(dir.file(name), dir.file("new.jpg"), 10, 10, kBackground)) << name;
    }
    EXPECT_EQ(readFile(dir.file("target.png")), "previous output");
    expectFolderUnchanged();
}

TEST_F(SaveFailure, BrokenSourceConvertedInPlaceStaysAsItWas)
{
    const QByteArray jpeg = readFile(dir.file("good.jpg"));
    const QByteArray truncated = jpeg.left(jpeg.size() * 2 / 3);
    writeFile(dir.file("same.jpg"), truncated);
    EXPECT_FALSE(SaveScaledPicture(dir.file("same.jpg"), dir.file("same.jpg"), 10, 10, kBackground));
    EXPECT_EQ(readFile(dir.file("same.jpg")), truncated);
}

TEST_F(SaveFailure, AbsurdDeclaredSizesAreRefusedUnread)
{
    writeFile(dir.file("bomb.png"), pngHeaderClaiming(30000, 30000));
    QByteArray bmp("BM", 2);
    bmp.append(QByteArray(12, '\0'));
    bmp.append(QByteArray("\x28\0\0\0\x40\x9C\0\0\x40\x9C\0\0\x01\0\x18\0", 16)); // 40000 x 40000
    bmp.append(QByteArray(24, '\0'));
    writeFile(dir.file("bomb.bmp"), bmp);
    QByteArray tga(18, '\0');
    tga[2] = 2;
    tga[12] = tga[13] = tga[14] = tga[15] = char(0xFF); // 65535 x 65535
    tga[16] = 24;
    writeFile(dir.file("bomb.tga"), tga);
    before = dir.entries();
    for (const char *name : {"bomb.png", "bomb.bmp", "bomb.tga"})
        EXPECT_FALSE(SaveScaledPicture(dir.file(name), dir.file("out.png"), 10, 10, kBackground)) << name;
    expectFolderUnchanged();
}

TEST_F(SaveFailure, HiddenSourceChosenExplicitlyStillConverts)
{
    QFile::copy(dir.file("good.png"), dir.file(".hidden.png"));
    EXPECT_TRUE(SaveScaledPicture(dir.file(".hidden.png"), dir.file("out.png"), 10, 10, kBackground));
}

TEST_F(SaveFailure, EachFailureSaysWhy)
{
    using imaging::ConversionStatus;
    using imaging::convertPicture;
    const QByteArray jpeg = readFile(dir.file("good.jpg"));
    writeFile(dir.file("cut.jpg"), jpeg.left(jpeg.size() / 2));
    writeFile(dir.file("words.png"), "plain words, no picture");
    writeFile(dir.file("bomb.png"), pngHeaderClaiming(40000, 40000));
    const QString good = dir.file("good.png");
    EXPECT_EQ(convertPicture(good, dir.file("out.png"), 10, 10, kBackground).status, ConversionStatus::Converted);
    EXPECT_EQ(convertPicture(dir.file("none.png"), dir.file("out.png"), 10, 10, kBackground).status,
              ConversionStatus::SourceUnreadable);
    EXPECT_EQ(convertPicture(good, dir.file("out.ico"), 10, 10, kBackground).status,
              ConversionStatus::UnsupportedTarget);
    EXPECT_EQ(convertPicture(good, dir.file("out.png"), 0, 0, kBackground).status, ConversionStatus::NoSize);
    EXPECT_EQ(convertPicture(dir.file("words.png"), dir.file("out.png"), 10, 10, kBackground).status,
              ConversionStatus::NotAPicture);
    EXPECT_EQ(convertPicture(dir.file("bomb.png"), dir.file("out.png"), 10, 10, kBackground).status,
              ConversionStatus::TooLarge);
    EXPECT_EQ(convertPicture(dir.file("cut.jpg"), dir.file("out.png"), 10, 10, kBackground).status,
              ConversionStatus::Damaged);
    EXPECT_EQ(convertPicture(good, dir.file("missing/out.png"), 10, 10, kBackground).status,
              ConversionStatus::WriteFailed);
}
