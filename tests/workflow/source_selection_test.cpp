// The shares of a run spread over many machines: the hash every machine
// computes alike, the shard syntax, and lists of names.
#include "workflow/source_selection.h"

#include "platform/native_path.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace workflow;

TEST(SourceSelection, TheHashIsFnv1aOfThePathBytesSoEveryMachineAgrees)
{
    // The published FNV-1a 64 test vectors.
    EXPECT_EQ(pathHash(QString()), 0xcbf29ce484222325u);
    EXPECT_EQ(pathHash("a"), 0xaf63dc4c8601ec8cu);
    EXPECT_EQ(pathHash("foobar"), 0x85944171f73967e8u);
    // Of the bytes as the file system names them, not of UTF-16.
    EXPECT_EQ(pathHash(platform::pathFromNative("caf\xe9.png")), pathHash(platform::pathFromNative("caf\xe9.png")));
    EXPECT_NE(pathHash(platform::pathFromNative("caf\xe9.png")), pathHash(QString::fromUtf8("caf\xc3\xa9.png")));
    // Every path falls to exactly one of N shards.
    for (const char *path : {"a/b.jpg", "x.png", "deep/er/still.bmp"}) {
        for (const int count : {1, 2, 3, 7}) {
            int shards = 0;
            for (int index = 0; index < count; ++index)
                shards += inShard(path, {index, count});
            EXPECT_EQ(shards, 1) << path << " of " << count;
        }
    }
}

TEST(SourceSelection, ShardsAreCountedFromZero)
{
    const auto first = parseShard("0/4");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->index, 0);
    EXPECT_EQ(first->count, 4);
    EXPECT_TRUE(parseShard("3/4"));
    for (const char *wrong : {"4/4", "-1/4", "1/0", "1", "a/b", "1/2/3", "", "/3"})
        EXPECT_FALSE(parseShard(wrong)) << wrong;
}

TEST(SourceSelection, ListsGiveRelativeNamesOnceAndRefuseWaysOut)
{
    const NameList lines = parseNameList("a.jpg\n./b/c.png\r\n\nb//c.png\na.jpg\nlast.png", false);
    EXPECT_FALSE(lines.refused);
    EXPECT_EQ(lines.names, (std::vector<QString>{"a.jpg", "b/c.png\r", "b/c.png", "last.png"}));
    static const char kNul[] = "new\nline.png\0odd \xff.png\0";
    const NameList nul = parseNameList(QByteArray(kNul, sizeof kNul - 1), true);
    EXPECT_EQ(nul.names, (std::vector<QString>{"new\nline.png", platform::pathFromNative("odd \xff.png")}));
    for (const QByteArray &out : {QByteArray("ok.png\n../x.png"), QByteArray("/etc/x.png"), QByteArray("a/../../x")}) {
        const NameList refused = parseNameList(out, false);
        EXPECT_TRUE(refused.refused) << out.constData();
        EXPECT_TRUE(refused.names.empty());
    }
}

TEST(SourceSelection, ListedEntriesAreJudgedAsTheWalkJudgesThem)
{
    TempDir dir;
    QDir(dir.path()).mkpath("src/sub");
    QDir(dir.path()).mkpath("src/.hidden");
    QDir(dir.path()).mkpath("elsewhere");
    QDir(dir.path()).mkpath("src/out");
    for (const char *name :
         {"src/a.jpg", "src/sub/b.png", "src/.hidden/c.png", "src/note.txt", "elsewhere/d.png", "src/out/e.png"}) {
        QFile file(dir.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // A link to a folder outside: the walk never enters one, nor does a list.
    ASSERT_TRUE(QFile::link(dir.file("elsewhere"), dir.file("src/link")));
    // The output folder inside the source is left alone, as by the walk.
    const auto entries = listedEntries(dir.file("src"), dir.file("src/out"),
                                       {"a.jpg", "sub/b.png", ".hidden/c.png", "note.txt", "link/d.png", "sub",
                                        "none.png", "a.jpg/x.png", "out/e.png"});
    const std::vector<SkipReason> expected{SkipReason::None,      SkipReason::None,    SkipReason::Hidden,
                                           SkipReason::Extension, SkipReason::Missing, SkipReason::NotRegular,
                                           SkipReason::Missing,   SkipReason::Missing, SkipReason::OutputFolder};
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].skip, expected[i]) << entries[i].path.toStdString();
}
