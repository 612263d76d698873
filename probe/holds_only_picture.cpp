#include "probe/source_metadata.h"

#include "imaging/byte_order.h"
#include "imaging/gif_block_walk.h"
#include "imaging/picture_formats.h"
#include "imaging/png_chunk_walk.h"
#include "probe/jpeg_segments.h"
#include "probe/signatures.h"
#include "probe/tiff_ifd.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace imaging {

namespace {

using namespace std::string_view_literals;

// More entries than any camera writes into one directory.
constexpr std::uint32_t kMostEntries = 1024;

bool contains(std::span<const std::uint16_t> tags, std::uint32_t tag)
{
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// PNG: only the chunks that say how to show the pixels.
bool pngHoldsOnlyPicture(const ByteReader &png)
{
    constexpr auto kPlain
        = std::to_array<std::string_view>({"IHDR"sv, "PLTE"sv, "IDAT"sv, "IEND"sv, "tRNS"sv, "gAMA"sv, "cHRM"sv,
                                           "sRGB"sv, "iCCP"sv, "sBIT"sv, "bKGD"sv, "pHYs"sv, "hIST"sv, "sPLT"sv});
    PngChunkWalk chunks(png);
    while (const auto chunk = chunks.next()) {
        if (chunk->is("IEND"))
            return true;
        if (std::none_of(kPlain.begin(), kPlain.end(), [&](std::string_view type) { return chunk->is(type); }))
            return false;
    }
    return false;
}

// JPEG: frames, tables, scans, restarts; of the application segments only
// JFIF's header, an ICC profile and Adobe's colour transform.
bool jpegHoldsOnlyPicture(const ByteReader &jpeg)
{
    JpegSegmentWalk segments(jpeg, JpegFill::Skipped);
    while (const auto segment = segments.next()) {
        const std::uint32_t code = segment->code;
        const std::uint64_t at = segment->at;
        if (code == kJpegEndOfImage)
            return true;
        const bool frame = code >= 0xC0 && code <= 0xCF; // frames, DHT, DAC
        const bool tables = code == 0xDB || code == 0xDD || code == kJpegStartOfScan;
        const bool plainApp = (code == 0xE0 && (hasText(jpeg, at + 4, "JFIF\0"sv) || hasText(jpeg, at + 4, "JFXX\0"sv)))
                              || (code == 0xE2 && hasText(jpeg, at + 4, "ICC_PROFILE\0"sv))
                              || (code == 0xEE && hasText(jpeg, at + 4, "Adobe"sv));
        if (segment->length == 0 || (!frame && !tables && !plainApp))
            return false;
    }
    return false;
}

// GIF: one frame, at most with its graphic control; no comment, text or
// application block (XMP, the animation loop).
bool gifHoldsOnlyPicture(const ByteReader &gif)
{
    GifBlockWalk blocks(gif);
    int frames = 0;
    while (const auto block = blocks.next()) {
        if (block->introducer == kGifTrailer)
            return frames == 1;
        const bool control = block->introducer == kGifExtension && gif.u8(block->at + 1) == kGifGraphicControl;
        const bool firstImage = block->introducer == kGifImage && ++frames == 1;
        if (!block->end || (!control && !firstImage))
            return false;
    }
    return false;
}

// TIFF: one page, and of its tags only those of the picture's structure
// and colour.
bool tiffHoldsOnlyPicture(std::span<const std::uint8_t> file)
{
    constexpr auto kStructure = std::to_array<std::uint16_t>(
        {254, 255, 256, 257, 258, 259, 262, 266, 273, 274, 277, 278, 279, 280, 281, 282, 283,
         284, 290, 291, 296, 317, 318, 319, 320, 322, 323, 324, 325, 338, 339, 340, 341, 532});
    const TiffStructure tiff(file);
    const auto first = tiff.firstDirectoryOffset();
    const auto directory = first ? tiff.directory(*first, kMostEntries) : std::nullopt;
    if (!directory || tiff.u32(directory->nextAt()) != 0u)
        return false;
    for (std::uint32_t i = 0; i < directory->count; ++i) {
        const auto entry = tiff.entry(*directory, i);
        if (!entry || (!contains(kStructure, entry->tag) && entry->tag != 34675)) // 34675: an ICC profile
            return false;
    }
    return true;
}

// TGA: no image id, no extension area (author, comments, dates, software),
// no developer area.
bool tgaHoldsOnlyPicture(const ByteReader &tga)
{
    constexpr auto kFooter = "TRUEVISION-XFILE.\0"sv;
    if (tga.u8(0) != 0u)
        return false;
    if (tga.size() < 26 || !hasText(tga, tga.size() - kFooter.size(), kFooter))
        return true;
    return tga.le32(tga.size() - 26) == 0u && tga.le32(tga.size() - 22) == 0u;
}

} // namespace

bool holdsOnlyPicture(std::span<const std::uint8_t> file, OutputFormat format)
{
    const ByteReader bytes(file);
    const Signature signature = decoderSignature(file.first(std::min(file.size(), kDecoderSignatureBytes)));
    switch (format) {
    case OutputFormat::Png: return signature == Signature::Png && pngHoldsOnlyPicture(bytes);
    case OutputFormat::Jpeg: return signature == Signature::Jpeg && jpegHoldsOnlyPicture(bytes);
    case OutputFormat::Gif: return signature == Signature::Gif && gifHoldsOnlyPicture(bytes);
    case OutputFormat::Tiff:
        return (signature == Signature::TiffLittleEndian || signature == Signature::TiffBigEndian)
               && tiffHoldsOnlyPicture(file);
    case OutputFormat::Bmp: return signature == Signature::Bmp;
    case OutputFormat::Tga: return signature == Signature::None && tgaHoldsOnlyPicture(bytes);
    // Not read here: such a source is never taken for its output.
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl: return false;
    }
    return false;
}

} // namespace imaging
