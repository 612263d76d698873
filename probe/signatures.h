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

// The formats whose size the probe reads but that no decoder takes yet, kept
// apart from Signature so that the decoder's choices stay as they are.
enum class ProbeOnlySignature {
    None,
    WebP,             // "RIFF", 4 bytes of size, "WEBP"
    IsoBaseMedia,     // a box file opening with `ftyp`: HEIF and AVIF among others, the brands tell
    JpegXlCodestream, // FF 0A
    JpegXlContainer,  // the 12-byte `JXL ` signature box
};

// The probe's tests for them, on the first kProbeOnlySignatureBytes bytes.
inline constexpr std::size_t kProbeOnlySignatureBytes = 12;
ProbeOnlySignature probeOnlySignature(std::span<const std::uint8_t> head);

} // namespace imaging
