#include "probe/jxl_codestream.h"

#include "probe/jxl_bits.h"

#include <array>

namespace imaging {

namespace {

using Distributions = std::array<JxlBitReader::Distribution, 4>;

constexpr Distributions kEnum{{{0, 0}, {1, 0}, {2, 4}, {18, 6}}};
constexpr Distributions kSide{{{1, 9}, {1, 13}, {1, 18}, {1, 30}}};
constexpr Distributions kChromaticity{{{0, 19}, {524288, 19}, {1048576, 20}, {2097152, 21}}};
constexpr Distributions kTocEntry{{{0, 10}, {1024, 14}, {17408, 22}, {4211712, 30}}};

constexpr std::uint32_t kGrey = 1, kXyb = 2;
constexpr std::uint32_t kCustom = 2; // of the white point and the primaries
constexpr std::uint64_t kUseLfFrame = 32;
// An LF frame for each of its levels, and the picture.
constexpr int kMostFrames = 5;

// A run of fields read one after another; the first that cannot be read, or
// that has a value the program's encoder never writes, fails the whole.
struct Fields {
    JxlBitReader &read;
    bool ok = true;

    std::uint32_t bits(int count)
    {
        const auto value = ok ? read.bits(count) : std::nullopt;
        ok = ok && value.has_value();
        return value.value_or(0);
    }
    bool flag() { return bits(1) != 0; }
    std::uint64_t u32(const Distributions &d)
    {
        const auto value = ok ? read.u32(d) : std::nullopt;
        ok = ok && value.has_value();
        return value.value_or(0);
    }
    std::uint64_t u64()
    {
        const auto value = ok ? read.u64() : std::nullopt;
        ok = ok && value.has_value();
        return value.value_or(0);
    }
    void skip(std::uint64_t count) { ok = ok && read.skip(count); }
    void require(bool condition) { ok = ok && condition; }
};

std::uint64_t side(Fields &f, bool small) { return small ? (f.bits(5) + 1) * 8 : f.u32(kSide); }

// The width from the height and a ratio code 1 to 7.
std::uint64_t widthForRatio(std::uint32_t ratio, std::uint64_t height)
{
    constexpr std::array<std::array<std::uint64_t, 2>, 8> kRatio{
        {{0, 1}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}}};
    return height * kRatio[ratio][0] / kRatio[ratio][1];
}

void colourEncoding(Fields &f)
{
    if (f.flag()) // all default: sRGB
        return;
    f.require(!f.flag()); // an ICC profile
    const std::uint64_t space = f.u32(kEnum);
    if (space != kXyb && f.u32(kEnum) == kCustom) { // the white point
        f.u32(kChromaticity);
        f.u32(kChromaticity);
    }
    if (space != kGrey && space != kXyb && f.u32(kEnum) == kCustom) { // the primaries
        for (int i = 0; i < 6; ++i)
            f.u32(kChromaticity);
    }
    if (space != kXyb) {
        if (f.flag())
            f.bits(24); // gamma
        else
            f.u32(kEnum); // transfer function
    }
    f.u32(kEnum); // rendering intent
    f.require(space <= 3); // RGB, grey, XYB or unknown
}

constexpr Distributions kNameLength{{{0, 0}, {0, 4}, {16, 5}, {48, 10}}};

// The one extra channel the program's encoder writes: the picture's alpha,
// at any depth, of full size.
void alphaChannelInfo(Fields &f)
{
    if (f.flag()) // all default: 8-bit alpha
        return;
    f.require(f.u32(kEnum) == 0); // the type: alpha
    if (f.flag()) {               // floating-point samples: their bits and exponent bits
        f.u32({{{32, 0}, {16, 0}, {24, 0}, {1, 6}}});
        f.bits(4);
    } else {
        f.u32({{{8, 0}, {10, 0}, {12, 0}, {1, 6}}});
    }
    f.require(f.u32({{{0, 0}, {3, 0}, {4, 0}, {1, 3}}}) == 0); // not subsampled
    f.skip(8 * f.u32(kNameLength));
    f.flag(); // premultiplied or not
}

// What the image metadata says of the picture.
struct Metadata {
    bool xyb = true;
    std::uint64_t extraChannels = 0; // 0, or 1: its alpha
};

// The image metadata and the transform data after it.
Metadata imageMetadata(Fields &f)
{
    Metadata metadata;
    if (f.flag())
        return metadata;
    const bool extra = f.flag();
    if (extra) {
        f.require(f.bits(3) == 0); // orientation 1
        f.require(!f.flag());      // an intrinsic size
        f.require(!f.flag());      // a preview
        f.require(!f.flag());      // an animation
    }
    f.require(!f.flag()); // floating-point samples
    f.u32({{{8, 0}, {10, 0}, {12, 0}, {1, 6}}});
    f.flag(); // 16-bit buffers suffice
    metadata.extraChannels = f.u32({{{0, 0}, {1, 0}, {2, 4}, {1, 12}}});
    f.require(metadata.extraChannels <= 1);
    if (metadata.extraChannels == 1)
        alphaChannelInfo(f);
    metadata.xyb = f.flag();
    colourEncoding(f);
    if (extra && !f.flag()) // tone mapping not default: three F16 and a flag
        f.skip(16 + 16 + 1 + 16);
    f.require(f.u64() == 0); // extensions
    return metadata;
}

void transformData(Fields &f, bool xyb)
{
    if (f.flag())
        return;
    if (xyb && !f.flag())
        f.skip(16 * 16); // the opsin inverse matrix, biases and quantization biases
    const std::uint32_t weights = f.bits(3);
    f.skip(16 * ((weights & 1 ? 15 : 0) + (weights & 2 ? 55 : 0) + (weights & 4 ? 210 : 0)));
}

void loopFilter(Fields &f, bool modular)
{
    if (f.flag())
        return;
    if (f.flag() && f.flag()) // Gabor-like smoothing with custom weights
        f.skip(6 * 16);
    if (f.bits(2) > 0) { // edge-preserving filter iterations
        if (!modular && f.flag())
            f.skip(8 * 16);
        if (f.flag())
            f.skip(5 * 16);
        if (f.flag())
            f.skip((modular ? 3 : 4) * 16);
        if (modular)
            f.skip(16);
    }
    f.require(f.u64() == 0); // extensions
}

struct Frame {
    std::uint64_t upsampling = 1;
    std::uint32_t groupSizeShift = 1;
    std::uint64_t passes = 1;
    std::uint32_t lfLevel = 0; // of an LF frame: its picture is 8^level times smaller
    bool last = true;
};

constexpr std::uint64_t kRegularFrame = 0, kLfFrame = 1;

// A regular frame, the last, of the whole picture and replacing the canvas;
// or an LF frame before it (libjxl's encoder makes one at large distances).
Frame frameHeader(Fields &f, const Metadata &metadata)
{
    const bool xyb = metadata.xyb;
    Frame frame;
    if (f.flag())
        return frame;
    const std::uint64_t type = f.u32({{{0, 0}, {1, 0}, {2, 0}, {3, 0}}});
    f.require(type == kRegularFrame || type == kLfFrame);
    const bool modular = f.flag();
    const std::uint64_t flags = f.u64();
    const bool ycbcr = !xyb && f.flag();
    if (ycbcr && (flags & kUseLfFrame) == 0)
        f.bits(6); // its chroma subsampling
    if ((flags & kUseLfFrame) == 0) {
        frame.upsampling = std::uint64_t(1) << f.bits(2);
        for (std::uint64_t i = 0; i < metadata.extraChannels; ++i)
            f.bits(2); // the alpha's upsampling
    }
    if (modular)
        frame.groupSizeShift = f.bits(2);
    if (!modular && xyb)
        f.bits(6); // the X and B quantization matrix scales
    frame.passes = f.u32({{{1, 0}, {2, 0}, {3, 0}, {4, 3}}});
    if (frame.passes != 1) {
        const std::uint64_t downsampled = f.u32({{{0, 0}, {1, 0}, {2, 0}, {3, 1}}});
        f.require(downsampled <= frame.passes);
        f.skip(2 * (frame.passes - 1));
        for (std::uint64_t i = 0; f.ok && i < 2 * downsampled; ++i)
            f.u32(i < downsampled ? Distributions{{{1, 0}, {2, 0}, {4, 0}, {8, 0}}}
                                  : Distributions{{{0, 0}, {1, 0}, {2, 0}, {0, 3}}});
    }
    if (type == kLfFrame) {
        frame.lfLevel = std::uint32_t(f.u32({{{1, 0}, {2, 0}, {3, 0}, {4, 0}}}));
        frame.last = false;
    } else {
        f.require(!f.flag());                                      // a custom size or origin
        f.require(f.u32({{{0, 0}, {1, 0}, {2, 0}, {3, 2}}}) == 0); // blending: replace
        for (std::uint64_t i = 0; i < metadata.extraChannels; ++i)
            f.require(f.u32({{{0, 0}, {1, 0}, {2, 0}, {3, 2}}}) == 0); // the alpha's too
        f.require(f.flag());                                       // the last frame
    }
    const std::uint64_t name = f.u32(kNameLength);
    f.skip(8 * name);
    loopFilter(f, modular);
    f.require(f.u64() == 0); // extensions
    return frame;
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

} // namespace

std::optional<JxlCodestreamExtent> jxlStillCodestream(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0x0A)
        return std::nullopt;
    JxlBitReader read(bytes.subspan(2));
    Fields f{read};
    const bool small = f.flag();
    const std::uint64_t height = side(f, small);
    const std::uint32_t ratio = f.bits(3);
    const std::uint64_t width = ratio ? widthForRatio(ratio, height) : side(f, small);
    const Metadata metadata = imageMetadata(f);
    transformData(f, metadata.xyb);
    f.require(read.zeroPadToByte());
    for (int frames = 0; f.ok; ++frames) {
        f.require(frames < kMostFrames);
        const Frame frame = frameHeader(f, metadata);
        // The table of contents: one section for a single group and pass,
        // else the global LF, each LF group, the global HF, each group of
        // each pass.
        const std::uint64_t groupSide = std::uint64_t(128) << frame.groupSizeShift;
        const std::uint64_t shrink = frame.upsampling << (3 * frame.lfLevel);
        const std::uint64_t w = ceilDiv(width, shrink), h = ceilDiv(height, shrink);
        const std::uint64_t groups = ceilDiv(w, groupSide) * ceilDiv(h, groupSide);
        const std::uint64_t lfGroups = ceilDiv(w, 8 * groupSide) * ceilDiv(h, 8 * groupSide);
        const std::uint64_t sections = groups == 1 && frame.passes == 1 ? 1 : 2 + lfGroups + groups * frame.passes;
        f.require(!f.flag()); // sections permuted
        f.require(read.zeroPadToByte());
        std::uint64_t sectionBytes = 0;
        for (std::uint64_t i = 0; f.ok && i < sections; ++i) {
            sectionBytes += f.u32(kTocEntry);
            f.require(sectionBytes <= bytes.size());
        }
        f.require(read.zeroPadToByte());
        f.skip(8 * sectionBytes);
        if (frame.last)
            break;
    }
    if (!f.ok || width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return std::nullopt;
    const std::uint64_t length = 2 + read.position() / 8;
    return JxlCodestreamExtent{{int(width), int(height)}, length};
}

} // namespace imaging
