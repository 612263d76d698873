#include "engine/scale_and_encode.h"

#include "engine/codecs/encode_picture.h"
#include "engine/source_format.h"
#include "engine/codecs/vips_errors.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace imaging {

namespace {

// `encoded` unless libvips left a message meanwhile: then the failure it
// tells. Empties libvips' buffer of messages either way.
Result<QByteArray> withoutLeftMessages(Result<QByteArray> encoded)
{
    // A decoder that fails on one of libvips' threads blacks out the strip it
    // was making for the threads waiting on it, and libvips (8.14) may end the
    // whole computation as done before that thread has told it of the failure:
    // a damaged picture then came out whole but partly black in some runs and
    // failed in others, the more often the more threads. The failure always
    // leaves its message, so any message left after a conversion that looked
    // whole fails the picture, as the other runs did.
    if (encoded && *vips_error_buffer())
        encoded = failureOf(vips::VError(), 0);
    vips_error_clear();
    return encoded;
}

// Two loads that decode the source alike: the same pixels spanning the same
// part of it.
bool sameDecode(const LoadedPicture &a, const LoadedPicture &b)
{
    return a.image.width() == b.image.width() && a.image.height() == b.image.height()
           && a.image.bands() == b.image.bands() && a.image.format() == b.image.format() && a.span.width == b.span.width
           && a.span.height == b.span.height;
}

// Whether the source keeps every pixel as it was (a lossless WebP is then
// written for a WebP output).
bool lossless(SourceFile source)
{
    const QByteArrayView bytes = source.bytes;
    return storesLosslessly(sniffSource(bytes.first(std::min(bytes.size(), kSniffBytes)), source.tgaName, bytes),
                            bytes);
}

} // namespace

Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int quality)
{
    // libvips collects the messages of every failure in one buffer for the
    // whole process; emptied here, it holds this picture's only.
    vips_error_clear();
    return withoutLeftMessages([&]() -> Result<QByteArray> {
        const Result<vips::VImage> picture = DrawScaledPicture(source, width, height, background);
        if (!picture)
            return picture.failure();
        return encodePicture(*picture, format, quality, lossless(source));
    }());
}

bool scaleAndEncodeSizes(SourceFile source, std::span<const PictureSize> sizes, OutputFormat format,
                         platform::ColourValue background, int quality,
                         const std::function<bool(const Result<QByteArray> &)> &answer)
{
    if (sizes.size() == 1)
        return answer(scaleAndEncode(source, sizes[0].Width, sizes[0].Height, format, background, quality));
    source = asDecoded(source);
    const bool keepsEveryPixel = lossless(source);
    vips_error_clear();
    // Each size's load, opened lazily: nothing is decoded yet. `decodeOf[i]`
    // is the first size whose load decodes alike.
    std::vector<Result<LoadedPicture>> loads;
    std::vector<std::size_t> decodeOf(sizes.size());
    std::vector<int> users(sizes.size(), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const PictureSize stored = storedSize(source.orientation, sizes[i].Width, sizes[i].Height);
        loads.push_back(loadForScaling(source, stored.Width, stored.Height));
        decodeOf[i] = i;
        for (std::size_t j = 0; j < i && loads[i]; ++j) {
            if (loads[j] && sameDecode(*loads[i], *loads[j])) {
                decodeOf[i] = j;
                break;
            }
        }
        ++users[decodeOf[i]];
        if (decodeOf[i] != i)
            loads[i] = ConversionResult{ConversionStatus::Converted, {}};
    }
    vips_error_clear();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Result<LoadedPicture> &load = loads[decodeOf[i]];
        // A decode that several sizes share is made once, into memory, when
        // the first of them needs it; one used once streams as it always does.
        if (load && users[decodeOf[i]] > 1 && decodeOf[i] == i) {
            errno = 0;
            try {
                load->image = load->image.copy_memory();
                if (*vips_error_buffer())
                    load = failureOf(vips::VError(), 0);
            } catch (const vips::VError &error) {
                load = failureOf(error);
            }
            vips_error_clear();
        }
        Result<QByteArray> encoded = load.failure();
        if (load) {
            encoded = withoutLeftMessages([&]() -> Result<QByteArray> {
                const Result<vips::VImage> picture
                    = drawLoadedPicture(*load, source.orientation, sizes[i].Width, sizes[i].Height, background);
                if (!picture)
                    return picture.failure();
                return encodePicture(*picture, format, quality, keepsEveryPixel);
            }());
        }
        if (!answer(encoded))
            return false;
        // What only this size needed goes before the next is made.
        if (--users[decodeOf[i]] == 0)
            load = ConversionResult{ConversionStatus::Converted, {}};
    }
    return true;
}

} // namespace imaging
