#include "engine/shown_colours.h"

#include <lcms2.h>

#include <vector>

using vips::VImage;

namespace imaging {

namespace {

bool isWide(const VImage &image) { return image.format() == VIPS_FORMAT_USHORT; }

VImage withoutAlpha(const VImage &image)
{
    return image.has_alpha() ? image.extract_band(0, VImage::option()->set("n", image.bands() - 1)) : image;
}

} // namespace

bool hasReadableProfile(const VImage &image)
{
    if (!image.get_typeof(VIPS_META_ICC_NAME))
        return false;
    const void *data = nullptr;
    size_t length = 0;
    if (vips_image_get_blob(image.get_image(), VIPS_META_ICC_NAME, &data, &length) != 0) {
        vips_error_clear();
        return false;
    }
    const cmsHPROFILE profile = cmsOpenProfileFromMem(data, cmsUInt32Number(length));
    if (!profile) {
        // libvips hands lcms' complaint to its own error buffer, which would
        // fail the picture (scaleAndEncode).
        vips_error_clear();
        return false;
    }
    cmsCloseProfile(profile);
    return true;
}

bool isGrey(const VImage &image)
{
    const VipsInterpretation interpretation = image.interpretation();
    return (interpretation == VIPS_INTERPRETATION_B_W || interpretation == VIPS_INTERPRETATION_GREY16)
           && image.bands() - (image.has_alpha() ? 1 : 0) == 1;
}

VImage managedToSrgb(const VImage &source)
{
    VImage image = source;
    if (!hasReadableProfile(image) && image.get_typeof(VIPS_META_ICC_NAME)) {
        // lcms would fail the whole picture on it, and late, while the
        // pixels are computed: the picture is taken as sRGB, as viewers do.
        image = image.copy();
        image.remove(VIPS_META_ICC_NAME);
    }
    const bool cmyk = image.interpretation() == VIPS_INTERPRETATION_CMYK;
    if (!cmyk && !image.get_typeof(VIPS_META_ICC_NAME))
        return image;
    try {
        // libvips carries alpha through the transform, but casts a 16-bit one
        // to the 8-bit output unscaled: anything not quite opaque came out
        // opaque. The colour goes through lcms alone; alpha is rejoined as it
        // was, at the depth it had.
        const bool wide = isWide(image);
        auto options = VImage::option()
                           ->set("embedded", true)
                           ->set("intent", VIPS_INTENT_PERCEPTUAL)
                           ->set("depth", wide ? 16 : 8);
        if (cmyk)
            options->set("input_profile", "cmyk");
        VImage converted = withoutAlpha(image).icc_transform("srgb", options);
        if (image.has_alpha()) {
            VImage alpha = image.extract_band(image.bands() - 1);
            if (converted.format() != alpha.format())
                alpha = (alpha * (isWide(converted) ? 257.0 : 1.0 / 257.0))
                            .round(VIPS_OPERATION_ROUND_RINT)
                            .cast(converted.format());
            converted = converted.bandjoin(alpha);
        }
        converted.remove(VIPS_META_ICC_NAME);
        return converted;
    } catch (const vips::VError &) {
        // Overcome: its message must not count against the picture
        // (scaleAndEncode fails a picture whose conversion left one).
        vips_error_clear();
        VImage unmanaged = image.copy();
        unmanaged.remove(VIPS_META_ICC_NAME);
        return unmanaged;
    }
}

VImage flattenedForViewing(VImage image, platform::ColourValue background, bool grey)
{
    const std::vector<double> colour{double(platform::redOf(background)), double(platform::greenOf(background)),
                                     double(platform::blueOf(background))};
    const bool greyBackground = colour[0] == colour[1] && colour[1] == colour[2];
    const bool staysGrey = grey && (!image.has_alpha() || greyBackground);

    // Onto sRGB or grey, 8 or 16 bits, unless already there.
    const VipsInterpretation interpretation = image.interpretation();
    const bool known
        = image.format() == VIPS_FORMAT_UCHAR
              ? interpretation == VIPS_INTERPRETATION_sRGB || interpretation == VIPS_INTERPRETATION_B_W
              : isWide(image)
                    && (interpretation == VIPS_INTERPRETATION_RGB16 || interpretation == VIPS_INTERPRETATION_GREY16);
    if (!known)
        image = image.colourspace(staysGrey ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB);
    const double scale = isWide(image) ? 255.0 / 65535.0 : 1.0;
    VImage shown = withoutAlpha(image);
    const int colourBands = staysGrey ? 1 : 3;
    if (shown.bands() == 1 && colourBands == 3)
        shown = VImage::bandjoin({shown, shown, shown});
    else if (shown.bands() == 3 && colourBands == 1)
        // A grey source converted through its profile: the three are equal
        // but for rounding.
        shown = (shown[0] + shown[1] + shown[2]) / 3.0;
    else if (shown.bands() > colourBands)
        shown = shown.extract_band(0, VImage::option()->set("n", colourBands));

    if (image.has_alpha()) {
        const VImage alpha = image[image.bands() - 1] * (scale / 255.0);
        const std::vector<double> under(colour.begin(), colour.begin() + colourBands);
        shown = shown * scale * alpha + (1.0 - alpha) * under;
    } else if (scale != 1.0) {
        shown = shown * scale;
    }
    if (shown.format() != VIPS_FORMAT_UCHAR)
        shown = shown.round(VIPS_OPERATION_ROUND_RINT).cast(VIPS_FORMAT_UCHAR);
    return shown.copy(
        VImage::option()->set("interpretation", colourBands == 1 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

VImage shownForOutput(VImage image, platform::ColourValue background, bool grey, AlphaOutput alpha)
{
    if (!image.has_alpha() || alpha == AlphaOutput::Flattened)
        return flattenedForViewing(image, background, grey);
    const VImage opacity = image[image.bands() - 1];
    const double full = isWide(image) ? 65535.0 : 255.0;
    if (alpha == AlphaOutput::Cut) {
        const VImage shown = flattenedForViewing(image, background, grey);
        return shown.bandjoin((opacity >= full / 2).cast(VIPS_FORMAT_UCHAR))
            .copy(VImage::option()->set("interpretation", shown.interpretation()));
    }
    // Opaque over any background, the colour alone is what is kept.
    const VImage colour = flattenedForViewing(withoutAlpha(image), background, grey);
    VImage kept = opacity;
    if (kept.format() != VIPS_FORMAT_UCHAR)
        kept = (kept * (255.0 / full)).round(VIPS_OPERATION_ROUND_RINT).cast(VIPS_FORMAT_UCHAR);
    return colour.bandjoin(kept).copy(VImage::option()->set("interpretation", colour.interpretation()));
}

} // namespace imaging
