#include "dialogs/dialog_placement.h"
#include "dialogs/qt_file_dialogs.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace dialogs;

TEST(DialogPlacement, CentresOverTheMainWindowOrTheScreen)
{
    const QRect screen(0, 0, 1280, 800);
    const QRect main(100, 100, 600, 400);
    EXPECT_EQ(dialogPosition(DialogPlacement::MainWindow, QSize(500, 350), screen, main), QPoint(150, 125));
    EXPECT_EQ(dialogPosition(DialogPlacement::Screen, QSize(500, 350), screen, main), QPoint(390, 225));
    EXPECT_EQ(dialogPosition(DialogPlacement::Platform, QSize(500, 350), screen, main), std::nullopt);
}

TEST(DialogPlacement, LargerDialogsGetNegativeOffsetsTruncatedTowardZero)
{
    const QRect main(100, 100, 600, 400);
    // (600 - 801) / 2 = -100.5, truncated to -100.
    EXPECT_EQ(dialogPosition(DialogPlacement::MainWindow, QSize(801, 401), QRect(), main), QPoint(0, 100));
    EXPECT_EQ(dialogPosition(DialogPlacement::MainWindow, QSize(900, 350), QRect(), main)->x(), -50);
}

TEST(OpenDialogFilters, MatchFileNamesWithoutRegardToCase)
{
    EXPECT_EQ(caseInsensitivePattern("*.tga"), "*.[tT][gG][aA]");
    const QString filter = nameFilter(QStringLiteral(u"tga图像(*.TGA)"), "*.tga");
    // Qt takes the patterns from the trailing group.
    const auto match = QRegularExpression(R"(\(([^()]*)\)$)").match(filter);
    ASSERT_TRUE(match.hasMatch());
    const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression(match.captured(1)));
    EXPECT_TRUE(glob.match("photo.TGA").hasMatch());
    EXPECT_TRUE(glob.match("photo.tga").hasMatch());
    EXPECT_TRUE(glob.match("photo.Tga").hasMatch());
    EXPECT_FALSE(glob.match("photo.tgax").hasMatch());
}
