// The signatures that tell picture files apart by their first bytes, for the
// header probe and the decoder alike.
#pragma once

#include <cstdint>
#include <span>

namespace imaging {

enum class Signature {
    None,
    Png,
    Gif,
    Jpeg,
    Bmp,
    Icon,
    Photoshop,
    TiffLittleEndian,
    TiffBigEndian,
    BigTiffLittleEndian,
    BigTiffBigEndian,
};

// The header probe's tests, on the first four bytes: PNG's first four, "GIF8",
// JPEG's three, "BM", an icon directory, "8BPS", and the four TIFF headers.
// Fewer than four bytes match nothing.
Signature probeSignature(std::span<const std::uint8_t> head);

// The decoder's tests, on as many bytes as the loaders check themselves
// (kDecoderSignatureBytes): PNG's whole eight bytes and "GIF87a" or "GIF89a",
// so nothing reaches a loader that would refuse it. Icons and Photoshop files
// have a size for the probe but are not decoded: None.
inline constexpr std::size_t kDecoderSignatureBytes = 8;
Signature decoderSignature(std::span<const std::uint8_t> head);

} // namespace imaging
