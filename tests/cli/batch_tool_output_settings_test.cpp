// tarvel-batch's exact sizes, file-size range and DPI, and the values it
// refuses before a run.
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "workflow/batch_workflow.h"
#include "workflow/settings_conversion.h"
#include "workflow/work_list.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace cli;

namespace {

class BatchToolOutputSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        settings = dir.file("CULERT.txt");
        for (const char *photo : {"Fossa_by_Jasper_Roks.jpg", "Wine_by_Jakkub_Mede.jpg"})
            QFile::copy(QStringLiteral("/usr/share/backgrounds/%1").arg(photo), dir.file(QStringLiteral("in/%1").arg(photo)));
        makePicture(dir.file("in/small.png"), 120, 80, "PNG");
    }
    ToolRun run(QStringList arguments) { return runTool(arguments << dir.file("in") << dir.file("out"), settings); }

    TempDir dir;
    QString settings;
};

} // namespace

TEST_F(BatchToolOutputSettings, AnExamPhotoComesOutExactlyItsSizeWithinItsRangeAndTagged)
{
    QFile::remove(dir.file("in/small.png"));
    const ToolRun done = run({"--fit", "fill", "-w", "295", "-H", "413", "--format", "jpg", "--max-size", "50K",
                              "--min-size", "10K", "--dpi", "300", "--json"});
    ASSERT_EQ(done.status, kAllConverted) << done.err.toStdString();
    int files = 0;
    for (const QString &line : done.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject report = QJsonDocument::fromJson(line.toUtf8()).object();
        if (report["type"] != "file")
            continue;
        ++files;
        const QString output = dir.file("out/" + QFileInfo(report["path"].toString()).completeBaseName() + ".jpg");
        EXPECT_EQ(QImageReader(output).size(), QSize(295, 413)) << output.toStdString();
        const qint64 length = QFileInfo(output).size();
        EXPECT_EQ(report["bytes"].toInteger(), length);
        EXPECT_LE(length, 50'000);
        EXPECT_GE(length, 10 * 1024);
        EXPECT_EQ(QImageReader(output).read().dotsPerMeterX(), 11811); // 300 dpi
    }
    EXPECT_EQ(files, 2);
}

TEST_F(BatchToolOutputSettings, ARangeOutOfReachFailsThePictureNamingTheNearestAndWritesNothing)
{
    const ToolRun done = run({"--fit", "pad", "-w", "600", "-H", "600", "--background", "#102030", "--max-size", "2K"});
    EXPECT_EQ(done.status, kSomeFailed);
    EXPECT_FALSE(QFileInfo::exists(dir.file("out/Fossa_by_Jasper_Roks.jpg")));
    // The reason names the ceiling and the smallest file made at the size.
    EXPECT_TRUE(done.out.contains("2000")) << done.out.toStdString();
    EXPECT_TRUE(done.out.contains("600×600")) << done.out.toStdString();
}

TEST_F(BatchToolOutputSettings, BadValuesAndAFloorAboveTheCeilingAreRefusedWithTheReason)
{
    const QList<std::pair<QStringList, QString>> refused{
        {{"--fit", "cover"}, "cover"},
        {{"--anchor", "middle"}, "middle"},
        {{"--background", "red"}, "red"},
        {{"--max-size", "50KB"}, "50KB"},
        {{"--min-size", "60K", "--max-size", "50K"}, "61440"},
        {{"--dpi", "0"}, "--dpi"},
        {{"--fit", "fill", "--long-edge", "100"}, "--long-edge"},
    };
    for (const auto &[arguments, says] : refused) {
        const ToolRun done = run(arguments);
        EXPECT_EQ(done.status, kBadArguments) << arguments.join(' ').toStdString();
        EXPECT_TRUE(done.err.contains(says)) << done.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.file("out")));
    }
}

TEST_F(BatchToolOutputSettings, TheWindowsWayAndTarvelBatchWriteTheSameBytesForTheSameSettings)
{
    // The settings as the window holds them, converted the window's way.
    workflow::ConversionSettings settings;
    settings.sizeMode = workflow::SizeMode::Pad;
    settings.width = 413;
    settings.height = 579;
    settings.anchor = imaging::Anchor::BottomLeft;
    settings.padColour = 0x3366CC;
    settings.background = 0x3366CC;
    settings.quality = 90;
    settings.maxSize = workflow::FileSize{60, workflow::FileSize::Unit::Kilo};
    settings.dpi = 300;
    workflow::ConversionOptions base;
    base.jobs = 2;
    QDir(dir.path()).mkdir("window");
    const workflow::BatchSummary window
        = workflow::runBatch({dir.file("in"), dir.file("window")}, workflow::scanBatchFolder(dir.file("in")),
                             workflow::settingsBox(settings), workflow::settingsOptions(settings, base));
    ASSERT_EQ(window.converted, 3);

    const ToolRun done = run({"--fit", "pad", "-w", "413", "-H", "579", "--anchor", "bottom-left", "--background",
                              "#3366cc", "-q", "90", "--max-size", "60K", "--dpi", "300"});
    ASSERT_EQ(done.status, kAllConverted) << done.err.toStdString();
    for (const char *name : {"Fossa_by_Jasper_Roks.jpg", "Wine_by_Jakkub_Mede.jpg", "small.png"}) {
        const QByteArray fromWindow = readFile(dir.file(QStringLiteral("window/%1").arg(name)));
        EXPECT_FALSE(fromWindow.isEmpty()) << name;
        EXPECT_TRUE(fromWindow == readFile(dir.file(QStringLiteral("out/%1").arg(name)))) << name;
    }
}

TEST_F(BatchToolOutputSettings, APresetGivesItsSettingsAndTheCommandLineWins)
{
    const ToolRun listed = runTool({"--list-presets"}, settings);
    ASSERT_EQ(listed.status, kAllConverted);
    EXPECT_TRUE(listed.out.contains("exam-295x413\t")) << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains("share-1920\t")) << listed.out.toStdString();

    QFile::remove(dir.file("in/small.png"));
    // The exam preset: exactly 295 x 413, a JPEG of 20-50 KB at 300 dpi.
    ToolRun done = run({"--preset", "EXAM-295x413", "--json"});
    ASSERT_EQ(done.status, kAllConverted) << done.err.toStdString() << done.out.toStdString();
    for (const char *name : {"Fossa_by_Jasper_Roks", "Wine_by_Jakkub_Mede"}) {
        const QString output = dir.file(QStringLiteral("out/%1.jpg").arg(name));
        EXPECT_EQ(QImageReader(output).size(), QSize(295, 413)) << name;
        EXPECT_LE(QFileInfo(output).size(), 50'000);
        EXPECT_GE(QFileInfo(output).size(), 20 * 1024);
    }
    // An option given wins over the preset's.
    QDir(dir.file("out")).removeRecursively();
    done = run({"--preset", "exam-295x413", "-w", "150", "-H", "200", "--fit", "pad", "--min-size", "1K"});
    ASSERT_EQ(done.status, kAllConverted) << done.err.toStdString();
    EXPECT_EQ(QImageReader(dir.file("out/Wine_by_Jakkub_Mede.jpg")).size(), QSize(150, 200));

    done = run({"--preset", "no-such-preset"});
    EXPECT_EQ(done.status, kBadArguments);
    EXPECT_TRUE(done.err.contains("no-such-preset"));
}
