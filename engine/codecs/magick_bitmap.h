// Bitmaps in the layouts the program's own BMP decoder leaves out (run-length,
// JPEG or PNG inside, odd headers), decoded by ImageMagick's BMP coder alone.
#pragma once

#include "imaging/conversion_status.h"

#include <QByteArrayView>

#include <vips/vips8>

namespace imaging {

// Starts ImageMagick and loads its BMP coder, and nothing else of it: libvips'
// own ImageMagick loader would load every one of ImageMagick's 110 coder
// modules (and the libraries they pull in), and a worker that forks a process
// per picture copies every mapping at every fork. Call it before the process
// loses its file system; later calls do nothing.
void startMagickBitmapCoder();

// The bitmap's pixels as 8-bit sRGB, with alpha when the file has it;
// Damaged with ImageMagick's words when it cannot be read.
Result<vips::VImage> decodeMagickBitmap(QByteArrayView bytes);

} // namespace imaging
