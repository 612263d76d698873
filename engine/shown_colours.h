// The colours a viewer shows of decoded pixels: colour-managed to sRGB and
// laid over a background, as 8 bits.
#pragma once

#include "platform/colour.h"

#include <vips/vips8>

namespace imaging {

// Pixels converted from their embedded profile to sRGB by lcms (libvips'
// icc_transform, perceptual intent); CMYK without a profile through libvips'
// own CMYK profile. The profile goes with the conversion; one that does not fit
// the pixels is ignored, as viewers do. Alpha is kept as it is, and 16-bit
// pixels stay 16-bit (RGB16), so nothing is rounded before the flattening.
vips::VImage managedToSrgb(const vips::VImage &image);

// Whether the picture carries an ICC profile that lcms can read. One that it
// cannot (damaged, or not a profile at all) managedToSrgb ignores: the
// pixels are taken as sRGB.
bool hasReadableProfile(const vips::VImage &image);

// Whether a decoded picture is grey: one band of colour (and perhaps alpha).
bool isGrey(const vips::VImage &image);

// The opaque 8-bit picture a viewer shows over `background`: transparency
// laid over it in floating point (colour x alpha + background x (1 - alpha)),
// 16-bit values scaled by 255 / 65535, every value rounded to nearest once.
// One grey band when `grey` (the decoded source was grey) and the background
// cannot colour it (no alpha, or a grey background); else sRGB. Throws
// vips::VError.
vips::VImage flattenedForViewing(vips::VImage image, platform::ColourValue background, bool grey);

// What becomes of a picture's alpha on its way to an output file.
enum class AlphaOutput {
    Flattened, // laid over the background (formats without alpha)
    Kept,      // an 8-bit alpha band beside the colour
    Cut,       // laid over the background, then fully transparent below
               // half and opaque from half on (GIF's transparent index)
};

// The colour of flattenedForViewing, 8-bit sRGB or grey (grey whenever the
// source was, for Kept), and the alpha as `alpha` says; a picture without
// alpha comes out as flattenedForViewing makes it. Throws vips::VError.
vips::VImage shownForOutput(vips::VImage image, platform::ColourValue background, bool grey, AlphaOutput alpha);

} // namespace imaging
