// Windows bitmaps in their everyday layouts, decoded by the program itself:
// uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel and bit-field masks. That
// covers what cameras, editors and Windows write, faster and in a quarter of
// the memory ImageMagick needs; run-length and embedded JPEG/PNG bitmaps are
// left to ImageMagick.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <optional>

namespace imaging {

struct BmpHeader {
    int width = 0;
    int height = 0; // always positive; see topDown
    bool topDown = false;
    int bitCount = 0;
    std::int64_t pixelOffset = 0;
    std::int64_t stride = 0; // bytes per stored row, padded to 4
    // Palette for 1, 4 and 8 bits: where it starts, how many entries, and
    // their size (3 bytes after the old 12-byte header, else 4).
    std::int64_t paletteOffset = 0;
    int paletteEntries = 0;
    int paletteEntrySize = 4;
    // Red, green, blue and alpha masks for 16 and 32 bits.
    std::array<std::uint32_t, 4> masks{};

    bool hasAlpha() const { return masks[3] != 0; }
    int bands() const { return hasAlpha() ? 4 : 3; }
};

// The header when the file is a bitmap this decoder reads; nothing for other
// files and for layouts to be left to ImageMagick.
std::optional<BmpHeader> parseBmpHeader(QByteArrayView file);

// Whether the file holds every row its header declares, so that no buffer is
// allocated for a picture the file cannot hold.
bool bmpHoldsPixels(QByteArrayView file, const BmpHeader &header);

// Decodes into `out`, width * height * bands() bytes, interleaved RGB(A), top
// row first. False when the file ends before the pixels do. An alpha channel
// that is zero everywhere is taken as absent (made opaque): many writers
// declare one and leave it empty.
bool decodeBmp(QByteArrayView file, const BmpHeader &header, unsigned char *out);

// `rgb` (width * height * 3 bytes, top row first) as the classic Windows
// bitmap: the 14-byte file header, the 40-byte BITMAPINFOHEADER with no
// resolution, then the rows bottom-up in BGR, each padded to four bytes. These
// are the bytes ImageMagick's BMP3 writer makes, without its limits on the
// size of a picture (16000 pixels a side, 128 megapixels in memory).
QByteArray encodeBmp24(const unsigned char *rgb, int width, int height);

} // namespace imaging
