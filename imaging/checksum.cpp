#include "imaging/checksum.h"

#include <zlib.h>

namespace imaging {

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    return std::uint32_t(crc32_z(crc, bytes.data(), bytes.size()));
}

} // namespace imaging
