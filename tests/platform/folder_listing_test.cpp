#include "platform/folder_listing.h"
#include "platform/single_instance.h"

#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace platform;

TEST(FolderListing, ListsVisibleFilesOnlyWithoutRecursion)
{
    TempDir dir;
    for (const char *name : {"b.jpg", "a,b.png", "名 字.gif", ".hidden.png", "notes.txt"}) {
        QFile file(dir.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir(dir.path()).mkpath("sub/deeper");
    QFile::link(dir.file("b.jpg"), dir.file("link.jpg"));
    QFile::link(dir.file("sub"), dir.file("folderlink"));

    QStringList names = listOrdinaryFiles(dir.path());
    names.sort();
    EXPECT_EQ(names, QStringList({"a,b.png", "b.jpg", "link.jpg", "notes.txt", "名 字.gif"}));
    EXPECT_TRUE(listOrdinaryFiles(dir.file("missing")).isEmpty());
    EXPECT_TRUE(listOrdinaryFiles(QString()).isEmpty());
}

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEnds)
{
    const QString name = QStringLiteral("tarvel-test-%1").arg(QCoreApplication::applicationPid());
    {
        SingleInstance first(name);
        EXPECT_TRUE(first.isFirst());
        SingleInstance second(name);
        EXPECT_FALSE(second.isFirst());
    }
    SingleInstance again(name);
    EXPECT_TRUE(again.isFirst());
}
