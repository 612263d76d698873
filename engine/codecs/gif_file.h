// The block structure of GIF files, for what libvips leaves to the program:
// the logical screen and the images that make its first frame, and encoded
// pictures marked opaque.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

namespace imaging {

// An image's rectangle on the logical screen.
struct GifFrameArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What a viewer shows of a GIF that it does not animate: its logical screen,
// with the images drawn for the first frame. Images follow one another at
// once unless a graphic control extension before one gives it a delay, so
// the first frame is every image up to the first one shown for a while (or
// all of them). An image may lie partly or wholly off the screen.
struct GifFirstFrame {
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<GifFrameArea> images;
};

// Read from the blocks; nothing when the file is no GIF, and no images when it
// breaks before the first one.
std::optional<GifFirstFrame> gifFirstFrame(QByteArrayView file);

// The same GIF with every frame's transparent index switched off. libvips'
// encoder (8.14, cgif) marks one whenever its palette has room, in flat and
// grey pictures, though no pixel of an opaque picture uses it; viewers and
// tools then take the picture for a transparent one. `gif` is returned
// unchanged when its blocks do not parse.
QByteArray withoutTransparentIndex(QByteArray gif);

} // namespace imaging
