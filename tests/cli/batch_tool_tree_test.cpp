// tarvel-batch through a tree of folders: what --recursive enters and leaves,
// the dry run against the real run, JPEG quality and --skip-existing.
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace cli;

namespace {

std::vector<QJsonObject> jsonLines(const QString &text)
{
    std::vector<QJsonObject> objects;
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        objects.push_back(QJsonDocument::fromJson(line.toUtf8(), &error).object());
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    }
    return objects;
}

} // namespace

TEST(BatchToolTree, TheDryRunForetellsTheRecursiveRun)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in/a/deep");
    QDir(dir.path()).mkpath("in/b");
    QDir(dir.path()).mkpath("in/.hidden");
    QDir(dir.path()).mkpath("in/out");
    makePicture(dir.file("in/top.jpg"), 800, 600, "JPG");
    makePicture(dir.file("in/a/one.bmp"), 1200, 300, "BMP");
    makePicture(dir.file("in/a/deep/three.png"), 50, 50, "PNG");
    makePicture(dir.file("in/b/two.png"), 300, 900, "PNG");
    makePicture(dir.file("in/.hidden/h.png"), 500, 500, "PNG");
    makePicture(dir.file("in/out/stale.png"), 500, 500, "PNG"); // the output folder, inside the source
    makePicture(dir.file("in/mixed.Jpg"), 100, 100, "JPG");
    writeFile(dir.file("in/empty.png"), {});
    ASSERT_TRUE(QFile::link("..", dir.file("in/a/loop")));
    const QString settings = dir.file("CULERT.txt");

    const ToolRun dry = runTool({"-rn", "--json", dir.file("in"), dir.file("in/out")}, settings);
    ASSERT_EQ(dry.status, kAllConverted) << dry.err.toStdString();
    EXPECT_EQ(QDir(dir.file("in/out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"stale.png"});
    const auto planned = jsonLines(dry.out);
    ASSERT_EQ(planned.size(), 10u);
    // Folders first by name, each with all it holds, then the files.
    QStringList order;
    for (std::size_t i = 0; i < 6; ++i)
        order << planned[i]["path"].toString();
    EXPECT_EQ(order, QStringList({".hidden/", "a/deep/three.png", "a/loop/", "a/one.bmp", "b/two.png", "out/"}));
    std::map<QString, QJsonObject> byPath;
    for (const QJsonObject &object : planned)
        byPath[object["path"].toString()] = object;
    const std::map<QString, QString> skipped = {{".hidden/", "hidden"},
                                                {"a/loop/", "folder_link"},
                                                {"out/", "output_folder"},
                                                {"mixed.Jpg", "extension"},
                                                {"empty.png", "no_size"}};
    for (const auto &[path, reason] : skipped) {
        EXPECT_EQ(byPath[path]["status"].toString(), "skipped") << path.toStdString();
        EXPECT_EQ(byPath[path]["reason"].toString(), reason) << path.toStdString();
    }
    const QString lines = runTool({"-rn", dir.file("in"), dir.file("in/out")}, settings).out;
    EXPECT_TRUE(lines.contains(u"\na/one.bmp  1200×300 → 425×106\n"_qs)) << lines.toStdString();
    EXPECT_TRUE(lines.contains(u"\nmixed.Jpg  跳过（扩展名不是可转换的写法）\n"_qs));
    const QJsonObject summary = planned.back();
    EXPECT_EQ(summary["type"].toString(), "summary");
    EXPECT_EQ(summary["would_convert"].toInt(), 4);

    const ToolRun real = runTool({"-r", "--json", dir.file("in"), dir.file("in/out")}, settings);
    EXPECT_EQ(real.status, kSomeFailed); // the empty file has no size, as in the window
    const auto done = jsonLines(real.out);
    ASSERT_EQ(done.size(), planned.size());
    for (const QJsonObject &object : done) {
        const QJsonObject &plan = byPath[object["path"].toString()];
        if (plan["status"] == "would_convert") {
            EXPECT_EQ(object["status"].toString(), "converted");
            const QString path = dir.file("in/out/" + object["path"].toString());
            EXPECT_EQ(QImage(path).size(), QSize(plan["target_width"].toInt(), plan["target_height"].toInt()))
                << path.toStdString();
        }
    }
    EXPECT_EQ(byPath["top.jpg"]["target_width"].toInt(), 425);
    EXPECT_EQ(done.back()["converted"].toInt(), 4);
    EXPECT_EQ(done.back()["failed"].toInt(), 1);
    // Nothing of the output folder, the hidden one or the link was entered.
    EXPECT_EQ(QDir(dir.file("in/out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"a", "b", "stale.png", "top.jpg"}));
    EXPECT_EQ(QDir(dir.file("in/out/a")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"deep", "one.bmp"}));
}

TEST(BatchToolTree, JpegQualityAndSkipExisting)
{
    TempDir dir;
    QDir(dir.path()).mkdir("in");
    makePicture(dir.file("in/photo.jpg"), 1600, 1200, "JPG");
    makePicture(dir.file("in/plain.png"), 600, 400, "PNG");
    const QString settings = dir.file("CULERT.txt");
    ASSERT_EQ(runTool({dir.file("in"), dir.file("best")}, settings).status, kAllConverted);
    ASSERT_EQ(runTool({"--jpeg-quality", "50", dir.file("in"), dir.file("q50")}, settings).status, kAllConverted);
    const QByteArray q50 = readFile(dir.file("q50/photo.jpg"));
    EXPECT_LT(q50.size() * 2, readFile(dir.file("best/photo.jpg")).size());
    EXPECT_EQ(QImage(dir.file("q50/photo.jpg")).size(), QSize(425, 319));
    EXPECT_EQ(readFile(dir.file("q50/plain.png")), readFile(dir.file("best/plain.png")));

    // An output that is there is left as it is; a missing one is written.
    ASSERT_TRUE(QFile::remove(dir.file("q50/plain.png")));
    const ToolRun r = runTool({"--skip-existing", dir.file("in"), dir.file("q50")}, settings);
    EXPECT_EQ(r.status, kAllConverted);
    EXPECT_TRUE(r.out.contains(u"成功 1 个，失败 0 个，跳过 1 个（输出文件已存在）"_qs)) << r.out.toStdString();
    EXPECT_EQ(readFile(dir.file("q50/photo.jpg")), q50);
    EXPECT_EQ(readFile(dir.file("q50/plain.png")), readFile(dir.file("best/plain.png")));
}

// A phone's folder: HEIC in capitals, WebP, AVIF, JPEG XL and a .hif, made by
// Debian's encoders. Each is converted into its own format under its own
// name, fitted; --quality and its older spelling --jpeg-quality are one
// option, and it reaches the newer lossy formats too.
TEST(BatchToolTree, NewerFormatsKeepTheirFormatAndTakeTheQuality)
{
    TempDir dir;
    QDir(dir.path()).mkdir("in");
    makePicture(dir.file("source.png"), 320, 240, "PNG");
    const std::vector<std::pair<QString, QStringList>> encoders{
        {"IMG_0001.HEIC", {"heif-enc", "-q", "60", dir.file("source.png"), "-o", dir.file("in/IMG_0001.HEIC")}},
        {"web.WEBP", {"cwebp", "-quiet", dir.file("source.png"), "-o", dir.file("in/web.WEBP")}},
        {"still.avif", {"avifenc", "-s", "10", dir.file("source.png"), dir.file("in/still.avif")}},
        {"new.jxl", {"cjxl", dir.file("source.png"), dir.file("in/new.jxl")}},
        {"camera.hif", {"heif-enc", "-q", "60", dir.file("source.png"), "-o", dir.file("in/camera.hif")}},
    };
    for (const auto &[name, command] : encoders) {
        QProcess encoder;
        encoder.start(command[0], command.mid(1));
        ASSERT_TRUE(encoder.waitForFinished(60000) && encoder.exitCode() == 0) << name.toStdString();
    }
    const QString settings = dir.file("CULERT.txt");
    const ToolRun run = runTool({"-w", "100", "-H", "100", dir.file("in"), dir.file("out")}, settings);
    ASSERT_EQ(run.status, kAllConverted) << run.out.toStdString() << run.err.toStdString();
    const std::vector<std::pair<QString, QByteArray>> signatures{{"IMG_0001.HEIC", "ftypheic"},
                                                                 {"web.WEBP", "WEBPVP8 "},
                                                                 {"still.avif", "ftypavif"},
                                                                 {"new.jxl", QByteArray("\xFF\x0A", 2)},
                                                                 {"camera.hif", "ftypheic"}};
    for (const auto &[name, signature] : signatures) {
        const QByteArray out = readFile(dir.file("out/" + name));
        EXPECT_EQ(out.mid(signature.startsWith("ftyp")   ? 4
                          : signature.startsWith("WEBP") ? 8
                                                         : 0,
                          signature.size()),
                  signature)
            << name.toStdString();
    }

    ASSERT_EQ(runTool({"-w", "100", "-H", "100", "--quality", "20", dir.file("in"), dir.file("q20")}, settings).status,
              kAllConverted);
    ASSERT_EQ(
        runTool({"-w", "100", "-H", "100", "--jpeg-quality=20", dir.file("in"), dir.file("old")}, settings).status,
        kAllConverted);
    for (const auto &[name, signature] : signatures) {
        EXPECT_EQ(readFile(dir.file("q20/" + name)), readFile(dir.file("old/" + name))) << name.toStdString();
        EXPECT_LT(readFile(dir.file("q20/" + name)).size(), readFile(dir.file("out/" + name)).size())
            << name.toStdString();
    }
}
