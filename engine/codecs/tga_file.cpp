#include "engine/codecs/tga_file.h"

#include "imaging/byte_order.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace imaging {

namespace {

constexpr std::size_t kHeaderSize = 18;

ByteReader readerOf(QByteArrayView bytes) { return ByteReader(bytes.data(), std::size_t(bytes.size())); }

void appendLe16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// A TGA 2.0 file ends in a footer: the extension area's offset, the developer
// area's, "TRUEVISION-XFILE.\0". Byte 494 of the extension area is the
// attributes type.
std::optional<int> attributesType(const ByteReader &file)
{
    constexpr std::size_t kFooterSize = 26;
    constexpr std::uint64_t kExtensionSize = 495;
    constexpr std::string_view kSignature("TRUEVISION-XFILE.\0", 18);
    if (file.size() < kHeaderSize + kFooterSize)
        return std::nullopt;
    const std::uint64_t footerAt = file.size() - kFooterSize;
    const auto footer = file.bytes<kFooterSize>(footerAt);
    if (!footer)
        return std::nullopt;
    const auto signature = footer->subspan<8, kSignature.size()>();
    if (!std::equal(signature.begin(), signature.end(), kSignature.begin(),
                    [](std::uint8_t b, char s) { return b == std::uint8_t(s); }))
        return std::nullopt;
    const std::uint64_t extensionAt = le32(footer->first<4>());
    if (extensionAt < kHeaderSize || extensionAt + kExtensionSize > footerAt)
        return std::nullopt;
    const auto extension = file.bytes<kExtensionSize>(extensionAt);
    if (!extension || le16(extension->first<2>()) < kExtensionSize)
        return std::nullopt;
    return (*extension)[494];
}

// Alpha as the extension area's attributes type declares it, else as the
// descriptor's alpha bits say: 8 bits in 32-bit colours, 1 in 16-bit ones.
// Grey pictures of 16 bits carry alpha in their second byte.
TgaHeader::Alpha alphaOf(const TgaHeader &h, std::optional<int> attributes)
{
    using Alpha = TgaHeader::Alpha;
    const int bits = h.isColourMapped() ? h.mapEntryBits : h.pixelDepth;
    const bool stored = h.isGrey() ? h.pixelDepth == 16 : bits == 32 || bits == 16;
    if (!stored)
        return Alpha::None;
    if (h.alphaDeclared)
        return *attributes == 4 ? Alpha::Premultiplied : *attributes == 3 ? Alpha::Straight : Alpha::None;
    if (h.isGrey())
        return Alpha::Straight;
    return (bits == 32 ? h.alphaBits > 0 : h.alphaBits == 1) ? Alpha::Straight : Alpha::None;
}

// Colours stored multiplied by their alpha, divided back (a pixel without
// alpha keeps no colour).
void unpremultiply(unsigned char *pixels, qsizetype count, int bands)
{
    for (qsizetype i = 0; i < count; ++i, pixels += bands) {
        const int alpha = pixels[bands - 1];
        for (int b = 0; b < bands - 1; ++b)
            pixels[b] = static_cast<unsigned char>(alpha ? std::min(255, (pixels[b] * 255 + alpha / 2) / alpha) : 0);
    }
}

using Rgba = std::array<unsigned char, 4>;

// One stored colour of 15, 16, 24 or 32 bits (little-endian BGR order), in
// its (bits + 7) / 8 bytes.
Rgba storedColour(std::span<const std::uint8_t> p, int bits)
{
    if (bits <= 16) {
        const int v = int(le16(p.first<2>()));
        auto five = [](int c) { return static_cast<unsigned char>(c << 3 | c >> 2); };
        return {five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31),
                static_cast<unsigned char>(v & 0x8000 ? 255 : 0)};
    }
    return {p[2], p[1], p[0], bits == 32 ? p[3] : static_cast<unsigned char>(255)};
}

// Reads the picture's stored values in file order, through run-length
// packets when the file has them. The values of each stretch (the whole
// picture without packets, a raw packet's values) are checked to lie in the
// file once, before the first of them is read; a repeat packet's one value
// likewise. Only the values the picture still takes need to be there.
class PixelStream {
public:
    PixelStream(const ByteReader &file, std::uint64_t start, std::size_t bytesPerPixel, bool runLength,
                std::uint64_t pixels)
        : m_file(file), m_pos(start), m_bytes(bytesPerPixel), m_runLength(runLength), m_pixelsLeft(pixels)
    { }

    // The next stored value, empty past the end of the file.
    std::span<const std::uint8_t> next()
    {
        if (m_left == 0 && !startStretch())
            return {};
        --m_left;
        if (m_repeat)
            return m_stretch;
        const auto value = m_stretch.first(m_bytes);
        m_stretch = m_stretch.subspan(m_bytes);
        return value;
    }

private:
    bool startStretch()
    {
        std::uint64_t count = m_pixelsLeft;
        m_repeat = false;
        if (m_runLength) {
            const auto packet = m_file.u8(m_pos);
            if (!packet)
                return false;
            ++m_pos;
            count = std::min<std::uint64_t>((*packet & 0x7F) + 1, m_pixelsLeft);
            m_repeat = *packet & 0x80;
        }
        const std::uint64_t storedBytes = (m_repeat ? 1 : count) * m_bytes;
        const auto stretch = m_file.bytes(m_pos, storedBytes);
        if (count == 0 || !stretch)
            return false;
        m_stretch = *stretch;
        m_pos += storedBytes;
        m_left = count;
        m_pixelsLeft -= count;
        return true;
    }

    ByteReader m_file;
    std::uint64_t m_pos;
    std::size_t m_bytes;
    bool m_runLength;
    std::uint64_t m_pixelsLeft;
    std::uint64_t m_left = 0;
    bool m_repeat = false;
    std::span<const std::uint8_t> m_stretch;
};

} // namespace

int TgaHeader::bands() const { return (isGrey() ? 1 : 3) + (alpha != Alpha::None); }

std::optional<TgaHeader> parseTgaHeader(QByteArrayView bytes)
{
    const ByteReader file = readerOf(bytes);
    const auto header = file.bytes<kHeaderSize>(0);
    if (!header)
        return std::nullopt;
    const FixedBytes<kHeaderSize> b = *header;
    const int colourMapType = b[1];
    TgaHeader h;
    h.idLength = b[0];
    h.imageType = b[2];
    h.mapFirst = int(le16(b.subspan<3, 2>()));
    h.mapLength = int(le16(b.subspan<5, 2>()));
    h.mapEntryBits = b[7];
    h.width = int(le16(b.subspan<12, 2>()));
    h.height = int(le16(b.subspan<14, 2>()));
    h.pixelDepth = b[16];
    const int descriptor = b[17];
    h.alphaBits = descriptor & 0x0F;
    h.rightToLeft = descriptor & 0x10;
    h.topToBottom = descriptor & 0x20;

    const bool trueColour = h.imageType == 2 || h.imageType == 10;
    if (!trueColour && !h.isColourMapped() && !h.isGrey())
        return std::nullopt;
    if (colourMapType > 1 || (h.isColourMapped() && colourMapType != 1))
        return std::nullopt;
    if (h.width == 0 || h.height == 0)
        return std::nullopt;
    const int depth = h.pixelDepth;
    if (h.isColourMapped()) {
        const int entry = h.mapEntryBits;
        if ((depth != 8 && depth != 16) || h.mapLength == 0
            || (entry != 15 && entry != 16 && entry != 24 && entry != 32))
            return std::nullopt;
    } else if (trueColour) {
        if (depth != 15 && depth != 16 && depth != 24 && depth != 32)
            return std::nullopt;
    } else if (depth != 8 && depth != 16) {
        return std::nullopt;
    }
    // Types above 4 are not defined; the descriptor decides then.
    const std::optional<int> attributes = attributesType(file);
    h.alphaDeclared = attributes && *attributes <= 4;
    h.alpha = alphaOf(h, attributes);
    return h;
}

bool tgaHoldsPixels(QByteArrayView file, const TgaHeader &h)
{
    const ByteReader bytes = readerOf(file);
    const std::uint64_t mapBytes = bytes.u8(1) == 1u ? std::uint64_t(h.mapLength) * ((h.mapEntryBits + 7) / 8) : 0;
    const std::uint64_t start = kHeaderSize + std::uint64_t(h.idLength) + mapBytes;
    const std::uint64_t pixels = std::uint64_t(h.width) * std::uint64_t(h.height);
    const std::uint64_t storedBytes = std::uint64_t(h.pixelDepth + 7) / 8;
    const std::uint64_t least = h.isRunLength() ? (pixels + 127) / 128 * (1 + storedBytes) : pixels * storedBytes;
    return bytes.holds(start, least);
}

bool decodeTga(QByteArrayView file, const TgaHeader &h, unsigned char *out)
{
    const ByteReader bytes = readerOf(file);
    // A colour map may also sit in a true-colour file (map type 1); it is
    // skipped there and used for colour-mapped pictures, which need one.
    const bool hasMap = bytes.u8(1) == 1u;
    const std::size_t entryBytes = std::size_t(h.mapEntryBits + 7) / 8;
    const std::uint64_t mapStart = kHeaderSize + std::uint64_t(h.idLength);
    const auto colourMap = bytes.bytes(mapStart, hasMap ? std::uint64_t(h.mapLength) * entryBytes : 0);
    if (!colourMap || (h.isColourMapped() && !hasMap))
        return false;

    std::vector<Rgba> map;
    if (h.isColourMapped()) {
        map.reserve(size_t(h.mapLength));
        for (std::size_t at = 0; at < colourMap->size(); at += entryBytes)
            map.push_back(storedColour(colourMap->subspan(at, entryBytes), h.mapEntryBits));
    }

    const int bands = h.bands();
    const std::size_t storedBytes = std::size_t(h.pixelDepth + 7) / 8;
    bool anyAlpha = false;
    PixelStream stream(bytes, mapStart + colourMap->size(), storedBytes, h.isRunLength(),
                       std::uint64_t(h.width) * std::uint64_t(h.height));
    for (int row = 0; row < h.height; ++row) {
        const int y = h.topToBottom ? row : h.height - 1 - row;
        for (int column = 0; column < h.width; ++column) {
            const std::span<const std::uint8_t> p = stream.next();
            if (p.empty())
                return false;
            const int x = h.rightToLeft ? h.width - 1 - column : column;
            unsigned char *dst = out + (qsizetype(y) * h.width + x) * bands;
            if (h.isGrey()) {
                dst[0] = p[0];
                if (bands == 2) {
                    dst[1] = p[1];
                    anyAlpha |= p[1] != 0;
                }
                continue;
            }
            Rgba colour;
            if (h.isColourMapped()) {
                const int index = (storedBytes == 1 ? p[0] : p[0] | p[1] << 8) - h.mapFirst;
                if (index < 0 || std::size_t(index) >= map.size())
                    return false;
                colour = map[size_t(index)];
            } else {
                colour = storedColour(p, h.pixelDepth);
            }
            dst[0] = colour[0];
            dst[1] = colour[1];
            dst[2] = colour[2];
            if (bands == 4) {
                dst[3] = colour[3];
                anyAlpha |= colour[3] != 0;
            }
        }
    }
    const qsizetype pixels = qsizetype(h.width) * h.height;
    if (h.alpha != TgaHeader::Alpha::None && !anyAlpha && !h.alphaDeclared) {
        for (qsizetype i = 0; i < pixels; ++i)
            out[i * bands + bands - 1] = 255;
    }
    if (h.alpha == TgaHeader::Alpha::Premultiplied)
        unpremultiply(out, pixels, bands);
    return true;
}

QByteArray encodeTga24(const unsigned char *rgb, int width, int height)
{
    return encodeTgaPixels(rgb, width, height, 3);
}

QByteArray encodeTgaPixels(const unsigned char *pixels, int width, int height, int bands)
{
    const bool alpha = bands == 4;
    QByteArray out;
    const qsizetype rowBytes = qsizetype(width) * bands;
    out.reserve(kHeaderSize + rowBytes * height + 26);
    out.append(char(0));    // no image id
    out.append(char(0));    // no colour map
    out.append(char(2));    // uncompressed true colour
    out.append(5, char(0)); // colour map specification
    appendLe16(out, 0);     // x origin
    appendLe16(out, 0);     // y origin
    appendLe16(out, width);
    appendLe16(out, height);
    out.append(char(alpha ? 32 : 24));
    out.append(char(alpha ? 8 : 0)); // bottom-left origin, 8 alpha bits or none

    const qsizetype pixelStart = out.size();
    out.resize(pixelStart + rowBytes * height);
    char *dst = out.data() + pixelStart;
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char *row = pixels + rowBytes * y;
        for (qsizetype i = 0; i < rowBytes; i += bands) {
            *dst++ = char(row[i + 2]);
            *dst++ = char(row[i + 1]);
            *dst++ = char(row[i]);
            if (alpha)
                *dst++ = char(row[i + 3]);
        }
    }
    // TGA 2.0 footer without extension or developer areas: lets readers tell
    // the file from raw data.
    out.append(8, char(0));
    out.append("TRUEVISION-XFILE.", 17);
    out.append(char(0));
    return out;
}

} // namespace imaging
