#include "platform/file_system.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform;

TEST(FileSystem, RegularFileAndFolderTests)
{
    TempDir dir;
    writeFile(dir.file("a.txt"), "x");
    writeFile(dir.file(".hidden"), "x");
    QDir(dir.path()).mkdir("sub");
    QFile::link(dir.file("a.txt"), dir.file("link"));

    EXPECT_TRUE(isRegularFile(dir.file("a.txt")));
    EXPECT_TRUE(isRegularFile(dir.file(".hidden")));
    EXPECT_TRUE(isRegularFile(dir.file("link")));
    EXPECT_FALSE(isRegularFile(dir.file("sub")));
    EXPECT_FALSE(isRegularFile(dir.file("missing")));
    EXPECT_FALSE(isRegularFile(QString()));

    EXPECT_TRUE(isFolder(dir.file("sub")));
    EXPECT_FALSE(isFolder(dir.file("a.txt")));
    EXPECT_FALSE(isFolder(dir.file("missing")));
    EXPECT_FALSE(isFolder(QString()));
}

TEST(FileSystem, AtomicWriteReplacesWholeFileAndLeavesNoTemporary)
{
    TempDir dir;
    const QString target = dir.file("out.bin");
    writeFile(target, "old content that is longer");
    ASSERT_TRUE(writeFileAtomically(target, QByteArrayView("new")));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(dir.entries(), QStringList{"out.bin"});
}

TEST(FileSystem, FailedAtomicWriteLeavesNothing)
{
    TempDir dir;
    writeFile(dir.file("plain"), "x");
    // A regular file cannot hold a folder entry, not even for root.
    EXPECT_FALSE(writeFileAtomically(dir.file("plain/out.bin"), QByteArrayView("new")));
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/out.bin"), QByteArrayView("new")));
    EXPECT_EQ(dir.entries(), QStringList{"plain"});
}

TEST(FileSystem, AtomicWriteKeepsPermissionsOfTheReplacedFile)
{
    TempDir dir;
    const QString target = dir.file("out.bin");
    writeFile(target, "old");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions before = QFile::permissions(target);
    ASSERT_TRUE(writeFileAtomically(target, QByteArrayView("new")));
    EXPECT_EQ(QFile::permissions(target), before);
}
