#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>

#include <unistd.h>

using namespace cli;

namespace {

class BatchTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        QDir(dir.path()).mkdir("out");
        makePicture(dir.file("in/wide.jpg"), 800, 400, "JPG");
        makePicture(dir.file("in/TALL.PNG"), 300, 900, "PNG");
        makePicture(dir.file("in/small.bmp"), 100, 50, "BMP");
        makePicture(dir.file("in/mixed.Jpg"), 800, 400, "JPG"); // not a convertible spelling
        writeFile(dir.file("in/notes.txt"), {});
        settings = dir.file("CULERT.txt");
    }

    TempDir dir;
    QString settings;
};

} // namespace

TEST_F(BatchTool, ConvertsTheFolderWithTheRememberedLimits)
{
    writeFile(settings, " 400 \r\n 300 ");

    const ToolRun r = runTool({dir.file("in"), dir.file("out")}, settings);
    EXPECT_EQ(r.status, kAllConverted) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.file("out/wide.jpg")).size(), QSize(400, 200));
    EXPECT_EQ(QImage(dir.file("out/TALL.PNG")).size(), QSize(100, 300));
    EXPECT_EQ(QImage(dir.file("out/small.bmp")).size(), QSize(100, 50));
    EXPECT_FALSE(QFile::exists(dir.file("out/mixed.Jpg")));
    EXPECT_EQ(QDir(dir.file("out")).count(), 3u + 2u); // three pictures, "." and ".."
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"转换完成：成功 3 个，失败 0 个。")));
    EXPECT_EQ(r.out.count(QStringLiteral("] ")), 3);             // one line per picture
    EXPECT_EQ(readFile(settings), QByteArray(" 400 \r\n 300 ")); // read, never rewritten
}

TEST_F(BatchTool, TakesTheLimitsTheWindowRemembersUpTo16383)
{
    // The window's size fields take up to 16383 and remember what was typed:
    // a remembered 1920 is a box like any other, one beyond it is refused.
    writeFile(settings, "1920\r\n1080");
    const ToolRun r = runTool({dir.file("in"), dir.file("out")}, settings);
    EXPECT_EQ(r.status, kAllConverted) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.file("out/wide.jpg")).size(), QImage(dir.file("in/wide.jpg")).size());

    writeFile(settings, "16384\r\n1080");
    const ToolRun beyond = runTool({dir.file("in"), dir.file("out2")}, settings);
    EXPECT_EQ(beyond.status, kBadArguments);
    EXPECT_TRUE(beyond.err.contains(QStringLiteral("16383"))) << beyond.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("out2")));
}

TEST_F(BatchTool, OptionsOverrideTheRememberedLimits)
{
    const ToolRun r = runTool(
        {"--width", "200", "--height", "200", "--enlarge", "--jobs", "1", dir.file("in"), dir.file("out")}, settings);
    EXPECT_EQ(r.status, kAllConverted);
    EXPECT_EQ(QImage(dir.file("out/small.bmp")).size(), QSize(200, 100));
    EXPECT_EQ(QImage(dir.file("out/wide.jpg")).size(), QSize(200, 100));
    EXPECT_FALSE(QFile::exists(settings)); // no settings file is created either
}

TEST_F(BatchTool, FailedPicturesAreListedWithTheirReason)
{
    writeFile(dir.file("in/broken.jpg"), readFile(dir.file("in/wide.jpg")).left(300));
    const ToolRun r = runTool({"--stats", "--verbose", dir.file("in"), dir.file("out")}, settings);
    EXPECT_EQ(r.status, kSomeFailed);
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"转换完成：成功 3 个，失败 1 个。")));
    // The reason, then the decoder's own words.
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"broken.jpg：图片已损坏或无法解码（"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("bench: pictures=4 failed=1 seconds="));
    EXPECT_FALSE(QFile::exists(dir.file("out/broken.jpg")));
}

TEST_F(BatchTool, BadArgumentsAndFoldersExitWithTwo)
{
    EXPECT_EQ(runTool({dir.file("in")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({"--width", "16384", dir.file("in"), dir.file("out")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({"--height", "0", dir.file("in"), dir.file("out")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({"--jobs", "x", dir.file("in"), dir.file("out")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({"--bogus", dir.file("in"), dir.file("out")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({dir.file("missing"), dir.file("out")}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({dir.file("in"), dir.file("in/wide.jpg")}, settings).status, kBadArguments);
    QDir(dir.path()).mkdir("empty");
    const ToolRun empty = runTool({dir.file("empty"), dir.file("out")}, settings);
    EXPECT_EQ(empty.status, kBadArguments);
    EXPECT_TRUE(empty.err.contains(QStringLiteral(u"没有找到可以转换的文件")));

    writeFile(settings, "16384\r\n300");
    EXPECT_EQ(runTool({dir.file("in"), dir.file("out")}, settings).status, kBadArguments);

    const ToolRun help = runTool({"--help"}, settings);
    EXPECT_EQ(help.status, kAllConverted);
    EXPECT_TRUE(help.out.contains("--overwrite-originals"));
}

TEST_F(BatchTool, OverwritingOriginalsMustBeAskedFor)
{
    const QByteArray original = readFile(dir.file("in/wide.jpg"));
    const ToolRun refused = runTool({dir.file("in"), dir.file("in/../in")}, settings);
    EXPECT_EQ(refused.status, kBadArguments);
    EXPECT_TRUE(refused.err.contains("--overwrite-originals"));
    EXPECT_EQ(readFile(dir.file("in/wide.jpg")), original);

    EXPECT_EQ(runTool({"--overwrite-originals", "--width", "100", "--height", "100", dir.file("in"), dir.file("in")},
                      settings)
                  .status,
              kAllConverted);
    EXPECT_EQ(QImage(dir.file("in/wide.jpg")).size(), QSize(100, 50));
}

TEST_F(BatchTool, OneOrFourAtOnceWriteTheSameBytes)
{
    QDir(dir.path()).mkdir("out4");
    for (int i = 0; i < 6; ++i)
        makePicture(dir.file(QStringLiteral("in/extra%1.png").arg(i)), 500 + 37 * i, 333, "PNG");
    ASSERT_EQ(runTool({"--jobs", "1", dir.file("in"), dir.file("out")}, settings).status, kAllConverted);
    ASSERT_EQ(runTool({"--jobs", "4", dir.file("in"), dir.file("out4")}, settings).status, kAllConverted);
    const QStringList names = QDir(dir.file("out")).entryList(QDir::Files);
    EXPECT_EQ(names.size(), 9);
    EXPECT_EQ(QDir(dir.file("out4")).entryList(QDir::Files), names);
    for (const QString &name : names)
        EXPECT_EQ(readFile(dir.file("out/" + name)), readFile(dir.file("out4/" + name))) << name.toStdString();
}

TEST_F(BatchTool, PhonePhotosAreFittedAndWrittenAsTheyAreShown)
{
    // A portrait from a phone: stored 1600 x 900, top half red, with EXIF
    // orientation 6 (turn a quarter clockwise to show), so it shows 900 x 1600
    // with the red half on the right.
    QImage stored(1600, 900, QImage::Format_RGB32);
    stored.fill(QColor(20, 20, 230));
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 1600; ++x)
            stored.setPixel(x, y, qRgb(230, 20, 20));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(stored.save(&buffer, "JPG", 95));
    const QByteArray exif = QByteArray("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((exif.size() + 2) >> 8);
    app1 += char((exif.size() + 2) & 0xFF);
    QDir(dir.path()).mkdir("phone");
    writeFile(dir.file("phone/portrait.jpg"), buffer.data().left(2) + app1 + exif + buffer.data().mid(2));

    const ToolRun r = runTool({"--width", "800", "--height", "600", dir.file("phone"), dir.file("out")}, settings);
    ASSERT_EQ(r.status, kAllConverted) << r.out.toStdString();
    const QImage out(dir.file("out/portrait.jpg"));
    ASSERT_EQ(out.size(), QSize(338, 600));
    EXPECT_GT(qRed(out.pixel(290, 300)), 180); // red on the right
    EXPECT_GT(qBlue(out.pixel(40, 300)), 180); // blue on the left
}

TEST_F(BatchTool, NamesCannotForgeLinesOrDriveTheTerminal)
{
    // A name that would print a result line of its own, one with an escape
    // sequence, one with a bell and a carriage return; a damaged picture of
    // such a name too, whose name shows in the failure summary.
    const QString forged = QStringLiteral(u"x\n转换完成：成功 99 个，失败 0 个。.png");
    const QString escape = QStringLiteral(u"e\x1b[2Jclear.png");
    const QString bell = QStringLiteral(u"b\a\rback.png");
    // Shown as "evil.png.exe" if the override reached the terminal raw.
    const QString turned = QStringLiteral(u"evil\u202Eexe.png");
    makePicture(dir.file("in/") + forged, 40, 30, "PNG");
    makePicture(dir.file("in/") + turned, 40, 30, "PNG");
    makePicture(dir.file("in/") + escape, 40, 30, "PNG");
    QFile damaged(dir.file("in/") + bell);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG\r\n\x1a\n broken");
    damaged.close();

    for (const bool dryRun : {true, false}) {
        QStringList arguments{dir.file("in"), dir.file("out")};
        if (dryRun)
            arguments.prepend("--dry-run");
        const ToolRun r = runTool(arguments, settings);
        for (const QString &line : r.out.split(u'\n')) {
            EXPECT_FALSE(line.startsWith(QStringLiteral(u"转换完成：成功 99"))) << line.toStdString();
            EXPECT_FALSE(line.contains(QChar(0x1b)) || line.contains(u'\r') || line.contains(u'\a')
                         || line.contains(QChar(0x202E)))
                << line.toStdString();
        }
        EXPECT_TRUE(r.out.contains(QStringLiteral(u"'x'$'\\n''转换完成：成功 99 个，失败 0 个。.png'")))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral(u"'e'$'\\033''[2Jclear.png'"))) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral(u"'evil'$'\\u202e''exe.png'"))) << r.out.toStdString();
        EXPECT_EQ(r.out.count(QStringLiteral(u"'b'$'\\a\\r''back.png'")), dryRun ? 1 : 2) << r.out.toStdString();
    }
}

// A name in GBK bytes (as archives made on Chinese Windows extract) is not
// UTF-8: --json shows it with U+FFFD, and gives its exact bytes in base64 so
// that the file can still be found by them.
TEST_F(BatchTool, JsonGivesBackTheExactBytesOfANameThatIsNotUtf8)
{
    const QByteArray gbk("\xD5\xD5\xC6\xAC.png"); // "照片" in GBK
    const QByteArray folder = QFile::encodeName(dir.file("in/"));
    makePicture(dir.file("in/plain.png"), 40, 30, "PNG");
    ASSERT_EQ(::rename((folder + "plain.png").constData(), (folder + gbk).constData()), 0);
    const ToolRun r = runTool({"--json", dir.file("in"), dir.file("out")}, settings);
    bool found = false;
    for (const QString &text : r.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        if (!object["path"].toString().contains(QChar(0xFFFD))) {
            EXPECT_FALSE(object.contains("path_base64")) << text.toStdString();
            continue;
        }
        found = true;
        // The path as given on the command line, or the name within the
        // source folder: either way the bytes reach the file.
        QByteArray bytes = QByteArray::fromBase64(object["path_base64"].toString().toLatin1());
        EXPECT_TRUE(bytes.endsWith(gbk)) << text.toStdString();
        if (!bytes.startsWith('/'))
            bytes.prepend(folder);
        EXPECT_EQ(::access(bytes.constData(), R_OK), 0) << text.toStdString();
        EXPECT_EQ(object["status"].toString(), "converted") << text.toStdString();
    }
    EXPECT_TRUE(found) << r.out.toStdString();
}
