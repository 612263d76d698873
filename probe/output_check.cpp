#include "probe/output_check.h"

#include "imaging/byte_order.h"
#include "probe/header_probe.h"
#include "probe/iso_boxes.h"
#include "probe/signatures.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace imaging {

namespace {

using namespace std::string_view_literals;

constexpr std::uint64_t kBmpHeaderBytes = 14 + 40;
constexpr std::uint64_t kTgaHeaderBytes = 18;
constexpr auto kTgaFooter = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0"sv;
// The baseline tags of the uncompressed TIFF libvips writes, and the most
// entries its one directory may have.
constexpr std::array<std::uint32_t, 16> kTiffTags{256, 257, 258, 259, 262, 273, 274, 277,
                                                  278, 279, 282, 283, 284, 296, 338, 339};
constexpr std::uint64_t kMostTiffEntries = 24;

std::uint64_t roundUp(std::uint64_t n, std::uint64_t step) { return (n + step - 1) / step * step; }

// Whether a PNG chunk's CRC (over its type and data) is the one it carries.
bool pngCrcHolds(const ByteReader &png, std::uint64_t chunk, std::uint32_t length)
{
    const auto covered = png.bytes(chunk + 4, 4 + std::uint64_t(length));
    const auto stated = png.be32(chunk + 8 + length);
    if (!covered || !stated)
        return false;
    uLong crc = ::crc32(0, nullptr, 0);
    for (std::size_t done = 0; done < covered->size();) {
        const std::size_t part = std::min<std::size_t>(covered->size() - done, 1u << 30);
        crc = ::crc32(crc, covered->data() + done, uInt(part));
        done += part;
    }
    return crc == *stated;
}

// The zlib stream of the IDAT chunks: it inflates to exactly the rows of the
// picture, each after a filter byte of the five there are, and ends exactly
// where the last IDAT does. Inflated a piece at a time, never held whole.
QString pngPixelsDefect(const ByteReader &png, const std::vector<std::uint64_t> &idats, std::uint64_t rowBytes,
                        std::uint64_t rows)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return QStringLiteral("the PNG's pixels could not be read");
    std::array<Bytef, 1 << 16> out;
    std::uint64_t inflated = 0;
    int status = Z_OK;
    bool filtersHold = true;
    for (std::size_t i = 0; i < idats.size() && status == Z_OK; ++i) {
        const std::uint32_t length = png.be32(idats[i]).value_or(0);
        const auto data = png.bytes(idats[i] + 8, length).value_or(std::span<const std::uint8_t>());
        stream.next_in = const_cast<Bytef *>(data.data());
        stream.avail_in = uInt(data.size());
        while (status == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0)) {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            const std::uint64_t made = out.size() - stream.avail_out;
            // The filter bytes that fell into this piece.
            for (std::uint64_t row = (inflated + rowBytes - 1) / rowBytes * rowBytes; row < inflated + made;
                 row += rowBytes)
                filtersHold = filtersHold && out[std::size_t(row - inflated)] <= 4;
            inflated += made;
            if (status == Z_BUF_ERROR && stream.avail_in == 0)
                status = Z_OK; // wants the next IDAT
            if (inflated > rowBytes * rows)
                status = Z_DATA_ERROR;
        }
        // The stream ends in the last IDAT, at its last byte.
        if (status == Z_STREAM_END && (i + 1 != idats.size() || stream.avail_in != 0))
            status = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || inflated != rowBytes * rows || !filtersHold)
        return QStringLiteral("the PNG's pixels are not exactly its rows in one zlib stream");
    return QString();
}

// Chunks from the signature to IEND, which ends the file: the header, the
// pixels and their density, nothing that carries text, a profile or EXIF;
// every chunk's CRC holds, and the pixels are exactly the picture's.
// The channels of a PNG colour type the program writes: grey, RGB, each
// with alpha or not; 0 for the others.
std::uint64_t pngChannels(std::uint32_t colourType)
{
    switch (colourType) {
    case 0: return 1;
    case 4: return 2;
    case 2: return 3;
    case 6: return 4;
    default: return 0;
    }
}

QString pngDefect(const ByteReader &png, int width, int height)
{
    std::uint64_t at = 8;
    bool first = true;
    std::uint64_t channels = 0;
    std::vector<std::uint64_t> idats;
    for (;;) {
        const auto length = png.be32(at);
        if (!length || !png.holds(at, 12 + std::uint64_t(*length)))
            return QStringLiteral("a PNG chunk runs past the end");
        const std::uint64_t next = at + 12 + *length;
        if (first
            && (!hasText(png, at + 4, "IHDR"sv) || *length != 13 || png.u8(at + 16) != 8u
                || !pngChannels(png.u8(at + 17).value_or(1)) || png.u8(at + 20) != 0u))
            return QStringLiteral("the PNG does not start with the header of an 8-bit RGB or grey picture");
        if (first)
            channels = pngChannels(png.u8(at + 17).value_or(1));
        if (!pngCrcHolds(png, at, *length))
            return QStringLiteral("a PNG chunk's CRC does not hold");
        if (hasText(png, at + 4, "IEND"sv)) {
            if (next != png.size() || idats.empty())
                return QStringLiteral("the PNG does not end at IEND");
            return pngPixelsDefect(png, idats, 1 + channels * std::uint64_t(width), std::uint64_t(height));
        }
        const bool pixels = hasText(png, at + 4, "IDAT"sv);
        if (pixels) {
            // One run of IDAT chunks.
            if (!idats.empty() && idats.back() + 12 + png.be32(idats.back()).value_or(0) != at)
                return QStringLiteral("the PNG's pixels are not in one run of chunks");
            idats.push_back(at);
        }
        if (!first && !pixels && !hasText(png, at + 4, "pHYs"sv))
            return QStringLiteral("the PNG carries a chunk the program does not write");
        first = false;
        at = next;
    }
}

// Where the entropy-coded data that starts at `from` ends: the offset of the
// first marker that is neither a stuffed 0xFF nor a restart marker.
std::optional<std::uint64_t> jpegEntropyEnd(const ByteReader &jpeg, std::uint64_t from)
{
    const auto data = jpeg.bytes(from, jpeg.size() - std::min(from, jpeg.size()));
    if (!data)
        return std::nullopt;
    for (auto p = std::find(data->begin(), data->end(), 0xFF); p != data->end();
         p = std::find(p, data->end(), std::uint8_t(0xFF))) {
        if (p + 1 == data->end())
            return std::nullopt;
        const std::uint8_t next = p[1];
        if (next != 0x00 && (next < 0xD0 || next > 0xD7))
            return from + std::uint64_t(p - data->begin());
        p += 2;
    }
    return std::nullopt;
}

// Marker segments up to the first scan: tables and the frame header only,
// no APPn but JFIF's, no comment; then the scans, each of entropy-coded data
// to its next marker, with new Huffman tables between the scans of a
// progressive JPEG; then EOI, the file's last two bytes.
QString jpegDefect(const ByteReader &jpeg)
{
    std::uint64_t at = 2;
    bool scans = false;
    for (;;) {
        const auto marker = jpeg.be16(at);
        if (marker == 0xFFD9u && scans)
            return at + 2 == jpeg.size() ? QString() : QStringLiteral("the JPEG goes on after its end-of-image marker");
        const auto length = jpeg.be16(at + 2);
        if (!marker || !length || *length < 2 || !jpeg.holds(at + 2, *length))
            return QStringLiteral("a JPEG segment runs past the end");
        if (*marker == 0xFFDA) {
            scans = true;
            const auto end = jpegEntropyEnd(jpeg, at + 2 + *length);
            if (!end)
                return QStringLiteral("the JPEG's scan runs past the end");
            at = *end;
            continue;
        }
        const bool tables = *marker == 0xFFDB || *marker == 0xFFC4 || *marker == 0xFFDD;
        const bool allowed = scans ? *marker == 0xFFC4 : tables || *marker == 0xFFE0 || (*marker >= 0xFFC0 && *marker <= 0xFFC2);
        if (!allowed)
            return QStringLiteral("the JPEG carries a segment the program does not write");
        at += 2 + *length;
    }
}

// A colour table after a descriptor whose flags say so: 3 * 2^(n + 1) bytes.
std::uint64_t gifTableBytes(std::uint32_t flags) { return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0; }

// Data sub-blocks from `at` to their terminator; the offset after it.
std::optional<std::uint64_t> afterSubBlocks(const ByteReader &gif, std::uint64_t at)
{
    while (const auto size = gif.u8(at)) {
        if (*size == 0)
            return at + 1;
        at += 1 + *size;
    }
    return std::nullopt;
}

// One frame covering the screen, at most a graphic control block before it,
// then the trailer as the last byte.
QString gifDefect(const ByteReader &gif, int width, int height)
{
    const auto screenFlags = gif.u8(10);
    if (!screenFlags)
        return QStringLiteral("the GIF ends in its header");
    std::uint64_t at = 13 + gifTableBytes(*screenFlags);
    int frames = 0;
    for (;;) {
        const auto block = gif.u8(at);
        if (!block)
            return QStringLiteral("the GIF ends before its trailer");
        if (*block == 0x3B)
            return at + 1 == gif.size() && frames == 1 ? QString()
                                                       : QStringLiteral("the GIF does not end at its trailer");
        std::optional<std::uint64_t> next;
        if (*block == 0x21 && gif.u8(at + 1) == 0xF9u && gif.u8(at + 2) == 4u) {
            next = afterSubBlocks(gif, at + 2);
        } else if (*block == 0x2C && ++frames == 1 && gif.le16(at + 1) == 0u && gif.le16(at + 3) == 0u
                   && gif.le16(at + 5) == std::uint32_t(width) && gif.le16(at + 7) == std::uint32_t(height)) {
            const auto flags = gif.u8(at + 9);
            if (flags)
                next = afterSubBlocks(gif, at + 11 + gifTableBytes(*flags));
        } else {
            return QStringLiteral("the GIF carries a block the program does not write");
        }
        if (!next)
            return QStringLiteral("a GIF block runs past the end");
        at = *next;
    }
}

QString bmpDefect(const ByteReader &bmp)
{
    const bool classic = bmp.le32(10) == kBmpHeaderBytes && bmp.le32(14) == 40u && bmp.le16(26) == 1u
                         && bmp.le16(28) == 24u && bmp.le32(30) == 0u;
    return classic ? QString() : QStringLiteral("the BMP is not an uncompressed 24-bit bitmap");
}

QString tgaDefect(const ByteReader &tga)
{
    // 24 bits without alpha, or 32 with 8 bits of it.
    const auto depth = tga.u8(16);
    const auto descriptor = tga.u8(17);
    const bool plain = tga.u8(0) == 0u && tga.u8(1) == 0u && tga.u8(2) == 2u
                       && ((depth == 24u && descriptor == 0u) || (depth == 32u && descriptor == 8u))
                       && hasText(tga, tga.size() - kTgaFooter.size(), kTgaFooter);
    return plain ? QString() : QStringLiteral("the TGA is not an uncompressed 24 or 32-bit picture");
}

std::uint64_t tiffTypeBytes(std::uint32_t type)
{
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7: return 1;
    case 3:
    case 8: return 2;
    case 4:
    case 9:
    case 11: return 4;
    case 5:
    case 10:
    case 12: return 8;
    default: return 0;
    }
}

// One directory of baseline tags, uncompressed RGB in strips of exactly the
// picture's bytes. Every byte of the file belongs to the header, a strip, the
// directory or a value it points to, but for a byte of padding before a value
// (values start on even offsets); nothing overlaps.
QString tiffDefect(const ByteReader &tiff, int width, int height)
{
    // In the byte order the file states (libtiff writes the machine's own).
    const bool bigEndian = tiff.u8(0) == std::uint32_t('M');
    auto u16 = [&](std::uint64_t at) { return bigEndian ? tiff.be16(at) : tiff.le16(at); };
    auto u32 = [&](std::uint64_t at) { return bigEndian ? tiff.be32(at) : tiff.le32(at); };
    const auto directory = u32(4);
    const auto entries = directory ? u16(*directory) : std::nullopt;
    if (!entries || *entries > kMostTiffEntries || !tiff.holds(*directory, 2 + 12 * std::uint64_t(*entries) + 4))
        return QStringLiteral("the TIFF directory runs past the end");
    if (u32(*directory + 2 + 12 * std::uint64_t(*entries)) != 0u)
        return QStringLiteral("the TIFF has more than one directory");
    struct Stretch {
        std::uint64_t start;
        std::uint64_t length;
    };
    std::vector<Stretch> used{{0, 8}, {*directory, 2 + 12 * std::uint64_t(*entries) + 4}};
    // Where a value of an entry is: in the entry when it fits, else where
    // the entry points.
    auto valueAt = [&](std::uint64_t entry, std::uint64_t index) -> std::optional<std::uint64_t> {
        const std::uint64_t size = tiffTypeBytes(u16(entry + 2).value_or(0));
        const std::uint64_t count = u32(entry + 4).value_or(0);
        const std::uint64_t at = size * count > 4 ? u32(entry + 8).value_or(0) : entry + 8;
        if (size == 2)
            return u16(at + 2 * index);
        if (size == 4)
            return u32(at + 4 * index);
        return std::nullopt;
    };
    std::uint64_t rowsPerStrip = 0, compression = 0, samples = 0, offsets = 0, counts = 0;
    for (std::uint64_t i = 0; i < *entries; ++i) {
        const std::uint64_t entry = *directory + 2 + 12 * i;
        const std::uint32_t tag = u16(entry).value_or(0);
        const std::uint64_t valueBytes = tiffTypeBytes(u16(entry + 2).value_or(0)) * u32(entry + 4).value_or(0);
        if (std::find(kTiffTags.begin(), kTiffTags.end(), tag) == kTiffTags.end() || valueBytes == 0)
            return QStringLiteral("the TIFF carries a tag the program does not write");
        if (valueBytes > 4)
            used.push_back({u32(entry + 8).value_or(0), valueBytes});
        const std::uint64_t value = valueAt(entry, 0).value_or(0);
        if (tag == 259)
            compression = value;
        else if (tag == 277)
            samples = value;
        else if (tag == 278)
            rowsPerStrip = value;
        else if (tag == 273)
            offsets = entry;
        else if (tag == 279)
            counts = entry;
    }
    const std::uint64_t strips = rowsPerStrip ? (std::uint64_t(height) + rowsPerStrip - 1) / rowsPerStrip : 0;
    if (compression != 1 || (samples != 3 && samples != 4) || !offsets || !counts || strips == 0 || u32(offsets + 4) != strips
        || u32(counts + 4) != strips)
        return QStringLiteral("the TIFF is not uncompressed RGB in strips");
    std::uint64_t pixelBytes = 0;
    for (std::uint64_t i = 0; i < strips; ++i) {
        const auto start = valueAt(offsets, i);
        const auto length = valueAt(counts, i);
        if (!start || !length)
            return QStringLiteral("the TIFF's strips run past the end");
        used.push_back({*start, *length});
        pixelBytes += *length;
    }
    if (pixelBytes != samples * std::uint64_t(width) * height)
        return QStringLiteral("the TIFF's strips do not hold its pixels");
    std::sort(used.begin(), used.end(), [](const Stretch &a, const Stretch &b) { return a.start < b.start; });
    std::uint64_t end = 0;
    for (const Stretch &stretch : used) {
        if (stretch.start < end || stretch.start - end > 1 || !tiff.holds(stretch.start, stretch.length))
            return QStringLiteral("the TIFF holds bytes that are neither pixels nor its directory");
        end = stretch.start + stretch.length;
    }
    return end == tiff.size() ? QString() : QStringLiteral("the TIFF goes on after its last part");
}

// One chunk after the RIFF header, VP8 or VP8L: a simple WebP, which has no
// room for EXIF, XMP or a profile; or a lossy picture with alpha: a VP8X
// header that announces alpha alone, then ALPH and VP8. The RIFF size is the
// file's.
QString webpDefect(const ByteReader &webp)
{
    const auto riff = webp.le32(4);
    if (!riff || *riff + 8ull != webp.size())
        return QStringLiteral("the RIFF size is not the file's");
    std::uint64_t at = 12;
    if (hasText(webp, 12, "VP8X"sv)) {
        if (webp.le32(16) != 10u || webp.u8(20) != 0x10u || !hasText(webp, 30, "ALPH"sv))
            return QStringLiteral("the WebP carries a chunk the program does not write");
        const auto alpha = webp.le32(34);
        if (!alpha)
            return QStringLiteral("the WebP goes on past its end");
        at = 30 + 8 + *alpha + (*alpha & 1);
        if (!hasText(webp, at, "VP8 "sv))
            return QStringLiteral("the WebP carries a chunk the program does not write");
    }
    const auto chunk = webp.le32(at + 4);
    if (!chunk)
        return QStringLiteral("the WebP goes on past its end");
    if (!hasText(webp, at, "VP8 "sv) && !hasText(webp, at, "VP8L"sv))
        return QStringLiteral("the WebP carries a chunk the program does not write");
    if (at + 8 + *chunk + (*chunk & 1) != webp.size())
        return QStringLiteral("the WebP goes on after its picture");
    return QString();
}

// `ftyp` of the brand asked for, `meta` and `mdat`, and in `meta` the picture
// only, coded as asked: one item, or (libheif's way with a side HEVC cannot
// code) a tile one larger and a grid of that one tile cut to the size; no
// EXIF or XMP item, no thumbnail.
QString heifDefect(std::span<const std::uint8_t> data, std::string_view brand, std::uint32_t itemType)
{
    MemoryByteSource bytes(data);
    const ByteReader reader(data);
    if (!hasText(reader, 8, brand))
        return QStringLiteral("the file is not of the brand asked for");
    IsoBoxWalk top(bytes, 0, data.size(), 8);
    std::optional<IsoBox> meta;
    std::uint64_t end = 0;
    while (const auto box = top.next()) {
        if (box->type == fourCc("meta"))
            meta = box;
        else if (box->type != fourCc("ftyp") && box->type != fourCc("mdat"))
            return QStringLiteral("the file carries a box the program does not write");
        end = box->end;
    }
    if (top.damaged() || !meta || end != data.size())
        return QStringLiteral("the boxes do not make up the file");
    IsoBoxWalk inMeta(bytes, *meta, 4, 32);
    const auto iinf = inMeta.find(fourCc("iinf"));
    const auto head = iinf ? readFullBoxHead(bytes, *iinf) : std::nullopt;
    if (!head)
        return QStringLiteral("the file has no item list");
    const std::uint64_t countBytes = head->version == 0 ? 2 : 4;
    const auto count = countBytes == 2 ? reader.be16(iinf->contents + 4) : reader.be32(iinf->contents + 4);
    // With alpha, the alpha is a picture of its own, coded alike.
    if (!count || *count < 1 || *count > 4)
        return QStringLiteral("the file holds other items than its picture");
    IsoBoxWalk items(bytes, *iinf, 4 + countBytes, 4);
    int coded = 0, grids = 0;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto infe = items.next();
        const auto infeHead = infe && infe->type == fourCc("infe") ? readFullBoxHead(bytes, *infe) : std::nullopt;
        if (!infeHead || infeHead->version < 2)
            return QStringLiteral("the file holds other items than its picture");
        // Version 2: a 16-bit item id (3: 32-bit), a 16-bit protection index, the type.
        const auto type = reader.be32(infe->contents + 4 + (infeHead->version == 2 ? 2 : 4) + 2);
        coded += type == itemType;
        grids += type == fourCc("grid");
    }
    if (coded < 1 || coded > 2 || grids > coded || coded + grids != int(*count))
        return QStringLiteral("the file holds other items than its picture");
    return QString();
}

// The bare codestream: no container, so no box for EXIF or XMP.
QString jpegXlDefect(const ByteReader &jxl)
{
    return jxl.u8(0) == 0xFFu && jxl.u8(1) == 0x0Au ? QString()
                                                    : QStringLiteral("the JPEG XL is not a bare codestream");
}

// The newer formats, told apart by the probe's twelve-byte tests.
std::optional<ProbeOnlySignature> newerSignatureOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::WebP: return ProbeOnlySignature::WebP;
    case OutputFormat::Heic:
    case OutputFormat::Avif: return ProbeOnlySignature::IsoBaseMedia;
    case OutputFormat::JpegXl: return ProbeOnlySignature::JpegXlCodestream;
    case OutputFormat::Bmp:
    case OutputFormat::Gif:
    case OutputFormat::Jpeg:
    case OutputFormat::Png:
    case OutputFormat::Tiff:
    case OutputFormat::Tga: return std::nullopt;
    }
    return std::nullopt;
}

Signature signatureOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Bmp: return Signature::Bmp;
    case OutputFormat::Gif: return Signature::Gif;
    case OutputFormat::Jpeg: return Signature::Jpeg;
    case OutputFormat::Png: return Signature::Png;
    case OutputFormat::Tiff: return Signature::TiffLittleEndian; // or big-endian, see outputDefect
    case OutputFormat::Tga:
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl: return Signature::None;
    }
    return Signature::None;
}

} // namespace

std::uint64_t largestOutputBytes(OutputFormat format, int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    const std::uint64_t w = std::uint64_t(width);
    const std::uint64_t h = std::uint64_t(height);
    switch (format) {
    case OutputFormat::Bmp: return kBmpHeaderBytes + roundUp(3 * w, 4) * h;
    // With alpha, 32 bits a pixel.
    case OutputFormat::Tga: return kTgaHeaderBytes + 4 * w * h + kTgaFooter.size();
    case OutputFormat::Tiff:
        // Strips of one row at most, each with an offset and a byte count.
        return 8 + 4 * w * h + 2 + 12 * kMostTiffEntries + 4 + 8 * h + 64;
    case OutputFormat::Png: {
        // A filter byte per row, deflate's stored blocks and IDAT chunks of
        // a few kilobytes at worst: well under one part in a hundred.
        const std::uint64_t raw = h * (1 + 4 * w);
        return raw + raw / 128 + 4096;
    }
    case OutputFormat::Gif:
        // A code of 12 bits at most per pixel, a length byte per 255 bytes
        // of them, two colour tables and the blocks around them.
        return 3 * w * h / 2 + w * h / 64 + 4096;
    case OutputFormat::Jpeg:
        // Whole blocks of 8 x 8 (16 x 16 when subsampled). Noise, the most
        // any picture costs the encoder, takes 4.6 bytes a pixel at quality
        // 100 without subsampling; 8 leave room, far less than the 21 of the
        // coding's own worst case (27 bits a sample, every byte stuffed),
        // which a worker could fill with anything.
        return 8 * roundUp(w, 16) * roundUp(h, 16) + 4096;
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl:
        // Their coding of 24-bit pixels never takes more than the pixels
        // do uncompressed (measured on noise at quality 100 and lossless:
        // at most 3.1 bytes a pixel), alpha beside them at most one more,
        // a byte a pixel to spare, and headers.
        return 5 * w * h + 16384;
    }
    return 0;
}

QString outputDefect(QByteArrayView bytes, OutputFormat format, int width, int height)
{
    const std::uint64_t size = std::uint64_t(bytes.size());
    if (size > largestOutputBytes(format, width, height))
        return QStringLiteral("%1 bytes, more than a picture of %2 x %3 can take").arg(size).arg(width).arg(height);
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    const std::size_t head = std::min(data.size(), kDecoderSignatureBytes);
    Signature signature = decoderSignature(data.first(head));
    if (signature == Signature::TiffBigEndian)
        signature = Signature::TiffLittleEndian;
    const auto newer = newerSignatureOf(format);
    if (signature != signatureOf(format)
        || (newer && probeOnlySignature(data.first(std::min(data.size(), kProbeOnlySignatureBytes))) != *newer))
        return QStringLiteral("not the format asked for");
    MemoryByteSource source(data);
    const PictureHeader header = probePictureHeader(source, format == OutputFormat::Tga);
    if (header.stored != PictureSize{width, height} || header.orientation != 1)
        return QStringLiteral("a picture of %1 x %2 (orientation %3) instead of %4 x %5")
            .arg(header.stored.Width)
            .arg(header.stored.Height)
            .arg(header.orientation)
            .arg(width)
            .arg(height);
    const ByteReader reader(data);
    switch (format) {
    case OutputFormat::Bmp:
        return size == largestOutputBytes(format, width, height) ? bmpDefect(reader)
                                                                 : QStringLiteral("not the size of its pixels");
    case OutputFormat::Tga: {
        const std::uint64_t pixelBytes = reader.u8(16) == 32u ? 4 : 3;
        return size == kTgaHeaderBytes + pixelBytes * std::uint64_t(width) * std::uint64_t(height) + kTgaFooter.size()
                   ? tgaDefect(reader)
                   : QStringLiteral("not the size of its pixels");
    }
    case OutputFormat::Tiff: return tiffDefect(reader, width, height);
    case OutputFormat::Png: return pngDefect(reader, width, height);
    case OutputFormat::Gif: return gifDefect(reader, width, height);
    case OutputFormat::Jpeg: return jpegDefect(reader);
    case OutputFormat::WebP: return webpDefect(reader);
    case OutputFormat::Heic: return heifDefect(data, "heic"sv, fourCc("hvc1"));
    case OutputFormat::Avif: return heifDefect(data, "avif"sv, fourCc("av01"));
    case OutputFormat::JpegXl: return jpegXlDefect(reader);
    }
    return QStringLiteral("not a format the program writes");
}

} // namespace imaging
