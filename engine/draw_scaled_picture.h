// A picture file drawn stretched to an exact pixel size, ready for an encoder.
// This is the engine that runs inside the conversion worker: libvips types stay
// in the engine's own sources, the worker, the bench and the engine's tests.
#pragma once

#include "imaging/conversion_status.h"
#include "engine/resample/exact_resample.h"
#include "engine/shown_colours.h"
#include "imaging/picture_size.h"
#include "platform/colour.h"

#include <QByteArrayView>
#include <QString>

#include <vips/vips8>

namespace imaging {

// The bytes of a source file, whether its name ends in ".tga" (a TGA has no
// signature; content that a signature claims wins over the name), and the
// EXIF orientation to apply (1 to 8), as the program's header probe read it.
struct SourceFile {
    QByteArrayView bytes;
    bool tgaName = false;
    int orientation = 1;
};

// The whole picture resampled to exactly width x height, each direction on its
// own (the caller keeps the proportions), as an opaque 8-bit sRGB picture, or
// one grey band for a grey source that the background does not colour:
// colour profiles, CMYK, 16-bit and palette sources are converted, and
// transparency is flattened onto `background` (flattenedForViewing), or kept
// as an 8-bit alpha band as `alpha` says (shownForOutput): a kept alpha band
// that is opaque throughout is left out. The pixels are turned and
// mirrored by `source.orientation`, so width x height is the size as shown,
// and the picture is upright in any viewer; it carries no metadata. HEIF, AVIF
// and JPEG XL come out of their decoders turned by their own transforms, and
// `source.orientation` (the same transforms, as the probe reads them) is not
// applied again. An animation gives its first frame. No picture for a size
// below 1, a file that is not a JPEG, PNG, GIF, TIFF, BMP, TGA, WebP, HEIF,
// AVIF or JPEG XL, a damaged file or an absurd size, but the result that says
// why. Pixels are decoded when the picture is encoded, so damage further into
// a file shows only then. `source.bytes` must outlive the returned picture.
Result<vips::VImage> DrawScaledPicture(SourceFile source, int width, int height, platform::ColourValue background,
                                       AlphaOutput alpha = AlphaOutput::Flattened);

// The steps of DrawScaledPicture, apart so that the bench can time them, in
// the stored orientation. The source as it is decoded for a target of width x
// height: JPEG at the largest scale libjpeg offers that leaves twice the
// target (jpegShrinkFactor), its partial last blocks kept; WebP down to twice
// the target by libwebp's own rescaler (which averages whole areas); the
// others whole; a GIF's screen outside its first frame is transparent.
struct LoadedPicture {
    vips::VImage image;
    PictureSpan span; // the whole source, in the image's pixels
};
Result<LoadedPicture> loadForScaling(SourceFile source, int width, int height);
// A loaded picture resized to exactly width x height, as 8-bit sRGB or grey,
// its alpha as `alpha` says.
Result<vips::VImage> scaleToSize(const LoadedPicture &loaded, int width, int height, platform::ColourValue background,
                                 AlphaOutput alpha = AlphaOutput::Flattened);

// The size a picture shown at width x height has as stored: the sides swap
// for the orientations that turn it a quarter (5 to 8).
PictureSize storedSize(int orientation, int width, int height);
// The source with the orientation its decoder leaves to the program: none for
// HEIF, AVIF and JPEG XL, which come out of their decoders turned already.
SourceFile asDecoded(SourceFile source);
// The rest of DrawScaledPicture once the source is loaded for the stored
// size: resized, then turned by `orientation`.
Result<vips::VImage> drawLoadedPicture(const LoadedPicture &loaded, int orientation, int width, int height,
                                       platform::ColourValue background, AlphaOutput alpha = AlphaOutput::Flattened);

} // namespace imaging
