// What the decoder fuzzers share: decode arbitrary bytes the way the engine
// does, in buffers sized so that AddressSanitizer stops on any read past the
// file or write past the picture.
#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace fuzz {

// The most decoded bytes a fuzzer allocates. The engine allows far more (500
// megapixels), but a fuzzer input of a few kilobytes cannot fill more than
// this, and larger buffers would only make the fuzzer run out of memory.
inline constexpr std::uint64_t kMaxPictureBytes = 64u << 20;

template <typename Parse, typename Decode>
void decodeExactly(const std::uint8_t *data, std::size_t size, Parse parse, Decode decode)
{
    // libFuzzer hands over a heap copy of exactly `size` bytes, but only when
    // it runs the input itself; a copy of our own keeps the guard whatever
    // runs the target.
    const std::unique_ptr<char[]> copy(new char[size]);
    if (size > 0)
        std::memcpy(copy.get(), data, size);
    const QByteArrayView file(copy.get(), qsizetype(size));
    const auto header = parse(file);
    if (!header)
        return;
    if (header->width <= 0 || header->height <= 0 || header->bands() < 1 || header->bands() > 4)
        std::abort();
    const std::uint64_t bytes = std::uint64_t(header->width) * std::uint64_t(header->height) * header->bands();
    if (bytes > kMaxPictureBytes)
        return;
    const std::unique_ptr<unsigned char[]> out(new unsigned char[bytes]);
    if (!decode(file, *header, out.get()))
        return;
    // A picture decoded without error has every byte written: decoded again
    // over the complement of the first result, it must come out the same.
    const std::unique_ptr<unsigned char[]> again(new unsigned char[bytes]);
    for (std::uint64_t i = 0; i < bytes; ++i)
        again[i] = static_cast<unsigned char>(~out[i]);
    if (!decode(file, *header, again.get()) || std::memcmp(out.get(), again.get(), bytes) != 0)
        std::abort();
}

} // namespace fuzz
