// One run spread over many: shards that together convert every picture of a
// tree exactly once, to the bytes one run writes, and lists of names
// (--files-from) with every byte a name may hold.
#include "cli/batch_tool.h"

#include "batch_tool_run.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/native_path.h"
#include "platform/read_only_file.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <unistd.h>

using namespace cli;

namespace {

struct Lines {
    std::vector<QJsonObject> files;
    QJsonObject summary;
};

Lines jsonLines(const QString &text)
{
    Lines lines;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["type"] == "summary")
            lines.summary = object;
        else
            lines.files.push_back(object);
    }
    return lines;
}

// Every file under `folder`, by its path relative to it, with its bytes;
// names keep every byte (native_path.h), which Qt's own listing would not.
void collectFiles(const QString &folder, const QString &prefix, std::map<QString, QByteArray> &files)
{
    for (const platform::FolderEntry &entry : platform::listFolder(folder)) {
        const QString path = folder + u'/' + entry.name;
        if (entry.kind == platform::FolderEntry::Folder) {
            collectFiles(path, prefix + entry.name + u'/', files);
            continue;
        }
        const platform::ReadOnlyFile file(path);
        QByteArray bytes(qsizetype(file.size()), '\0');
        EXPECT_TRUE(file.readAt(0, std::span(reinterpret_cast<std::uint8_t *>(bytes.data()), file.size())));
        files[prefix + entry.name] = bytes;
    }
}

std::map<QString, QByteArray> filesUnder(const QString &folder)
{
    std::map<QString, QByteArray> files;
    collectFiles(folder, QString(), files);
    return files;
}

} // namespace

TEST(BatchToolShards, ShardsTogetherConvertEveryPictureOnceToTheBytesOfOneRun)
{
    TempDir dir;
    // 200 pictures in a tree of folders, some formats of each kind, and a
    // few entries every shard must report once too.
    const char *formats[] = {"PNG", "JPG", "BMP"};
    const char *extensions[] = {"png", "jpg", "bmp"};
    for (int i = 0; i < 200; ++i) {
        const QString folder = QStringLiteral("in/f%1/g%2").arg(i % 5).arg(i % 3);
        QDir(dir.path()).mkpath(folder);
        makePicture(dir.file(QStringLiteral("%1/p%2.%3").arg(folder).arg(i).arg(extensions[i % 3])), 20 + i % 17,
                    12 + i % 11, formats[i % 3]);
    }
    writeFile(dir.file("in/notes.txt"), "not a picture");
    writeFile(dir.file("in/f1/broken.png"), "\x89PNG\r\n\x1a\n broken");
    const QString settings = dir.file("CULERT.txt");
    const QStringList common{"-r", "--json", "-w", "16", "-H", "16", "-j", "2"};

    const ToolRun single = runTool(common + QStringList{dir.file("in"), dir.file("single")}, settings);
    ASSERT_EQ(single.status, kSomeFailed) << single.err.toStdString(); // the broken one
    const Lines whole = jsonLines(single.out);
    ASSERT_EQ(whole.summary["converted"].toInt(), 200);
    const auto expected = filesUnder(dir.file("single"));
    ASSERT_EQ(expected.size(), 200u);

    for (const int count : {1, 2, 3, 7}) {
        SCOPED_TRACE(count);
        const QString out = dir.file(QStringLiteral("shards%1").arg(count));
        std::map<QString, int> reported;
        int converted = 0, failed = 0;
        for (int index = 0; index < count; ++index) {
            const ToolRun shard = runTool(
                common + QStringList{"--shard", QStringLiteral("%1/%2").arg(index).arg(count), dir.file("in"), out},
                settings);
            const Lines lines = jsonLines(shard.out);
            // A shard exits as a scheduler expects: 1 only for the one that
            // holds the broken picture.
            EXPECT_EQ(shard.status, lines.summary["failed"].toInt() ? kSomeFailed : kAllConverted);
            EXPECT_EQ(lines.summary["shard_index"].toInt(), index);
            EXPECT_EQ(lines.summary["shard_count"].toInt(), count);
            EXPECT_EQ(lines.summary["files"].toInt(), int(lines.files.size()));
            converted += lines.summary["converted"].toInt();
            failed += lines.summary["failed"].toInt();
            for (const QJsonObject &file : lines.files)
                ++reported[file["path"].toString()];
        }
        EXPECT_EQ(converted, 200);
        EXPECT_EQ(failed, 1);
        // Every entry of the single run, each reported by exactly one shard.
        ASSERT_EQ(reported.size(), whole.files.size());
        for (const QJsonObject &file : whole.files)
            EXPECT_EQ(reported[file["path"].toString()], 1) << file["path"].toString().toStdString();
        EXPECT_EQ(filesUnder(out), expected);
    }
    // Seven shards of 200 pictures are none of them empty; 300 of them are,
    // and an empty share ends as a success with its summary.
    const ToolRun empty
        = runTool(common + QStringList{"--shard", "299/300", dir.file("in/f0/g0"), dir.file("e")}, settings);
    EXPECT_EQ(empty.status, kAllConverted) << empty.err.toStdString();
    EXPECT_EQ(jsonLines(empty.out).summary["type"].toString(), "summary");
}

TEST(BatchToolShards, ListsNameExactlyThePicturesConvertedWhateverBytesTheNamesHold)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in/sub folder");
    const QByteArray odd = "caf\xe9 \xb0.png"; // Latin-1 bytes, not UTF-8
    const QByteArray root = platform::nativePath(dir.path());
    const std::vector<QByteArray> names{"with space.png", "line\nbreak.png", odd, "sub folder/deep one.jpg",
                                        "left out.png"};
    for (const QByteArray &name : names) {
        const QString path = platform::pathFromNative(root + "/in/" + name);
        makePicture(dir.file("made.png"), 30, 20, name.endsWith(".jpg") ? "JPG" : "PNG");
        ASSERT_EQ(std::rename(dir.file("made.png").toLocal8Bit().constData(), platform::nativePath(path).constData()),
                  0);
    }
    const QString settings = dir.file("CULERT.txt");
    const QStringList common{"--json", "-w", "10", "-H", "10"};

    // NUL-separated, from standard input: every name as its bytes, one
    // listed twice and through "./", one that is not there.
    const QByteArray list = QByteArray("with space.png") + '\0' + "line\nbreak.png" + '\0' + odd + '\0'
                            + "./sub folder//deep one.jpg" + '\0' + "with space.png" + '\0' + "gone.png" + '\0';
    const ToolRun nul = runWithInput(common + QStringList{"--files-from", "-", "-0", dir.file("in"), dir.file("nul")},
                                     settings, list);
    EXPECT_EQ(nul.status, kSomeFailed) << nul.err.toStdString(); // the missing one
    const Lines lines = jsonLines(nul.out);
    EXPECT_EQ(lines.summary["converted"].toInt(), 4);
    EXPECT_EQ(lines.summary["missing"].toInt(), 1);
    EXPECT_EQ(lines.files.size(), 5u);
    for (const QByteArray &name : names) {
        const bool listed = name != "left out.png";
        EXPECT_EQ(platform::exists(platform::pathFromNative(root + "/nul/" + name)), listed) << name.toStdString();
    }
    bool missingReported = false;
    for (const QJsonObject &file : lines.files)
        missingReported = missingReported || (file["path"] == "gone.png" && file["reason"] == "missing");
    EXPECT_TRUE(missingReported);

    // One a line, from a file: a name with a newline cannot be said so, the
    // others can.
    writeFile(dir.file("list.txt"), "with space.png\n" + odd + "\nsub folder/deep one.jpg");
    const ToolRun lineList = runTool(
        common + QStringList{"--files-from", dir.file("list.txt"), dir.file("in"), dir.file("lines")}, settings);
    EXPECT_EQ(lineList.status, kAllConverted) << lineList.err.toStdString();
    EXPECT_EQ(filesUnder(dir.file("lines")).size(), 3u);
    EXPECT_EQ(filesUnder(dir.file("lines"))["sub folder/deep one.jpg"],
              filesUnder(dir.file("nul"))["sub folder/deep one.jpg"]);

    // A list that leads out of the source folder is refused before anything
    // is written; so is a list that cannot be read.
    for (const QByteArray &escape :
         {QByteArray("with space.png\n../in/with space.png\n"), QByteArray("/etc/passwd\n")}) {
        const ToolRun refused = runWithInput(
            common + QStringList{"--files-from", "-", dir.file("in"), dir.file("refused")}, settings, escape);
        EXPECT_EQ(refused.status, kBadArguments);
        EXPECT_FALSE(QFile::exists(dir.file("refused/with space.png")));
    }
    EXPECT_EQ(runTool({"--files-from", dir.file("no list"), dir.file("in"), dir.file("x")}, settings).status,
              kBadArguments);

    // A list and a shard: the shards of the list, nothing else.
    for (int index = 0; index < 3; ++index) {
        const ToolRun shard
            = runWithInput(common
                               + QStringList{"--files-from", "-", "-0", "--shard", QStringLiteral("%1/3").arg(index),
                                             dir.file("in"), dir.file("sharded")},
                           settings, list);
        EXPECT_NE(shard.status, kBadArguments);
    }
    EXPECT_EQ(filesUnder(dir.file("sharded")), filesUnder(dir.file("nul")));

    // QTemporaryDir cannot name what is not UTF-8; these go by their bytes.
    for (const char *folder : {"/in/", "/nul/", "/lines/", "/sharded/"})
        ::unlink((root + folder + odd).constData());
}
