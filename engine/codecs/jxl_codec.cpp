#include "engine/codecs/jxl_codec.h"

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>

#include <glib.h>

#include <memory>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

JxlDecoderPtr decoderFor(QByteArrayView file, int events)
{
    JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS
        || JxlDecoderSetInput(decoder.get(), reinterpret_cast<const std::uint8_t *>(file.data()),
                              std::size_t(file.size()))
               != JXL_DEC_SUCCESS)
        return nullptr;
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

ConversionResult damaged(const char *what)
{
    return {ConversionStatus::Damaged, QString::fromUtf8(what), {}, {}};
}

} // namespace

bool isJpegXlAnimation(QByteArrayView file)
{
    const JxlDecoderPtr decoder = decoderFor(file, JXL_DEC_BASIC_INFO);
    JxlBasicInfo info{};
    return decoder && JxlDecoderProcessInput(decoder.get()) == JXL_DEC_BASIC_INFO
           && JxlDecoderGetBasicInfo(decoder.get(), &info) == JXL_DEC_SUCCESS && info.have_animation;
}

Result<VImage> decodeJpegXlFirstFrame(QByteArrayView file, long long maxPixels)
{
    const JxlDecoderPtr decoder = decoderFor(file, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    if (!decoder || JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
        return damaged("libjxl did not start");
    JxlBasicInfo info{};
    JxlPixelFormat format{};
    std::vector<std::uint8_t> profile;
    // The pixels, in memory libvips takes over at the end.
    std::unique_ptr<void, decltype(&g_free)> pixels(nullptr, g_free);
    std::size_t pixelBytes = 0;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO:
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return damaged("libjxl could not read the picture's header");
            if (info.xsize == 0 || info.ysize == 0)
                return ConversionStatus::NoSize;
            if ((long long)info.xsize * (long long)info.ysize > maxPixels)
                return ConversionStatus::TooLarge;
            format = {info.num_color_channels + (info.alpha_bits > 0 ? 1u : 0u),
                      info.bits_per_sample > 8 ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            break;
        case JXL_DEC_COLOR_ENCODING: {
            std::size_t size = 0;
            if (JxlDecoderGetICCProfileSize(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size)
                    == JXL_DEC_SUCCESS
                && size > 0) {
                profile.resize(size);
                if (JxlDecoderGetColorAsICCProfile(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                                   profile.data(), size)
                    != JXL_DEC_SUCCESS)
                    profile.clear();
            }
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS)
                return damaged("libjxl could not size the picture");
            pixels.reset(g_try_malloc(size));
            pixelBytes = size;
            if (!pixels)
                return ConversionStatus::TooLarge;
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, pixels.get(), size) != JXL_DEC_SUCCESS)
                return damaged("libjxl could not take the picture's buffer");
            break;
        }
        case JXL_DEC_FULL_IMAGE: {
            // The first frame is all that is wanted: the rest is not decoded.
            const bool deep = format.data_type == JXL_TYPE_UINT16;
            const bool grey = info.num_color_channels == 1;
            if (!pixels)
                return damaged("libjxl gave no pixels");
            VImage image = VImage::new_from_memory_steal(pixels.release(), pixelBytes, int(info.xsize),
                                                         int(info.ysize), int(format.num_channels),
                                                         deep ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR);
            const VipsInterpretation interpretation
                = grey ? (deep ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W)
                       : (deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB);
            image = image.copy(VImage::option()->set("interpretation", interpretation));
            if (!profile.empty())
                vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, profile.data(), profile.size());
            return image;
        }
        case JXL_DEC_NEED_MORE_INPUT: return damaged("the JPEG XL file ends before its first frame");
        default: return damaged("libjxl could not decode the picture");
        }
    }
}

} // namespace imaging
