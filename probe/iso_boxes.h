// The boxes of the ISO base media file format, which HEIF, AVIF and the JPEG XL
// container are made of: a 32-bit size (1: a 64-bit size follows the type; 0:
// the box runs to the end of what holds it) and a four-character type, then
// the contents, which may be more boxes.
#pragma once

#include "probe/byte_source.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace imaging {

// A four-character code as one number, its first character in the high byte,
// as the file stores it big-endian.
constexpr std::uint32_t fourCc(const char (&code)[5])
{
    return std::uint32_t(std::uint8_t(code[0])) << 24 | std::uint32_t(std::uint8_t(code[1])) << 16
           | std::uint32_t(std::uint8_t(code[2])) << 8 | std::uint8_t(code[3]);
}

struct IsoBox {
    std::uint32_t type = 0;
    std::uint64_t contents = 0; // where the contents start, after the header
    std::uint64_t end = 0;      // one past the box's last byte
    std::uint64_t size() const { return end - contents; }
};

// The boxes one after another from `from` up to `end` (a file's size or the
// end of the box that holds them), `limit` of them at most. A 64-bit size
// stored before the type, as libjxl once wrote it, is read where the
// standard order cannot be right. A box that claims
// to reach past `end`, or is smaller than its own header, is damage: the walk
// stops there and says so. Reads only the headers.
class IsoBoxWalk {
public:
    IsoBoxWalk(ByteSource &bytes, std::uint64_t from, std::uint64_t end, int limit)
        : m_bytes(bytes), m_next(from), m_end(end), m_left(limit)
    { }
    IsoBoxWalk(ByteSource &bytes, const IsoBox &parent, std::uint64_t skip, int limit)
        : IsoBoxWalk(bytes, parent.contents + std::min(skip, parent.size()), parent.end, limit)
    { }

    // The next box; nothing after the last one, at damage or past the limit.
    std::optional<IsoBox> next();
    // The first box of a type among the rest; nothing when none comes.
    std::optional<IsoBox> find(std::uint32_t type);
    // Whether the walk stopped at a box that does not fit.
    bool damaged() const { return m_damaged; }

private:
    ByteSource &m_bytes;
    std::uint64_t m_next;
    std::uint64_t m_end;
    int m_left;
    bool m_damaged = false;
};

// A FullBox starts its contents with a version byte and 24 bits of flags.
struct FullBoxHead {
    std::uint32_t version = 0;
    std::uint32_t flags = 0;
};
std::optional<FullBoxHead> readFullBoxHead(ByteSource &bytes, const IsoBox &box);

} // namespace imaging
