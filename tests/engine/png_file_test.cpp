// The program's PNG decoder and encoder against libpng (through libvips) and
// Pillow: the same pixels from every kind of PNG, damaged files left to
// libvips, and written files that decode to what was written.
#include "engine/codecs/png_file.h"
#include "engine/vips_runtime.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QDirIterator>

#include <gtest/gtest.h>

using vips::VImage;

namespace {

// libpng's decode, as libvips' own PNG loader makes it.
VImage libpngDecode(const QByteArray &png)
{
    VipsBlob *blob = vips_blob_copy(png.constData(), size_t(png.size()));
    try {
        const VImage decoded = VImage::pngload_buffer(blob).copy_memory();
        vips_area_unref(VIPS_AREA(blob));
        return decoded;
    } catch (...) {
        vips_area_unref(VIPS_AREA(blob));
        throw;
    }
}

VImage asImage(const imaging::DecodedPng &png)
{
    const size_t size = size_t(png.width) * size_t(png.height) * size_t(png.bands) * (png.wide ? 2 : 1);
    return VImage::new_from_memory(png.pixels.get(), size, png.width, png.height, png.bands,
                                   png.wide ? VIPS_FORMAT_USHORT : VIPS_FORMAT_UCHAR)
        .copy_memory();
}

QByteArray encoded(const VImage &picture, vips::VOption *options)
{
    VipsBlob *blob = picture.pngsave_buffer(options);
    size_t size = 0;
    const void *data = vips_blob_get(blob, &size);
    QByteArray bytes(static_cast<const char *>(data), qsizetype(size));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

} // namespace

TEST(PngFile, EveryKindDecodesToLibpngsPixels)
{
    imaging::ensureVipsStarted();
    TempDir dir;
    QMap<QString, QByteArray> files;
    // Pillow's writer: grey, palettes and transparent colours of every depth.
    for (const QByteArray &name : testpics::runPython(PNG_PICTURES, {dir.path()}).split('\n')) {
        if (!name.isEmpty())
            files[QString::fromUtf8(name)] = readFile(dir.file(QString::fromUtf8(name)));
    }
    // libvips' writer (libpng): 16 bits, grey of 2 and 4 bits, each filter.
    const VImage photo
        = testpics::load("/usr/libexec/installed-tests/gdk-pixbuf/bug725582-testrotate.png").crop(0, 0, 101, 67);
    const VImage rgb16 = (photo.cast(VIPS_FORMAT_USHORT) * 257 + VImage::xyz(101, 67)[0])
                             .cast(VIPS_FORMAT_USHORT)
                             .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
    files["rgb16.png"] = encoded(rgb16, VImage::option());
    files["rgba16.png"] = encoded(rgb16.bandjoin(rgb16[1]), VImage::option());
    files["grey16-alpha.png"]
        = encoded(rgb16[0].bandjoin(rgb16[2]).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16)),
                  VImage::option());
    const VImage grey = photo[1].copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
    for (int bits : {2, 4})
        files[QStringLiteral("grey-%1bit.png").arg(bits)] = encoded(grey, VImage::option()->set("bitdepth", bits));
    const std::pair<const char *, int> filters[] = {{"none", VIPS_FOREIGN_PNG_FILTER_NONE},
                                                    {"sub", VIPS_FOREIGN_PNG_FILTER_SUB},
                                                    {"up", VIPS_FOREIGN_PNG_FILTER_UP},
                                                    {"average", VIPS_FOREIGN_PNG_FILTER_AVG},
                                                    {"paeth", VIPS_FOREIGN_PNG_FILTER_PAETH}};
    for (const auto &[name, filter] : filters) {
        files[QStringLiteral("rgb-%1.png").arg(name)] = encoded(photo, VImage::option()->set("filter", filter));
        files[QStringLiteral("rgba16-%1.png").arg(name)]
            = encoded(rgb16.bandjoin(rgb16[0]), VImage::option()->set("filter", filter));
    }
    const QByteArray interlaced = encoded(photo, VImage::option()->set("interlace", true));
    // And every PNG of gdk-pixbuf's tests, from many other writers.
    QDirIterator others("/usr/libexec/installed-tests/gdk-pixbuf", {"*.png"}, QDir::Files,
                        QDirIterator::Subdirectories);
    while (others.hasNext()) {
        const QString path = others.next();
        // Not large.png, 2.5 GB of pixels, which the decoder leaves to libvips.
        if (!path.endsWith("/large.png"))
            files[path] = readFile(path);
    }

    int decoded = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const std::optional<imaging::DecodedPng> ours = imaging::decodePng(it.value(), 1u << 30);
        VImage reference;
        try {
            reference = libpngDecode(it.value());
        } catch (const vips::VError &) {
            EXPECT_FALSE(ours) << it.key().toStdString() << ": libpng cannot read it";
            continue;
        }
        if (!ours)
            continue;
        ++decoded;
        const std::string name = it.key().toStdString();
        EXPECT_EQ(ours->bands, reference.bands()) << name;
        EXPECT_EQ(ours->wide, reference.format() == VIPS_FORMAT_USHORT) << name;
        EXPECT_EQ(testpics::difference(asImage(*ours), reference).largest, 0) << name;
        size_t length = 0;
        const auto *profile = reference.get_typeof(VIPS_META_ICC_NAME)
                                  ? static_cast<const char *>(reference.get_blob(VIPS_META_ICC_NAME, &length))
                                  : nullptr;
        EXPECT_EQ(ours->profile, QByteArray(profile, qsizetype(length))) << name;
    }
    // All of the program's test pictures, and the most of Debian's.
    EXPECT_GE(decoded, 80);
    EXPECT_FALSE(imaging::decodePng(interlaced, 1u << 30)) << "interlaced pictures are libvips'";
}

TEST(PngFile, DamagedFilesAreLeftToLibvips)
{
    imaging::ensureVipsStarted();
    const QByteArray png = encoded(testpics::gradient(64, 48), VImage::option());
    ASSERT_TRUE(imaging::decodePng(png, 1u << 30));
    const qsizetype data = png.indexOf("IDAT");
    // Cut short inside the image data, before the end chunk, or a byte of
    // the image data changed (its checksum no longer fits).
    for (qsizetype length : {data + 20, png.size() - 12, png.size() - 1})
        EXPECT_FALSE(imaging::decodePng(png.left(length), 1u << 30)) << length;
    QByteArray changed = png;
    changed[data + 30] = char(changed[data + 30] ^ 0x40);
    EXPECT_FALSE(imaging::decodePng(changed, 1u << 30));
    // More pixels than the caller allows.
    EXPECT_FALSE(imaging::decodePng(png, 64 * 48 * 3 - 1));
}

TEST(PngFile, WrittenFilesAreSmallAndHoldExactlyThePixels)
{
    imaging::ensureVipsStarted();
    const VImage photo = testpics::load("/usr/libexec/installed-tests/gdk-pixbuf/bug725582-testrotate.png");
    const VImage grey = photo.colourspace(VIPS_INTERPRETATION_B_W);
    for (const VImage &picture : {photo, grey}) {
        const VImage pixels = picture.copy_memory();
        const auto *data = static_cast<const unsigned char *>(pixels.data());
        const QByteArray png = imaging::encodePng(data, pixels.width(), pixels.height(), pixels.bands(), 6);
        // Pillow reads it back to the same pixels, in as many bands.
        TempDir dir;
        writeFile(dir.file("ours.png"), png);
        testpics::runPython(PILLOW_RESIZE, {dir.file("ours.png"), dir.file("back.png"), QString::number(pixels.width()),
                                            QString::number(pixels.height()), "0", "0", "0"});
        EXPECT_EQ(testpics::difference(testpics::load(dir.file("back.png")), pixels).largest, 0);
        EXPECT_EQ(libpngDecode(png).bands(), pixels.bands());
        // Against libpng and zlib at level 6: far smaller than every row
        // unfiltered, as libvips wrote them, and within a few percent of
        // libpng's own adaptive filtering (over the bench's PNGs, 0.1%
        // larger in a third of the time; see bench/README.md).
        const qsizetype unfiltered
            = encoded(pixels, VImage::option()->set("filter", VIPS_FOREIGN_PNG_FILTER_NONE)).size();
        const qsizetype adaptive = encoded(pixels, VImage::option()->set("filter", VIPS_FOREIGN_PNG_FILTER_ALL)).size();
        EXPECT_LT(png.size(), unfiltered * 0.9) << pixels.bands();
        EXPECT_LE(png.size(), adaptive * 1.05) << pixels.bands();
    }
}
