// tarvel-batch's command-line conventions: argument forms, refusals, help,
// the output folder, and which stream carries what.
#include "cli/batch_tool.h"
#include "cli/batch_tool_options.h"
#include "cli/terminal_text.h"

#include "batch_tool_run.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace cli;

namespace {

class BatchToolCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        makePicture(dir.file("in/wide.jpg"), 800, 400, "JPG");
        makePicture(dir.file(u"in/二零二四年春节全家福在老家院子里拍的合影.png"_qs), 300, 900, "PNG");
        settings = dir.file("CULERT.txt");
    }

    TempDir dir;
    QString settings;
};

} // namespace

TEST_F(BatchToolCommandLine, TakesTheUsualArgumentForms)
{
    // "--" lets through a folder whose name starts with "-"; the output
    // folder is made with its parents.
    QDir(dir.path()).mkdir("-r");
    makePicture(dir.file("-r/a.png"), 400, 200, "PNG");
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const ToolRun r = runTool({"--width=300", "-H", "100", "-ej1", "-q", "90", "--", "-r", "out/nested"}, settings);
    QDir::setCurrent(cwd);
    EXPECT_EQ(r.status, kAllConverted) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.file("out/nested/a.png")).size(), QSize(200, 100));

    const ToolRun version = runTool({"--version"}, settings);
    EXPECT_TRUE(QRegularExpression("^tarvel-batch \\d+\\.\\d+\\S*\n$").match(version.out).hasMatch())
        << version.out.toStdString();
    const QString help = runTool({"-h"}, settings).out;
    const QString man = runTool({"--man"}, settings).out;
    EXPECT_TRUE(man.startsWith(".TH TARVEL-BATCH 1 ")) << man.toStdString();
    for (const BatchToolOption &option : batchToolOptions()) {
        const QString name = QLatin1String(option.name);
        EXPECT_EQ(help.contains("--" + name), !option.hidden) << option.name;
        EXPECT_EQ(man.contains("\\-\\-" + QString(name).replace("-", "\\-")), !option.hidden) << option.name;
    }
    for (const char *status : {"130", "143"})
        EXPECT_TRUE(help.contains(status) && man.contains(status)) << status;
    for (const QString &line : help.split('\n'))
        EXPECT_LE(terminalColumns(line), 80) << line.toStdString();
}

TEST_F(BatchToolCommandLine, RefusesWithOneLineAndStatusTwo)
{
    makePicture(dir.file("file.png"), 10, 10, "PNG");
    const QString in = dir.file("in");
    const QList<QStringList> refused = {
        {"--bogus", in, dir.file("out")},
        {"-x", in, dir.file("out")},
        {"-q", "0", in, dir.file("out")},
        {"--jpeg-quality=101", in, dir.file("out")},
        {"-j", "0", in, dir.file("out")},
        {"--enlarge=yes", in, dir.file("out")},
        {in, "--width"},
        {in},
        {in, dir.file("file.png")},
        {in, dir.file("file.png/below")},
    };
    for (const QStringList &arguments : refused) {
        const ToolRun r = runTool(arguments, settings);
        EXPECT_EQ(r.status, kBadArguments) << arguments.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    EXPECT_TRUE(runTool({"--bogus", in, dir.file("out")}, settings).err.contains("--bogus"));
    EXPECT_FALSE(QFile::exists(dir.file("out")));
}

TEST_F(BatchToolCommandLine, ResultsGoToStandardOutputAndProgressToStandardError)
{
    // Not on a terminal: a line per picture, then the summary.
    const ToolRun lines = runTool({dir.file("in"), dir.file("lines")}, settings);
    EXPECT_EQ(lines.out.count(QRegularExpression("^\\[\\d/2\\] ", QRegularExpression::MultilineOption)), 2);
    EXPECT_TRUE(lines.out.endsWith(u"转换完成：成功 2 个，失败 0 个。\n"_qs)) << lines.out.toStdString();
    EXPECT_FALSE(lines.err.contains('\r'));

    // On a terminal 40 columns wide: the summary alone, and a bar that fits.
    const ToolRun bar = runTool({dir.file("in"), dir.file("bar")}, settings, true, 40);
    EXPECT_EQ(bar.out, u"转换完成：成功 2 个，失败 0 个。\n"_qs);
    const QStringList drawn = bar.err.split('\r');
    ASSERT_GT(drawn.size(), 2);
    bool cut = false;
    for (QString line : drawn) {
        line = line.section('\n', 0, 0).remove(QRegularExpression("\x1b\\[\\d*[A-Za-z]"));
        EXPECT_LT(terminalColumns(line), 40) << line.toStdString();
        cut = cut || (line.contains(u"二零"_qs) && line.contains(u"...") && line.endsWith(".png"));
    }
    EXPECT_TRUE(cut) << bar.err.toStdString();
    EXPECT_TRUE(drawn.last().contains("2/2"));

    // JSON: every line an object, the summary last.
    const ToolRun json = runTool({"--json", dir.file("in"), dir.file("json")}, settings);
    const QStringList objects = json.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(objects.size(), 3);
    for (const QString &text : objects) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
        EXPECT_EQ(document.object()["type"].toString(), &text == &objects.last() ? "summary" : "file");
    }
    EXPECT_EQ(QJsonDocument::fromJson(objects.last().toUtf8())["converted"].toInt(), 2);
}
