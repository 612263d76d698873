#include "worker/worker_warm_up.h"

#include "engine/codecs/encode_picture.h"
#include "engine/codecs/magick_bitmap.h"
#include "engine/scale_and_encode.h"

#include <vips/vips8>

#include <cerrno>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

// 24 x 16 pixels of colour that changes along both directions.
VImage smallPicture()
{
    const VImage xy = VImage::xyz(24, 16);
    return (xy[0] * 10)
        .bandjoin(xy[1] * 15)
        .bandjoin(80)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// A 4 x 2 bitmap in run-length encoding (BI_RLE8), which the program's own
// BMP decoder leaves to ImageMagick. `whole` false cuts its pixels short.
QByteArray runLengthBitmap(bool whole)
{
    static const unsigned char bytes[] = {
        'B', 'M', 72, 0, 0,    0,    0,    0, 0,    0,    62, 0, 0, 0, // file header: size 72, pixels at 62
        40,  0,   0,  0, 4,    0,    0,    0, 2,    0,    0,  0, 1, 0, 8, 0, 1, 0, 0, 0, // 4 x 2, 8 bits, BI_RLE8
        10,  0,   0,  0, 0x13, 0x0B, 0,    0, 0x13, 0x0B, 0,  0, 2, 0, 0, 0, 2, 0, 0, 0, // 2 colours
        0,   0,   0,  0, 0,    0,    0xFF, 0,                                            // black, red
        4,   1,   0,  0, 4,    0,    0,    0, 0,    1, // 4 red, end of line, 4 black, end
    };
    return QByteArray(reinterpret_cast<const char *>(bytes), whole ? qsizetype(sizeof bytes) : 66);
}

struct Sample {
    const char *name;
    QByteArray bytes;
    bool tgaName = false;
    bool decodes = true; // false: a damaged file, which must fail as damaged
};

std::vector<Sample> samples()
{
    const VImage rgb = smallPicture();
    auto save = [](VipsBlob *blob) { return takeBlob(blob); };
    const VImage alpha = rgb.bandjoin(rgb[1]);
    const VImage deepGrey = (rgb[0] * 200)
                                .cast(VIPS_FORMAT_USHORT)
                                .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16));
    auto encoded = [](const Result<QByteArray> &bytes) { return bytes ? *bytes : QByteArray(); };
    std::vector<Sample> list;
    list.push_back({"JPEG", save(rgb.jpegsave_buffer())});
    list.push_back({"PNG", save(rgb.pngsave_buffer())});
    list.push_back({"PNG with alpha", save(alpha.pngsave_buffer())});
    list.push_back({"16-bit grey PNG", save(deepGrey.pngsave_buffer())});
    list.push_back({"palette PNG", save(rgb.pngsave_buffer(VImage::option()->set("palette", true)))});
    list.push_back({"GIF", save(rgb.gifsave_buffer())});
    list.push_back(
        {"TIFF", save(rgb.tiffsave_buffer(VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW)))});
    list.push_back({"BMP", encoded(encodePicture(rgb, OutputFormat::Bmp))});
    list.push_back({"run-length BMP", runLengthBitmap(true)});
    list.push_back({"damaged run-length BMP", runLengthBitmap(false), false, false});
    const Result<QByteArray> tga = encodePicture(rgb, OutputFormat::Tga);
    list.push_back({"TGA", tga ? *tga : QByteArray(), true});
    // The newer formats, by the program's own encoders, and the paths their
    // decoders take: lossy and lossless WebP, WebP with alpha (ALPH), HEIC
    // (libde265), AVIF (dav1d), JPEG XL.
    list.push_back({"WebP", encoded(encodePicture(rgb, OutputFormat::WebP))});
    list.push_back({"lossless WebP", encoded(encodePicture(rgb, OutputFormat::WebP, kOwnQuality, true))});
    list.push_back({"WebP with alpha", save(alpha.webpsave_buffer())});
    list.push_back({"HEIC", encoded(encodePicture(rgb, OutputFormat::Heic))});
    list.push_back({"AVIF", encoded(encodePicture(rgb, OutputFormat::Avif))});
    list.push_back({"JPEG XL", encoded(encodePicture(rgb, OutputFormat::JpegXl))});
    list.push_back({"JPEG XL with alpha", save(alpha.jxlsave_buffer())});
    return list;
}

} // namespace

std::string warmUpEngine()
{
    std::string problems;
    // ImageMagick with its BMP coder alone (the run-length bitmaps below
    // go through it).
    startMagickBitmapCoder();
    try {
        constexpr OutputFormat kOutputs[]
            = {OutputFormat::Jpeg, OutputFormat::Png,  OutputFormat::Gif,  OutputFormat::Tiff, OutputFormat::Bmp,
               OutputFormat::Tga,  OutputFormat::WebP, OutputFormat::Heic, OutputFormat::Avif, OutputFormat::JpegXl};
        int next = 0;
        for (const Sample &sample : samples()) {
            // 3 x 2 takes a JPEG through libjpeg's shrink-on-load as well.
            const OutputFormat format = kOutputs[next++ % std::size(kOutputs)];
            const Result<QByteArray> converted
                = scaleAndEncode({sample.bytes, sample.tgaName, 1}, 3, 2, format, 0xFFFFFF, 90);
            const bool asExpected = sample.decodes ? bool(converted) : !converted;
            if (!asExpected)
                problems += std::string(problems.empty() ? "" : "; ") + sample.name;
        }
    } catch (const vips::VError &error) {
        problems += std::string(problems.empty() ? "" : "; ") + error.what();
    }
    // Nothing of the warm-up is left for the first picture to find.
    vips_error_clear();
    errno = 0;
    return problems;
}

} // namespace imaging
