// Unsigned integers stored least (le) or most (be) significant byte first, read
// from bytes already in memory. The one reader of them for the whole program.
#pragma once

#include <cstdint>

namespace imaging {

inline std::uint32_t le16(const std::uint8_t *p) { return p[0] | std::uint32_t(p[1]) << 8; }
inline std::uint32_t be16(const std::uint8_t *p) { return std::uint32_t(p[0]) << 8 | p[1]; }
inline std::uint32_t le32(const std::uint8_t *p) { return le16(p) | le16(p + 2) << 16; }
inline std::uint32_t be32(const std::uint8_t *p) { return be16(p) << 16 | be16(p + 2); }
inline std::uint64_t le64(const std::uint8_t *p) { return le32(p) | std::uint64_t(le32(p + 4)) << 32; }
inline std::uint64_t be64(const std::uint8_t *p) { return std::uint64_t(be32(p)) << 32 | be32(p + 4); }

} // namespace imaging
