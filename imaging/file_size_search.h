// Aiming an output at a file-size range: the quality (and, where the size
// mode allows, the dimensions) that give the largest file within the range,
// found with few encodes. Pure over an encoder callback, so the worker runs it
// over its encoder and the tests over a model or libvips.
#pragma once

#include "imaging/picture_size.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace imaging {

// The quality a fitted picture may drop to before its dimensions are made
// smaller instead. Below about 40 a JPEG of a photo shows its 8 x 8 blocks and
// ringing around edges at any viewing size, while a somewhat smaller picture at
// 40 still looks clean when shown at its own size; WebP degrades alike.
inline constexpr int kLowestFitQuality = 40;

struct ByteRange {
    std::int64_t floor = 0;   // at least this many bytes (0: no floor)
    std::int64_t ceiling = 0; // at most this many (0: no ceiling)

    bool holds(std::int64_t bytes) const { return bytes >= floor && (ceiling == 0 || bytes <= ceiling); }
};

struct SizeSearch {
    ByteRange range;
    PictureSize size; // the dimensions the settings give
    // The quality tried first and the highest tried: the settings' or the
    // format's own. The search only lowers it.
    int quality = 100;
    bool lossy = true;       // whether the quality changes the bytes at all
    bool mayShrink = false;  // fit modes: smaller dimensions once the quality reaches kLowestFitQuality
};

// The bytes of the picture encoded at `quality` and `size`, or nothing when it
// cannot be encoded.
using SizedEncoder = std::function<std::optional<std::int64_t>(int quality, PictureSize size)>;

enum class SizeSearchOutcome { Met, TooLarge, TooSmall, EncodeFailed };

struct SizeSearchResult {
    SizeSearchOutcome outcome = SizeSearchOutcome::EncodeFailed;
    // Met: the encode to write (one of those the callback made). Otherwise
    // the encode nearest to the range, for the reason.
    int quality = 0;
    PictureSize size;
    std::int64_t bytes = 0;
    int encodes = 0; // calls of the callback
};

// Lossy formats: the highest quality from search.quality down whose file is
// within the ceiling (each quality at most once, interpolating on the log of
// the size, bisecting where that converges slowly). Down to 1 in the exact
// modes; in the fit modes down to kLowestFitQuality, then at that quality the
// longest long edge whose file is within the ceiling. Lossless formats: the
// settings' dimensions, then (fit modes only) the longest long edge that fits.
// A floor is never reached by raising quality or size beyond the settings':
// a picture whose file at the settings' own quality and size is under the
// floor is TooSmall, as is one whose nearest file under the ceiling is (the
// range then lies between two qualities or sizes).
SizeSearchResult searchFileSize(const SizeSearch &search, const SizedEncoder &encode);

// Why a picture missed the range, naming the nearest size reached, in the
// interface's language.
QString sizeSearchProblem(const SizeSearchResult &result, const ByteRange &range);

// The detail a worker's failure to meet a range carries, "OUTCOME BYTES
// WIDTH HEIGHT QUALITY" of the nearest file, and the result read back from
// it: the program words the reason itself (sizeSearchProblem).
QString sizeSearchDetail(const SizeSearchResult &result);
std::optional<SizeSearchResult> parseSizeSearchDetail(const QString &detail);

} // namespace imaging
