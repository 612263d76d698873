#include "probe/signatures.h"

#include "imaging/byte_order.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace imaging {

namespace {

using namespace std::string_view_literals;

constexpr auto kPng = "\x89PNG\r\n\x1A\n"sv;
constexpr auto kJpeg = "\xFF\xD8\xFF"sv;

bool startsWith(std::span<const std::uint8_t> head, std::string_view signature)
{
    return hasText(ByteReader(head), 0, signature);
}

// What both sets of tests agree on.
Signature commonSignature(std::span<const std::uint8_t> head)
{
    if (startsWith(head, kJpeg))
        return Signature::Jpeg;
    if (startsWith(head, "BM"sv))
        return Signature::Bmp;
    if (startsWith(head, "II*\0"sv))
        return Signature::TiffLittleEndian;
    if (startsWith(head, "MM\0*"sv))
        return Signature::TiffBigEndian;
    if (startsWith(head, "II+\0"sv))
        return Signature::BigTiffLittleEndian;
    if (startsWith(head, "MM\0+"sv))
        return Signature::BigTiffBigEndian;
    return Signature::None;
}

} // namespace

Signature probeSignature(std::span<const std::uint8_t> head)
{
    // The probe reads sizes by the four-byte tests it always has: a file
    // that only starts like a PNG or a GIF still gets the size its header
    // states (its decoding then fails on its own).
    if (head.size() < 4)
        return Signature::None;
    if (startsWith(head, kPng.substr(0, 4)))
        return Signature::Png;
    if (startsWith(head, "\0\0\1\0"sv))
        return Signature::Icon;
    if (startsWith(head, "GIF8"sv))
        return Signature::Gif;
    if (startsWith(head, "8BPS"sv))
        return Signature::Photoshop;
    return commonSignature(head);
}

Signature decoderSignature(std::span<const std::uint8_t> head)
{
    if (startsWith(head, kPng))
        return Signature::Png;
    if (startsWith(head, "GIF87a"sv) || startsWith(head, "GIF89a"sv))
        return Signature::Gif;
    return commonSignature(head);
}

ProbeOnlySignature probeOnlySignature(std::span<const std::uint8_t> head)
{
    if (startsWith(head, "RIFF"sv) && startsWith(head.subspan(std::min<std::size_t>(8, head.size())), "WEBP"sv))
        return ProbeOnlySignature::WebP;
    if (startsWith(head, "\0\0\0\x0CJXL \r\n\x87\n"sv))
        return ProbeOnlySignature::JpegXlContainer;
    if (startsWith(head, "\xFF\x0A"sv))
        return ProbeOnlySignature::JpegXlCodestream;
    if (startsWith(head.subspan(std::min<std::size_t>(4, head.size())), "ftyp"sv))
        return ProbeOnlySignature::IsoBaseMedia;
    return ProbeOnlySignature::None;
}

} // namespace imaging
