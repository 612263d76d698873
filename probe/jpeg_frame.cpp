#include "probe/jpeg_frame.h"

#include "probe/tiff_directory.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

constexpr std::uint8_t kFill = 0xFF;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp1 = 0xE1;

// Frame headers of every coding process (baseline, extended, progressive,
// lossless; Huffman or arithmetic, plain or differential). 0xC4, 0xC8 and 0xCC
// sit in the same range but are tables and a reserved code, not frames.
bool isFrameHeader(std::uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The position of the next marker code at or after `from`: the byte after a
// 0xFF that is not itself 0xFF, so fill bytes before a marker are passed over.
// Reads a small window at a time rather than a syscall per byte.
std::optional<std::uint64_t> findMarkerCode(ByteSource &bytes, std::uint64_t from)
{
    std::array<std::uint8_t, 32> window{};
    const std::uint64_t size = bytes.size();
    while (from < size && size - from >= 2) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(window.size(), size - from));
        if (!readAt(bytes, from, std::span(window.data(), n)))
            return std::nullopt;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (window[i] == kFill && window[i + 1] != kFill)
                return from + i + 1;
        }
        // The last byte may be the 0xFF of a marker split across windows.
        from += n - 1;
    }
    return std::nullopt;
}

// The orientation in an APP1 segment of `length` bytes (its length field
// included) whose length field starts at `at`, when it holds EXIF data: "Exif",
// two zeros, then a little TIFF file of its own.
std::optional<int> exifBlockOrientation(ByteSource &bytes, std::uint64_t at, std::uint32_t length)
{
    constexpr std::uint64_t kExifHeader = 6;
    std::array<std::uint8_t, kExifHeader> head{};
    if (length < 2 + head.size() + 4 || !readAt(bytes, at + 2, head))
        return std::nullopt;
    if (!std::equal(head.begin(), head.begin() + kExifHeader, "Exif\0\0"))
        return std::nullopt;
    WindowByteSource block(bytes, at + 2 + kExifHeader, length - 2 - kExifHeader);
    if (const std::optional<int> orientation = embeddedTiffOrientation(block))
        return orientation;
    return 1; // EXIF, but not in a form any reader takes: no orientation
}

} // namespace

PictureHeader jpegFrameHeader(ByteSource &bytes)
{
    std::optional<int> orientation;
    std::uint64_t next = 2;
    for (;;) {
        const std::optional<std::uint64_t> code = findMarkerCode(bytes, next);
        if (!code)
            return {};
        // Marker code, segment length and, in a frame header, the sample
        // precision, the height and the width.
        std::array<std::uint8_t, 8> marker{};
        const std::size_t available = std::size_t(std::min<std::uint64_t>(marker.size(), bytes.size() - *code));
        if (!readAt(bytes, *code, std::span(marker.data(), available)))
            return {};
        const ByteReader segment(std::span(marker.data(), available));
        // A frame header always comes before the first scan; past the scan or
        // the end of the image there are only picture data and trailers.
        if (marker[0] == kStartOfScan || marker[0] == kEndOfImage)
            return {};
        // The length counts its own two bytes, so anything shorter is damage.
        const std::optional<std::uint32_t> length = segment.be16(1);
        if (!length || *length < 2)
            return {};
        if (isFrameHeader(marker[0])) {
            const auto height = segment.be16(4);
            const auto width = segment.be16(6);
            if (*length < 7 || !height || !width)
                return {};
            return {{std::int32_t(*width), std::int32_t(*height)}, orientation.value_or(1)};
        }
        // Only the first EXIF block counts, as for libjpeg's readers.
        if (marker[0] == kApp1 && !orientation)
            orientation = exifBlockOrientation(bytes, *code + 1, *length);
        // Each step moves past at least the code and the length, so the walk ends.
        next = *code + 1 + *length;
    }
}

} // namespace imaging
