#include "engine/codecs/heif_codec.h"

#include <libheif/heif.h>

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

template <typename T, auto Free> struct Deleter {
    void operator()(T *p) const { Free(p); }
};
using Context = std::unique_ptr<heif_context, Deleter<heif_context, heif_context_free>>;
using Handle = std::unique_ptr<const heif_image_handle, Deleter<const heif_image_handle, heif_image_handle_release>>;
using Image = std::unique_ptr<const heif_image, Deleter<const heif_image, heif_image_release>>;
using Encoder = std::unique_ptr<heif_encoder, Deleter<heif_encoder, heif_encoder_release>>;
using DecodingOptions
    = std::unique_ptr<heif_decoding_options, Deleter<heif_decoding_options, heif_decoding_options_free>>;
using Nclx = std::unique_ptr<heif_color_profile_nclx, Deleter<heif_color_profile_nclx, heif_nclx_color_profile_free>>;

ConversionResult damaged(const heif_error &error)
{
    return {ConversionStatus::Damaged, QString::fromUtf8(error.message ? error.message : "libheif failed"), {}, {}};
}

ConversionResult encoderFailed(const heif_error &error)
{
    return {ConversionStatus::WriteFailed, QString::fromUtf8(error.message ? error.message : "libheif failed"), {}, {}};
}

// libheif 1.15 turns away a file whose major brand is that of an image
// sequence (AVIF's "avis"), though the still image beside the sequence is
// an ordinary one: the brand is read as "avif" then.
QByteArrayView readableCopy(QByteArrayView file, QByteArray &copy)
{
    if (file.size() < 12 || file.sliced(8, 4) != QByteArrayView("avis"))
        return file;
    copy = file.toByteArray();
    std::memcpy(copy.data() + 8, "avif", 4);
    return copy;
}

// The profile libvips converts the decoded colours from.
void attachProfile(VImage &image, const heif_image_handle *handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        std::vector<char> profile(size);
        if (size > 0 && heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
            vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, profile.data(), size);
        return;
    }
    heif_color_profile_nclx *raw = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &raw).code != heif_error_Ok)
        return;
    const Nclx nclx(raw);
    // Display P3 (SMPTE EG 432-1 primaries, the sRGB curve), as phones write it.
    if (nclx->color_primaries == heif_color_primaries_SMPTE_EG_432_1
        && nclx->transfer_characteristics == heif_transfer_characteristic_IEC_61966_2_1) {
        VipsBlob *p3 = nullptr;
        if (vips_profile_load("p3", &p3, nullptr) == 0) {
            size_t length = 0;
            const void *data = vips_blob_get(p3, &length);
            vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, data, length);
            vips_area_unref(VIPS_AREA(p3));
        } else {
            vips_error_clear();
        }
    }
}

} // namespace

Result<VImage> decodeHeif(QByteArrayView file, long long maxPixels)
{
    QByteArray copy;
    const QByteArrayView bytes = readableCopy(file, copy);
    const Context context(heif_context_alloc());
    if (!context)
        return {ConversionStatus::OutOfMemory, QStringLiteral("libheif could not start")};
    heif_error error
        = heif_context_read_from_memory_without_copy(context.get(), bytes.data(), size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok)
        return damaged(error);
    heif_image_handle *rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    if (error.code != heif_error_Ok)
        return damaged(error);
    const Handle handle(rawHandle);
    const long long width = heif_image_handle_get_width(rawHandle);
    const long long height = heif_image_handle_get_height(rawHandle);
    if (width <= 0 || height <= 0)
        return {ConversionStatus::Damaged, QStringLiteral("the primary image has no size")};
    if (width * height > maxPixels)
        return ConversionStatus::TooLarge;

    const bool alpha = heif_image_handle_has_alpha_channel(rawHandle) != 0;
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(rawHandle), 8);
    const bool deep = bits > 8;
    const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                    : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    const DecodingOptions options(heif_decoding_options_alloc());
    heif_image *rawImage = nullptr;
    error = heif_decode_image(rawHandle, &rawImage, heif_colorspace_RGB, chroma, options.get());
    if (error.code != heif_error_Ok)
        return damaged(error);
    const Image image(rawImage);

    // The decoded size, which is the one to trust: a grid or a coded image
    // may differ a little from what `ispe` stated.
    const int w = heif_image_get_width(rawImage, heif_channel_interleaved);
    const int h = heif_image_get_height(rawImage, heif_channel_interleaved);
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(rawImage, heif_channel_interleaved, &stride);
    if (!plane || w <= 0 || h <= 0)
        return {ConversionStatus::Damaged, QStringLiteral("libheif decoded no pixels")};
    const int bands = alpha ? 4 : 3;
    const size_t sampleBytes = deep ? 2 : 1;
    const size_t rowBytes = size_t(w) * size_t(bands) * sampleBytes;
    const size_t size = rowBytes * size_t(h);
    auto *pixels = static_cast<unsigned char *>(g_try_malloc(size));
    if (!pixels)
        return {ConversionStatus::OutOfMemory, QStringLiteral("cannot allocate %1 bytes").arg(size)};
    const int storedBits = deep ? heif_image_get_bits_per_pixel_range(rawImage, heif_channel_interleaved) : 8;
    const unsigned top = (1u << std::clamp(storedBits, 9, 16)) - 1;
    for (int y = 0; y < h; ++y) {
        const uint8_t *from = plane + std::ptrdiff_t(y) * stride;
        unsigned char *to = pixels + size_t(y) * rowBytes;
        if (!deep) {
            std::memcpy(to, from, rowBytes);
            continue;
        }
        // Little-endian samples of 10 or 12 bits, spread over 16.
        auto *out = reinterpret_cast<std::uint16_t *>(to);
        for (size_t i = 0; i < size_t(w) * size_t(bands); ++i) {
            const unsigned value = std::min<unsigned>(from[2 * i] | unsigned(from[2 * i + 1]) << 8, top);
            out[i] = std::uint16_t((value * 65535u + top / 2) / top);
        }
    }
    VImage decoded
        = VImage::new_from_memory_steal(pixels, size, w, h, bands, deep ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR)
              .copy(
                  VImage::option()->set("interpretation", deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB));
    if (alpha && heif_image_handle_is_premultiplied_alpha(rawHandle))
        decoded = decoded.unpremultiply(VImage::option()->set("max_alpha", deep ? 65535.0 : 255.0))
                      .cast(deep ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR);
    attachProfile(decoded, rawHandle);
    return decoded;
}

Result<QByteArray> encodeHeif(const VImage &picture, HeifCodec codec, int quality)
{
    const int w = picture.width();
    const int h = picture.height();
    size_t size = 0;
    const std::unique_ptr<void, decltype(&g_free)> memory(picture.write_to_memory(&size), &g_free);
    const int bands = picture.bands();
    if ((bands != 3 && bands != 4) || size != size_t(w) * size_t(h) * size_t(bands))
        return {ConversionStatus::WriteFailed, QStringLiteral("not an 8-bit RGB or RGBA picture")};

    // With alpha, libheif codes it as a picture of its own beside the colour.
    heif_image *rawImage = nullptr;
    heif_error error = heif_image_create(w, h, heif_colorspace_RGB,
                                         bands == 4 ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &rawImage);
    if (error.code != heif_error_Ok)
        return encoderFailed(error);
    const Image image(rawImage);
    error = heif_image_add_plane(rawImage, heif_channel_interleaved, w, h, 8);
    if (error.code != heif_error_Ok)
        return encoderFailed(error);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(rawImage, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y)
        std::memcpy(plane + std::ptrdiff_t(y) * stride,
                    static_cast<const char *>(memory.get()) + size_t(y) * size_t(w) * size_t(bands),
                    size_t(w) * size_t(bands));

    const Context context(heif_context_alloc());
    heif_encoder *rawEncoder = nullptr;
    error = heif_context_get_encoder_for_format(
        context.get(), codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1, &rawEncoder);
    if (error.code != heif_error_Ok)
        return encoderFailed(error);
    const Encoder encoder(rawEncoder);
    heif_encoder_set_lossy_quality(rawEncoder, std::clamp(quality, 1, 100));
    // The speed chosen in bench/README.md: about a second for 1024 x 768 on
    // one core.
    if (codec == HeifCodec::Hevc)
        heif_encoder_set_parameter_string(rawEncoder, "preset", kHevcPreset);
    else
        heif_encoder_set_parameter_integer(rawEncoder, "speed", kAv1Speed);
    heif_encoder_set_parameter_string(rawEncoder, "chroma", "420");
    error = heif_context_encode_image(context.get(), rawImage, rawEncoder, nullptr, nullptr);
    if (error.code != heif_error_Ok)
        return encoderFailed(error);

    QByteArray out;
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = [](heif_context *, const void *data, size_t length, void *target) {
        static_cast<QByteArray *>(target)->append(static_cast<const char *>(data), qsizetype(length));
        return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
    };
    error = heif_context_write(context.get(), &writer, &out);
    if (error.code != heif_error_Ok)
        return encoderFailed(error);
    return out;
}

} // namespace imaging
