// The block structure of GIF files, for what libvips leaves to the program:
// where the first frame lies on its screen, and encoded pictures marked
// opaque.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace imaging {

// The first frame's rectangle on the logical screen.
struct GifFrameArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Read from the blocks ahead of the first frame's pixels; nothing for a file
// that ends or breaks before them.
std::optional<GifFrameArea> firstGifFrameArea(QByteArrayView file);

// The same GIF with every frame's transparent index switched off. libvips'
// encoder (8.14, cgif) marks one whenever its palette has room, in flat and
// grey pictures, though no pixel of an opaque picture uses it; viewers and
// tools then take the picture for a transparent one. `gif` is returned
// unchanged when its blocks do not parse.
QByteArray withoutTransparentIndex(QByteArray gif);

} // namespace imaging
