#include "imaging/draw_scaled_picture.h"

#include "imaging/bmp_file.h"
#include "imaging/exact_resample.h"
#include "imaging/gif_file.h"
#include "imaging/header_probe.h"
#include "imaging/picture_size.h"
#include "imaging/png_chunks.h"
#include "imaging/source_format.h"
#include "imaging/tga_file.h"
#include "imaging/vips_errors.h"
#include "imaging/vips_runtime.h"

#include <algorithm>
#include <cerrno>
#include <vector>

using vips::VImage;
using vips::VSource;

namespace imaging {

namespace {

// The largest factor libjpeg can shrink by while decoding (1, 2, 4 or 8) that
// still leaves at least the target size. libvips' own thumbnail keeps twice the
// target's pixels in hand; decoding no more than needed is what makes large
// photos fast, and libjpeg's scaled decode is a proper reduction of its own.
// libvips sizes a shrunk JPEG by rounding down, and a side that rounds to 0
// (a 1 x 1 picture at 1/8, a 3-pixel-wide one at 1/4) makes it abort the whole
// process; a target of at least 1 keeps every side at 1 or more.
int jpegShrink(int sourceWidth, int sourceHeight, int width, int height)
{
    int shrink = 1;
    for (int n : {2, 4, 8}) {
        if (sourceWidth / n >= std::max(width, 1) && sourceHeight / n >= std::max(height, 1))
            shrink = n;
    }
    return shrink;
}

bool tooManyPixels(long long width, long long height)
{
    return width <= 0 || height <= 0 || width * height > kMaxSourcePixels;
}

// Pixels decoded by one of the program's own decoders, handed to libvips
// without a copy. `decode` fills a buffer of width * height * bands bytes.
template <typename Header, typename Decode> Result<VImage> decodedImage(const Header &header, Decode decode)
{
    const int bands = header.bands();
    const size_t size = size_t(header.width) * size_t(header.height) * size_t(bands);
    auto *pixels = static_cast<unsigned char *>(g_try_malloc(size));
    if (!pixels)
        return {ConversionStatus::OutOfMemory, QStringLiteral("cannot allocate %1 bytes").arg(size)};
    if (!decode(pixels)) {
        g_free(pixels);
        return {ConversionStatus::Damaged, QStringLiteral("the pixels end before the picture does")};
    }
    const VImage image
        = VImage::new_from_memory_steal(pixels, size, header.width, header.height, bands, VIPS_FORMAT_UCHAR);
    return image.copy(
        VImage::option()->set("interpretation", bands <= 2 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

Result<VImage> loadTga(QByteArrayView bytes)
{
    const auto header = parseTgaHeader(bytes);
    if (!header)
        return {ConversionStatus::Damaged, QStringLiteral("not a TGA this program reads")};
    if (tooManyPixels(header->width, header->height))
        return ConversionStatus::TooLarge;
    if (!tgaHoldsPixels(bytes, *header))
        return {ConversionStatus::Damaged, QStringLiteral("the file ends before its pixels do")};
    return decodedImage(*header, [&](unsigned char *out) { return decodeTga(bytes, *header, out); });
}

// Bitmaps in layouts the program's decoder does not read (run-length, JPEG or
// PNG inside) go through libvips' ImageMagick loader, fed from memory.
Result<VImage> loadBmp(QByteArrayView bytes)
{
    const auto header = parseBmpHeader(bytes);
    if (header) {
        if (tooManyPixels(header->width, header->height))
            return ConversionStatus::TooLarge;
        if (!bmpHoldsPixels(bytes, *header))
            return {ConversionStatus::Damaged, QStringLiteral("the file ends before its pixels do")};
        return decodedImage(*header, [&](unsigned char *out) { return decodeBmp(bytes, *header, out); });
    }
    // ImageMagick allocates the whole picture as it decodes, so the size the
    // header declares is checked first.
    MemoryByteSource probeBytes(std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), size_t(bytes.size())));
    const PictureSize declared = probePictureSize(probeBytes, false);
    if (tooManyPixels(declared.Width, declared.Height))
        return declared.Width > 0 && declared.Height > 0 ? ConversionStatus::TooLarge : ConversionStatus::Damaged;
    VipsBlob *blob = vips_blob_copy(bytes.data(), size_t(bytes.size()));
    struct BlobRef {
        VipsBlob *blob;
        ~BlobRef() { vips_area_unref(VIPS_AREA(blob)); }
    } ref{blob};
    return VImage::magickload_buffer(blob);
}

// A picture decoded whole into memory can be read in any order, but libvips'
// shrink only takes its fast top-to-bottom path for images marked as read
// sequentially (as its loaders mark theirs); unmarked, reducing a 13-megapixel
// picture took seven times as long.
VImage markSequential(VImage image)
{
    VImage marked = image.copy();
    marked.set("vips-sequential", 1);
    return marked;
}

// libvips leaves out the alpha channel of a GIF that has no transparent
// colour, and the screen around a smaller first frame then comes out black.
// Nothing is drawn there, so it is transparent, as libvips already makes it
// in a GIF with alpha (and as browsers show it).
VImage uncoveredScreenTransparent(const VImage &image, QByteArrayView bytes)
{
    const auto frame = firstGifFrameArea(bytes);
    if (image.has_alpha() || !frame)
        return image;
    const int left = std::clamp(frame->left, 0, image.width());
    const int top = std::clamp(frame->top, 0, image.height());
    const int right = std::clamp(frame->left + frame->width, left, image.width());
    const int bottom = std::clamp(frame->top + frame->height, top, image.height());
    if (left == 0 && top == 0 && right == image.width() && bottom == image.height())
        return image;
    VImage alpha = VImage::black(image.width(), image.height());
    if (right > left && bottom > top)
        alpha = VImage::black(right - left, bottom - top)
                    .new_from_image(std::vector<double>{255})
                    .embed(left, top, image.width(), image.height());
    return image.bandjoin(alpha);
}

// The colours a colour-managed viewer shows: pixels converted from their
// embedded profile to sRGB by lcms (libvips' icc_transform), CMYK without a
// profile through libvips' own CMYK profile. The profile goes with the
// conversion; one that does not fit the pixels is ignored, as viewers do.
VImage managedToSrgb(const VImage &image)
{
    const bool cmyk = image.interpretation() == VIPS_INTERPRETATION_CMYK;
    if (!cmyk && !image.get_typeof(VIPS_META_ICC_NAME))
        return image;
    try {
        auto options = VImage::option()->set("embedded", true)->set("intent", VIPS_INTENT_PERCEPTUAL)->set("depth", 8);
        if (cmyk)
            options->set("input_profile", "cmyk");
        VImage converted = image.icc_transform("srgb", options);
        converted.remove(VIPS_META_ICC_NAME);
        return converted;
    } catch (const vips::VError &) {
        // Overcome: its message must not count against the picture
        // (scaleAndEncode fails a picture whose conversion left one).
        vips_error_clear();
        VImage unmanaged = image.copy();
        unmanaged.remove(VIPS_META_ICC_NAME);
        return unmanaged;
    }
}

VImage toOpaqueSrgb(VImage image, platform::ColourValue background)
{
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.has_alpha()) {
        const std::vector<double> colour{double(platform::redOf(background)), double(platform::greenOf(background)),
                                         double(platform::blueOf(background))};
        image = image.flatten(VImage::option()->set("background", colour));
    }
    if (image.bands() > 3)
        image = image.extract_band(0, VImage::option()->set("n", 3));
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

// Pixels are read on demand, top to bottom; a damaged or truncated file is an
// error, not a picture with a grey end.
vips::VOption *loadOptions()
{
    return VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR);
}

} // namespace

Result<LoadedPicture> loadForScaling(SourceFile source, int width, int height)
{
    if (width < 1 || height < 1)
        return ConversionStatus::NoSize;
    if (!ensureVipsStarted())
        return {ConversionStatus::Damaged, QStringLiteral("libvips did not start")};
    const QByteArrayView bytes = source.bytes;
    const SourceFormat format = sniffSource(bytes.first(std::min(bytes.size(), kSniffBytes)), source.tgaName);
    auto whole = [](const VImage &image) {
        return LoadedPicture{image, {double(image.width()), double(image.height())}};
    };
    errno = 0;
    try {
        switch (format) {
        case SourceFormat::Unknown: return ConversionStatus::NotAPicture;
        case SourceFormat::Bmp:
        case SourceFormat::Tga: {
            const Result<VImage> image = format == SourceFormat::Tga ? loadTga(bytes) : loadBmp(bytes);
            if (!image)
                return image.failure();
            return whole(markSequential(*image));
        }
        default: {
            if (format == SourceFormat::Png && !pngChunksAheadOfPixelsFit(bytes))
                return {ConversionStatus::Damaged, QStringLiteral("a chunk ahead of the pixels runs past the end")};
            auto memory = [&] { return VSource::new_from_memory(bytes.data(), size_t(bytes.size())); };
            const VImage image = VImage::new_from_source(memory(), "", loadOptions());
            if (tooManyPixels(image.width(), image.height()))
                return ConversionStatus::TooLarge;
            if (format == SourceFormat::Gif)
                return whole(uncoveredScreenTransparent(image, bytes));
            const int shrink
                = format == SourceFormat::Jpeg ? jpegShrink(image.width(), image.height(), width, height) : 1;
            if (shrink == 1)
                return whole(image);
            return LoadedPicture{VImage::jpegload_source(memory(), loadOptions()->set("shrink", shrink)),
                                 {double(image.width()) / shrink, double(image.height()) / shrink}};
        }
        }
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
    return ConversionStatus::NotAPicture;
}

Result<VImage> scaleToSize(const LoadedPicture &loaded, int width, int height, platform::ColourValue background)
{
    if (width < 1 || height < 1)
        return ConversionStatus::NoSize;
    errno = 0;
    try {
        // CMYK is converted before the resize, which would otherwise convert
        // it by libvips' own route, several levels away from what viewers
        // show; profiles of RGB and grey pictures after it, on fewer pixels.
        const VImage &image = loaded.image;
        const VImage input = image.interpretation() == VIPS_INTERPRETATION_CMYK ? managedToSrgb(image) : image;
        const VImage scaled = managedToSrgb(resampleExactly(input, width, height, loaded.span));
        if (scaled.width() != width || scaled.height() != height)
            return {ConversionStatus::Damaged, QStringLiteral("resampled to %1 x %2 instead of %3 x %4")
                                                   .arg(scaled.width())
                                                   .arg(scaled.height())
                                                   .arg(width)
                                                   .arg(height)};
        return toOpaqueSrgb(scaled, background);
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
}

PictureSize storedSize(int orientation, int width, int height)
{
    return exifOrientation(orientation) >= 5 ? PictureSize{height, width} : PictureSize{width, height};
}

Result<VImage> DrawScaledPicture(SourceFile source, int width, int height, platform::ColourValue background)
{
    const PictureSize stored = storedSize(source.orientation, width, height);
    const Result<LoadedPicture> loaded = loadForScaling(source, stored.Width, stored.Height);
    if (!loaded)
        return loaded.failure();
    return drawLoadedPicture(*loaded, source.orientation, width, height, background);
}

Result<VImage> drawLoadedPicture(const LoadedPicture &loaded, int orientation, int width, int height,
                                 platform::ColourValue background)
{
    // Resized as stored, turned afterwards: the turn then handles the few
    // pixels of the output, and the decoder still streams top to bottom.
    orientation = exifOrientation(orientation);
    const PictureSize stored = storedSize(orientation, width, height);
    Result<VImage> scaled = scaleToSize(loaded, stored.Width, stored.Height, background);
    if (!scaled || orientation == 1)
        return scaled;
    errno = 0;
    try {
        // libvips' own rotation, told the orientation the program read
        // rather than whatever the decoder found. Turning reads the picture
        // in any order, so the few output pixels are made first.
        VImage upright = scaled->copy_memory();
        upright.set(VIPS_META_ORIENTATION, orientation);
        return upright.autorot();
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
}

} // namespace imaging
