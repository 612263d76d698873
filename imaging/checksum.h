// The CRC-32 of PNG chunks (and of zlib and gzip), zlib's: one checksum for
// the PNGs the worker writes and reads and the chunks the program adds.
#pragma once

#include <cstdint>
#include <span>

namespace imaging {

// The CRC-32 of `bytes`, continuing `crc` (that of the bytes before them).
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace imaging
