#include "workflow/path_names.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace workflow;

TEST(PathNames, FileNameBaseNameAndExtension)
{
    EXPECT_EQ(GetFileName("/home/u/图片/a b.jpg"), "a b.jpg");
    EXPECT_EQ(GetFileName("a.jpg"), "a.jpg");
    EXPECT_EQ(GetFileName("/home/u/"), "");

    EXPECT_EQ(GetBaseName("/p/photo.2024.final.jpg"), "photo");
    EXPECT_EQ(GetBaseName("/p/.hidden.png"), "");
    EXPECT_EQ(GetBaseName("/my.pics/readme"), "readme");
    EXPECT_EQ(GetBaseName("/p/readme"), "");
    EXPECT_EQ(GetBaseName(""), "");

    EXPECT_EQ(GetExtension("/p/a.JPG"), "JPG");
    EXPECT_EQ(GetExtension("/p/a.tar.gz"), "gz");
    EXPECT_EQ(GetExtension("/p/a."), "");
    EXPECT_EQ(GetExtension("/my.pics/readme"), "pics/readme");
    EXPECT_EQ(GetExtension("/p/readme"), "");
}

TEST(PathNames, SpacesAndNul)
{
    EXPECT_EQ(RemoveSpaces("  new  name 1 "), "newname1");
    EXPECT_EQ(RemoveSpaces("   "), "");
    EXPECT_EQ(RemoveSpaces(QString::fromUtf16(u"a\tb\u3000c")), QString::fromUtf16(u"a\tb\u3000c"));

    EXPECT_EQ(TrimAtNull(QString::fromUtf16(u"/p/a.jpg\0\0junk", 15)), "/p/a.jpg");
    EXPECT_EQ(TrimAtNull(QString::fromUtf16(u"\0abc", 4)), "");
    EXPECT_EQ(TrimAtNull("abc"), "abc");
}

TEST(PathNames, IsFolder)
{
    TempDir dir;
    QDir(dir.path()).mkdir("sub.jpg");
    QFile file(dir.file("a.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));

    EXPECT_TRUE(IsFolder(dir.file("sub.jpg")));
    EXPECT_FALSE(IsFolder(dir.file("a.jpg")));
    EXPECT_FALSE(IsFolder(dir.file("missing")));
    EXPECT_FALSE(IsFolder(""));
}
