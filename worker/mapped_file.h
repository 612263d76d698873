// The whole of an open file as bytes in memory: mapped when the system allows,
// read otherwise. Decoders then see one buffer and never a file name.
#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <memory>

namespace imaging {

class MappedFile {
public:
    enum class Problem {
        None,
        Unreadable, // not a regular file, or fstat failed
        TooLarge,   // longer than kMaxSourceBytes
        NoMemory,   // neither mapped nor copied within the memory budget
    };

    // Maps the open descriptor `fd` (which stays the caller's). A file that
    // cannot be held gives no bytes, isValid() false and its problem.
    explicit MappedFile(int fd);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool isValid() const { return m_problem == Problem::None; }
    Problem problem() const { return m_problem; }
    QByteArrayView bytes() const { return m_view; }

private:
    void *m_mapped = nullptr;
    std::size_t m_mappedSize = 0;
    std::unique_ptr<char[]> m_copy;
    QByteArrayView m_view;
    Problem m_problem = Problem::Unreadable;
};

} // namespace imaging
