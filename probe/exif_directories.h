// The EXIF directories an output keeps, read from a source's block as each
// tag's rule has it and written anew: the parts of source_metadata shared by
// its EXIF block and a TIFF's own first directory.
#pragma once

#include "probe/source_metadata.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace imaging::exif {

// A JPEG segment holds 65533 bytes after its length, six of them "Exif\0\0".
inline constexpr std::size_t kLargestExif = 65533 - 6;
// More entries than any camera writes into one directory.
inline constexpr std::uint32_t kMostEntries = 1024;

inline constexpr std::uint16_t kOrientationTag = 274;
inline constexpr std::uint16_t kExifIfdTag = 34665;
inline constexpr std::uint16_t kGpsIfdTag = 34853;

inline bool contains(std::span<const std::uint16_t> tags, std::uint32_t tag)
{
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// The bytes of one element of a TIFF type, swapped as a unit when the byte
// order changes (a rational is two of them); 0 for a type not known.
std::uint32_t unitBytes(std::uint32_t type);

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    Bytes value; // little-endian, count * elementBytes(type) bytes
};

void putLe16(Bytes &out, std::uint32_t value);
void putLe32(Bytes &out, std::uint32_t value);
void putBe32(Bytes &out, std::uint32_t value);

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

// The kept entries of a block, in three directories.
struct KeptDirectories {
    std::vector<Entry> main;
    std::vector<Entry> exif;
    std::vector<Entry> gps;
};

Entry longEntry(std::uint16_t tag, std::uint32_t value);

// The entries of a block an output keeps; with `size`, of a source's block:
// the whitelisted ones, each read as its tag's rule has it, and those that
// describe the output (upright, its pixel size, sRGB, 72 dpi, as EXIF readers
// require them). Without, of a block keptExif made, all of them as they are.
std::optional<KeptDirectories> keptDirectories(std::span<const std::uint8_t> block, bool keepLocation,
                                               std::optional<std::pair<int, int>> size);

// Writes the kept directories into `out`, the first one's offset stored by
// the caller; `extra` are further entries of the first directory.
void writeDirectories(Writer &writer, KeptDirectories kept, std::vector<Entry> extra = {});

} // namespace imaging::exif
