#include "imaging/draw_scaled_picture.h"

#include "imaging/source_format.h"
#include "imaging/vips_runtime.h"

#include <QFile>

#include <vector>

using vips::VImage;
using vips::VSource;

namespace imaging {

namespace {

// Every resize goes through libvips' thumbnail: shrink-on-load where the
// format allows it, then a high-quality reduce or enlarge to the exact size.
// The orientation tag is not applied: the target size was fitted to the
// stored size of the picture.
vips::VOption *thumbnailOptions(int height)
{
    return VImage::option()
        ->set("height", height)
        ->set("size", VIPS_SIZE_FORCE)
        ->set("no_rotate", true)
        ->set("fail_on", VIPS_FAIL_ON_ERROR);
}

bool tooManyPixels(long long width, long long height)
{
    return width <= 0 || height <= 0 || width * height > kMaxSourcePixels;
}

// BMP and TGA go through libvips' ImageMagick loader, which reads only from
// memory here: given a file name, ImageMagick would read "[...]" at its end
// as frame or size options.
VImage loadWithImageMagick(QFile &file)
{
    file.seek(0);
    const QByteArray bytes = file.readAll();
    file.close();
    VipsBlob *blob = vips_blob_copy(bytes.constData(), size_t(bytes.size()));
    struct BlobRef {
        VipsBlob *blob;
        ~BlobRef() { vips_area_unref(VIPS_AREA(blob)); }
    } ref{blob};
    return VImage::magickload_buffer(blob);
}

VImage toOpaqueSrgb(VImage image, platform::ColourValue background)
{
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.has_alpha()) {
        const std::vector<double> colour{double(platform::redOf(background)),
                                         double(platform::greenOf(background)),
                                         double(platform::blueOf(background))};
        image = image.flatten(VImage::option()->set("background", colour));
    }
    if (image.bands() > 3)
        image = image.extract_band(0, VImage::option()->set("n", 3));
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

} // namespace

std::optional<VImage> DrawScaledPicture(const QString &path, int width, int height,
                                        platform::ColourValue background)
{
    if (width < 1 || height < 1 || !ensureVipsStarted())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const SourceKind kind = sniffSource(file.read(kSniffBytes), path);

    try {
        VImage scaled;
        switch (kind.format) {
        case SourceFormat::Unknown:
            return std::nullopt;
        case SourceFormat::Bmp:
        case SourceFormat::Tga: {
            if (tooManyPixels(kind.declaredWidth, kind.declaredHeight))
                return std::nullopt;
            VImage image = loadWithImageMagick(file);
            // ImageMagick reports a TGA's bottom-up storage as an orientation;
            // its rows are already the right way up.
            if (kind.format == SourceFormat::Tga && image.get_typeof(VIPS_META_ORIENTATION))
                image.remove(VIPS_META_ORIENTATION);
            scaled = image.thumbnail_image(width, thumbnailOptions(height));
            break;
        }
        default: {
            file.close();
            // Sources, not file names: libvips would parse "[...]" at the end
            // of a name as load options.
            const QByteArray native = QFile::encodeName(path);
            const VImage header = VImage::new_from_source(
                VSource::new_from_file(native.constData()), "",
                VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
            if (tooManyPixels(header.width(), header.height()))
                return std::nullopt;
            scaled = VImage::thumbnail_source(VSource::new_from_file(native.constData()), width,
                                              thumbnailOptions(height));
            break;
        }
        }
        if (scaled.width() != width || scaled.height() != height)
            return std::nullopt;
        return toOpaqueSrgb(scaled, background);
    } catch (const vips::VError &) {
        return std::nullopt;
    }
}

} // namespace imaging
