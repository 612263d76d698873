#include "engine/draw_scaled_picture.h"

#include "engine/codecs/bmp_file.h"
#include "engine/resample/exact_resample.h"
#include "engine/codecs/gif_file.h"
#include "probe/header_probe.h"
#include "engine/codecs/heif_codec.h"
#include "engine/codecs/jpeg_shrink.h"
#include "engine/codecs/jxl_codec.h"
#include "engine/codecs/magick_bitmap.h"
#include "imaging/picture_size.h"
#include "engine/codecs/png_chunks.h"
#include "engine/codecs/png_file.h"
#include "engine/shown_colours.h"
#include "engine/source_format.h"
#include "engine/codecs/tga_file.h"
#include "engine/codecs/vips_errors.h"
#include "engine/vips_runtime.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

using vips::VImage;
using vips::VSource;

namespace imaging {

namespace {

// The scale libwebp decodes a WebP at: its own rescaler averages whole areas,
// a proper reduction, down to twice the target, from which the program's
// resampling makes the target; 1 when the picture is not that large.
double webpScale(int sourceWidth, int sourceHeight, int width, int height)
{
    const double scale = std::max(2.0 * std::max(width, 1) / std::max(sourceWidth, 1),
                                  2.0 * std::max(height, 1) / std::max(sourceHeight, 1));
    return std::min(scale, 1.0);
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
// PNG inside) go through ImageMagick's BMP coder, fed from memory.
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
    // Not trusted with hostile files: only where the kernel shuts it in.
    if (!untrustedLoadersAllowed())
        return {ConversionStatus::Damaged, QStringLiteral("this kind of bitmap is read only by the conversion worker")};
    return decodeMagickBitmap(bytes);
}

// PNGs are decoded by the program (with libdeflate, several times faster
// than libpng's zlib), up to this many bytes of pixels; larger ones, and the
// few kinds the program leaves out (interlaced, damaged), are read by
// libvips, which streams them.
constexpr size_t kOwnPngBytes = 192u << 20;

std::optional<VImage> ownPng(QByteArrayView bytes)
{
    std::optional<DecodedPng> png = decodePng(bytes, kOwnPngBytes);
    if (!png)
        return std::nullopt;
    const size_t size = size_t(png->width) * size_t(png->height) * size_t(png->bands) * (png->wide ? 2 : 1);
    VImage image = VImage::new_from_memory_steal(png->pixels.release(), size, png->width, png->height, png->bands,
                                                 png->wide ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR);
    const bool grey = png->bands <= 2;
    image = image.copy(VImage::option()->set("interpretation",
                                             png->wide ? (grey ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_RGB16)
                                                       : (grey ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB)));
    if (!png->profile.isEmpty())
        vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, png->profile.constData(),
                                 size_t(png->profile.size()));
    return image;
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

// Pixels are read on demand, top to bottom; a damaged or truncated file is an
// error, not a picture with a grey end.
vips::VOption *loadOptions()
{
    return VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR);
}

// What a viewer shows of a GIF: its logical screen after the images of the
// first frame. libvips draws page n as the screen after n + 1 images, each
// image a page; it grows its canvas to hold an image that reaches past the
// screen, which is cropped off again. libvips leaves out the alpha channel
// of a GIF without a transparent colour, and the screen where no image drew
// then comes out black; nothing is drawn there, so it is transparent, as
// libvips already makes it in a GIF with alpha (and as browsers show it).
VImage gifScreen(const VImage &first, QByteArrayView bytes)
{
    const std::optional<GifFirstFrame> frame = gifFirstFrame(bytes);
    if (!frame)
        return first;
    const int pages = first.get_typeof("n-pages") ? first.get_int("n-pages") : 1;
    const int page = std::clamp(int(frame->images.size()) - 1, 0, pages - 1);
    VImage image = page == 0 ? first
                             : VImage::gifload_source(VSource::new_from_memory(bytes.data(), size_t(bytes.size())),
                                                      loadOptions()->set("page", page));
    const int width = std::min(frame->screenWidth, image.width());
    const int height = std::min(frame->screenHeight, image.height());
    if (width != image.width() || height != image.height())
        image = image.crop(0, 0, width, height);
    if (image.has_alpha())
        return image;
    VImage covered = VImage::black(width, height);
    for (const GifFrameArea &area : frame->images) {
        const int left = std::clamp(area.left, 0, width), top = std::clamp(area.top, 0, height);
        const int right = std::clamp(area.left + area.width, left, width);
        const int bottom = std::clamp(area.top + area.height, top, height);
        if (left == 0 && top == 0 && right == width && bottom == height)
            return image;
        if (right > left && bottom > top)
            covered
                = covered.insert((VImage::black(right - left, bottom - top) + 255).cast(VIPS_FORMAT_UCHAR), left, top);
    }
    return image.bandjoin(covered);
}

// A JPEG decoded at 1/shrink with its last, partial blocks, from a copy of
// the file whose frame header states whole blocks (wholeBlockSize). The copy
// goes with the source libvips reads from.
VImage shrunkJpeg(QByteArrayView bytes, int shrink)
{
    const std::optional<JpegSizePatch> patch = wholeBlockSize(bytes, shrink);
    if (!patch)
        return VImage::jpegload_source(VSource::new_from_memory(bytes.data(), size_t(bytes.size())),
                                       loadOptions()->set("shrink", shrink));
    auto *copy = static_cast<char *>(g_malloc(size_t(bytes.size())));
    std::memcpy(copy, bytes.data(), size_t(bytes.size()));
    std::memcpy(copy + patch->at, patch->bytes.data(), patch->bytes.size());
    VipsBlob *blob = vips_blob_new(
        [](void *data, void *) {
            g_free(data);
            return 0;
        },
        copy, size_t(bytes.size()));
    const VSource source(vips_source_new_from_blob(blob));
    vips_area_unref(VIPS_AREA(blob));
    return VImage::jpegload_source(source, loadOptions()->set("shrink", shrink));
}

} // namespace

Result<LoadedPicture> loadForScaling(SourceFile source, int width, int height)
{
    if (width < 1 || height < 1)
        return ConversionStatus::NoSize;
    if (!ensureVipsStarted())
        return {ConversionStatus::Damaged, QStringLiteral("libvips did not start")};
    const QByteArrayView bytes = source.bytes;
    const SourceFormat format = sniffSource(bytes.first(std::min(bytes.size(), kSniffBytes)), source.tgaName, bytes);
    auto whole = [](const VImage &image) {
        return LoadedPicture{image, {double(image.width()), double(image.height())}};
    };
    errno = 0;
    try {
        switch (format) {
        case SourceFormat::Unknown: return ConversionStatus::NotAPicture;
        case SourceFormat::Heif: {
            // libheif itself, not libvips' loader: that one takes the size
            // before the turn when the transforms are listed before `ispe`,
            // and then fails on the pixels.
            const Result<VImage> image = decodeHeif(bytes, kMaxSourcePixels);
            if (!image)
                return image.failure();
            return whole(markSequential(*image));
        }
        case SourceFormat::Bmp:
        case SourceFormat::Tga: {
            const Result<VImage> image = format == SourceFormat::Tga ? loadTga(bytes) : loadBmp(bytes);
            if (!image)
                return image.failure();
            return whole(markSequential(*image));
        }
        case SourceFormat::Png:
            if (const std::optional<VImage> image = ownPng(bytes))
                return whole(markSequential(*image));
            [[fallthrough]];
        default: {
            // libvips' loader gives an animation's last frame.
            if (format == SourceFormat::JpegXl && isJpegXlAnimation(bytes)) {
                const Result<VImage> image = decodeJpegXlFirstFrame(bytes, kMaxSourcePixels);
                if (!image)
                    return image.failure();
                return whole(markSequential(*image));
            }
            if (format == SourceFormat::Png && !pngChunksAheadOfPixelsFit(bytes))
                return {ConversionStatus::Damaged, QStringLiteral("a chunk ahead of the pixels runs past the end")};
            auto memory = [&] { return VSource::new_from_memory(bytes.data(), size_t(bytes.size())); };
            // The loader the content calls for, and no other; an animation
            // gives its first frame.
            const VImage image = format == SourceFormat::WebP ? VImage::webpload_source(memory(), loadOptions())
                                 : format == SourceFormat::JpegXl
                                     ? VImage::jxlload_source(memory(), loadOptions())
                                     : VImage::new_from_source(memory(), "", loadOptions());
            if (tooManyPixels(image.width(), image.height()))
                return ConversionStatus::TooLarge;
            if (format == SourceFormat::Gif)
                return whole(gifScreen(image, bytes));
            if (format == SourceFormat::WebP) {
                const double scale = webpScale(image.width(), image.height(), width, height);
                if (scale < 1)
                    return whole(VImage::webpload_source(memory(), loadOptions()->set("scale", scale)));
            }
            const int shrink
                = format == SourceFormat::Jpeg ? jpegShrinkFactor(image.width(), image.height(), width, height) : 1;
            if (shrink == 1)
                return whole(image);
            return LoadedPicture{shrunkJpeg(bytes, shrink),
                                 {double(image.width()) / shrink, double(image.height()) / shrink, shrink}};
        }
        }
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
    return ConversionStatus::NotAPicture;
}

Result<VImage> scaleToSize(const LoadedPicture &loaded, int width, int height, platform::ColourValue background,
                           AlphaOutput alpha)
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
        const VImage shown = shownForOutput(scaled, background, isGrey(image), alpha);
        if (alpha == AlphaOutput::Flattened || !shown.has_alpha())
            return shown;
        // Made once into memory, the few output pixels, to ask whether any
        // of them is transparent: an opaque picture is written as it always
        // was, without an alpha channel.
        const VImage made = shown.copy_memory();
        const VImage opacity = made[made.bands() - 1];
        if (opacity.min() < 255)
            return made;
        return made.extract_band(0, VImage::option()->set("n", made.bands() - 1));
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
}

PictureSize storedSize(int orientation, int width, int height)
{
    return exifOrientation(orientation) >= 5 ? PictureSize{height, width} : PictureSize{width, height};
}

SourceFile asDecoded(SourceFile source)
{
    const QByteArrayView bytes = source.bytes;
    if (decoderTurnsUpright(sniffSource(bytes.first(std::min(bytes.size(), kSniffBytes)), source.tgaName, bytes)))
        source.orientation = 1;
    return source;
}

Result<VImage> DrawScaledPicture(SourceFile source, int width, int height, platform::ColourValue background,
                                 AlphaOutput alpha)
{
    source = asDecoded(source);
    const PictureSize stored = storedSize(source.orientation, width, height);
    const Result<LoadedPicture> loaded = loadForScaling(source, stored.Width, stored.Height);
    if (!loaded)
        return loaded.failure();
    return drawLoadedPicture(*loaded, source.orientation, width, height, background, alpha);
}

Result<VImage> drawLoadedPicture(const LoadedPicture &loaded, int orientation, int width, int height,
                                 platform::ColourValue background, AlphaOutput alpha)
{
    // Resized as stored, turned afterwards: the turn then handles the few
    // pixels of the output, and the decoder still streams top to bottom.
    orientation = exifOrientation(orientation);
    const PictureSize stored = storedSize(orientation, width, height);
    Result<VImage> scaled = scaleToSize(loaded, stored.Width, stored.Height, background, alpha);
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
