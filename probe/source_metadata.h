// What of a source's metadata an output may carry, read by the program itself
// with bounded reads and written anew: never copied blindly from the source,
// never taken from a worker. Plain C++, so that a fuzzer takes it whole.
//
// EXIF is kept from a whitelist: the date taken, the camera and lens makes
// and models, the exposure, the artist and copyright. The orientation is
// written as 1 (outputs are upright), the pixel dimensions and colour space
// are left out (the output has its own, and is sRGB), the embedded thumbnail
// (IFD1) and the interoperability directory go, and so does everything not on
// the list: maker notes, serial numbers, owner names, user comments, unique
// ids. Each kept value is read as the type and count its tag has
// (probe/exif_tags.h), text up to its first zero, and written anew. The GPS
// directory is kept only when asked for. XMP and IPTC are never
// kept: either may restate the orientation, the size or the location in a
// form this program does not read, and would then describe the output wrongly.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imaging {

enum class OutputFormat;

using Bytes = std::vector<std::uint8_t>;

// Where the source keeps its EXIF, a TIFF structure: a JPEG's APP1 "Exif"
// segment, a PNG's eXIf chunk, a WebP's EXIF chunk, or a TIFF file's own first
// directory. Empty when there is none (other formats, or a damaged file).
std::span<const std::uint8_t> findExifBlock(std::span<const std::uint8_t> file);

// The EXIF block (a little-endian TIFF structure, "II*\0" first) that an
// output of width x height may carry of `block`: the whitelisted entries of
// its first directory and its EXIF directory, those of the GPS directory when
// `keepLocation`, and what describes the output: orientation 1, its pixel
// size, sRGB, 72 dpi. Empty when nothing of the block is kept or it cannot be
// read. Values pointing outside the block are dropped, never followed.
Bytes keptExif(std::span<const std::uint8_t> block, bool keepLocation, int width, int height);

// The output file `file` (as the program's encoders write it, checked) with
// `exif` (from keptExif) added where its format keeps EXIF: an APP1 segment
// after a JPEG's JFIF header, an eXIf chunk after a PNG's IHDR, the entries
// and directories in a TIFF's own first directory. The file unchanged for a
// format without EXIF, for an empty block, or when the block does not fit
// (a JPEG segment holds 64 KiB).
Bytes withExif(std::span<const std::uint8_t> file, OutputFormat format, std::span<const std::uint8_t> exif);

// True when the file, taken as the output format it has the signature of,
// holds nothing but its pixels and how to show them (a palette, transparency,
// a colour profile, gamma, density): no EXIF, XMP, IPTC, text, comments,
// dates, a second frame or page, nor anything this reading does not know.
// Such a file may stand in for its output as it is (--no-larger).
bool holdsOnlyPicture(std::span<const std::uint8_t> file, OutputFormat format);

} // namespace imaging
