#include "imaging/encode_picture.h"

#include "imaging/tga_file.h"

#include <glib.h>

#include <memory>

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

bool hasTurnedOrientation(const VImage &picture)
{
    return picture.get_typeof(VIPS_META_ORIENTATION)
        && picture.get_int(VIPS_META_ORIENTATION) != 1;
}

// A copy of the picture whose only metadata is its orientation, so that a
// saver told not to strip writes that tag and nothing else (no camera EXIF,
// no stale colour profile: the pixels are plain sRGB now).
VImage withOnlyOrientation(const VImage &picture)
{
    VImage copy = picture.copy();
    std::unique_ptr<gchar *, decltype(&g_strfreev)> fields(
        vips_image_get_fields(copy.get_image()), &g_strfreev);
    for (gchar **field = fields.get(); *field; ++field) {
        if (g_str_equal(*field, VIPS_META_ORIENTATION))
            continue;
        // Width, height and the other built-in fields cannot be removed; that
        // is fine, they are not metadata.
        copy.remove(*field);
    }
    return copy;
}

QByteArray encodeTga(const VImage &picture)
{
    size_t size = 0;
    std::unique_ptr<void, decltype(&g_free)> pixels(picture.write_to_memory(&size), &g_free);
    return encodeTga24(static_cast<const unsigned char *>(pixels.get()), picture.width(),
                       picture.height());
}

} // namespace

std::optional<QByteArray> encodePicture(const VImage &picture, OutputFormat format, EngineFailure *failure)
{
    try {
        const bool keepOrientation = hasTurnedOrientation(picture)
            && (format == OutputFormat::Jpeg || format == OutputFormat::Tiff);
        const VImage image = keepOrientation ? withOnlyOrientation(picture) : picture;
        switch (format) {
        case OutputFormat::Jpeg:
            return takeBlob(image.jpegsave_buffer(
                VImage::option()->set("Q", 100)->set("strip", !keepOrientation)));
        case OutputFormat::Png:
            return takeBlob(image.pngsave_buffer(VImage::option()->set("strip", true)));
        case OutputFormat::Gif:
            return takeBlob(image.gifsave_buffer(VImage::option()->set("strip", true)));
        case OutputFormat::Tiff:
            return takeBlob(image.tiffsave_buffer(VImage::option()
                                                     ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE)
                                                     ->set("strip", !keepOrientation)));
        case OutputFormat::Bmp:
            // BMP3 is the classic Windows bitmap with the 40-byte header that
            // every reader knows; a 3-band picture is written at 24 bits.
            return takeBlob(image.magicksave_buffer(
                VImage::option()->set("format", "BMP3")->set("strip", true)));
        case OutputFormat::Tga:
            return encodeTga(image);
        }
    } catch (const vips::VError &error) {
        if (failure)
            *failure = failureOf(error);
    }
    return std::nullopt;
}

} // namespace imaging
