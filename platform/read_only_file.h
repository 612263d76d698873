// A regular file opened for reading bytes at given positions, closed when the
// object goes out of scope.
#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace platform {

class ReadOnlyFile {
public:
    // Opens only a regular file (a symbolic link to one counts). Anything else
    // (a folder, a FIFO, a device) stays closed: opening a FIFO named like a
    // picture would otherwise wait for a writer forever.
    explicit ReadOnlyFile(const QString &path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The open descriptor, for handing the file on; it stays owned here.
    int descriptor() const { return m_fd; }
    // Length in bytes when the file was opened.
    std::uint64_t size() const { return m_size; }
    // Fills `out` from `offset` on; false when not every byte could be read.
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

} // namespace platform
