#include "imaging/mapped_file.h"

#include "platform/retry_on_eintr.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imaging {

MappedFile::MappedFile(int fd)
{
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0)
        return;
    const std::size_t size = std::size_t(info.st_size);
    if (size == 0) {
        m_valid = true;
        return;
    }
    // Populated at once: the decoders read the whole file, and one fault
    // per page cost more system time than the copy a read would make.
    void *mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped != MAP_FAILED) {
        m_mapped = mapped;
        m_mappedSize = size;
        m_view = QByteArrayView(static_cast<const char *>(mapped), qsizetype(size));
        m_valid = true;
        return;
    }
    // Some file systems cannot map; read the file instead.
    m_copy.resize(qsizetype(size));
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n
            = platform::retryOnEintr([&] { return ::pread(fd, m_copy.data() + done, size - done, off_t(done)); });
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    m_copy.resize(qsizetype(done));
    m_view = m_copy;
    m_valid = true;
}

MappedFile::~MappedFile()
{
    if (m_mapped)
        ::munmap(m_mapped, m_mappedSize);
}

} // namespace imaging
