// The whole of an open file as bytes in memory: mapped when the system allows,
// read otherwise. Decoders then see one buffer and never a file name.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace imaging {

class MappedFile {
public:
    // Maps the open descriptor `fd` (which stays the caller's). A file that
    // cannot be read gives no bytes and isValid() false.
    explicit MappedFile(int fd);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool isValid() const { return m_valid; }
    QByteArrayView bytes() const { return m_view; }

private:
    void *m_mapped = nullptr;
    std::size_t m_mappedSize = 0;
    QByteArray m_copy;
    QByteArrayView m_view;
    bool m_valid = false;
};

} // namespace imaging
