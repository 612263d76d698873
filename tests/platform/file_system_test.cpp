#include "platform/file_system.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/file.h>
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
    ASSERT_TRUE(writeFileAtomically(dir.file("fresh.bin"), QByteArrayView("first")));
    EXPECT_EQ(readFile(dir.file("fresh.bin")), "first");
    EXPECT_EQ(dir.entries(), (QStringList{"fresh.bin", "out.bin"}));
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

TEST(FileSystem, OnlyStaleTemporaryFilesOfKilledRunsAreRemoved)
{
    TempDir dir;
    const char *ours[]
        = {".a.png.tarvel-1x2y3z", ".b c.jpg.tarvel-0", ".young.tif.tarvel-abc", ".locked.bmp.tarvel-zz"};
    const char *others[]
        = {".a.png.tarvel-ABC", "a.png.tarvel-abc", ".a.png.tarvel-", ".a.tarvel-abc.png", "photo.jpg"};
    for (const char *name : ours)
        writeFile(dir.file(name), "part");
    for (const char *name : others)
        writeFile(dir.file(name), "keep");
    EXPECT_TRUE(isTemporaryName(".a.png.tarvel-1x2y3z"));
    EXPECT_FALSE(isTemporaryName("a.png.tarvel-abc"));

    // Two minutes old, but for the young one; the locked one is being
    // written by a run under way.
    const QDateTime old = QDateTime::currentDateTime().addSecs(-120);
    for (const char *name : ours) {
        QFile file(dir.file(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        if (QByteArray(name) != ".young.tif.tarvel-abc") {
            ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
    }
    QFile locked(dir.file(".locked.bmp.tarvel-zz"));
    ASSERT_TRUE(locked.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(locked.handle(), LOCK_EX), 0);

    EXPECT_EQ(removeStaleTemporaryFiles(dir.path()), 2);
    EXPECT_FALSE(QFile::exists(dir.file(".a.png.tarvel-1x2y3z")));
    EXPECT_FALSE(QFile::exists(dir.file(".b c.jpg.tarvel-0")));
    EXPECT_TRUE(QFile::exists(dir.file(".young.tif.tarvel-abc")));
    EXPECT_TRUE(QFile::exists(dir.file(".locked.bmp.tarvel-zz")));
    for (const char *name : others)
        EXPECT_TRUE(QFile::exists(dir.file(name))) << name;
}
