// Which of a source folder's pictures one run takes, for runs spread over
// many machines: the names a list gives (--files-from), and a shard of them
// (--shard K/N) by a hash of each relative path that every machine computes
// alike, whatever order it lists the pictures in.
#pragma once

#include "workflow/source_tree.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace workflow {

// Shard `index` of `count`, counted from 0 as Slurm's array task ids and
// Kubernetes' completion indexes are.
struct Shard {
    int index = 0;
    int count = 1;
};

// "K/N" with 0 <= K < N; nothing for anything else.
std::optional<Shard> parseShard(const QString &text);

// The 64-bit FNV-1a hash of the path's bytes as the file system names them
// (relative to the source folder, "/" between folders, no "./" in front).
std::uint64_t pathHash(const QString &relativePath);

// Whether the entry falls to the shard: pathHash mod count == index.
bool inShard(const QString &relativePath, const Shard &shard);

// The names of a list: one a line (a final line without "\n" counts), or
// separated by NUL bytes; empty names are left out, a "\r" is part of the
// name. Each is a path relative to the source folder; "./" and "." parts are
// dropped, so "./a//b.jpg" is "a/b.jpg". A name that is absolute or has a
// ".." part would leave the folder: `refused` gets the first such, as
// listed, and the names are then empty. Each name once, where it first
// stands.
struct NameList {
    std::vector<QString> names;
    std::optional<QString> refused;
};
NameList parseNameList(const QByteArray &bytes, bool nulSeparated);

// The entries of the listed names, as walkSourceFolder would report them:
// Missing for a name with nothing there (or with a part on the way that is
// no folder, or a link to one, which the walk never enters either), Hidden
// for a hidden name or folder on the way, OutputFolder for a name inside
// `output`, NotRegular, Extension; the others are pictures. In the list's
// order.
std::vector<SourceEntry> listedEntries(const QString &source, const QString &output, const std::vector<QString> &names);

} // namespace workflow
