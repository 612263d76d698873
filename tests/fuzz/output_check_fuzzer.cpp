// The check of a worker's output over arbitrary bytes, taken as each format
// the program writes at a size from the input's first bytes: it stays inside
// them, and what it takes is never larger than such a file can be.
#include "imaging/picture_formats.h"
#include "probe/output_check.h"

#include <array>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using imaging::OutputFormat;
    constexpr std::array kFormats{OutputFormat::Bmp,  OutputFormat::Gif,  OutputFormat::Jpeg, OutputFormat::Png,
                                  OutputFormat::Tiff, OutputFormat::Tga,  OutputFormat::WebP, OutputFormat::Heic,
                                  OutputFormat::Avif, OutputFormat::JpegXl};
    if (size < 3)
        return 0;
    const int width = 1 + data[0] % 64;
    const int height = 1 + data[1] % 64;
    const OutputFormat format = kFormats[data[2] % kFormats.size()];
    const QByteArrayView bytes(data + 3, qsizetype(size - 3));
    if (imaging::outputDefect(bytes, format, width, height).isEmpty()
        && std::uint64_t(bytes.size()) > imaging::largestOutputBytes(format, width, height))
        std::abort();
    return 0;
}
