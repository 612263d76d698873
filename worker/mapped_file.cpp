#include "worker/mapped_file.h"

#include "imaging/picture_size.h"
#include "platform/retry_on_eintr.h"

#include <new>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imaging {

MappedFile::MappedFile(int fd)
{
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0)
        return;
    if (std::uint64_t(info.st_size) > kMaxSourceBytes) {
        m_problem = Problem::TooLarge;
        return;
    }
    const std::size_t size = std::size_t(info.st_size);
    m_problem = Problem::None;
    if (size == 0)
        return;
    // Populated at once: the decoders read the whole file, and one fault
    // per page cost more system time than the copy a read would make.
    void *mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped != MAP_FAILED) {
        m_mapped = mapped;
        m_mappedSize = size;
        m_view = QByteArrayView(static_cast<const char *>(mapped), qsizetype(size));
        return;
    }
    // Some file systems cannot map; read the file instead. A file the budget
    // cannot hold fails here, as it would have failed to map.
    m_copy.reset(new (std::nothrow) char[size]);
    if (!m_copy) {
        m_problem = Problem::NoMemory;
        return;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n
            = platform::retryOnEintr([&] { return ::pread(fd, m_copy.get() + done, size - done, off_t(done)); });
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    m_view = QByteArrayView(m_copy.get(), qsizetype(done));
}

MappedFile::~MappedFile()
{
    if (m_mapped)
        ::munmap(m_mapped, m_mappedSize);
}

} // namespace imaging
