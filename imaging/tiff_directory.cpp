#include "imaging/tiff_directory.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

constexpr std::uint32_t kImageWidth = 256;
constexpr std::uint32_t kImageLength = 257;
constexpr std::uint32_t kShort = 3;
constexpr std::uint32_t kLong = 4;
constexpr std::uint64_t kEntryBytes = 12;
constexpr std::uint64_t kEntriesPerRead = 16;

struct Reader {
    ByteOrder order;
    std::uint32_t u16(const std::uint8_t *p) const { return order == ByteOrder::BigEndian ? be16(p) : le16(p); }
    std::uint32_t u32(const std::uint8_t *p) const { return order == ByteOrder::BigEndian ? be32(p) : le32(p); }
};

// The value of a one-value SHORT or LONG entry. Its value field holds the
// value itself, left-justified, in the file's byte order.
std::optional<std::uint32_t> entryValue(const Reader &reader, const std::uint8_t *entry)
{
    const std::uint32_t type = reader.u16(entry + 2);
    if (reader.u32(entry + 4) != 1)
        return std::nullopt;
    if (type == kShort)
        return reader.u16(entry + 8);
    if (type == kLong)
        return reader.u32(entry + 8);
    return std::nullopt;
}

} // namespace

PictureSize tiffDirectorySize(ByteSource &bytes, ByteOrder order)
{
    const Reader reader{order};
    const auto directory = order == ByteOrder::BigEndian ? readBe32(bytes, 4) : readLe32(bytes, 4);
    if (!directory)
        return {};
    const auto count = order == ByteOrder::BigEndian ? readBe16(bytes, *directory) : readLe16(bytes, *directory);
    if (!count)
        return {};

    std::optional<std::uint32_t> width, height;
    std::array<std::uint8_t, kEntriesPerRead * kEntryBytes> chunk{};
    std::uint64_t position = *directory + 2;
    std::uint64_t left = *count;
    // Only whole entries inside the file are looked at: a directory cut short
    // by the end of the file gives what its first entries hold.
    while (left > 0 && !(width && height) && holds(bytes, position, kEntryBytes)) {
        const std::uint64_t inFile = (bytes.size() - position) / kEntryBytes;
        const std::uint64_t n = std::min({left, kEntriesPerRead, inFile});
        if (!readAt(bytes, position, std::span(chunk.data(), std::size_t(n * kEntryBytes))))
            break;
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::uint8_t *entry = chunk.data() + i * kEntryBytes;
            const std::uint32_t tag = reader.u16(entry);
            if (tag == kImageWidth && !width)
                width = entryValue(reader, entry);
            else if (tag == kImageLength && !height)
                height = entryValue(reader, entry);
        }
        position += n * kEntryBytes;
        left -= n;
    }
    return {dimension(width), dimension(height)};
}

} // namespace imaging
