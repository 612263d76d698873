#include "engine/codecs/magick_bitmap.h"

#include <glib.h>
#include <magick/MagickCore.h>

#include <cstring>
#include <memory>
#include <mutex>

using vips::VImage;

namespace imaging {

void startMagickBitmapCoder()
{
    static std::once_flag once;
    std::call_once(once, [] {
        MagickCoreGenesis("tarvel", MagickFalse);
        ExceptionInfo *exception = AcquireExceptionInfo();
        // Loads coders/bmp.so (BMP, BMP2, BMP3 live in one module).
        (void)GetMagickInfo("BMP", exception);
        DestroyExceptionInfo(exception);
    });
}

Result<VImage> decodeMagickBitmap(QByteArrayView bytes)
{
    startMagickBitmapCoder();
    const std::unique_ptr<ExceptionInfo, decltype(&DestroyExceptionInfo)> exception(AcquireExceptionInfo(),
                                                                                     DestroyExceptionInfo);
    const std::unique_ptr<ImageInfo, decltype(&DestroyImageInfo)> info(AcquireImageInfo(), DestroyImageInfo);
    // The coder named, so that ImageMagick guesses nothing from the bytes:
    // guessing would consult (and load) every coder it has.
    std::strcpy(info->magick, "BMP");
    std::strcpy(info->filename, "BMP:");
    info->affirm = MagickTrue;
    const std::unique_ptr<Image, decltype(&DestroyImageList)> image(
        BlobToImage(info.get(), bytes.data(), size_t(bytes.size()), exception.get()), DestroyImageList);
    const auto failure = [&](const char *fallback) {
        const char *reason = exception->reason ? exception->reason : fallback;
        const bool noMemory = exception->severity == ResourceLimitError || exception->severity == ResourceLimitFatalError;
        return Result<VImage>{noMemory ? ConversionStatus::OutOfMemory : ConversionStatus::Damaged,
                              QString::fromUtf8(reason)};
    };
    if (!image || exception->severity >= ErrorException)
        return failure("ImageMagick could not read the bitmap");
    const size_t width = image->columns;
    const size_t height = image->rows;
    const int bands = image->matte ? 4 : 3;
    const size_t size = width * height * size_t(bands);
    if (width == 0 || height == 0 || width > size_t(VIPS_MAX_COORD) || height > size_t(VIPS_MAX_COORD))
        return failure("the bitmap has no pixels");
    auto *pixels = static_cast<unsigned char *>(g_try_malloc(size));
    if (!pixels)
        return {ConversionStatus::OutOfMemory, QStringLiteral("cannot allocate %1 bytes").arg(size)};
    if (ExportImagePixels(image.get(), 0, 0, width, height, bands == 4 ? "RGBA" : "RGB", CharPixel, pixels,
                          exception.get())
        == MagickFalse) {
        g_free(pixels);
        return failure("ImageMagick could not hand over the pixels");
    }
    const VImage decoded = VImage::new_from_memory_steal(pixels, size, int(width), int(height), bands, VIPS_FORMAT_UCHAR);
    return decoded.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

} // namespace imaging
