#include "imaging/draw_scaled_picture.h"

#include "imaging/bmp_file.h"
#include "imaging/read_picture_size.h"
#include "imaging/source_format.h"
#include "imaging/tga_file.h"
#include "imaging/vips_runtime.h"

#include <QFile>

#include <vector>

using vips::VImage;
using vips::VSource;

namespace imaging {

namespace {

// Every resize goes through libvips' thumbnail of the loaded picture: colour
// management, then a high-quality reduce or enlarge to the exact size. The
// orientation tag is not applied: the target size was fitted to the stored
// size of the picture.
vips::VOption *thumbnailOptions(int height)
{
    return VImage::option()->set("height", height)->set("size", VIPS_SIZE_FORCE)->set("no_rotate", true);
}

// The largest factor libjpeg can shrink by while decoding (1, 2, 4 or 8) that
// still leaves at least the target size. libvips' own thumbnail keeps twice the
// target's pixels in hand; decoding no more than needed is what makes large
// photos fast, and libjpeg's scaled decode is a proper reduction of its own.
int jpegShrink(int sourceWidth, int sourceHeight, int width, int height)
{
    int shrink = 1;
    for (int n : {2, 4, 8}) {
        if ((sourceWidth + n - 1) / n >= width && (sourceHeight + n - 1) / n >= height)
            shrink = n;
    }
    return shrink;
}

bool tooManyPixels(long long width, long long height)
{
    return width <= 0 || height <= 0 || width * height > kMaxSourcePixels;
}

// The whole file in memory: mapped when the system allows, read otherwise.
class FileBytes {
public:
    explicit FileBytes(QFile &file)
    {
        if (uchar *mapped = file.map(0, file.size())) {
            m_view = QByteArrayView(reinterpret_cast<const char *>(mapped), file.size());
        } else {
            file.seek(0);
            m_copy = file.readAll();
            m_view = m_copy;
        }
    }
    QByteArrayView view() const { return m_view; }

private:
    QByteArray m_copy;
    QByteArrayView m_view;
};

// Pixels decoded by one of the program's own decoders, handed to libvips
// without a copy. `decode` fills a buffer of width * height * bands bytes.
template <typename Header, typename Decode>
std::optional<VImage> decodedImage(const Header &header, Decode decode)
{
    const int bands = header.bands();
    const size_t size = size_t(header.width) * size_t(header.height) * size_t(bands);
    auto *pixels = static_cast<unsigned char *>(g_try_malloc(size));
    if (!pixels)
        return std::nullopt;
    if (!decode(pixels)) {
        g_free(pixels);
        return std::nullopt;
    }
    const VImage image =
        VImage::new_from_memory_steal(pixels, size, header.width, header.height, bands, VIPS_FORMAT_UCHAR);
    return image.copy(VImage::option()->set(
        "interpretation", bands <= 2 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

std::optional<VImage> loadTga(QFile &file, ConversionStatus &failure)
{
    const FileBytes bytes(file);
    const auto header = parseTgaHeader(bytes.view());
    if (!header)
        return std::nullopt;
    if (tooManyPixels(header->width, header->height)) {
        failure = ConversionStatus::TooLarge;
        return std::nullopt;
    }
    return decodedImage(*header, [&](unsigned char *out) { return decodeTga(bytes.view(), *header, out); });
}

// Bitmaps in layouts the program's decoder does not read (run-length, JPEG or
// PNG inside) go through libvips' ImageMagick loader, fed from memory: given a
// file name, ImageMagick would read "[...]" at its end as frame or size options.
std::optional<VImage> loadBmp(QFile &file, ConversionStatus &failure)
{
    const FileBytes bytes(file);
    const auto header = parseBmpHeader(bytes.view());
    const PictureSize declared =
        header ? PictureSize{header->width, header->height} : ReadPictureSize(file.fileName());
    if (tooManyPixels(declared.Width, declared.Height)) {
        failure = declared.Width > 0 && declared.Height > 0 ? ConversionStatus::TooLarge : ConversionStatus::Damaged;
        return std::nullopt;
    }
    if (header)
        return decodedImage(*header, [&](unsigned char *out) { return decodeBmp(bytes.view(), *header, out); });
    VipsBlob *blob = vips_blob_copy(bytes.view().data(), size_t(bytes.view().size()));
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

std::optional<VImage> LoadForScaling(const QString &path, int width, int height, ConversionStatus *failure)
{
    auto fail = [failure](ConversionStatus why) -> std::optional<VImage> {
        if (failure)
            *failure = why;
        return std::nullopt;
    };
    if (width < 1 || height < 1)
        return fail(ConversionStatus::NoSize);
    if (!ensureVipsStarted())
        return fail(ConversionStatus::Damaged);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ConversionStatus::SourceUnreadable);
    const SourceFormat format = sniffSource(file.read(kSniffBytes), path);

    try {
        switch (format) {
        case SourceFormat::Unknown:
            return fail(ConversionStatus::NotAPicture);
        case SourceFormat::Bmp:
        case SourceFormat::Tga: {
            ConversionStatus why = ConversionStatus::Damaged;
            const std::optional<VImage> image =
                format == SourceFormat::Tga ? loadTga(file, why) : loadBmp(file, why);
            if (!image)
                return fail(why);
            return markSequential(*image);
        }
        default: {
            file.close();
            // Sources, not file names: libvips would parse "[...]" at the end
            // of a name as load options. Pixels are read on demand, top to
            // bottom; a damaged or truncated file is an error, not a picture
            // with a grey end.
            const QByteArray native = QFile::encodeName(path);
            auto options = [] {
                return VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR);
            };
            const VImage image = VImage::new_from_source(VSource::new_from_file(native.constData()), "", options());
            if (tooManyPixels(image.width(), image.height()))
                return fail(ConversionStatus::TooLarge);
            const int shrink =
                format == SourceFormat::Jpeg ? jpegShrink(image.width(), image.height(), width, height) : 1;
            if (shrink == 1)
                return image;
            return VImage::jpegload_source(VSource::new_from_file(native.constData()),
                                           options()->set("shrink", shrink));
        }
        }
    } catch (const vips::VError &) {
        return fail(ConversionStatus::Damaged);
    }
    return fail(ConversionStatus::NotAPicture);
}

std::optional<VImage> ScaleToSize(const VImage &loaded, int width, int height, platform::ColourValue background)
{
    try {
        const VImage scaled = loaded.thumbnail_image(width, thumbnailOptions(height));
        if (scaled.width() != width || scaled.height() != height)
            return std::nullopt;
        return toOpaqueSrgb(scaled, background);
    } catch (const vips::VError &) {
        return std::nullopt;
    }
}

std::optional<VImage> DrawScaledPicture(const QString &path, int width, int height,
                                        platform::ColourValue background, ConversionStatus *failure)
{
    const std::optional<VImage> loaded = LoadForScaling(path, width, height, failure);
    if (!loaded)
        return std::nullopt;
    std::optional<VImage> scaled = ScaleToSize(*loaded, width, height, background);
    if (!scaled && failure)
        *failure = ConversionStatus::Damaged;
    return scaled;
}

} // namespace imaging
