#include "platform/file_system.h"

#include "platform/native_path.h"
#include "platform/retry_on_eintr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <mutex>
#include <vector>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool statPath(const QString &path, struct stat &info)
{
    const QByteArray native = nativePath(path);
    return !native.isEmpty() && !native.contains('\0') && ::stat(native.constData(), &info) == 0;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = retryOnEintr([&] { return ::write(fd, bytes.data() + done, size_t(bytes.size() - done)); });
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The folder part (with its "/") and the name part of a native path.
std::pair<QByteArray, QByteArray> splitFolder(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return {path.left(slash + 1), path.mid(slash + 1)};
}

// Makes the folder, and first its parent when that is missing too; folders
// that are there already are left untouched.
bool makeFolderAndParents(const QByteArray &folder)
{
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST) {
        if (errno != ENOENT)
            return false;
        const qsizetype slash = folder.lastIndexOf('/');
        if (slash <= 0 || !makeFolderAndParents(folder.left(slash)))
            return false;
        if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info { };
    if (::stat(folder.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace

bool isRegularFile(const QString &path)
{
    struct stat info { };
    return statPath(path, info) && S_ISREG(info.st_mode) && ::access(nativePath(path).constData(), R_OK) == 0;
}

bool isFolder(const QString &path)
{
    struct stat info { };
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool exists(const QString &path)
{
    const QByteArray native = nativePath(path);
    struct stat info { };
    return !native.isEmpty() && !native.contains('\0') && ::lstat(native.constData(), &info) == 0;
}

bool makeFolders(const QString &path)
{
    QByteArray native = nativePath(path);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    if (native.isEmpty() || native.contains('\0')) {
        errno = ENOENT;
        return false;
    }
    return makeFolderAndParents(native);
}

bool isSameFile(const QString &a, const QString &b)
{
    struct stat infoA {
    }, infoB{};
    return statPath(a, infoA) && statPath(b, infoB) && infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

namespace {

// Hidden temporary names: ".<name>.tarvel-<random>", passed over by the
// program's own folder scan and by file managers.
constexpr char kTemporaryMark[] = ".tarvel-";

// The bytes into an open file: the permissions of the file it replaces, the
// content, flushed to the disk. Only a regular file at the name itself lends
// its permissions: a link planted there is replaced, not followed (its target
// might be anyone's, setuid or writable by all), and setuid, setgid and
// sticky never pass to an output.
bool fillFile(int fd, int folder, const QByteArray &name, QByteArrayView bytes, const FileTimes *times)
{
    struct stat existing { };
    if (::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode)
        && ::fchmod(fd, existing.st_mode & 0777) != 0)
        return false;
    if (!writeAll(fd, bytes))
        return false;
    // After the last write, which would set the modification time again.
    const timespec set[2] = {times ? times->accessed : timespec{}, times ? times->modified : timespec{}};
    return (!times || ::futimens(fd, set) == 0) && ::fsync(fd) == 0;
}

// A hidden name beside the target.
QByteArray temporaryName(const QByteArray &name)
{
    return '.' + name.left(200) + kTemporaryMark + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

// A new hidden name beside the target, created and open for writing, locked
// for as long as this process holds it (removeStaleTemporaryFiles leaves
// locked ones alone); -1 with errno when none could be made.
int createTemporary(int folder, const QByteArray &name, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryName(name);
        const int fd
            = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Gives the nameless file `fd` the name `linkName` in `folder`.
bool linkNameless(int fd, int folder, const QByteArray &linkName)
{
    const QByteArray own = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, own.constData(), folder, linkName.constData(), AT_SYMLINK_FOLLOW) == 0;
}

// Keep errno of the step that failed across the clean-up after it.
void removeKeepingErrno(int folder, const QByteArray &name)
{
    const int error = errno;
    ::unlinkat(folder, name.constData(), 0);
    errno = error;
}

void closeKeepingErrno(int fd)
{
    const int error = errno;
    ::close(fd);
    errno = error;
}

// How old a hidden temporary file must be before a later run takes it for
// one left by a run that was killed.
constexpr time_t kStaleSeconds = 60;

// The folders a run writes into, held open from its start (FolderAnchor).
struct Anchor {
    QByteArray path; // absolute and clean, without a "/" at the end
    int fd = -1;
};
std::mutex g_anchorsLock;
std::vector<Anchor> g_anchors;

QByteArray cleanAbsolute(const QString &path)
{
    QByteArray native = nativePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    return native;
}

// The folder `folder` (native, as the target's path spells it) open for
// writing into: within a held folder, reached from its descriptor one
// sub-folder at a time, each made if missing and none a link; elsewhere
// opened by its path. -1 with errno when it cannot be.
int openTargetFolder(const QByteArray &folder)
{
    const QByteArray wanted
        = cleanAbsolute(QFile::decodeName(folder.isEmpty() ? QByteArray(".") : folder));
    int from = -1;
    QByteArray rest;
    {
        const std::lock_guard lock(g_anchorsLock);
        qsizetype longest = -1;
        for (const Anchor &anchor : g_anchors) {
            const bool within = wanted == anchor.path
                                || (wanted.startsWith(anchor.path)
                                    && (anchor.path.endsWith('/') || wanted.at(anchor.path.size()) == '/'));
            if (within && anchor.path.size() > longest) {
                longest = anchor.path.size();
                rest = wanted.mid(anchor.path.size());
                from = anchor.fd;
            }
        }
        if (from >= 0 && (from = ::fcntl(from, F_DUPFD_CLOEXEC, 0)) < 0)
            return -1;
    }
    if (from < 0)
        return ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray &part : rest.split('/')) {
        if (part.isEmpty())
            continue;
        int next = ::openat(from, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && ::mkdirat(from, part.constData(), 0777) == 0)
            next = ::openat(from, part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        closeKeepingErrno(from);
        if (next < 0)
            return -1;
        from = next;
    }
    return from;
}

} // namespace

bool fileTimes(int fd, FileTimes &times)
{
    struct stat status { };
    if (::fstat(fd, &status) != 0)
        return false;
    times.accessed = status.st_atim;
    times.modified = status.st_mtim;
    return true;
}

namespace {

bool writeInto(int folder, const QByteArray &name, QByteArrayView bytes, const FileTimes *times)
{
    // First a file without a name, which nothing can find or leave behind
    // until it is whole; then its name. A new target gets it at once; one that
    // exists is replaced by a rename, from a hidden name that lives a moment.
    const int nameless = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (nameless >= 0) {
        if (!fillFile(nameless, folder, name, bytes, times)) {
            closeKeepingErrno(nameless);
            return false;
        }
        if (linkNameless(nameless, folder, name)) {
            ::close(nameless);
            return true;
        }
        if (errno == EEXIST) {
            ::flock(nameless, LOCK_EX); // the hidden name is live while this is held
            QByteArray temporary;
            bool linked = false;
            for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
                temporary = temporaryName(name);
                linked = linkNameless(nameless, folder, temporary);
                if (!linked && errno != EEXIST)
                    break;
            }
            const bool ok = linked && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0;
            if (linked && !ok)
                removeKeepingErrno(folder, temporary);
            closeKeepingErrno(nameless);
            return ok;
        }
        closeKeepingErrno(nameless);
        if (errno != ENOENT)
            return false;
        // No /proc to link the file through: a named temporary file after all.
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return false;
    }

    QByteArray temporary;
    const int fd = createTemporary(folder, name, temporary);
    if (fd < 0)
        return false;
    bool ok = fillFile(fd, folder, name, bytes, times);
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0;
    if (!ok)
        removeKeepingErrno(folder, temporary);
    return ok;
}

bool writeWhole(const QString &path, QByteArrayView bytes, const FileTimes *times)
{
    const QByteArray target = nativePath(path);
    const auto [folderPath, name] = splitFolder(target);
    if (name.isEmpty() || target.contains('\0'))
        return false;
    const int folder = openTargetFolder(folderPath);
    if (folder < 0)
        return false;
    const bool ok = writeInto(folder, name, bytes, times);
    closeKeepingErrno(folder);
    return ok;
}

} // namespace

FolderAnchor::FolderAnchor(const QString &folder)
{
    // The folder as its path names it now (a link the user chose as the
    // output folder is followed this once); from then on, whatever is put
    // at that path, writes go into the folder held here.
    const QByteArray path = cleanAbsolute(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const std::lock_guard lock(g_anchorsLock);
    g_anchors.push_back({path, fd});
    m_fd = fd;
}

FolderAnchor::~FolderAnchor()
{
    const std::lock_guard lock(g_anchorsLock);
    const auto found
        = std::find_if(g_anchors.begin(), g_anchors.end(), [&](const Anchor &anchor) { return anchor.fd == m_fd; });
    if (found != g_anchors.end()) {
        ::close(found->fd);
        g_anchors.erase(found);
    }
}

bool writeFileAtomically(const QString &path, QByteArrayView bytes) { return writeWhole(path, bytes, nullptr); }

bool writeFileAtomically(const QString &path, QByteArrayView bytes, const FileTimes &times)
{
    return writeWhole(path, bytes, &times);
}

bool isTemporaryName(QByteArrayView name)
{
    const qsizetype mark = name.lastIndexOf(QByteArrayView(kTemporaryMark));
    if (!name.startsWith('.') || mark < 2)
        return false;
    const QByteArrayView random = name.sliced(mark + qsizetype(sizeof kTemporaryMark) - 1);
    return !random.isEmpty() && random.size() <= 13 && std::all_of(random.begin(), random.end(), [](char c) {
        return std::isdigit(uchar(c)) || std::islower(uchar(c));
    });
}

int removeStaleTemporaryFiles(const QString &folder)
{
    const QByteArray native = nativePath(folder);
    DIR *dir = native.isEmpty() ? nullptr : ::opendir(native.constData());
    if (!dir)
        return 0;
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryName(QByteArrayView(entry->d_name)))
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info { };
        // One still locked is being written by a run under way; a young one
        // may be about to be locked.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && now - info.st_mtime >= kStaleSeconds
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace platform
