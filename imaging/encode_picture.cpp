#include "imaging/encode_picture.h"

#include "imaging/bmp_file.h"
#include "imaging/gif_file.h"
#include "imaging/png_file.h"
#include "imaging/tga_file.h"
#include "imaging/vips_errors.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

QByteArray takeBlob(VipsBlob *blob)
{
    size_t length = 0;
    const void *data = vips_blob_get(blob, &length);
    QByteArray bytes(static_cast<const char *>(data), qsizetype(length));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

// One frame, opaque: a "loop" of 1 is how libvips is told to leave out the
// animation loop block (NETSCAPE2.0). No option keeps it from marking a
// transparent index, so that is switched off in the written blocks. The
// quantiser at effort 3 instead of libvips' 7, with full dithering: a third
// of the time, and closer to the picture once the dither is blurred away
// (48.8 against 47.8 dB over the bench's GIF and PNG pictures; 2 dB further
// pixel by pixel, which is the dither's noise). bench/README.md has the
// table.
QByteArray encodeGif(const VImage &picture)
{
    VImage once = picture.copy();
    once.set("loop", 1);
    return withoutTransparentIndex(
        takeBlob(once.gifsave_buffer(VImage::option()->set("strip", true)->set("effort", 3)->set("dither", 1.0))));
}

// Adaptive filtering and libdeflate at this level: see bench/README.md for
// the sizes and times of each.
constexpr int kPngLevel = 6;

QByteArray encodePngPicture(const VImage &picture)
{
    size_t size = 0;
    std::unique_ptr<void, decltype(&g_free)> pixels(picture.write_to_memory(&size), &g_free);
    return encodePng(static_cast<const unsigned char *>(pixels.get()), picture.width(), picture.height(),
                     picture.bands(), kPngLevel);
}

// The classic Windows bitmap with the 40-byte header that every reader
// knows, at 24 bits.
QByteArray encodeBmp(const VImage &picture)
{
    size_t size = 0;
    std::unique_ptr<void, decltype(&g_free)> pixels(picture.write_to_memory(&size), &g_free);
    return encodeBmp24(static_cast<const unsigned char *>(pixels.get()), picture.width(), picture.height());
}

QByteArray encodeTga(const VImage &picture)
{
    size_t size = 0;
    std::unique_ptr<void, decltype(&g_free)> pixels(picture.write_to_memory(&size), &g_free);
    return encodeTga24(static_cast<const unsigned char *>(pixels.get()), picture.width(), picture.height());
}

} // namespace

Result<QByteArray> encodePicture(const VImage &picture, OutputFormat format, int jpegQuality)
{
    errno = 0;
    try {
        // No metadata at all: the pixels are upright sRGB now, so neither an
        // orientation nor a colour profile would be true of them. PNG and
        // JPEG keep a grey picture grey, in one channel; the other formats
        // are written in colour as they always were.
        const bool keepsGrey = format == OutputFormat::Jpeg || format == OutputFormat::Png;
        const VImage image = picture.bands() == 1 && !keepsGrey
                                 ? VImage::bandjoin({picture, picture, picture})
                                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                                 : picture;
        switch (format) {
        case OutputFormat::Jpeg:
            return takeBlob(
                image.jpegsave_buffer(VImage::option()->set("Q", std::clamp(jpegQuality, 1, 100))->set("strip", true)));
        case OutputFormat::Png: return encodePngPicture(image);
        case OutputFormat::Gif: return encodeGif(image);
        case OutputFormat::Tiff:
            return takeBlob(image.tiffsave_buffer(
                VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE)->set("strip", true)));
        case OutputFormat::Bmp: return encodeBmp(image);
        case OutputFormat::Tga: return encodeTga(image);
        }
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
    return ConversionStatus::UnsupportedTarget;
}

} // namespace imaging
