#include "workflow/conversion_rules.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace workflow;

TEST(ConversionRules, DefaultNameIsTheBaseNameWithTheCopySuffix)
{
    EXPECT_EQ(defaultNewName("/pics/sea.view.jpg"), QStringLiteral(u"sea副本"));
    EXPECT_EQ(defaultNewName("/pics/a.b.png"), QStringLiteral(u"a副本"));
    EXPECT_EQ(defaultNewName(QString()), QString());
}

TEST(ConversionRules, SingleOutputLandsBesideTheSourceWithoutSpaces)
{
    EXPECT_EQ(singleOutputPath("/x/y.jpg", QStringLiteral(u"y副本"), ".png"), QStringLiteral(u"/x/y副本.png"));
    EXPECT_EQ(singleOutputPath("/home/me/pics/a.jpg", " my pic ", ".tif"), "/home/me/pics/mypic.tif");
    EXPECT_EQ(singleOutputPath("/a.b/c.jpg", QStringLiteral(u"名\u3000字"), ".bmp"),
              QStringLiteral(u"/a.b/名\u3000字.bmp"));
    EXPECT_EQ(singleOutputPath("c.jpg", "d", ".gif"), "d.gif");
}

TEST(ConversionRules, SameFolderComparesResolvedPaths)
{
    TempDir dir;
    QDir(dir.path()).mkdir("pics");
    QDir(dir.path()).mkdir("other");
    QFile::link(dir.file("pics"), dir.file("alias"));
    EXPECT_TRUE(isSameFolder(dir.file("pics"), dir.file("pics/")));
    EXPECT_TRUE(isSameFolder(dir.file("pics"), dir.file("other/../pics")));
    EXPECT_TRUE(isSameFolder(dir.file("pics"), dir.file("alias")));
    EXPECT_FALSE(isSameFolder(dir.file("pics"), dir.file("other")));
    EXPECT_FALSE(isSameFolder(dir.file("missing"), dir.file("missing")));
}

TEST(ConversionRules, FailureNoticeListsAtMostTwentyNames)
{
    EXPECT_EQ(batchFailureNotice(3, {"a.jpg", "b.png"}),
              QStringLiteral(u"转换完成：成功 3 个，失败 2 个。\n以下文件未能转换：\na.jpg\nb.png"));
    QStringList many;
    for (int i = 0; i < 25; ++i)
        many << QStringLiteral("f%1.jpg").arg(i);
    const QString notice = batchFailureNotice(0, many);
    EXPECT_TRUE(notice.startsWith(QStringLiteral(u"转换完成：成功 0 个，失败 25 个。")));
    EXPECT_TRUE(notice.contains("\nf19.jpg\n"));
    EXPECT_FALSE(notice.contains("f20.jpg"));
    EXPECT_TRUE(notice.endsWith(QStringLiteral(u"\n……")));
}

TEST(ConversionRules, ANewNameIsJudgedAfterItsSpacesAreRemoved)
{
    EXPECT_EQ(newNameProblem(QStringLiteral(u"海 边")), NewNameProblem::None);
    EXPECT_EQ(newNameProblem("a.b"), NewNameProblem::None); // a dot inside is the copy's own business
    EXPECT_EQ(newNameProblem("  "), NewNameProblem::Empty);
    EXPECT_EQ(newNameProblem(". ."), NewNameProblem::OnlyDots);
    EXPECT_EQ(newNameProblem(".x/y"), NewNameProblem::LeadingDot);
    EXPECT_EQ(newNameProblem("x/.y"), NewNameProblem::Slash);
    EXPECT_EQ(newNameProblem(QStringLiteral("x") + QChar(0)), NewNameProblem::Nul);
}

TEST(ConversionRules, AStoppedRunCountsWhatWasNotStartedAndListsOnlyFailures)
{
    EXPECT_EQ(batchStoppedNotice(5, 30, {}), QStringLiteral(u"转换已停止：成功 5 个，失败 0 个，未开始 30 个。"));
    EXPECT_EQ(batchStoppedNotice(1, 2, {QStringLiteral(u"a.jpg：图片已损坏或无法解码")}),
              QStringLiteral(
                  u"转换已停止：成功 1 个，失败 1 个，未开始 2 个。\n以下文件未能转换：\na.jpg：图片已损坏或无法解码"));
}
