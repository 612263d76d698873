// The chunks of a PNG ahead of its pixels. libpng reads each of them whole
// before the first row, and sets aside the length a chunk states before it
// reads a byte of it: a 50-byte file whose text chunk claims 2 GiB took a
// worker to 2 GiB before the read failed.
#pragma once

#include <QByteArrayView>

namespace imaging {

// True when every chunk from the signature to the first IDAT lies inside the
// file. A file where this is not so cannot be decoded (libpng fails on it
// once the file ends), and is refused before libpng sees it.
bool pngChunksAheadOfPixelsFit(QByteArrayView file);

} // namespace imaging
