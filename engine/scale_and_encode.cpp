#include "engine/scale_and_encode.h"

#include "engine/codecs/encode_picture.h"
#include "engine/source_format.h"
#include "engine/codecs/vips_errors.h"

#include <algorithm>
#include <map>
#include <cerrno>
#include <optional>
#include <vector>

using vips::VImage;

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

// What the format can hold of a picture's alpha: JPEG and the program's
// 24-bit BMP none, GIF one transparent index, the others all of it.
AlphaOutput alphaFor(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Jpeg:
    case OutputFormat::Bmp: return AlphaOutput::Flattened;
    case OutputFormat::Gif: return AlphaOutput::Cut;
    default: return AlphaOutput::Kept;
    }
}

bool isPlain(const ExactGeometry &geometry) { return geometry.canvas.Width < 1 || geometry.canvas.Height < 1; }

// The size a picture is drawn at for size `i`: the exact geometry's scaled
// size, or the size itself.
PictureSize drawnSize(std::span<const PictureSize> sizes, const OutputSettings &settings, std::size_t i)
{
    if (i < settings.exact.size() && !isPlain(settings.exact[i]))
        return settings.exact[i].scaled;
    return sizes[i];
}

// The drawn picture cut and placed on its canvas by the exact geometry of
// size `i`, the borders opaque in the pad colour; a plain size as drawn.
VImage placed(const VImage &drawn, const OutputSettings &settings, std::size_t i)
{
    if (i >= settings.exact.size() || isPlain(settings.exact[i]))
        return drawn;
    const ExactGeometry &geometry = settings.exact[i];
    VImage kept = geometry.kept == PixelRect{0, 0, drawn.width(), drawn.height()}
                      ? drawn
                      : drawn.extract_area(geometry.kept.x, geometry.kept.y, geometry.kept.width, geometry.kept.height);
    if (!geometry.hasBorders())
        return kept;
    const platform::ColourValue pad = settings.padColour;
    const std::vector<double> colour{double(pad & 0xFF), double((pad >> 8) & 0xFF), double((pad >> 16) & 0xFF)};
    const bool greyPad = colour[0] == colour[1] && colour[1] == colour[2];
    const bool alpha = kept.has_alpha();
    if (kept.bands() - alpha < 3 && !greyPad) {
        const VImage grey = kept[0];
        VImage coloured = VImage::bandjoin({grey, grey, grey});
        if (alpha)
            coloured = coloured.bandjoin(kept[1]);
        kept = coloured.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }
    std::vector<double> border
        = kept.bands() - alpha < 3 ? std::vector<double>{colour[0]} : std::vector<double>{colour[0], colour[1], colour[2]};
    // The borders are opaque whatever the picture holds.
    if (alpha)
        border.push_back(255.0);
    return kept.embed(geometry.atX, geometry.atY, geometry.canvas.Width, geometry.canvas.Height,
                      VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", border));
}

// The quality a search starts from: the settings', or with none the best,
// so that the file comes as close under the ceiling as the format allows.
int startingQuality(int quality)
{
    return quality == kOwnQuality ? 100 : std::clamp(quality, 1, 100);
}

bool isLossy(OutputFormat format, bool keepsEveryPixel)
{
    switch (format) {
    case OutputFormat::Jpeg:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl: return true;
    case OutputFormat::WebP: return !keepsEveryPixel;
    default: return false;
    }
}

// The picture encoded into the settings' file-size range: drawn once into
// memory, then only encoded, each quality at most once.
Result<QByteArray> encodeWithinRange(const VImage &drawn, OutputFormat format, const OutputSettings &settings,
                                     bool keepsEveryPixel)
{
    const VImage picture = drawn.copy_memory();
    SizeSearch search;
    search.range = settings.fileSize;
    search.size = {picture.width(), picture.height()};
    search.quality = startingQuality(settings.quality);
    search.lossy = isLossy(format, keepsEveryPixel);
    search.mayShrink = false;
    std::map<int, QByteArray> made;
    std::optional<ConversionResult> failure;
    const SizeSearchResult found = searchFileSize(search, [&](int quality, PictureSize) -> std::optional<std::int64_t> {
        Result<QByteArray> encoded = encodePicture(picture, format, quality, keepsEveryPixel, settings.dpi);
        if (!encoded) {
            failure = encoded.failure();
            return std::nullopt;
        }
        const std::int64_t bytes = encoded->size();
        made[quality] = std::move(*encoded);
        return bytes;
    });
    if (found.outcome == SizeSearchOutcome::Met)
        return std::move(made[found.quality]);
    if (found.outcome == SizeSearchOutcome::EncodeFailed && failure)
        return *failure;
    return ConversionResult{ConversionStatus::SizeOutOfRange, sizeSearchDetail(found)};
}

// Size `i` placed, then encoded, into the file-size range when there is one.
Result<QByteArray> encodeSize(const VImage &drawn, OutputFormat format, const OutputSettings &settings, std::size_t i,
                              bool keepsEveryPixel)
{
    try {
        const VImage picture = placed(drawn, settings, i);
        if (settings.fileSize.floor > 0 || settings.fileSize.ceiling > 0)
            return encodeWithinRange(picture, format, settings, keepsEveryPixel);
        return encodePicture(picture, format, settings.quality, keepsEveryPixel, settings.dpi);
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
}

} // namespace

bool makesSize(const ExactGeometry &geometry, PictureSize size)
{
    const PixelRect &kept = geometry.kept;
    return geometry.canvas == size && geometry.scaled.Width >= 1 && geometry.scaled.Height >= 1 && kept.x >= 0
           && kept.y >= 0 && kept.width >= 1 && kept.height >= 1
           && std::int64_t(kept.x) + kept.width <= geometry.scaled.Width
           && std::int64_t(kept.y) + kept.height <= geometry.scaled.Height && geometry.atX >= 0 && geometry.atY >= 0
           && std::int64_t(geometry.atX) + kept.width <= size.Width
           && std::int64_t(geometry.atY) + kept.height <= size.Height;
}

Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int quality)
{
    // libvips collects the messages of every failure in one buffer for the
    // whole process; emptied here, it holds this picture's only.
    vips_error_clear();
    return withoutLeftMessages([&]() -> Result<QByteArray> {
        const Result<vips::VImage> picture = DrawScaledPicture(source, width, height, background, alphaFor(format));
        if (!picture)
            return picture.failure();
        return encodePicture(*picture, format, quality, lossless(source));
    }());
}

bool scaleAndEncodeSizes(SourceFile source, std::span<const PictureSize> sizes, OutputFormat format,
                         platform::ColourValue background, int quality,
                         const std::function<bool(const Result<QByteArray> &)> &answer)
{
    OutputSettings settings;
    settings.background = background;
    settings.quality = quality;
    return scaleAndEncodeSizes(source, sizes, format, settings, answer);
}

bool scaleAndEncodeSizes(SourceFile source, std::span<const PictureSize> sizes, OutputFormat format,
                         const OutputSettings &settings, const std::function<bool(const Result<QByteArray> &)> &answer)
{
    const platform::ColourValue background = settings.background;
    for (std::size_t i = 0; i < std::min(sizes.size(), settings.exact.size()); ++i) {
        if (!isPlain(settings.exact[i]) && !makesSize(settings.exact[i], sizes[i])) {
            // One answer for each size, as the parent counts them.
            for (std::size_t k = 0; k < sizes.size(); ++k) {
                if (!answer({ConversionStatus::UnsupportedTarget, QStringLiteral("an exact size out of its canvas")}))
                    return false;
            }
            return true;
        }
    }
    if (sizes.size() == 1) {
        vips_error_clear();
        const PictureSize drawn = drawnSize(sizes, settings, 0);
        return answer(withoutLeftMessages([&]() -> Result<QByteArray> {
            const Result<vips::VImage> picture
                = DrawScaledPicture(source, drawn.Width, drawn.Height, background, alphaFor(format));
            if (!picture)
                return picture.failure();
            return encodeSize(*picture, format, settings, 0, lossless(source));
        }()));
    }
    source = asDecoded(source);
    const bool keepsEveryPixel = lossless(source);
    vips_error_clear();
    // Each size's load, opened lazily: nothing is decoded yet. `decodeOf[i]`
    // is the first size whose load decodes alike.
    std::vector<Result<LoadedPicture>> loads;
    std::vector<std::size_t> decodeOf(sizes.size());
    std::vector<int> users(sizes.size(), 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const PictureSize drawn = drawnSize(sizes, settings, i);
        const PictureSize stored = storedSize(source.orientation, drawn.Width, drawn.Height);
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
                const PictureSize drawn = drawnSize(sizes, settings, i);
                const Result<vips::VImage> picture
                    = drawLoadedPicture(*load, source.orientation, drawn.Width, drawn.Height, background, alphaFor(format));
                if (!picture)
                    return picture.failure();
                return encodeSize(*picture, format, settings, i, keepsEveryPixel);
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
