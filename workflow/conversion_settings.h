// One conversion's settings, as the window, tarvel-batch and the presets hold
// them: how the size is chosen, the output format and quality, the file-size
// range, the colours, the DPI tag, the rename pattern and what is kept of the
// source. A plain value; the parsers of its texts say why they refuse one.
#pragma once

#include "imaging/exact_size.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace workflow {

enum class SizeMode {
    FitInside, // into the width x height limits, proportions kept (the default)
    LongEdge,  // the longer side to longEdge
    Percent,   // both sides by scale
    Fill,      // exactly width x height: cover, then crop at the anchor
    Pad,       // exactly width x height: fit, then borders of padColour
    Stretch,   // exactly width x height, proportions lost
};

// Whether a mode makes exactly width x height (the file-size search then never
// changes the dimensions).
bool isExactMode(SizeMode mode);

// A file size as typed: a count of bytes, kilobytes or megabytes. Which bytes a
// kilobyte is depends on the side of the range: see ceilingBytes / floorBytes.
struct FileSize {
    enum class Unit { Bytes, Kilo, Mega };
    std::int64_t count = 0;
    Unit unit = Unit::Bytes;

    friend bool operator==(const FileSize &, const FileSize &) = default;
};

// Forms that ask for "at most 50 KB" may count 1000 or 1024 bytes to the KB;
// both readings are met by taking the smaller for a ceiling (50 000 bytes) and
// the larger for a floor (20 KB: at least 20 480 bytes).
std::int64_t ceilingBytes(const FileSize &size);
std::int64_t floorBytes(const FileSize &size);

// "#RRGGBB" as 0xRRGGBB.
using Rgb = std::uint32_t;
inline constexpr Rgb kWhite = 0xFFFFFF;

struct ConversionSettings {
    SizeMode sizeMode = SizeMode::FitInside;
    // The box of the exact modes and of FitInside; FitInside's 0 x 0 is the
    // window's size fields (tarvel-batch: the remembered limits).
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t longEdge = 0;
    std::int64_t scale = 0; // Percent's, in millionths (imaging::kWholeScale is 100 %)
    imaging::Anchor anchor = imaging::Anchor::Centre;
    Rgb padColour = kWhite;
    bool enlarge = false;

    QString format;  // the extension every picture becomes; empty: each keeps its own
    int quality = 0; // 1 to 100, or 0: the format's own (imaging::kOwnQuality)
    std::optional<FileSize> maxSize;
    std::optional<FileSize> minSize;
    // Where a picture's transparency is flattened (outputs without alpha):
    // nothing is the window's button face, as it always was.
    std::optional<Rgb> background;
    std::optional<int> dpi;
    QString renamePattern; // empty: the output names of workflow/output_names

    bool keepDates = false;
    bool keepCameraData = false;
    bool keepLocation = false;
    bool neverLarger = false;

    friend bool operator==(const ConversionSettings &, const ConversionSettings &) = default;
};

// A value parsed from text, or why it is not one (in the interface's language).
template <typename T>
struct Parsed {
    std::optional<T> value;
    QString problem;
};

// "50K", "50k", "2M", "2m", "51200" (bytes); blanks around allowed.
Parsed<FileSize> parseFileSize(const QString &text);
QString fileSizeText(const FileSize &size); // "50K", "2M", "51200": parseFileSize reads it back
// "centre" (or "center"), "top", "bottom", "left", "right", "top-left",
// "top-right", "bottom-left", "bottom-right"; any case.
Parsed<imaging::Anchor> parseAnchor(const QString &text);
QString anchorName(imaging::Anchor anchor);
// "#RRGGBB", any case.
Parsed<Rgb> parseColour(const QString &text);
QString colourName(Rgb colour); // "#ffffff"
Parsed<SizeMode> parseSizeMode(const QString &text); // "inside", "long-edge", "percent", "fill", "pad", "stretch"
QString sizeModeName(SizeMode mode);

// The largest side and DPI the settings take.
inline constexpr std::int32_t kLargestSide = 16383;
inline constexpr int kLargestDpi = 65535;

// What is wrong with a whole set of settings (a size of the mode missing or out
// of range, a quality out of range, a floor above the ceiling, a DPI out of
// range), or an empty text when nothing is. The rename pattern is checked
// against the run's pictures: see workflow/rename_pattern.
QString settingsProblem(const ConversionSettings &settings);

} // namespace workflow
