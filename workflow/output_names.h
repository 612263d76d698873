// The names a batch writes its pictures under when it converts them to one
// format: each picture's name with the format's extension in place of its own.
// Where two pictures would get the same name, neither output is lost:
//   1. A picture whose name already is that name (a.webp for webp) keeps it;
//      so does one whose name differs from it only in case (a.WEBP), unless a
//      picture of the clash is called so exactly.
//   2. Every other picture of the clash keeps its whole name, extension
//      included, and gets the new one after it: a.png.webp, a.jpg.webp.
//   3. Should such a name still be taken (a picture named a.png.jpg also
//      becomes a.png.webp), it is numbered: "a.png (2).webp", the lowest free
//      number, given in the order of the pictures' names.
// Names are compared without regard to case, as a memory card's file system
// (FAT, exFAT) compares them, so a.JPG and a.jpg clash too. The rule looks only
// at the set of names: the same pictures get the same output names whatever
// order they are listed in.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace workflow {

// What a picture of the batch is written as.
struct OutputName {
    QString name;         // relative to the output folder, as the source is to its folder
    bool renamed = false; // its name clashed with another picture's (rules 2 and 3)

    friend bool operator==(const OutputName &, const OutputName &) = default;
};

// The extensions a batch can convert to, in the table's order ("bmp", "gif",
// "jpg", "jpeg", …), lower case, without the dot.
QStringList batchOutputFormats();

// The format asked for by name: "same" (keep each picture's own) gives an empty
// text, an extension of the table (any case, with or without its dot) gives
// it in lower case; anything else gives nothing.
std::optional<QString> parseBatchOutputFormat(const QString &text);

// The output name of each of `names` (distinct file names or relative paths),
// in their order, for `format` (an extension from batchOutputFormats(); empty:
// every picture keeps its own name, as a batch always did).
std::vector<OutputName> batchOutputNames(const QStringList &names, const QString &format);

// Whether a picture is written under its own name (compared without regard to
// case): written into the source folder, it replaces the original.
bool overwritesSources(const QStringList &names, const std::vector<OutputName> &outputs);

} // namespace workflow
