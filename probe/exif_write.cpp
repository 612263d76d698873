#include "probe/exif_directories.h"

namespace imaging::exif {

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

Entry longEntry(std::uint16_t tag, std::uint32_t value)
{
    Entry entry{tag, 4, 1, {}};
    putLe32(entry.value, value);
    return entry;
}

void writeDirectories(Writer &writer, KeptDirectories kept, std::vector<Entry> extra)
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

} // namespace imaging::exif
