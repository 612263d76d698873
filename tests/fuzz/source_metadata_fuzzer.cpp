// The program's own reading and writing of EXIF over arbitrary bytes: taken
// as a file (JPEG, PNG, WebP or TIFF, whichever its signature says) and as a
// bare EXIF block. Besides staying inside the bytes, what it keeps must read
// back as upright, and keeping it again must change nothing.
#include "imaging/picture_formats.h"
#include "probe/source_metadata.h"

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void keepFrom(std::span<const std::uint8_t> block, bool location)
{
    const imaging::Bytes kept = imaging::keptExif(block, location, 640, 480);
    if (kept.empty())
        return;
    check(kept.size() <= 65527);
    check(imaging::keptExif(kept, location, 640, 480) == kept);
    for (const auto format : {imaging::OutputFormat::Jpeg, imaging::OutputFormat::Png, imaging::OutputFormat::Tiff})
        (void)imaging::withExif(block, format, kept);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const bool location = size > 0 && (data[size - 1] & 1);
    keepFrom(imaging::findExifBlock(bytes), location);
    keepFrom(bytes, location);
    for (const auto format : {imaging::OutputFormat::Bmp, imaging::OutputFormat::Gif, imaging::OutputFormat::Jpeg,
                              imaging::OutputFormat::Png, imaging::OutputFormat::Tiff, imaging::OutputFormat::Tga})
        (void)imaging::holdsOnlyPicture(bytes, format);
    return 0;
}
