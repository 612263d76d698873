// The image file directories of a classic TIFF structure held in memory (a
// TIFF file, the EXIF block of a JPEG, PNG or WebP), one reading for the
// output check and the metadata code: a header giving the byte order and the
// first directory's offset; a directory is a 16-bit entry count, 12-byte
// entries (tag, type, value count, then the value itself when it fits in 4
// bytes, else its offset) and the next directory's offset.
#pragma once

#include "imaging/byte_order.h"

#include <cstdint>
#include <optional>
#include <span>

namespace imaging {

// The bytes of one value of a TIFF 6.0 type (a RATIONAL is two LONGs: 8);
// 0 for a type it does not define.
std::uint64_t tiffTypeBytes(std::uint32_t type);

struct TiffEntry {
    std::uint64_t at = 0; // its tag
    std::uint32_t tag = 0;
    std::uint32_t type = 0;
    std::uint32_t count = 0;
    // The bytes of its values, counted in 64 bits so that no count wraps;
    // 0 for a type not known.
    std::uint64_t valueBytes = 0;
    // Where they are: in the entry when they fit, else where it points.
    std::uint64_t valueAt = 0;
};

struct TiffDirectory {
    std::uint64_t at = 0;
    std::uint32_t count = 0;
    std::uint64_t entryAt(std::uint32_t index) const { return at + 2 + 12 * std::uint64_t(index); }
    std::uint64_t nextAt() const { return entryAt(count); } // the next directory's offset
    std::uint64_t bytes() const { return 2 + 12 * std::uint64_t(count) + 4; }
};

class TiffStructure {
public:
    // The byte order from the header ("II*\0" or "MM\0*"); not valid() without one.
    explicit TiffStructure(std::span<const std::uint8_t> bytes);
    // In a byte order already known.
    TiffStructure(std::span<const std::uint8_t> bytes, bool bigEndian) : m_bytes(bytes), m_valid(true), m_bigEndian(bigEndian) { }

    bool valid() const { return m_valid; }
    bool bigEndian() const { return m_bigEndian; }
    const ByteReader &bytes() const { return m_bytes; }
    std::optional<std::uint32_t> u16(std::uint64_t at) const { return m_bigEndian ? m_bytes.be16(at) : m_bytes.le16(at); }
    std::optional<std::uint32_t> u32(std::uint64_t at) const { return m_bigEndian ? m_bytes.be32(at) : m_bytes.le32(at); }

    std::optional<std::uint32_t> firstDirectoryOffset() const { return m_valid ? u32(4) : std::nullopt; }
    // The directory at `at` when its count is readable and at most `mostEntries`.
    // Its entries are not known to be inside the bytes: whole() tells.
    std::optional<TiffDirectory> directory(std::uint64_t at, std::uint32_t mostEntries) const;
    // Whether all its entries and its next offset lie inside the bytes.
    bool whole(const TiffDirectory &directory) const { return m_bytes.holds(directory.at, directory.bytes()); }
    // Entry `index` of the directory; nothing when it lies outside the bytes.
    std::optional<TiffEntry> entry(const TiffDirectory &directory, std::uint32_t index) const;
    // Value `index` of an entry of a 16- or 32-bit integer type; nothing for
    // another type or a value outside the bytes.
    std::optional<std::uint32_t> integer(const TiffEntry &entry, std::uint32_t index) const;

private:
    ByteReader m_bytes;
    bool m_valid = false;
    bool m_bigEndian = false;
};

} // namespace imaging
