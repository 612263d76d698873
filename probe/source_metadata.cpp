#include "probe/source_metadata.h"

#include "imaging/byte_order.h"
#include "imaging/checksum.h"
#include "imaging/gif_block_walk.h"
#include "imaging/png_chunk_walk.h"
#include "imaging/picture_formats.h"
#include "probe/exif_tags.h"
#include "probe/jpeg_segments.h"
#include "probe/signatures.h"
#include "probe/tiff_ifd.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace imaging {

namespace {

using namespace std::string_view_literals;

// A JPEG segment holds 65533 bytes after its length, six of them "Exif\0\0".
constexpr std::size_t kLargestExif = 65533 - 6;
// More entries than any camera writes into one directory.
constexpr std::uint32_t kMostEntries = 1024;

constexpr std::uint16_t kOrientationTag = 274;
constexpr std::uint16_t kExifIfdTag = 34665;
constexpr std::uint16_t kGpsIfdTag = 34853;

bool contains(std::span<const std::uint16_t> tags, std::uint32_t tag)
{
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// The bytes of one element of a TIFF type, swapped as a unit when the byte
// order changes (a rational is two of them); 0 for a type not known.
std::uint32_t unitBytes(std::uint32_t type)
{
    const std::uint64_t bytes = tiffTypeBytes(type);
    return type == 5 || type == 10 ? 4 : std::uint32_t(bytes);
}

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    Bytes value; // little-endian, count * elementBytes(type) bytes
};

// The entry with its value turned from the structure's byte order to little-endian.
Entry inLittleEndian(const TiffStructure &tiff, Entry entry)
{
    const std::uint32_t unit = unitBytes(entry.type);
    if (tiff.bigEndian() && unit > 1) {
        for (std::size_t u = 0; u + unit <= entry.value.size(); u += unit)
            std::reverse(entry.value.begin() + std::ptrdiff_t(u), entry.value.begin() + std::ptrdiff_t(u + unit));
    }
    return entry;
}

// The value of an entry as its tag's rule has it, in little-endian order:
// its type and count, or for text the characters up to its first zero, all
// printable, and a zero after them. Nothing for an entry that is not so.
std::optional<Entry> typedValue(const TiffStructure &tiff, const TiffEntry &found, const ExifTagRule &rule)
{
    if (found.type != rule.type)
        return std::nullopt;
    if (rule.type == 2) { // ASCII
        const std::uint32_t most = rule.count ? rule.count : kLongestExifText;
        const auto stretch = tiff.bytes().bytes(found.valueAt, std::min(found.count, most));
        if (!stretch)
            return std::nullopt;
        // Room for the zero that ends it.
        const auto last = stretch->begin() + std::ptrdiff_t(std::min<std::size_t>(stretch->size(), most - 1));
        const auto end = std::find(stretch->begin(), last, 0);
        const auto printable = [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; };
        if (end == stretch->begin() || !std::all_of(stretch->begin(), end, printable))
            return std::nullopt;
        Bytes text(stretch->begin(), end);
        text.push_back(0);
        const auto count = std::uint32_t(text.size());
        return Entry{rule.tag, rule.type, count, std::move(text)};
    }
    if (found.count != rule.count)
        return std::nullopt;
    const auto stretch = tiff.bytes().bytes(found.valueAt, found.valueBytes);
    if (!stretch)
        return std::nullopt;
    return inLittleEndian(tiff, {rule.tag, rule.type, found.count, Bytes(stretch->begin(), stretch->end())});
}

// The entries of the directory at `offset`: of a source's block those whose
// tags `directory` keeps, each read as its rule has it; of a block keptExif
// made (`directory` nothing), all but the pointers to other directories, as
// they are. An entry whose value lies outside the block is dropped.
std::vector<Entry> readDirectory(const TiffStructure &tiff, std::uint64_t offset,
                                 std::optional<ExifDirectory> directoryKind)
{
    std::vector<Entry> entries;
    const auto directory = tiff.directory(offset, kMostEntries);
    if (!directory || !tiff.bytes().holds(offset + 2, 12 * std::uint64_t(directory->count)))
        return entries;
    for (std::uint32_t i = 0; i < directory->count; ++i) {
        const TiffEntry found = *tiff.entry(*directory, i);
        if (directoryKind) {
            const auto rule = keptExifTag(*directoryKind, found.tag);
            if (auto entry = rule ? typedValue(tiff, found, *rule) : std::nullopt)
                entries.push_back(std::move(*entry));
            continue;
        }
        const auto stretch = found.tag != kExifIfdTag && found.tag != kGpsIfdTag && unitBytes(found.type) != 0
                                     && found.count != 0 && found.valueBytes <= kLargestExif
                                 ? tiff.bytes().bytes(found.valueAt, found.valueBytes)
                                 : std::nullopt;
        if (stretch)
            entries.push_back(inLittleEndian(tiff, {std::uint16_t(found.tag), std::uint16_t(found.type), found.count,
                                                    Bytes(stretch->begin(), stretch->end())}));
    }
    return entries;
}

// The offset a directory's pointer entry (EXIF, GPS) holds, when it has one.
std::optional<std::uint32_t> pointerIn(const TiffStructure &tiff, std::uint64_t offset, std::uint32_t pointerTag)
{
    const auto directory = tiff.directory(offset, kMostEntries);
    if (!directory)
        return std::nullopt;
    for (std::uint32_t i = 0; i < directory->count; ++i) {
        const auto entry = tiff.entry(*directory, i);
        if (!entry)
            return std::nullopt;
        // LONG or IFD as the standard has it; SLONG as some writers store
        // it, taken while it is not negative.
        const auto pointer = entry->tag == pointerTag && entry->count == 1 ? tiff.u32(entry->at + 8) : std::nullopt;
        if (pointer && (entry->type == 4 || entry->type == 13 || (entry->type == 9 && *pointer < 0x80000000u)))
            return pointer;
    }
    return std::nullopt;
}

void putLe16(Bytes &out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void putLe32(Bytes &out, std::uint32_t value)
{
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

void putBe32(Bytes &out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

// Writes the directory of `entries` at out.size() (offsets counted from
// `base`, the position of the structure's start in `out`), its long values
// after it, each on an even offset; an entry whose value is a directory
// pointer gets the offset that `pointers` assigns later. In `bigEndian`
// order when the structure is a big-endian TIFF's.
struct Writer {
    Bytes &out;
    std::size_t base;
    bool bigEndian;

    void u16(std::uint32_t value)
    {
        if (bigEndian) {
            out.push_back(std::uint8_t(value >> 8));
            out.push_back(std::uint8_t(value));
        } else {
            putLe16(out, value);
        }
    }
    void u32(std::uint32_t value) { bigEndian ? putBe32(out, value) : putLe32(out, value); }
    void at(std::size_t position, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            out[position + std::size_t(i)] = std::uint8_t(bigEndian ? value >> (24 - 8 * i) : value >> (8 * i));
    }
    // A little-endian value in this writer's order.
    Bytes ordered(const Entry &entry) const
    {
        Bytes value = entry.value;
        const std::uint32_t unit = unitBytes(entry.type);
        if (bigEndian && unit > 1) {
            for (std::size_t u = 0; u + unit <= value.size(); u += unit)
                std::reverse(value.begin() + std::ptrdiff_t(u), value.begin() + std::ptrdiff_t(u + unit));
        }
        return value;
    }

    // The directory's entries sorted by tag; returns the positions in `out`
    // of the value fields of the tags in `pointerTags`, to be filled in.
    std::vector<std::pair<std::uint16_t, std::size_t>> directory(std::vector<Entry> entries, std::uint32_t next,
                                                                 std::span<const std::uint16_t> pointerTags)
    {
        std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
        std::vector<std::pair<std::uint16_t, std::size_t>> pointers;
        if (out.size() % 2)
            out.push_back(0);
        const std::size_t start = out.size();
        std::size_t valuesAt = start + 2 + 12 * entries.size() + 4;
        u16(std::uint32_t(entries.size()));
        std::vector<std::pair<std::size_t, Bytes>> later;
        for (const Entry &entry : entries) {
            u16(entry.tag);
            u16(entry.type);
            u32(entry.count);
            const Bytes value = ordered(entry);
            if (contains(pointerTags, entry.tag)) {
                pointers.emplace_back(entry.tag, out.size());
                u32(0);
            } else if (value.size() <= 4) {
                out.insert(out.end(), value.begin(), value.end());
                out.insert(out.end(), 4 - value.size(), 0);
            } else {
                u32(std::uint32_t(valuesAt - base));
                later.emplace_back(valuesAt, value);
                valuesAt += value.size() + value.size() % 2;
            }
        }
        u32(next);
        for (const auto &[position, value] : later) {
            out.resize(position, 0);
            out.insert(out.end(), value.begin(), value.end());
        }
        if (out.size() % 2)
            out.push_back(0);
        return pointers;
    }
};

Entry longEntry(std::uint16_t tag, std::uint32_t value)
{
    Entry entry{tag, 4, 1, {}};
    putLe32(entry.value, value);
    return entry;
}

// The kept entries of a block, in three directories.
struct KeptDirectories {
    std::vector<Entry> main;
    std::vector<Entry> exif;
    std::vector<Entry> gps;
};

Entry shortEntry(std::uint16_t tag, std::uint32_t value)
{
    Entry entry{tag, 3, 1, {}};
    putLe16(entry.value, value);
    return entry;
}

Entry rationalEntry(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator)
{
    Entry entry{tag, 5, 1, {}};
    putLe32(entry.value, numerator);
    putLe32(entry.value, denominator);
    return entry;
}

// The entries of a block an output keeps; with `size`, of a source's block:
// the whitelisted ones, and those that describe the output (upright, its
// pixel size, sRGB, 72 dpi, as EXIF readers require them). Without, of a
// block keptExif made, all of them as they are.
std::optional<KeptDirectories> keptDirectories(std::span<const std::uint8_t> block, bool keepLocation,
                                               std::optional<std::pair<int, int>> size)
{
    const TiffStructure tiff(block);
    const auto first = tiff.firstDirectoryOffset();
    if (!first)
        return std::nullopt;
    const bool source = size.has_value();
    KeptDirectories kept;
    auto kind = [&](ExifDirectory directory) { return source ? std::optional(directory) : std::nullopt; };
    kept.main = readDirectory(tiff, *first, kind(ExifDirectory::Main));
    if (const auto exif = pointerIn(tiff, *first, kExifIfdTag))
        kept.exif = readDirectory(tiff, *exif, kind(ExifDirectory::Exif));
    if (keepLocation) {
        if (const auto gps = pointerIn(tiff, *first, kGpsIfdTag))
            kept.gps = readDirectory(tiff, *gps, kind(ExifDirectory::Gps));
    }
    if (kept.main.empty() && kept.exif.empty() && kept.gps.empty())
        return std::nullopt;
    if (source) {
        kept.main.push_back(shortEntry(kOrientationTag, 1));
        kept.main.push_back(rationalEntry(282, 72, 1)); // XResolution
        kept.main.push_back(rationalEntry(283, 72, 1)); // YResolution
        kept.main.push_back(shortEntry(296, 2));        // ResolutionUnit: inches
        kept.main.push_back(shortEntry(531, 1));        // YCbCrPositioning: centred
        kept.exif.push_back(shortEntry(40961, 1));      // ColorSpace: sRGB
        kept.exif.push_back(longEntry(40962, std::uint32_t(size->first)));
        kept.exif.push_back(longEntry(40963, std::uint32_t(size->second)));
    }
    return kept;
}

// Writes the kept directories into `out`, the first one's offset stored by
// the caller; `extra` are further entries of the first directory.
void writeDirectories(Writer &writer, KeptDirectories kept, std::vector<Entry> extra = {})
{
    constexpr std::array<std::uint16_t, 2> pointerTags{kExifIfdTag, kGpsIfdTag};
    for (Entry &entry : extra)
        kept.main.push_back(std::move(entry));
    if (!kept.exif.empty())
        kept.main.push_back(longEntry(kExifIfdTag, 0));
    if (!kept.gps.empty())
        kept.main.push_back(longEntry(kGpsIfdTag, 0));
    const auto pointers = writer.directory(std::move(kept.main), 0, pointerTags);
    for (const auto &[tag, position] : pointers) {
        const std::vector<Entry> &entries = tag == kExifIfdTag ? kept.exif : kept.gps;
        if (writer.out.size() % 2)
            writer.out.push_back(0);
        writer.at(position, std::uint32_t(writer.out.size() - writer.base));
        writer.directory(entries, 0, {});
    }
}

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
