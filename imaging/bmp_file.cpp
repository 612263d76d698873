#include "imaging/bmp_file.h"

#include "imaging/byte_order.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace imaging {

namespace {

constexpr std::int64_t kFileHeaderSize = 14;

// One channel of a bit-field mask, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (mask) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    unsigned char operator()(std::uint32_t value) const
    {
        if (!max)
            return 0;
        const std::uint32_t v = (value & mask) >> shift;
        return static_cast<unsigned char>((std::uint64_t(v) * 255 + max / 2) / max);
    }
};

} // namespace

std::optional<BmpHeader> parseBmpHeader(QByteArrayView file)
{
    const auto *p = reinterpret_cast<const unsigned char *>(file.data());
    const std::int64_t size = file.size();
    if (size < kFileHeaderSize + 12 || p[0] != 'B' || p[1] != 'M')
        return std::nullopt;
    const std::uint32_t infoSize = le32(p + 14);
    if (infoSize < 12 || kFileHeaderSize + std::int64_t(infoSize) > size)
        return std::nullopt;

    BmpHeader h;
    h.pixelOffset = le32(p + 10);
    std::int64_t height = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    if (infoSize == 12) {
        h.width = int(le16(p + 18));
        height = le16(p + 20);
        h.bitCount = int(le16(p + 24));
        h.paletteEntrySize = 3;
    } else {
        if (infoSize < 40)
            return std::nullopt;
        h.width = int(std::int32_t(le32(p + 18)));
        height = std::int32_t(le32(p + 22));
        h.bitCount = int(le16(p + 28));
        compression = le32(p + 30);
        coloursUsed = le32(p + 46);
    }
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    if (h.width <= 0 || height <= 0 || height > std::numeric_limits<int>::max())
        return std::nullopt;
    h.height = int(height);

    const bool bitFields = compression == 3 || compression == 6;
    if (compression != 0 && !bitFields)
        return std::nullopt; // run-length, JPEG or PNG inside: ImageMagick's job
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
        if (bitFields)
            return std::nullopt;
        break;
    case 16: h.masks = {0x7C00, 0x03E0, 0x001F, 0}; break;
    case 24:
        if (bitFields)
            return std::nullopt;
        break;
    case 32: h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0}; break;
    default: return std::nullopt;
    }
    if (bitFields) {
        // The masks follow a 40-byte header, or sit inside a longer one.
        const int maskCount = compression == 6 || infoSize >= 56 ? 4 : 3;
        const std::int64_t at = kFileHeaderSize + 40;
        if (at + 4 * maskCount > size)
            return std::nullopt;
        for (int i = 0; i < maskCount; ++i)
            h.masks[size_t(i)] = le32(p + at + 4 * i);
        if (!h.masks[0] && !h.masks[1] && !h.masks[2])
            return std::nullopt;
    }

    h.stride = (std::int64_t(h.width) * h.bitCount + 31) / 32 * 4;
    if (h.bitCount <= 8) {
        h.paletteOffset = kFileHeaderSize + infoSize;
        const std::int64_t room = (h.pixelOffset - h.paletteOffset) / h.paletteEntrySize;
        std::int64_t entries = coloursUsed ? std::int64_t(coloursUsed) : std::int64_t(1) << h.bitCount;
        entries = std::min<std::int64_t>({entries, room, std::int64_t(1) << h.bitCount});
        if (entries <= 0)
            return std::nullopt;
        h.paletteEntries = int(entries);
    }
    return h;
}

bool decodeBmp(QByteArrayView file, const BmpHeader &h, unsigned char *out)
{
    const auto *data = reinterpret_cast<const unsigned char *>(file.data());
    const std::int64_t size = file.size();
    // Every row but the last must be whole; the last needs its pixels only,
    // not its padding.
    const std::int64_t lastRowBytes = (std::int64_t(h.width) * h.bitCount + 7) / 8;
    if (h.pixelOffset < 0 || h.pixelOffset > size || (size - h.pixelOffset - lastRowBytes) / h.stride < h.height - 1
        || size - h.pixelOffset < lastRowBytes)
        return false;

    const int bands = h.bands();
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    bool anyAlpha = false;
    for (int row = 0; row < h.height; ++row) {
        const unsigned char *src = data + h.pixelOffset + std::int64_t(row) * h.stride;
        const int y = h.topDown ? row : h.height - 1 - row;
        unsigned char *dst = out + std::int64_t(y) * h.width * bands;
        switch (h.bitCount) {
        case 24:
            for (int x = 0; x < h.width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case 16:
        case 32: {
            const int bytes = h.bitCount / 8;
            for (int x = 0; x < h.width; ++x, src += bytes, dst += bands) {
                const std::uint32_t v = bytes == 2 ? le16(src) : le32(src);
                dst[0] = red(v);
                dst[1] = green(v);
                dst[2] = blue(v);
                if (bands == 4) {
                    dst[3] = alpha(v);
                    anyAlpha |= dst[3] != 0;
                }
            }
            break;
        }
        default: {
            const int bits = h.bitCount;
            const int perByte = 8 / bits;
            const int mask = (1 << bits) - 1;
            for (int x = 0; x < h.width; ++x, dst += 3) {
                const int shift = 8 - bits * (x % perByte + 1);
                const int index = (src[x / perByte] >> shift) & mask;
                // An index past a short palette shows black, as Windows draws it.
                if (index >= h.paletteEntries) {
                    dst[0] = dst[1] = dst[2] = 0;
                    continue;
                }
                const unsigned char *entry = data + h.paletteOffset + std::int64_t(index) * h.paletteEntrySize;
                dst[0] = entry[2];
                dst[1] = entry[1];
                dst[2] = entry[0];
            }
            break;
        }
        }
    }
    if (bands == 4 && !anyAlpha) {
        const std::int64_t pixels = std::int64_t(h.width) * h.height;
        for (std::int64_t i = 0; i < pixels; ++i)
            out[i * 4 + 3] = 255;
    }
    return true;
}

} // namespace imaging
