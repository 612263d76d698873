#include "probe/tiff_directory.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

constexpr std::uint32_t kImageWidth = 256;
constexpr std::uint32_t kImageLength = 257;
constexpr std::uint32_t kOrientation = 274;
constexpr std::uint64_t kEntriesPerRead = 16;

// What differs between the variants. An entry is a 2-byte tag and type, then
// a value count and a value field of one word each; the field holds the value
// itself, left-justified, when it fits.
struct Layout {
    std::uint64_t firstDirectoryAt; // where the first directory's offset is stored
    int wordBytes;
    int entryCountBytes;
    std::uint64_t entryBytes() const { return 4 + 2 * std::uint64_t(wordBytes); }
};

constexpr Layout kClassic{4, 4, 2};
constexpr Layout kBig{8, 8, 8};
constexpr std::uint64_t kLargestEntry = 20;

struct Reader {
    ByteOrder order;
    // An unsigned integer of 1, 2, 4 or 8 bytes at `offset`, in the file's
    // byte order; nothing when it does not lie inside `bytes`.
    std::optional<std::uint64_t> at(const ByteReader &bytes, std::uint64_t offset, int size) const
    {
        const bool big = order == ByteOrder::BigEndian;
        switch (size) {
        case 1: return bytes.u8(offset);
        case 2: return big ? bytes.be16(offset) : bytes.le16(offset);
        case 4: return big ? bytes.be32(offset) : bytes.le32(offset);
        default: return big ? bytes.be64(offset) : bytes.le64(offset);
        }
    }
};

struct IntegerType {
    int bytes;
    bool isSigned;
};

std::optional<IntegerType> integerType(std::uint64_t type)
{
    switch (type) {
    case 1: return IntegerType{1, false};  // BYTE
    case 6: return IntegerType{1, true};   // SBYTE
    case 3: return IntegerType{2, false};  // SHORT
    case 8: return IntegerType{2, true};   // SSHORT
    case 4: return IntegerType{4, false};  // LONG
    case 9: return IntegerType{4, true};   // SLONG
    case 16: return IntegerType{8, false}; // LONG8
    case 17: return IntegerType{8, true};  // SLONG8
    default: return std::nullopt;
    }
}

// The value of a one-value entry of an integer type, signed types extended.
// A type too wide for the value field (LONG8 in classic TIFF) has its value
// elsewhere, which a writer of sizes has no reason to do: no value.
std::optional<std::int64_t> entryValue(const Reader &reader, const Layout &layout, const ByteReader &entry)
{
    const auto typeCode = reader.at(entry, 2, 2);
    const auto type = typeCode ? integerType(*typeCode) : std::nullopt;
    if (!type || type->bytes > layout.wordBytes || reader.at(entry, 4, layout.wordBytes) != 1u)
        return std::nullopt;
    const auto value = reader.at(entry, 4 + std::uint64_t(layout.wordBytes), type->bytes);
    if (!value)
        return std::nullopt;
    const std::uint64_t raw = *value;
    const int bits = 8 * type->bytes;
    if (type->isSigned && bits < 64 && raw >> (bits - 1))
        return std::int64_t(raw) - (std::int64_t(1) << bits);
    // A LONG8 of 2^63 or more turns negative here, which refuses it as a size
    // just as it should be.
    return std::int64_t(raw);
}

} // namespace

PictureHeader tiffDirectoryHeader(ByteSource &bytes, ByteOrder order, TiffVariant variant)
{
    const Reader reader{order};
    const Layout &layout = variant == TiffVariant::Big ? kBig : kClassic;
    std::array<std::uint8_t, 16> headerBuffer{};
    const std::span header(headerBuffer.data(), std::size_t(layout.firstDirectoryAt + layout.wordBytes));
    if (!readAt(bytes, 0, header))
        return {};
    const ByteReader head(header);
    if (variant == TiffVariant::Big && (reader.at(head, 4, 2) != 8u || reader.at(head, 6, 2) != 0u))
        return {};
    const auto directory = reader.at(head, layout.firstDirectoryAt, layout.wordBytes);
    std::array<std::uint8_t, 8> countBuffer{};
    const std::span countField(countBuffer.data(), std::size_t(layout.entryCountBytes));
    if (!directory || !readAt(bytes, *directory, countField))
        return {};

    const std::uint64_t entryBytes = layout.entryBytes();
    std::optional<std::int64_t> width, height, orientation;
    std::array<std::uint8_t, kEntriesPerRead * kLargestEntry> chunk{};
    // Cannot wrap: the count field just read lies inside the file.
    std::uint64_t position = *directory + layout.entryCountBytes;
    std::uint64_t left = reader.at(ByteReader(countField), 0, layout.entryCountBytes).value_or(0);
    // Only whole entries inside the file are looked at: a directory cut short
    // by the end of the file, or claiming more entries than it holds, gives
    // what its first entries hold.
    while (left > 0 && !(width && height && orientation) && holds(bytes, position, entryBytes)) {
        const std::uint64_t inFile = (bytes.size() - position) / entryBytes;
        const std::uint64_t n = std::min({left, kEntriesPerRead, inFile});
        if (!readAt(bytes, position, std::span(chunk.data(), std::size_t(n * entryBytes))))
            break;
        for (std::uint64_t i = 0; i < n; ++i) {
            // Its values are read inside the entry or not at all.
            const ByteReader entry{std::span(chunk).subspan(std::size_t(i * entryBytes), std::size_t(entryBytes))};
            const auto tag = reader.at(entry, 0, 2);
            if (tag == kImageWidth && !width)
                width = entryValue(reader, layout, entry);
            else if (tag == kImageLength && !height)
                height = entryValue(reader, layout, entry);
            else if (tag == kOrientation && !orientation)
                orientation = entryValue(reader, layout, entry);
        }
        position += n * entryBytes;
        left -= n;
    }
    return {{dimension(width), dimension(height)}, orientation ? exifOrientation(*orientation) : 1};
}

std::optional<int> embeddedTiffOrientation(ByteSource &block)
{
    std::array<std::uint8_t, 4> head{};
    if (!readAt(block, 0, head))
        return std::nullopt;
    if (head == std::array<std::uint8_t, 4>{'I', 'I', 42, 0})
        return tiffDirectoryHeader(block, ByteOrder::LittleEndian, TiffVariant::Classic).orientation;
    if (head == std::array<std::uint8_t, 4>{'M', 'M', 0, 42})
        return tiffDirectoryHeader(block, ByteOrder::BigEndian, TiffVariant::Classic).orientation;
    return std::nullopt;
}

} // namespace imaging
