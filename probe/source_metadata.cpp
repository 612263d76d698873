#include "probe/source_metadata.h"

#include "imaging/byte_order.h"
#include "imaging/checksum.h"
#include "imaging/picture_formats.h"
#include "imaging/png_chunk_walk.h"
#include "probe/exif_directories.h"
#include "probe/jpeg_segments.h"
#include "probe/signatures.h"
#include "probe/tiff_ifd.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace imaging {

using namespace exif;

namespace {

using namespace std::string_view_literals;

Bytes jpegWithExif(std::span<const std::uint8_t> file, std::span<const std::uint8_t> exif)
{
    const ByteReader jpeg(file);
    std::uint64_t at = 2;
    // After the JFIF header, which must come first.
    if (jpeg.be16(at) == 0xFFE0u) {
        const auto length = jpeg.be16(at + 2);
        if (!length || !jpeg.holds(at + 2, *length))
            return Bytes(file.begin(), file.end());
        at += 2 + *length;
    }
    Bytes out(file.begin(), file.begin() + std::ptrdiff_t(at));
    out.push_back(0xFF);
    out.push_back(0xE1);
    const std::size_t length = 2 + 6 + exif.size();
    out.push_back(std::uint8_t(length >> 8));
    out.push_back(std::uint8_t(length));
    for (const char c : "Exif\0\0"sv)
        out.push_back(std::uint8_t(c));
    out.insert(out.end(), exif.begin(), exif.end());
    out.insert(out.end(), file.begin() + std::ptrdiff_t(at), file.end());
    return out;
}

Bytes pngWithExif(std::span<const std::uint8_t> file, std::span<const std::uint8_t> exif)
{
    // The signature and the 25 bytes of IHDR; eXIf goes before the pixels.
    constexpr std::size_t kAfterHeader = 8 + 25;
    if (file.size() < kAfterHeader)
        return Bytes(file.begin(), file.end());
    Bytes out(file.begin(), file.begin() + kAfterHeader);
    putBe32(out, std::uint32_t(exif.size()));
    const std::size_t typeAt = out.size();
    for (const char c : "eXIf"sv)
        out.push_back(std::uint8_t(c));
    out.insert(out.end(), exif.begin(), exif.end());
    putBe32(out, crc32(std::span(out).subspan(typeAt)));
    out.insert(out.end(), file.begin() + kAfterHeader, file.end());
    return out;
}

// The kept entries join the TIFF's own first directory, written anew at the
// end of the file with the EXIF and GPS directories after it; the header
// then points to it. Its old entries keep their values where they are.
Bytes tiffWithExif(std::span<const std::uint8_t> file, std::span<const std::uint8_t> exif)
{
    const TiffStructure tiff(file);
    const auto first = tiff.firstDirectoryOffset();
    auto kept = keptDirectories(exif, true, std::nullopt);
    const auto directory = first ? tiff.directory(*first, kMostEntries) : std::nullopt;
    if (!kept || !directory || !tiff.bytes().holds(*first + 2, 12 * std::uint64_t(directory->count)))
        return Bytes(file.begin(), file.end());
    Bytes out(file.begin(), file.end());
    Writer writer{out, 0, tiff.bigEndian()};
    // The file's own entries stay as they are, twelve bytes each: their
    // offsets into the file stay right, and short values keep its order.
    // The writer lays out placeholders of the same tags (UNDEFINED, 4 bytes
    // inline, a type no kept entry of the first directory has), which are
    // then overwritten by them.
    std::vector<std::array<std::uint8_t, 12>> own;
    std::vector<Entry> placeholders;
    for (std::uint32_t i = 0; i < directory->count; ++i) {
        const auto entry = tiff.bytes().bytes<12>(*first + 2 + 12 * std::uint64_t(i));
        std::array<std::uint8_t, 12> copy{};
        std::copy(entry->begin(), entry->end(), copy.begin());
        own.push_back(copy);
        placeholders.push_back({std::uint16_t(*tiff.u16(*first + 2 + 12 * std::uint64_t(i))), 7, 4, Bytes(4, 0)});
    }
    // What the file states itself (its orientation 1, its resolution) is
    // not added again; nor how a JPEG places its chroma.
    std::erase_if(kept->main, [&](const Entry &entry) {
        return entry.tag == 531 || std::any_of(placeholders.begin(), placeholders.end(), [&](const Entry &placeholder) {
                   return placeholder.tag == entry.tag;
               });
    });
    if (out.size() % 2)
        out.push_back(0);
    const std::size_t directoryAt = out.size();
    writeDirectories(writer, std::move(*kept), placeholders);
    const TiffStructure written(out);
    const std::uint32_t entries = *written.u16(directoryAt);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = directoryAt + 2 + 12 * std::size_t(i);
        const std::uint32_t tag = *written.u16(at);
        if (*written.u16(at + 2) != 7)
            continue;
        for (std::size_t j = 0; j < placeholders.size(); ++j) {
            if (placeholders[j].tag == tag) {
                std::copy(own[j].begin(), own[j].end(), out.begin() + std::ptrdiff_t(at));
                break;
            }
        }
    }
    writer.at(4, std::uint32_t(directoryAt));
    return out;
}

} // namespace

std::span<const std::uint8_t> findExifBlock(std::span<const std::uint8_t> file)
{
    const ByteReader bytes(file);
    auto stretch = [&](std::uint64_t at, std::uint64_t length) -> std::span<const std::uint8_t> {
        const auto found = bytes.bytes(at, length);
        return found ? *found : std::span<const std::uint8_t>();
    };
    const Signature signature = decoderSignature(file.first(std::min(file.size(), kDecoderSignatureBytes)));
    switch (signature) {
    case Signature::Jpeg:
        for (std::uint64_t at = 2;;) {
            const auto segment = jpegSegmentAt(bytes, at);
            if (!segment || segment->length == 0 || segment->code == kJpegStartOfScan)
                return {};
            if (segment->code == 0xE1 && segment->length >= 8 && hasText(bytes, at + 4, "Exif\0\0"sv))
                return stretch(at + 10, segment->length - 8u);
            at = segment->end();
        }
    case Signature::Png: {
        PngChunkWalk chunks(bytes);
        while (const auto chunk = chunks.next()) {
            if (chunk->is("IEND"))
                return {};
            if (chunk->is("eXIf"))
                return stretch(chunk->data(), chunk->length);
        }
        return {};
    }
    case Signature::TiffLittleEndian:
    case Signature::TiffBigEndian: return file;
    default: break;
    }
    if (probeOnlySignature(file.first(std::min(file.size(), kProbeOnlySignatureBytes))) == ProbeOnlySignature::WebP) {
        for (std::uint64_t at = 12;;) {
            const auto length = bytes.le32(at + 4);
            if (!length || !bytes.holds(at, 8 + std::uint64_t(*length)))
                return {};
            if (hasText(bytes, at, "EXIF"sv)) {
                // Some writers put JPEG's "Exif\0\0" in front of the structure.
                const std::uint64_t skip = hasText(bytes, at + 8, "Exif\0\0"sv) ? 6 : 0;
                return *length >= skip ? stretch(at + 8 + skip, *length - skip) : std::span<const std::uint8_t>();
            }
            at += 8 + std::uint64_t(*length) + (*length & 1);
        }
    }
    return {};
}

Bytes keptExif(std::span<const std::uint8_t> block, bool keepLocation, int width, int height)
{
    auto kept = keptDirectories(block, keepLocation, std::pair{width, height});
    if (!kept)
        return {};
    Bytes out{'I', 'I', 42, 0};
    putLe32(out, 8);
    Writer writer{out, 0, false};
    writeDirectories(writer, std::move(*kept));
    if (out.size() > kLargestExif)
        return {};
    return out;
}

Bytes withExif(std::span<const std::uint8_t> file, OutputFormat format, std::span<const std::uint8_t> exif)
{
    if (exif.empty())
        return Bytes(file.begin(), file.end());
    switch (format) {
    case OutputFormat::Jpeg: return jpegWithExif(file, exif);
    case OutputFormat::Png: return pngWithExif(file, exif);
    case OutputFormat::Tiff: return tiffWithExif(file, exif);
    case OutputFormat::Bmp:
    case OutputFormat::Gif:
    case OutputFormat::Tga:
    // The newer formats are written without metadata whatever is asked.
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl: break;
    }
    return Bytes(file.begin(), file.end());
}

} // namespace imaging
