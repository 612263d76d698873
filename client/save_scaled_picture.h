// The program's one conversion operation: a picture file drawn at an exact
// pixel size and written in the format of the target's extension. The picture
// is decoded, resized and encoded in a worker process (conversion_worker.h);
// this process only checks the paths, hands the file over and writes the
// result.
#pragma once

#include "imaging/conversion_status.h"
#include "client/conversion_worker.h"
#include "imaging/file_size_search.h"
#include "imaging/fit_into_box.h"
#include "platform/colour.h"

#include <QString>

#include <cstddef>
#include <span>

namespace imaging {

// Converts `sourcePath` into `targetPath` at exactly width x height pixels,
// stretched independently in x and y, encoded by the target's extension (bmp,
// gif, jpg, jpeg, png, tif, tiff or tga, any case). Alpha is kept where the
// format holds it (a GIF's transparent index: less than half opaque); in
// JPEG and BMP, and under a GIF's other pixels, transparency is flattened
// onto `background`, an RGB value: the callers pass the system button-face
// colour, resolved once, or the user's.
//
// True exactly when the target file was written. The file appears whole or not
// at all: on failure nothing is left behind and an existing target (the source
// itself when both paths are the same) is untouched.
//
// Safe to call from several threads at once. Each call starts a worker of its
// own; a batch keeps its workers (convertPicture with a ConversionWorker).
// A file longer than kMaxSourceBytes, or whose header declares more than
// kMaxSourcePixels, is refused as too large without a worker reading it.
bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background);

// The same conversion, telling how it ended.
ConversionResult convertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background);

// The same conversion in a worker the caller keeps for many pictures; a JPEG
// target is written at `quality` (1 to 100, or kOwnQuality: each format its own).
ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                int width, int height, platform::ColourValue background, int quality = kOwnQuality);

// What an output takes from its source besides the picture; by default
// nothing: no dates, no metadata.
struct KeepFromSource {
    bool dates = false;    // the source's access and modification times
    bool metadata = false; // the EXIF that source_metadata.h keeps
    bool location = false; // with `metadata`, the GPS directory too
    // The source's own bytes, when the converted file would be larger and the
    // source is already a file of the target's format at the target's size,
    // upright, that holds nothing but its picture (holdsOnlyPicture).
    bool noLarger = false;
};

// How outputs are encoded besides their size and background.
struct EncodeSettings {
    int quality = kOwnQuality; // lossy formats: 1 to 100, or each format its own
    int dpi = 0;               // the resolution tag, where the format carries one; 0: none
    ByteRange fileSize = {};   // the bytes an output must come to; none: any
};

// The picture fitted into `box` (fitIntoBox) as its header reads once it is
// opened for the conversion, whatever it was when it was listed: a file
// replaced meanwhile gets the size that fits it, or fails (no size, too
// large) when it no longer qualifies. The result tells both sizes.
ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, int quality = kOwnQuality,
                                const KeepFromSource &keep = {});

// One output of a picture made in several sizes.
struct SizedTarget {
    QString path;
    FitBox box;
};

// The most targets one picture is made into: the sizes one worker request
// carries (worker::kMostSizes).
inline constexpr std::size_t kMostTargets = 16;

// The picture made into every target (at most kMostTargets, all of the
// same format), each fitted into its box as convertPicture fits one: the
// source is opened and read once, and decoded once for all sizes that decode
// it alike, so that each output is the file convertPicture would write. Each
// target is written whole or not at all, independently of the others.
ConversionResult convertPictureSizes(ConversionWorker &worker, const QString &sourcePath,
                                     std::span<const SizedTarget> targets, platform::ColourValue background,
                                     int quality = kOwnQuality, const KeepFromSource &keep = {});

// The same two with every encode setting.
ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, const EncodeSettings &encode,
                                const KeepFromSource &keep);
ConversionResult convertPictureSizes(ConversionWorker &worker, const QString &sourcePath,
                                     std::span<const SizedTarget> targets, platform::ColourValue background,
                                     const EncodeSettings &encode, const KeepFromSource &keep);

} // namespace imaging
