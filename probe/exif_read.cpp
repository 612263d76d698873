#include "probe/exif_directories.h"

#include "probe/exif_tags.h"
#include "probe/tiff_ifd.h"

namespace imaging::exif {

std::uint32_t unitBytes(std::uint32_t type)
{
    const std::uint64_t bytes = tiffTypeBytes(type);
    return type == 5 || type == 10 ? 4 : std::uint32_t(bytes);
}

namespace {

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

} // namespace

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

} // namespace imaging::exif
