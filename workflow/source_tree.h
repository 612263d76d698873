// What tarvel-batch finds in a source folder: every entry, in the order its
// pictures start, with the reason it is left alone when it is.
#pragma once

#include <QString>

#include <atomic>
#include <vector>

namespace workflow {

enum class SkipReason {
    None,         // a picture to convert
    Hidden,       // its name starts with "."
    Extension,    // not one of the sixteen spellings (".Jpg")
    NotRegular,   // a device, pipe, socket, or a link that leads nowhere
    Subfolder,    // a folder, and --recursive not given
    LinkToFolder, // a symbolic link to a folder: never followed, so no loops
    OutputFolder, // the output folder itself, inside the source tree
    NoSize,       // its header gives no size
    TooLarge,     // its header declares more pixels than any photo has
    OutputExists, // --skip-existing, and its output is there
    Missing,      // named in a list (--files-from), and not there
};

struct SourceEntry {
    QString path; // relative to the source folder; a folder's ends in "/"
    SkipReason skip = SkipReason::None;
};

// The entries of `source`: with `recursive`, first each sub-folder by name
// (by the bytes of its name) with everything in it, then the folder's own
// files in the order the file system lists them, which is the window's order.
// Without, its files in that order and its sub-folders as Subfolder. A
// sub-folder that is `output` (the same device and inode) is not entered.
// Setting `stop` ends the walk early.
std::vector<SourceEntry> walkSourceFolder(const QString &source, const QString &output, bool recursive,
                                          const std::atomic<bool> *stop = nullptr);

} // namespace workflow
