#include "engine/codecs/encode_picture.h"

#include "engine/codecs/bmp_file.h"
#include "engine/codecs/gif_file.h"
#include "engine/codecs/heif_codec.h"
#include "engine/codecs/png_file.h"
#include "engine/codecs/tga_file.h"
#include "engine/codecs/vips_errors.h"
#include "imaging/checksum.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <memory>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

// One frame: a "loop" of 1 is how libvips is told to leave out the
// animation loop block (NETSCAPE2.0). No option keeps it from marking a
// transparent index, so for an opaque picture that is switched off in the
// written blocks; a picture with alpha (all or nothing by now) keeps it. The
// quantiser at effort 3 instead of libvips' 7, with full dithering: a third
// of the time, and closer to the picture once the dither is blurred away
// (48.8 against 47.8 dB over the bench's GIF and PNG pictures; 2 dB further
// pixel by pixel, which is the dither's noise). bench/README.md has the
// table.
QByteArray encodeGif(const VImage &picture)
{
    VImage once = picture.copy();
    once.set("loop", 1);
    QByteArray gif
        = takeBlob(once.gifsave_buffer(VImage::option()->set("strip", true)->set("effort", 3)->set("dither", 1.0)));
    return picture.has_alpha() ? gif : withoutTransparentIndex(std::move(gif));
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
    return encodeTgaPixels(static_cast<const unsigned char *>(pixels.get()), picture.width(), picture.height(),
                           picture.bands());
}

// The picture alone, without a single field of the source's metadata (EXIF,
// XMP, a profile), which some savers write whatever "strip" says.
VImage withoutMetadata(const VImage &picture)
{
    size_t size = 0;
    void *pixels = picture.write_to_memory(&size);
    return VImage::new_from_memory_steal(pixels, size, picture.width(), picture.height(), picture.bands(),
                                         picture.format())
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// libvips (8.14, through libwebpmux) wraps every picture in the extended
// format, its VP8X header announcing EXIF that is not there. A picture
// without metadata needs only the simple format: the RIFF header and the one
// VP8 or VP8L chunk (which holds a lossless picture's alpha), taken out as it
// is. A lossy picture's alpha is a chunk of its own, ALPH, which only the
// extended format holds: then a VP8X header that announces alpha alone, the
// ALPH chunk and the VP8 one.
QByteArray simpleWebp(const QByteArray &webp)
{
    auto le32 = [&](qsizetype at) {
        return quint32(quint8(webp[at])) | quint32(quint8(webp[at + 1])) << 8 | quint32(quint8(webp[at + 2])) << 16
               | quint32(quint8(webp[at + 3])) << 24;
    };
    qsizetype at = 12;
    QByteArray extended;
    while (at + 8 <= webp.size()) {
        const QByteArray type = webp.mid(at, 4);
        const qsizetype size = qsizetype(le32(at + 4));
        const qsizetype next = at + 8 + size + (size & 1);
        if (next > webp.size())
            break;
        if (type == "VP8X" && size == 10) {
            extended = webp.mid(at, next - at);
            extended[8] = char(0x10); // alpha, and nothing else
        } else if (type == "ALPH" && !extended.isEmpty()) {
            extended += webp.mid(at, next - at);
        }
        if (type == "VP8 " || type == "VP8L") {
            const QByteArray chunk = webp.mid(at, next - at);
            const bool alphaApart = type == "VP8 " && extended.size() > 18;
            QByteArray simple = QByteArray("RIFF") + QByteArray(4, '\0') + "WEBP" + (alphaApart ? extended : QByteArray())
                                + chunk;
            const quint32 riff = quint32(simple.size() - 8);
            for (int i = 0; i < 4; ++i)
                simple[4 + i] = char(riff >> (8 * i));
            return simple;
        }
        at = next;
    }
    return webp;
}

QByteArray encodeWebp(const VImage &picture, int quality, bool lossless)
{
    auto options = VImage::option()->set("strip", true)->set("effort", 4);
    if (lossless)
        options->set("lossless", true);
    else
        options->set("Q", quality == kOwnQuality ? kWebpQuality : std::clamp(quality, 1, 100));
    return simpleWebp(takeBlob(withoutMetadata(picture).webpsave_buffer(options)));
}

QByteArray encodeJpegXl(const VImage &picture, int quality)
{
    // A quality asked for becomes the distance cjxl makes of it, at most
    // the 15 libvips takes (libvips' own mapping passes libjxl's limit at
    // the lowest qualities).
    const double q = std::clamp(quality, 1, 100);
    const double distance = quality == kOwnQuality ? kJpegXlDistance
                            : q >= 30              ? 0.1 + (100 - q) * 0.09
                                                   : 53.0 / 3000.0 * q * q - 23.0 / 20.0 * q + 25.0;
    auto options = VImage::option()->set("effort", kJpegXlEffort)->set("distance", std::min(distance, 15.0));
    return takeBlob(withoutMetadata(picture).jxlsave_buffer(options));
}

// A pHYs chunk of `dpi` put after the IHDR chunk, which every PNG starts
// with (the signature, then IHDR's 25 bytes).
QByteArray withPngResolution(const QByteArray &png, int dpi)
{
    constexpr qsizetype kAfterHeader = 8 + 25;
    if (png.size() < kAfterHeader)
        return png;
    const std::uint32_t perMetre = std::uint32_t(std::lround(dpi / 0.0254));
    QByteArray chunk;
    auto be32 = [&](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            chunk.append(char(value >> shift));
    };
    be32(9);
    chunk.append("pHYs");
    be32(perMetre);
    be32(perMetre);
    chunk.append(char(1)); // the unit is the metre
    const auto *typeAndData = reinterpret_cast<const std::uint8_t *>(chunk.constData()) + 4;
    be32(crc32(std::span(typeAndData, 4 + 9)));
    return png.left(kAfterHeader) + chunk + png.mid(kAfterHeader);
}

// A JFIF segment with the density in dots per inch, right after the start
// of the image (libvips writes none once it strips metadata).
QByteArray withJfifResolution(const QByteArray &jpeg, int dpi)
{
    if (jpeg.size() < 4 || quint8(jpeg[0]) != 0xFF || quint8(jpeg[1]) != 0xD8)
        return jpeg;
    QByteArray jfif("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01", 12);
    for (int i = 0; i < 2; ++i)
        jfif.append(char(dpi >> 8)).append(char(dpi));
    jfif.append(2, '\0'); // no thumbnail
    return jpeg.left(2) + jfif + jpeg.mid(2);
}

// The 40-byte info header's pixels per metre, both ways.
QByteArray withBmpResolution(QByteArray bmp, int dpi)
{
    const std::uint32_t perMetre = std::uint32_t(std::lround(dpi / 0.0254));
    if (bmp.size() < 14 + 40)
        return bmp;
    for (const qsizetype at : {qsizetype(38), qsizetype(42)}) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = char(perMetre >> (8 * i));
    }
    return bmp;
}

} // namespace

Result<QByteArray> encodePicture(const VImage &picture, OutputFormat format, int quality, bool losslessSource, int dpi)
{
    if (dpi <= 0)
        return encodePicture(picture, format, quality, losslessSource);
    switch (format) {
    case OutputFormat::Jpeg: {
        Result<QByteArray> jpeg = encodePicture(picture, format, quality, losslessSource);
        return jpeg ? Result<QByteArray>(withJfifResolution(*jpeg, dpi)) : jpeg;
    }
    case OutputFormat::Tiff: {
        // libvips keeps a resolution in pixels per millimetre and writes it
        // as the TIFF tags, in inches.
        errno = 0;
        try {
            const double perMm = dpi / 25.4;
            VImage tagged = picture.copy(VImage::option()->set("xres", perMm)->set("yres", perMm));
            return takeBlob(tagged.tiffsave_buffer(VImage::option()
                                                       ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE)
                                                       ->set("strip", true)
                                                       ->set("resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH)
                                                       ->set("xres", perMm)
                                                       ->set("yres", perMm)));
        } catch (const vips::VError &error) {
            return failureOf(error);
        }
    }
    case OutputFormat::Png: {
        Result<QByteArray> png = encodePicture(picture, format, quality, losslessSource);
        return png ? Result<QByteArray>(withPngResolution(*png, dpi)) : png;
    }
    case OutputFormat::Bmp: {
        Result<QByteArray> bmp = encodePicture(picture, format, quality, losslessSource);
        return bmp ? Result<QByteArray>(withBmpResolution(*bmp, dpi)) : bmp;
    }
    default: return encodePicture(picture, format, quality, losslessSource);
    }
}

QByteArray takeBlob(VipsBlob *blob)
{
    size_t length = 0;
    const void *data = vips_blob_get(blob, &length);
    QByteArray bytes(static_cast<const char *>(data), qsizetype(length));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

Result<QByteArray> encodePicture(const VImage &picture, OutputFormat format, int quality, bool losslessSource)
{
    errno = 0;
    try {
        // No metadata at all: the pixels are upright sRGB now, so neither an
        // orientation nor a colour profile would be true of them. PNG and
        // JPEG keep a grey picture grey, in one channel; the other formats
        // are written in colour as they always were.
        const bool keepsGrey = format == OutputFormat::Jpeg || format == OutputFormat::Png;
        const bool alpha = picture.has_alpha();
        VImage image = picture;
        if (picture.bands() - alpha == 1 && !keepsGrey) {
            const VImage grey = picture[0];
            image = VImage::bandjoin({grey, grey, grey});
            if (alpha)
                image = image.bandjoin(picture[1]);
            image = image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        }
        switch (format) {
        case OutputFormat::Jpeg:
            return takeBlob(image.jpegsave_buffer(
                VImage::option()
                    ->set("Q", quality == kOwnQuality ? kBestJpegQuality : std::clamp(quality, 1, 100))
                    ->set("strip", true)));
        case OutputFormat::Png: return encodePngPicture(image);
        case OutputFormat::Gif: return encodeGif(image);
        case OutputFormat::Tiff:
            return takeBlob(image.tiffsave_buffer(
                VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE)->set("strip", true)));
        case OutputFormat::Bmp: return encodeBmp(image);
        case OutputFormat::Tga: return encodeTga(image);
        case OutputFormat::WebP: return encodeWebp(image, quality, losslessSource);
        case OutputFormat::Heic:
            return encodeHeif(image, HeifCodec::Hevc, quality == kOwnQuality ? kHeicQuality : quality);
        case OutputFormat::Avif:
            return encodeHeif(image, HeifCodec::Av1, quality == kOwnQuality ? kAvifQuality : quality);
        case OutputFormat::JpegXl: return encodeJpegXl(image, quality);
        }
    } catch (const vips::VError &error) {
        return failureOf(error);
    }
    return ConversionStatus::UnsupportedTarget;
}

} // namespace imaging
