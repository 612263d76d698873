// File-system services: existence tests and writing a file whole or not at all.
// Paths may carry bytes that are not valid UTF-8 (see native_path.h).
#pragma once

#include <QByteArrayView>
#include <QString>

#include <ctime>

namespace platform {

// True when the path names an existing regular file (a symbolic link to one
// counts) that this process may read.
bool isRegularFile(const QString &path);

// True when the path is not empty and names an existing folder.
bool isFolder(const QString &path);

// True when anything is at the path: a file, a folder, a link (even one that
// leads nowhere).
bool exists(const QString &path);

// Makes the folder and any missing folders above it. True when the path is a
// folder afterwards; otherwise errno says why (ENOTDIR: a part is a file).
bool makeFolders(const QString &path);

// True when both paths name the same existing file or folder, however they
// spell it (links, "..", another mount of the same file system).
bool isSameFile(const QString &a, const QString &b);

// Writes the bytes so that readers see the old file or the new one, never a
// part: into a file without a name (O_TMPFILE) that gets its name when it is
// whole, or, where the file system has no such files, into a hidden temporary
// file beside the path that is renamed over it. A file it replaces keeps its
// permissions. On failure nothing is left behind, an existing file keeps its
// content and errno says what failed.
bool writeFileAtomically(const QString &path, QByteArrayView bytes);

// Holds a folder a run writes into open from the run's start to its end:
// every writeFileAtomically into it or below it goes through the descriptor
// held here, and each sub-folder below is opened (made when missing) from
// there, never through a link. A folder renamed away mid-run and replaced by
// a link (to the originals, say) then changes nothing: the outputs still land
// in the folder the run started with, and a sub-folder replaced by a link
// fails its writes. A folder that cannot be opened at the start is not held.
class FolderAnchor {
public:
    explicit FolderAnchor(const QString &folder);
    ~FolderAnchor();
    FolderAnchor(const FolderAnchor &) = delete;
    FolderAnchor &operator=(const FolderAnchor &) = delete;

private:
    int m_fd = -1;
};

// A file's access and modification times, to the nanosecond.
struct FileTimes {
    timespec accessed{};
    timespec modified{};
};

// The times of an open file; false with errno when it cannot be asked.
bool fileTimes(int fd, FileTimes &times);

// writeFileAtomically, the file given `times` before it gets its name (as
// finely as the file system keeps them), so that it never shows another.
bool writeFileAtomically(const QString &path, QByteArrayView bytes, const FileTimes &times);

// Whether a file name is one of writeFileAtomically's hidden temporary names,
// ".<name>.tarvel-<random>".
bool isTemporaryName(QByteArrayView name);

// Removes the hidden temporary files that a killed run left in the folder:
// those no process is writing and that are older than a minute. How many.
int removeStaleTemporaryFiles(const QString &folder);

} // namespace platform
