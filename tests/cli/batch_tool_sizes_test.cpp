// tarvel-batch's ways of giving the size: boxes beyond the window's 1024,
// the long edge, a scale, and several sizes from one decode.
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace cli;

namespace {

QSize sizeOf(const QString &path) { return QImageReader(path).size(); }

// A JPEG whose EXIF orientation (6) turns it a quarter to show.
void makeTurnedJpeg(const QString &path, int w, int h)
{
    makePicture(path, w, h, "JPG");
    const QByteArray jpeg = readFile(path);
    const QByteArray exif = QByteArray("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((exif.size() + 2) >> 8);
    app1 += char((exif.size() + 2) & 0xFF);
    writeFile(path, jpeg.left(2) + app1 + exif + jpeg.mid(2));
}

class BatchToolSizes : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        settings = dir.file("CULERT.txt");
    }
    ToolRun run(QStringList arguments) { return runTool(arguments << dir.file("in") << dir.file("out"), settings); }

    TempDir dir;
    QString settings;
};

} // namespace

TEST_F(BatchToolSizes, BoxesBeyondTheWindowsLimitLongEdgeAndScale)
{
    makePicture(dir.file("in/photo.jpg"), 6000, 4000, "JPG");
    makePicture(dir.file("in/tall.png"), 301, 603, "PNG");

    ASSERT_EQ(run({"-w", "3000", "-H", "3000"}).status, kAllConverted);
    EXPECT_EQ(sizeOf(dir.file("out/photo.jpg")), QSize(3000, 2000));
    EXPECT_EQ(sizeOf(dir.file("out/tall.png")), QSize(301, 603)); // not enlarged

    ASSERT_EQ(run({"--long-edge", "3001", "--enlarge"}).status, kAllConverted);
    EXPECT_EQ(sizeOf(dir.file("out/photo.jpg")), QSize(3001, 2001)); // 2000.67
    EXPECT_EQ(sizeOf(dir.file("out/tall.png")), QSize(1498, 3001));  // 1498.01

    ASSERT_EQ(run({"--scale", "12.5%"}).status, kAllConverted);
    EXPECT_EQ(sizeOf(dir.file("out/photo.jpg")), QSize(750, 500));
    EXPECT_EQ(sizeOf(dir.file("out/tall.png")), QSize(38, 75)); // 37.625, 75.375

    // Beyond the largest side every format holds, fitted into it.
    const ToolRun big
        = runTool({"--scale", "300", "--enlarge", "--json", "-n", dir.file("in"), dir.file("out")}, settings);
    ASSERT_EQ(big.status, kAllConverted);
    EXPECT_TRUE(
        big.out.contains(R"("path":"photo.jpg","status":"would_convert","target_height":10922,"target_width":16383)"))
        << big.out.toStdString();
    EXPECT_TRUE(big.out.contains(R"("scale_percent":300)"));
}

TEST_F(BatchToolSizes, SeveralSizesAreTheBytesOfSeparateRuns)
{
    // Sizes that a JPEG decodes at different reductions and two that share
    // one; a turned phone photo, transparency, a small bitmap that the
    // enlarge flag grows, and a damaged picture.
    makePicture(dir.file("in/big.jpg"), 1600, 1200, "JPG");
    makeTurnedJpeg(dir.file("in/turned.jpg"), 1200, 800);
    QImage alpha(900, 600, QImage::Format_ARGB32);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 900; ++x)
            alpha.setPixel(x, y, qRgba(x % 256, y % 256, 120, (x + y) % 256));
    ASSERT_TRUE(alpha.save(dir.file("in/alpha.png")));
    makePicture(dir.file("in/small.bmp"), 90, 50, "BMP");
    writeFile(dir.file("in/broken.jpg"), readFile(dir.file("in/big.jpg")).left(2000));

    const QList<QSize> boxes{{1500, 1500}, {700, 700}, {300, 300}, {250, 250}, {150, 150}};
    QStringList several{"--enlarge", "--json", "-j", "2"};
    for (const QSize &box : boxes)
        several << "--size" << QStringLiteral("%1x%2:%1/%2").arg(box.width()).arg(box.height());
    const ToolRun r = run(several);
    ASSERT_EQ(r.status, kSomeFailed) << r.err.toStdString();

    for (const QSize &box : boxes) {
        const QString folder = QStringLiteral("alone%1").arg(box.width());
        ASSERT_EQ(runTool({"--enlarge", "-w", QString::number(box.width()), "-H", QString::number(box.height()),
                           dir.file("in"), dir.file(folder)},
                          settings)
                      .status,
                  kSomeFailed);
        const QString sized = QStringLiteral("out/%1/%2/").arg(box.width()).arg(box.height());
        for (const char *name : {"big.jpg", "turned.jpg", "alpha.png", "small.bmp"}) {
            SCOPED_TRACE(sized.toStdString() + name);
            const QByteArray bytes = readFile(dir.file(sized + name));
            ASSERT_FALSE(bytes.isEmpty());
            EXPECT_EQ(bytes, readFile(dir.file(folder + '/' + name)));
        }
        EXPECT_FALSE(QFile::exists(dir.file(sized + "broken.jpg")));
        EXPECT_EQ(QDir(dir.file(sized)).entryList(QDir::Files | QDir::Hidden).size(), 4); // no temporary left
    }
    EXPECT_EQ(sizeOf(dir.file("out/300/300/turned.jpg")), QSize(200, 300));

    // Each file says what each size got; the old fields stay.
    QJsonObject big, broken, summary;
    for (const QString &line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["path"] == "big.jpg")
            big = object;
        else if (object["path"] == "broken.jpg")
            broken = object;
        else if (object["type"] == "summary")
            summary = object;
    }
    EXPECT_EQ(big["status"], "converted");
    EXPECT_EQ(big["target_width"], 1500);
    EXPECT_EQ(big["target_height"], 1125);
    const QJsonArray sizes = big["sizes"].toArray();
    ASSERT_EQ(sizes.size(), 5);
    EXPECT_EQ(
        sizes[4].toObject(),
        (QJsonObject{{"folder", "150/150"}, {"target_width", 150}, {"target_height", 112}, {"status", "converted"}}));
    EXPECT_EQ(broken["status"], "failed");
    EXPECT_EQ(broken["reason"], "damaged");
    EXPECT_EQ(broken["sizes"].toArray()[0].toObject()["reason"], "damaged");
    EXPECT_EQ(summary["converted"], 4);
    EXPECT_EQ(summary["failed"], 1);
    EXPECT_EQ(summary["sizes"].toArray().size(), 5);
    EXPECT_EQ(summary["sizes"].toArray()[1].toObject(),
              (QJsonObject{{"width", 700}, {"height", 700}, {"folder", "700/700"}}));
}

TEST_F(BatchToolSizes, SizeOptionsThatCannotWorkAreRefused)
{
    makePicture(dir.file("in/photo.jpg"), 60, 40, "JPG");
    struct Case {
        QStringList arguments;
        QString says;
    };
    QStringList seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen << "--size" << QStringLiteral("10x10:s%1").arg(i);
    const Case cases[] = {
        {{"--width", "16384"}, "1 到 16383"},
        {{"--long-edge", "0"}, "--long-edge"},
        {{"--scale", "0"}, "--scale"},
        {{"--scale", "1000.5"}, "--scale"},
        {{"--scale", "12.34567"}, "--scale"},
        {{"--scale", "half"}, "--scale"},
        {{"--scale", "150%"}, "--enlarge"},
        {{"--size", "100x100"}, "--size"},
        {{"--size", "100x100:"}, "--size"},
        {{"--size", "0x100:a"}, "--size"},
        {{"--size", "100x16384:a"}, "--size"},
        {{"--size", "100x100:../a"}, "--size"},
        {{"--size", "100x100:/tmp/a"}, "--size"},
        {{"--size", "100x100:a/./b"}, "--size"},
        {{"--size", "100x100:a", "--size", "50x50:a/"}, "a"},
        {seventeen, "16"},
        {{"--width", "100", "--long-edge", "100"}, "--width"},
        {{"--height", "100", "--size", "10x10:a"}, "--height"},
        {{"--scale", "50", "--size", "10x10:a"}, "--scale"},
        {{"--long-edge", "100", "--scale", "50"}, "--long-edge"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ToolRun r = run(c.arguments);
        EXPECT_EQ(r.status, kBadArguments);
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
    }
    // A size folder that is the source itself, or that a recursive run would
    // walk into from the source.
    EXPECT_EQ(runTool({"--size", "10x10:in", dir.file("in"), dir.path()}, settings).status, kBadArguments);
    EXPECT_EQ(runTool({"-r", "--size", "10x10:in/thumbs", dir.file("in"), dir.path()}, settings).status, kBadArguments);
    EXPECT_FALSE(QFile::exists(dir.file("out")));
    // Remembered limits beyond the window's are no matter when not used.
    writeFile(settings, "5000\r\n5000");
    EXPECT_EQ(run({"--long-edge", "30"}).status, kAllConverted);
    EXPECT_EQ(sizeOf(dir.file("out/photo.jpg")), QSize(30, 20));
}
