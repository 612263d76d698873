// Pictures made with libvips for the imaging tests, written and read through
// memory so that file names are never parsed for options.
#pragma once

#include "support/file_bytes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vips/vips8>

#include <array>

namespace testpics {

// width x height, 3 bands: red grows along x, green along y, blue fixed at 80.
vips::VImage gradient(int width, int height);

// Four solid quadrants: red top-left, green top-right, blue bottom-left,
// yellow bottom-right.
vips::VImage quadrants(int width, int height);

// A solid picture of the given band values.
vips::VImage solid(int width, int height, std::vector<double> bands, VipsBandFormat format = VIPS_FORMAT_UCHAR);

// Encodes with the saver of `suffix` (".png", ".jpg[Q=90]", ...) and writes the
// bytes to `path`.
void save(const vips::VImage &picture, const QString &path, const char *suffix);

// Decodes a file of any format the program writes (TGA and BMP through the
// ImageMagick loader).
vips::VImage load(const QString &path);

std::array<double, 3> pixel(const vips::VImage &picture, int x, int y);

// Peak signal-to-noise ratio of two pictures of the same size, in dB.
double psnr(const vips::VImage &a, const vips::VImage &b);

// How far apart two pictures of the same size are over all bands, leaving
// out `margin` pixels along each edge.
struct Difference {
    double largest = 0;
    double mean = 0;
};
Difference difference(const vips::VImage &a, const vips::VImage &b, int margin = 0);

// The independent reference of the resampling tests: `source` resized by
// Pillow (Debian's python3-pil) to width x height as pillow_resize.py says,
// laid over the button face (236, 233, 216).
vips::VImage pillowResize(const QString &source, int width, int height);

// Runs one of the tests' Python scripts with Debian's interpreter (the one
// python3-pil and python3-numpy are installed for); its standard output, or
// a failed expectation.
QByteArray runPython(const QString &script, const QStringList &arguments);

} // namespace testpics
