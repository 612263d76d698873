// Shrink-on-load for JPEG: by how much libjpeg reduces while it decodes, and
// a frame header that keeps the last, partial block of each row and column.
#pragma once

#include <QByteArrayView>

#include <array>
#include <optional>

namespace imaging {

// The largest factor libjpeg shrinks by while decoding (1, 2, 4 or 8) that
// still leaves the resampler at least twice the target in both directions.
// libjpeg's scaled decode is a blockwise reduction, softer than Lanczos3; with
// half of the reduction left to Lanczos3 the result is as sharp as a
// reduction of the full decode.
int jpegShrinkFactor(int sourceWidth, int sourceHeight, int width, int height);

// libvips sizes a JPEG decoded at 1/n by rounding down and so drops the last,
// partial block of each row and column, whose pixels libjpeg has decoded.
// Stating the width and height in the frame header rounded up to a multiple
// of the factor makes libvips keep ceil(width / n) x ceil(height / n) pixels.
// The entropy-coded data are read the same way (every component keeps its
// number of blocks), so the larger size shows the padding the encoder added
// to fill the last block, which the kernel's edge would repeat anyway.
// These are the four bytes to write at `at` (height and width, big-endian);
// nothing when the frame is not one libjpeg decodes at a reduced scale, when
// the larger size would change its layout, or when the file breaks before
// the frame header.
struct JpegSizePatch {
    qsizetype at = 0;
    std::array<char, 4> bytes{};
};
std::optional<JpegSizePatch> wholeBlockSize(QByteArrayView jpeg, int shrink);

} // namespace imaging
