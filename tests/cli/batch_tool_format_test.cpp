// tarvel-batch --format: every picture converted to one format under its new
// name, clashing names kept apart the same way whatever else happens.
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "cli/batch_tool_help.h"
#include "imaging/picture_formats.h"
#include "support/programs.h"
#include "support/temp_dir.h"
#include "workflow/output_names.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSize>

#include <gtest/gtest.h>

using namespace cli;

namespace {

// The JSON lines of a run, the files by their path and the summary as "".
QHash<QString, QJsonObject> jsonLines(const QString &out)
{
    QHash<QString, QJsonObject> lines;
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        lines.insert(object.value("type") == QLatin1String("summary") ? QString() : object.value("path").toString(),
                     object);
    }
    return lines;
}

class BatchToolFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        makePicture(dir.file("in/a.png"), 300, 200, "PNG");
        makePicture(dir.file("in/a.jpg"), 200, 300, "JPG");
        makePicture(dir.file("in/a.JPG"), 90, 90, "JPG");
        makePicture(dir.file("in/b.bmp"), 120, 60, "BMP");
        settings = dir.file("CULERT.txt");
    }
    QStringList written(const char *folder) const { return QDir(dir.file(folder)).entryList(QDir::Files, QDir::Name); }

    TempDir dir;
    QString settings;
};

} // namespace

TEST_F(BatchToolFormat, EveryPictureIsConvertedAndNoClashingNameIsLost)
{
    const ToolRun r
        = runTool({"--format", "PNG", "-w", "100", "-H", "100", "--json", dir.file("in"), dir.file("out")}, settings);
    ASSERT_EQ(r.status, kAllConverted) << r.err.toStdString();
    // a.png is already so called; a.jpg and a.JPG keep their whole names,
    // which a memory card takes for one: the second by name is numbered.
    EXPECT_EQ(written("out"), QStringList({"a.JPG.png", "a.jpg (2).png", "a.png", "b.png"}));
    EXPECT_EQ(vipsSays(dir.file("out/a.png")), "pngload 100x67");
    EXPECT_EQ(vipsSays(dir.file("out/a.jpg (2).png")), "pngload 67x100");
    EXPECT_EQ(vipsSays(dir.file("out/a.JPG.png")), "pngload 90x90");
    EXPECT_EQ(vipsSays(dir.file("out/b.png")), "pngload 100x50");

    const QHash<QString, QJsonObject> lines = jsonLines(r.out);
    EXPECT_FALSE(lines.value("a.png").contains("output"));
    EXPECT_EQ(lines.value("a.jpg").value("output"), "a.jpg (2).png");
    EXPECT_EQ(lines.value("a.jpg").value("renamed"), true);
    EXPECT_EQ(lines.value("a.JPG").value("output"), "a.JPG.png");
    EXPECT_EQ(lines.value("b.bmp").value("output"), "b.png");
    EXPECT_EQ(lines.value("b.bmp").value("renamed"), false);
    EXPECT_EQ(lines.value("b.bmp").value("status"), "converted");
    const QJsonObject summary = lines.value(QString());
    EXPECT_EQ(summary.value("converted"), 4);
    EXPECT_EQ(summary.value("renamed"), 2);
    EXPECT_EQ(summary.value("format"), "png");

    // For a person: each line says where the picture went, the end which
    // pictures were renamed.
    const ToolRun text = runTool({"--format", "tif", dir.file("in"), dir.file("tif")}, settings);
    ASSERT_EQ(text.status, kAllConverted) << text.err.toStdString();
    EXPECT_EQ(written("tif"), QStringList({"a.JPG.tif", "a.jpg (2).tif", "a.png.tif", "b.tif"}));
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"完成 b.bmp  写为 b.tif\n"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"完成 a.png  写为 a.png.tif（避免重名）\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"转换完成：成功 4 个，失败 0 个。\n"
                                                 u"以下图片转换后会与别的图片同名，为了不互相覆盖，改用了新名称：\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"\n  a.png → a.png.tif\n")));
    EXPECT_EQ(text.out.count(QStringLiteral(u" → ")), 3);
    EXPECT_TRUE(text.err.contains(QStringLiteral(u"，转换为 tif 格式")));
}

TEST_F(BatchToolFormat, AFormatItCannotWriteIsRefusedAndNothingIsWritten)
{
    const QString expected = QStringLiteral(u"--format 必须是 same 或 %1 之一：")
                                 .arg(workflow::batchOutputFormats().join(QStringLiteral(u"、")));
    for (const char *format : {"txt", "", "jpg,png", "*.png", "same-ish"}) {
        const ToolRun r = runTool({"--format", format, dir.file("in"), dir.file("out")}, settings);
        EXPECT_EQ(r.status, kBadArguments) << format;
        EXPECT_TRUE(r.err.contains(expected + QString::fromUtf8(format))) << r.err.toStdString();
    }
    EXPECT_EQ(runTool({dir.file("in"), dir.file("out"), "--format"}, settings).status, kBadArguments);
    EXPECT_FALSE(QFile::exists(dir.file("out")));
}

TEST_F(BatchToolFormat, SameIsTheRunWithoutTheOptionToTheByte)
{
    ASSERT_EQ(runTool({dir.file("in"), dir.file("plain")}, settings).status, kAllConverted);
    ASSERT_EQ(runTool({"--format", "Same", dir.file("in"), dir.file("same")}, settings).status, kAllConverted);
    // A picture already in the format it is converted to comes out the same too.
    ASSERT_EQ(runTool({"--format", "jpg", dir.file("in"), dir.file("jpg")}, settings).status, kAllConverted);
    EXPECT_EQ(written("same"), QStringList({"a.JPG", "a.jpg", "a.png", "b.bmp"}));
    for (const QString &name : written("plain")) {
        EXPECT_FALSE(readFile(dir.file("plain/" + name)).isEmpty());
        EXPECT_EQ(readFile(dir.file("same/" + name)), readFile(dir.file("plain/" + name))) << name.toStdString();
    }
    EXPECT_EQ(readFile(dir.file("jpg/a.jpg")), readFile(dir.file("plain/a.jpg")));
}

TEST_F(BatchToolFormat, SkippingExistingOutputsLooksAtTheNewNamesAndTheOthersKeepTheirs)
{
    QDir(dir.path()).mkdir("out");
    writeFile(dir.file("out/a.jpg (2).tif"), "kept");
    const ToolRun r
        = runTool({"--format", "tif", "--skip-existing", "--json", dir.file("in"), dir.file("out")}, settings);
    ASSERT_EQ(r.status, kAllConverted) << r.err.toStdString();
    EXPECT_EQ(readFile(dir.file("out/a.jpg (2).tif")), "kept");
    const QHash<QString, QJsonObject> lines = jsonLines(r.out);
    EXPECT_EQ(lines.value("a.jpg").value("reason"), "exists");
    // a.png and a.JPG still clash with the skipped a.jpg: their names do not
    // depend on what a run skips, so a second run never writes them twice.
    EXPECT_EQ(written("out"), QStringList({"a.JPG.tif", "a.jpg (2).tif", "a.png.tif", "b.tif"}));
}

TEST_F(BatchToolFormat, ShardsGetTheNamesOfTheWholeRun)
{
    ASSERT_EQ(runTool({"--format", "tif", dir.file("in"), dir.file("whole")}, settings).status, kAllConverted);
    for (const char *shard : {"0/3", "1/3", "2/3"})
        ASSERT_EQ(runTool({"--format", "tif", "--shard", shard, dir.file("in"), dir.file("shards")}, settings).status,
                  kAllConverted)
            << shard;
    EXPECT_EQ(written("shards"), written("whole"));
    EXPECT_EQ(written("whole"), QStringList({"a.JPG.tif", "a.jpg (2).tif", "a.png.tif", "b.tif"}));
}

TEST_F(BatchToolFormat, EverySizeFolderGetsTheSameNewNames)
{
    ASSERT_EQ(runTool({"--format", "png", "--size", "60x60:small", "--size", "150x150:large", dir.file("in"),
                       dir.file("out")},
                      settings)
                  .status,
              kAllConverted);
    EXPECT_EQ(written("out/small"), QStringList({"a.JPG.png", "a.jpg (2).png", "a.png", "b.png"}));
    EXPECT_EQ(written("out/large"), written("out/small"));
    EXPECT_EQ(vipsSays(dir.file("out/small/a.jpg (2).png")), "pngload 40x60");
    EXPECT_EQ(vipsSays(dir.file("out/large/a.png")), "pngload 150x100");
}

TEST_F(BatchToolFormat, IntoTheSourceFolderOnlyReplacingAnOriginalNeedsTheFlag)
{
    for (const char *name : {"a.jpg", "a.JPG", "b.bmp"})
        QFile::remove(dir.file("in/") + name);
    const QByteArray png = readFile(dir.file("in/a.png"));
    ASSERT_EQ(runTool({"--format", "jpg", dir.file("in"), dir.file("in")}, settings).status, kAllConverted);
    EXPECT_EQ(written("in"), QStringList({"a.jpg", "a.png"}));
    EXPECT_EQ(readFile(dir.file("in/a.png")), png);

    // a.jpg is now a picture of the folder, written under its own name.
    const QByteArray jpeg = readFile(dir.file("in/a.jpg"));
    const ToolRun refused = runTool({"--format", "jpg", dir.file("in"), dir.file("in")}, settings);
    EXPECT_EQ(refused.status, kBadArguments);
    EXPECT_TRUE(refused.err.contains("--overwrite-originals"));
    EXPECT_EQ(readFile(dir.file("in/a.jpg")), jpeg);
    EXPECT_EQ(runTool({"--format", "jpg", "--overwrite-originals", dir.file("in"), dir.file("in")}, settings).status,
              kAllConverted);
    EXPECT_EQ(written("in"), QStringList({"a.jpg", "a.png", "a.png.jpg"}));
}

TEST_F(BatchToolFormat, TheDryRunAndTheHelpTellOfIt)
{
    const ToolRun r = runTool({"--dry-run", "--format", "gif", dir.file("in"), dir.file("out")}, settings);
    EXPECT_EQ(r.status, kAllConverted);
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"b.bmp  120×60 → 120×60  写为 b.gif\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(u"  写为 a.png.gif（避免重名）\n")));
    EXPECT_FALSE(QFile::exists(dir.file("out")));

    const QString formats = workflow::batchOutputFormats().join(QStringLiteral(u"、"));
    const QString help = runTool({"--help"}, settings).out;
    EXPECT_TRUE(help.contains("--format=FMT"));
    EXPECT_TRUE(help.simplified().remove(u' ').contains(formats)) << help.toStdString();
    EXPECT_TRUE(batchToolManPage().contains(QStringLiteral("\\fB\\-\\-format\\fR=\\fIFMT\\fR")));
}

// A phone's folder: HEIC photos, upper-case names, one edited copy kept as a
// JPEG beside its original. The JPEG is already called so but for the case of
// its extension: it keeps its stem, and the HEIC beside it yields.
TEST(BatchToolPhoneFolder, HeicPhotosBecomeJpegs)
{
    if (!imaging::hasConvertibleExtension("IMG_0001.HEIC"))
        GTEST_SKIP() << "HEIC is not yet one of the formats the batch reads";
    TempDir dir;
    QDir(dir.path()).mkdir("DCIM");
    const std::pair<const char *, QSize> photos[]
        = {{"IMG_0001.HEIC", {400, 300}}, {"IMG_0002.HEIC", {300, 400}}, {"IMG_0003.heic", {640, 480}}};
    for (const auto &[name, size] : photos) {
        const QString png = dir.file(QString::fromLatin1(name) + ".png");
        makePicture(png, size.width(), size.height(), "PNG");
        QProcess encoder;
        encoder.start("heif-enc", {"-q", "80", "-o", dir.file("DCIM/") + name, png});
        ASSERT_TRUE(encoder.waitForFinished(120000));
        ASSERT_EQ(encoder.exitCode(), 0) << encoder.readAllStandardError().toStdString();
    }
    makePicture(dir.file("DCIM/IMG_0002.JPG"), 300, 400, "JPG");

    const ToolRun r = runTool({"--format", "jpg", "-w", "200", "-H", "200", dir.file("DCIM"), dir.file("out")},
                              dir.file("CULERT.txt"));
    ASSERT_EQ(r.status, kAllConverted) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(QDir(dir.file("out")).entryList(QDir::Files, QDir::Name),
              QStringList({"IMG_0001.jpg", "IMG_0002.HEIC.jpg", "IMG_0002.jpg", "IMG_0003.jpg"}));
    EXPECT_EQ(vipsSays(dir.file("out/IMG_0001.jpg")), "jpegload 200x150");
    EXPECT_EQ(vipsSays(dir.file("out/IMG_0002.HEIC.jpg")), "jpegload 150x200");
    EXPECT_EQ(vipsSays(dir.file("out/IMG_0002.jpg")), "jpegload 150x200");
    EXPECT_EQ(vipsSays(dir.file("out/IMG_0003.jpg")), "jpegload 200x150");
}
