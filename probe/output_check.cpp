#include "probe/output_check.h"

#include "imaging/byte_order.h"
#include "imaging/gif_block_walk.h"
#include "probe/header_probe.h"
#include "probe/iso_boxes.h"
#include "probe/jpeg_segments.h"
#include "probe/output_check_formats.h"
#include "probe/signatures.h"
#include "probe/tiff_ifd.h"

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
constexpr std::uint32_t kMostTiffEntries = 24;

std::uint64_t roundUp(std::uint64_t n, std::uint64_t step) { return (n + step - 1) / step * step; }

// Marker segments up to the first scan: tables and the frame header only,
// no APPn but JFIF's, no comment; then the scans, each of entropy-coded data
// to its next marker, with new Huffman tables between the scans of a
// progressive JPEG; then EOI, the file's last two bytes.
QString jpegDefect(const ByteReader &jpeg)
{
    JpegSegmentWalk segments(jpeg);
    bool scans = false;
    while (const auto segment = segments.next()) {
        const std::uint32_t code = segment->code;
        if (code == kJpegEndOfImage && scans)
            return segment->end() == jpeg.size() ? QString()
                                                 : QStringLiteral("the JPEG goes on after its end-of-image marker");
        if (code == kJpegStartOfScan) {
            scans = true;
            continue;
        }
        const bool tables = code == 0xDB || code == 0xC4 || code == 0xDD;
        const bool allowed = scans ? code == 0xC4 : tables || code == 0xE0 || (code >= 0xC0 && code <= 0xC2);
        if (!allowed || segment->length == 0)
            return QStringLiteral("the JPEG carries a segment the program does not write");
    }
    return QStringLiteral("a JPEG segment or scan runs past the end");
}

// One frame covering the screen, at most a graphic control block before it,
// then the trailer as the last byte.
QString gifDefect(const ByteReader &gif, int width, int height)
{
    if (!gif.u8(10))
        return QStringLiteral("the GIF ends in its header");
    GifBlockWalk blocks(gif);
    int frames = 0;
    while (const auto block = blocks.next()) {
        const std::uint64_t at = block->at;
        if (block->introducer == kGifTrailer)
            return at + 1 == gif.size() && frames == 1 ? QString()
                                                       : QStringLiteral("the GIF does not end at its trailer");
        const bool control = block->introducer == kGifExtension && gif.u8(at + 1) == kGifGraphicControl
                             && gif.u8(at + 2) == 4u;
        const bool screenImage = block->introducer == kGifImage && ++frames == 1 && gif.le16(at + 1) == 0u
                                 && gif.le16(at + 3) == 0u && gif.le16(at + 5) == std::uint32_t(width)
                                 && gif.le16(at + 7) == std::uint32_t(height);
        if (!control && !screenImage)
            return QStringLiteral("the GIF carries a block the program does not write");
        if (!block->end)
            return QStringLiteral("a GIF block runs past the end");
    }
    return QStringLiteral("the GIF ends before its trailer");
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

// One directory of baseline tags, uncompressed RGB in strips of exactly the
// picture's bytes. Every byte of the file belongs to the header, a strip, the
// directory or a value it points to, but for a byte of padding before a value
// (values start on even offsets); nothing overlaps.
QString tiffDefect(std::span<const std::uint8_t> file, int width, int height)
{
    // In the byte order the file states (libtiff writes the machine's own).
    const TiffStructure tiff(file, file.size() > 0 && file[0] == 'M');
    const auto offset = tiff.u32(4);
    const auto directory = offset ? tiff.directory(*offset, kMostTiffEntries) : std::nullopt;
    if (!directory || !tiff.whole(*directory))
        return QStringLiteral("the TIFF directory runs past the end");
    if (tiff.u32(directory->nextAt()) != 0u)
        return QStringLiteral("the TIFF has more than one directory");
    struct Stretch {
        std::uint64_t start;
        std::uint64_t length;
    };
    std::vector<Stretch> used{{0, 8}, {directory->at, directory->bytes()}};
    std::uint64_t rowsPerStrip = 0, compression = 0, samples = 0;
    std::optional<TiffEntry> offsets, counts;
    for (std::uint32_t i = 0; i < directory->count; ++i) {
        const TiffEntry entry = *tiff.entry(*directory, i);
        if (std::find(kTiffTags.begin(), kTiffTags.end(), entry.tag) == kTiffTags.end() || entry.valueBytes == 0)
            return QStringLiteral("the TIFF carries a tag the program does not write");
        if (entry.valueBytes > 4)
            used.push_back({entry.valueAt, entry.valueBytes});
        const std::uint64_t value = tiff.integer(entry, 0).value_or(0);
        if (entry.tag == 259)
            compression = value;
        else if (entry.tag == 277)
            samples = value;
        else if (entry.tag == 278)
            rowsPerStrip = value;
        else if (entry.tag == 273)
            offsets = entry;
        else if (entry.tag == 279)
            counts = entry;
    }
    const std::uint64_t strips = rowsPerStrip ? (std::uint64_t(height) + rowsPerStrip - 1) / rowsPerStrip : 0;
    if (compression != 1 || (samples != 3 && samples != 4) || !offsets || !counts || strips == 0 || offsets->count != strips
        || counts->count != strips)
        return QStringLiteral("the TIFF is not uncompressed RGB in strips");
    std::uint64_t pixelBytes = 0;
    for (std::uint32_t i = 0; i < strips; ++i) {
        const auto start = tiff.integer(*offsets, i);
        const auto length = tiff.integer(*counts, i);
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
        if (stretch.start < end || stretch.start - end > 1 || !tiff.bytes().holds(stretch.start, stretch.length))
            return QStringLiteral("the TIFF holds bytes that are neither pixels nor its directory");
        end = stretch.start + stretch.length;
    }
    return end == tiff.bytes().size() ? QString() : QStringLiteral("the TIFF goes on after its last part");
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
    case OutputFormat::JpegXl:
        // Noise at the best quality (distance 0.1), the most libjxl makes of
        // 24-bit pixels, takes 2.3 bytes a pixel; 3 leave room, alpha beside
        // them at most one more, and headers.
        return 4 * w * h + 16384;
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
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
    auto newerSignature = probeOnlySignature(data.first(std::min(data.size(), kProbeOnlySignatureBytes)));
    if (newerSignature == ProbeOnlySignature::JpegXlContainer)
        newerSignature = ProbeOnlySignature::JpegXlCodestream;
    if (signature != signatureOf(format) || (newer && newerSignature != *newer))
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
    case OutputFormat::Tiff: return tiffDefect(data, width, height);
    case OutputFormat::Png: return pngDefect(reader, width, height);
    case OutputFormat::Gif: return gifDefect(reader, width, height);
    case OutputFormat::Jpeg: return jpegDefect(reader);
    case OutputFormat::WebP: return webpDefect(reader);
    case OutputFormat::Heic: return heifDefect(data, "heic"sv, fourCc("hvc1"));
    case OutputFormat::Avif: return heifDefect(data, "avif"sv, fourCc("av01"));
    case OutputFormat::JpegXl: return jpegXlDefect(data);
    }
    return QStringLiteral("not a format the program writes");
}

} // namespace imaging
