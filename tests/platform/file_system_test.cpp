#include "platform/file_system.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
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

// A link planted at the output's name is replaced, and lends the output
// nothing of what it points at: not a world-writable mode, not setuid. A
// file replaced in place keeps its permissions but never setuid, setgid or
// sticky.
TEST(FileSystem, AtomicWriteTakesNoModeFromALinkAndNoSpecialBits)
{
    TempDir dir;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const mode_t fresh = 0666 & ~mask;
    struct Case {
        const char *name;
        mode_t targetMode;
        bool planted; // a symlink at the output's name pointing at the target
        mode_t expected;
    };
    for (const Case &c : {Case{"writable", 0666, true, fresh}, Case{"setuid", 04755, true, fresh},
                          Case{"setgid", 02775, true, fresh}, Case{"own-setuid", 04750, false, 0750},
                          Case{"own-sticky", 01640, false, 0640}}) {
        SCOPED_TRACE(c.name);
        const QString target = dir.file(QStringLiteral("target-%1").arg(QLatin1String(c.name)));
        const QString output = dir.file(QStringLiteral("out-%1").arg(QLatin1String(c.name)));
        writeFile(target, "the link's target");
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), c.targetMode), 0);
        if (c.planted) {
            ASSERT_TRUE(QFile::link(target, output));
        }
        const QString written = c.planted ? output : target;
        ASSERT_TRUE(writeFileAtomically(written, QByteArrayView("new")));
        struct stat status { };
        ASSERT_EQ(::lstat(QFile::encodeName(written).constData(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode));
        EXPECT_EQ(status.st_mode & 07777, c.expected) << std::oct << (status.st_mode & 07777);
        if (c.planted) {
            EXPECT_EQ(readFile(target), QByteArray("the link's target"));
            struct stat kept { };
            ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &kept), 0);
            EXPECT_EQ(kept.st_mode & 07777, c.targetMode);
        }
    }
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
