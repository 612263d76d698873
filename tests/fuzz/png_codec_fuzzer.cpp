// The program's own PNG decoder over arbitrary bytes. Whatever it decodes
// must hold exactly the bytes its size says; an 8-bit grey or RGB result
// written by the program's encoder must decode to the same pixels.
#include "engine/codecs/png_file.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::size_t kMostBytes = 4u << 20;
    const auto png
        = imaging::decodePng(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), kMostBytes);
    if (!png)
        return 0;
    if (png->width < 1 || png->height < 1 || png->bands < 1 || png->bands > 4 || !png->pixels)
        std::abort();
    const std::size_t bytes
        = std::size_t(png->width) * std::size_t(png->height) * std::size_t(png->bands) * (png->wide ? 2 : 1);
    if (bytes > kMostBytes)
        std::abort();
    // Every byte of the pixels is read, so that one left unwritten shows
    // under MemorySanitizer and one past the end under AddressSanitizer.
    volatile unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        sum = sum + png->pixels.get()[i];
    if (!png->wide && (png->bands == 1 || png->bands == 3)) {
        const QByteArray again = imaging::encodePng(png->pixels.get(), png->width, png->height, png->bands, 1);
        const auto back = imaging::decodePng(again, kMostBytes);
        if (!back || back->width != png->width || back->height != png->height || back->bands != png->bands
            || std::memcmp(back->pixels.get(), png->pixels.get(), bytes) != 0)
            std::abort();
    }
    return 0;
}
