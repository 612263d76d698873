// Truevision TGA, read and written by the program itself. ImageMagick's TGA
// support does not depend on a picture's stored origin the same way from one
// version to the next (6.9.11 returns bottom-up files upside down and reports
// the origin as an orientation instead), and its saver turns grey-looking
// pictures into 8-bit grey files; the format is small enough to handle here.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace imaging {

struct TgaHeader {
    int idLength = 0;
    int imageType = 0;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    int width = 0;
    int height = 0;
    int pixelDepth = 0;
    int alphaBits = 0;
    bool rightToLeft = false;
    bool topToBottom = false;
    // What the stored alpha means. A TGA 2.0 extension area declares it; else
    // the descriptor's alpha bits tell, and an alpha of 0 in every pixel is
    // taken as none: many writers leave those bits at 0 in opaque pictures.
    enum class Alpha { None, Straight, Premultiplied };
    Alpha alpha = Alpha::None;
    bool alphaDeclared = false;

    bool isColourMapped() const { return imageType == 1 || imageType == 9; }
    bool isGrey() const { return imageType == 3 || imageType == 11; }
    bool isRunLength() const { return imageType >= 9; }
    // Bands of the decoded picture: 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA.
    int bands() const;
};

// The header when the first 18 bytes look like a TGA picture of a kind this
// program decodes: colour-mapped, true-colour or grey, raw or run-length
// encoded, with a non-zero size and a usual pixel depth. Given the whole file,
// it also reads the attributes type of a TGA 2.0 extension area (0, 1, 2: no
// alpha; 3: alpha; 4: premultiplied alpha).
std::optional<TgaHeader> parseTgaHeader(QByteArrayView bytes);

// Whether the file is long enough for the pixels its header declares at the
// best its type can pack them (128 pixels a repeat packet), so that no
// buffer is allocated for a picture the file cannot hold.
bool tgaHoldsPixels(QByteArrayView file, const TgaHeader &header);

// Decodes the whole file into `out`, width * height * bands() bytes,
// interleaved, top row first, with straight alpha. False for a truncated or
// damaged file.
bool decodeTga(QByteArrayView file, const TgaHeader &header, unsigned char *out);

// An uncompressed 24-bit true-colour TGA (image type 2, rows stored bottom to
// top) of interleaved 8-bit RGB pixels, `width * height * 3` bytes.
QByteArray encodeTga24(const unsigned char *rgb, int width, int height);
// The same of RGB (3 bands) or RGBA (4 bands, straight alpha) pixels, at 24
// or 32 bits with 8 bits of alpha.
QByteArray encodeTgaPixels(const unsigned char *pixels, int width, int height, int bands);

} // namespace imaging
