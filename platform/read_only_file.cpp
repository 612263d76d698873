#include "platform/read_only_file.h"

#include "platform/native_path.h"
#include "platform/retry_on_eintr.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

ReadOnlyFile::ReadOnlyFile(const QString &path)
{
    const QByteArray native = nativePath(path);
    // A NUL would cut the name short and open another file.
    if (native.isEmpty() || native.contains('\0'))
        return;
    // O_NONBLOCK keeps open() from waiting on a FIFO; it has no effect on
    // reading a regular file. O_NOATIME leaves the access time of a file of
    // this user as it was (the kernel refuses it for others' files): a run
    // reads every picture, and hands the times on with --keep-dates.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(native.constData(), kFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(native.constData(), kFlags);
    if (fd < 0)
        return;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = std::uint64_t(info.st_size);
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ReadOnlyFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (m_fd < 0 || offset > std::uint64_t(std::numeric_limits<off_t>::max()) - out.size())
        return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n
            = retryOnEintr([&] { return ::pread(m_fd, out.data() + done, out.size() - done, off_t(offset + done)); });
        // 0 is the end of the file: shorter now than when it was opened.
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace platform
