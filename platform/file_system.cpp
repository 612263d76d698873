#include "platform/file_system.h"

#include "platform/native_path.h"
#include "platform/retry_on_eintr.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
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

bool writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    const QByteArray target = nativePath(path);
    const auto [folder, name] = splitFolder(target);
    if (name.isEmpty() || target.contains('\0'))
        return false;
    // A dot-file, so that the program's own folder scan and file managers
    // pass over one left by a power cut.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + '.' + name.left(200) + ".tarvel-"
                    + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    struct stat existing { };
    bool ok = true;
    if (::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok) {
        // The caller may say why: errno stays that of the step that failed.
        const int error = errno;
        ::unlink(temporary.constData());
        errno = error;
    }
    return ok;
}

} // namespace platform
