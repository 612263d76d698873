#include "controls/xp_combo_list_file.h"

#include "support/file_bytes.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using controls::XPComboList;

TEST(XPComboListFile, FirstLineWithATagSwitchesTagsOn)
{
    XPComboList list;
    ASSERT_TRUE(controls::readListFileText(list, u"a=b\r\nc\r\nx = y\r\n"));
    EXPECT_TRUE(list.tagCode());
    EXPECT_EQ(list.items(), QStringList({"b", "c", "y"}));
    EXPECT_EQ(list.item(0), "a=b");
    EXPECT_EQ(list.item(1), "c=c");
    EXPECT_EQ(list.listIndex(), -1);
}

TEST(XPComboListFile, FirstLineWithoutATagSwitchesTagsOff)
{
    XPComboList list;
    list.setTagCode(true);
    ASSERT_TRUE(controls::readListFileText(list, u"=plain\r\nk=v\r\n"));
    EXPECT_FALSE(list.tagCode());
    EXPECT_EQ(list.items(), QStringList({"=plain", "k=v"}));
}

TEST(XPComboListFile, ListStartsAtTheFirstLineOfTwoCharacters)
{
    XPComboList list;
    ASSERT_TRUE(controls::readListFileText(
        list, u";comment\r\nx\r\n\r\n    \r\nApple\r\n;later comment\r\n\r\ny\r\n  \r\nPear"));
    EXPECT_EQ(list.items(), QStringList({"Apple", "y", "Pear"}));
}

TEST(XPComboListFile, LongLinesAreCutToEightyCharacters)
{
    XPComboList list;
    const QString hundred(100, u'a');
    // 81 Chinese characters and one outside the basic plane at position 80.
    const QString wide = QString(79, QChar(0x56FE)) + QString::fromUcs4(U"\U0001F600") + QStringLiteral("zz");
    ASSERT_TRUE(controls::readListFileText(list, hundred + QStringLiteral("\r\n") + wide));
    EXPECT_EQ(list.items()[0], QString(80, u'a'));
    EXPECT_EQ(list.items()[1], QString(79, QChar(0x56FE)) + QString::fromUcs4(U"\U0001F600"));
}

TEST(XPComboListFile, AnyLineBreakEndsALine)
{
    XPComboList list;
    ASSERT_TRUE(controls::readListFileText(list, u"one\ntwo\rthree\r\nfour"));
    EXPECT_EQ(list.items(), QStringList({"one", "two", "three", "four"}));
}

TEST(XPComboListFile, ContentWithoutAFirstLineLeavesTheListAlone)
{
    XPComboList list;
    list.addItem("kept");
    EXPECT_FALSE(controls::readListFileText(list, u""));
    EXPECT_FALSE(controls::readListFileText(list, u";only a comment\r\nx\r\ny\r\n   \r\n"));
    EXPECT_EQ(list.items(), QStringList{"kept"});
}

TEST(XPComboListFile, SavingWritesTagsForTheFirstHundredItems)
{
    XPComboList list;
    list.setTagCode(true);
    for (int i = 0; i < 120; ++i)
        list.addItem(QStringLiteral("t%1=item %1").arg(i));
    const QStringList lines = controls::listFileText(list).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 121);
    EXPECT_EQ(lines.last(), "") << "every line ends in CR LF";
    EXPECT_EQ(lines[0], "t0=item 0");
    EXPECT_EQ(lines[99], "t99=item 99");
    EXPECT_EQ(lines[100], "item 100");
    EXPECT_EQ(lines[119], "item 119");
    EXPECT_EQ(lines.filter(QStringLiteral("=")).size(), 100);
}

TEST(XPComboListFile, SavedListReadsBackTheSame)
{
    TempDir dir;
    const QString path = dir.file("XPCombo1.Txt");
    XPComboList list;
    list.setTagCode(true);
    list.addItem(QStringLiteral("jpg=JPEG 图片"));
    list.addItem(QStringLiteral("png=PNG 图片"));
    ASSERT_TRUE(controls::saveListFile(list, path));
    EXPECT_EQ(readFile(path), QStringLiteral("jpg=JPEG 图片\r\npng=PNG 图片\r\n").toUtf8());

    XPComboList loaded;
    ASSERT_TRUE(controls::loadListFile(loaded, path));
    EXPECT_TRUE(loaded.tagCode());
    EXPECT_EQ(loaded.items(), list.items());
    EXPECT_EQ(loaded.item(1), "png=PNG 图片");
}

TEST(XPComboListFile, LoadingIgnoresAByteOrderMark)
{
    TempDir dir;
    const QString path = dir.file("list.txt");
    writeFile(path, "\xEF\xBB\xBFjp=JPEG\r\n");
    XPComboList list;
    ASSERT_TRUE(controls::loadListFile(list, path));
    int start = 0;
    EXPECT_TRUE(list.selectByTag("jp", start));
}

TEST(XPComboListFile, FilesThatCannotBeReadOrWrittenFail)
{
    TempDir dir;
    XPComboList list;
    list.addItem("kept");
    EXPECT_FALSE(controls::loadListFile(list, dir.file("missing.txt")));
    EXPECT_FALSE(controls::loadListFile(list, dir.path()));
    writeFile(dir.file("empty.txt"), "");
    EXPECT_FALSE(controls::loadListFile(list, dir.file("empty.txt")));
    EXPECT_EQ(list.items(), QStringList{"kept"});

    EXPECT_FALSE(controls::saveListFile(list, dir.file("no/such/folder/list.txt")));
    EXPECT_EQ(dir.entries(), QStringList{"empty.txt"}) << "a failed save leaves nothing behind";
}

TEST(XPComboListFile, PathIsTheFileNameOrTheInstanceNameBesideTheProgram)
{
    EXPECT_EQ(controls::listFilePath("  /data/lists/formats.txt ", "/opt/tarvel", "XPCombo1"),
              "/data/lists/formats.txt");
    EXPECT_EQ(controls::listFilePath("", "/opt/tarvel", "XPCombo1"), "/opt/tarvel/XPCombo1.Txt");
    EXPECT_EQ(controls::listFilePath("   ", "/opt/tarvel", "XPCombo1"), "/opt/tarvel/XPCombo1.Txt");
}
