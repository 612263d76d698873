// WebP, HEIF, AVIF and JPEG XL through the whole conversion (the probe, a real
// worker, the check of its reply), on files that Debian's encoders write at
// test time (cwebp, img2webp, heif-enc, avifenc, cjxl, exiftool), compared
// with what the same packages' decoders make of them (dwebp, heif-convert,
// avifdec, djxl); and the program's own WebP, HEIC, AVIF and JPEG XL files,
// read back by those decoders.
#include "probe/format_bytes.h"
#include "client/conversion_worker.h"
#include "client/save_scaled_picture.h"
#include "platform/colour.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using imaging::ConversionResult;
using imaging::ConversionStatus;
using imaging::PictureSize;
using vips::VImage;

namespace {

constexpr platform::ColourValue kBackground = platform::rgbValue(236, 233, 216);

// Runs a tool; the test fails when it cannot run or fails.
void run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    ASSERT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
}

quint32 be32At(const QByteArray &file, qsizetype at)
{
    return quint32(quint8(file[at])) << 24 | quint32(quint8(file[at + 1])) << 16 | quint32(quint8(file[at + 2])) << 8
           | quint8(file[at + 3]);
}

// The boxes inside `meta/iprp/ipco` (meta's contents start after its version
// and flags), each as its offset and type.
std::vector<std::pair<qsizetype, QByteArray>> itemProperties(const QByteArray &file)
{
    qsizetype from = 0, end = file.size();
    for (const char *type : {"meta", "iprp", "ipco"}) {
        qsizetype at = from;
        while (at + 8 <= end && file.mid(at + 4, 4) != type)
            at += qsizetype(be32At(file, at));
        if (at + 8 > end)
            return {};
        from = at + 8 + (QByteArray(type) == "meta" ? 4 : 0);
        end = at + qsizetype(be32At(file, at));
    }
    std::vector<std::pair<qsizetype, QByteArray>> boxes;
    for (qsizetype at = from; at + 8 <= end; at += qsizetype(be32At(file, at)))
        boxes.emplace_back(at, file.mid(at + 4, 4));
    return boxes;
}

// `file` with the property box of type `replaced` overwritten in place by a
// transform of the same size (a box may hold more than it needs): `irot`
// (angle 0 to 3, a quarter turn anticlockwise each) or `imir` (axis 0 or 1).
QByteArray withTransform(const QByteArray &file, const char *replaced, const char *transform, int value)
{
    for (const auto &[at, type] : itemProperties(file)) {
        if (type != replaced)
            continue;
        const quint32 size = be32At(file, at);
        QByteArray out = file;
        out.replace(at, qsizetype(size), fmt::box(transform, fmt::bytes({value}) + QByteArray(qsizetype(size) - 9, 0)));
        return out;
    }
    ADD_FAILURE() << "no " << replaced << " property";
    return file;
}

// How far apart two pictures are, inside a margin where chroma subsampling
// and the coders' filters blur the quadrants' edges.
void expectClose(const VImage &actual, const VImage &expected, double largest, const std::string &what)
{
    ASSERT_EQ((PictureSize{actual.width(), actual.height()}), (PictureSize{expected.width(), expected.height()}))
        << what;
    const testpics::Difference d = testpics::difference(actual, expected, 4);
    EXPECT_LE(d.largest, largest) << what;
}

class NewerFormatConversion : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        worker = new imaging::ConversionWorker;
        // Four colours, one to a quadrant: every turn and mirror of it differs.
        testpics::save(testpics::quadrants(64, 40), file("quadrants.png"), ".png");
    }
    static void TearDownTestSuite()
    {
        delete worker;
        delete dir;
    }
    static QString file(const QString &name) { return dir->file(name); }

    // The whole conversion of a file of the test's folder into a box that
    // holds it unscaled, written as PNG.
    static ConversionResult convert(const QString &name, const QString &target, imaging::FitBox box = {1024, 1024})
    {
        return imaging::convertPicture(*worker, file(name), file(target), box, kBackground);
    }

    // What an independent decoder makes of a file, as 8-bit RGB over the
    // background.
    static VImage decodedBy(const QString &tool, const QString &name)
    {
        const QString png = file(name + "." + tool + ".png");
        QStringList arguments{file(name), png};
        if (tool == "dwebp")
            arguments = {"-quiet", file(name), "-o", png};
        run(tool, arguments);
        return flattened(testpics::load(png));
    }

    static VImage flattened(VImage image)
    {
        if (image.format() != VIPS_FORMAT_UCHAR)
            image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        if (image.has_alpha())
            image = image.flatten(VImage::option()->set("background", std::vector<double>{236, 233, 216}));
        return image.cast(VIPS_FORMAT_UCHAR);
    }

    static VImage turned(const VImage &image, int orientation)
    {
        VImage copy = image.copy();
        copy.set("orientation", orientation);
        return copy.autorot();
    }

    static TempDir *dir;
    static imaging::ConversionWorker *worker;
};

TempDir *NewerFormatConversion::dir = nullptr;
imaging::ConversionWorker *NewerFormatConversion::worker = nullptr;

} // namespace

// avifenc's lossless AVIF with its `pixi` and `colr` replaced by `irot` and
// `imir`, in every combination, listed after `ispe` and before it: each is
// turned once, as heif-convert (libheif) shows it, at the size the probe
// read. A HEIC with a rotation and an EXIF orientation as well is turned by
// its rotation only.
TEST_F(NewerFormatConversion, HeifRotationAndMirrorTurnOnce)
{
    run("avifenc", {"-s", "10", "--lossless", file("quadrants.png"), file("plain.avif")});
    const QByteArray plain = readFile(file("plain.avif"));
    for (int angle = 0; angle < 4; ++angle) {
        for (int axis = -1; axis < 2; ++axis) {
            QByteArray variant = withTransform(plain, "pixi", "irot", angle);
            if (axis >= 0)
                variant = withTransform(variant, "colr", "imir", axis);
            writeFile(file("turned.avif"), variant);
            SCOPED_TRACE(testing::Message() << "irot " << angle << " imir " << axis);
            const ConversionResult result = convert("turned.avif", "turned.png");
            ASSERT_TRUE(result.converted()) << result.detail.toStdString();
            const VImage expected = decodedBy("heif-convert", "turned.avif");
            EXPECT_EQ(result.source, (PictureSize{expected.width(), expected.height()}));
            expectClose(testpics::load(file("turned.png")), expected, 2, "lossless AVIF");
        }
    }
    // The transforms listed before `ispe`, where libvips' own loader fails.
    QByteArray first = withTransform(withTransform(plain, "pixi", "irot", 1), "colr", "imir", 0);
    const auto properties = itemProperties(first);
    const qsizetype ipma = first.indexOf("ipma");
    ASSERT_GT(ipma, 0);
    // Version 0 ipma: one entry, item 1 with four associations, 7-bit indices.
    const qsizetype list = ipma + 4 + 4 + 4 + 2 + 1;
    ASSERT_EQ(first[list - 1], 4);
    QByteArray order;
    for (const char *type : {"irot", "imir", "ispe", "av1C"}) {
        for (std::size_t i = 0; i < properties.size(); ++i) {
            if (properties[i].second == type)
                order.append(char(0x80 | (i + 1)));
        }
    }
    ASSERT_EQ(order.size(), 4);
    first.replace(list, 4, order);
    writeFile(file("first.avif"), first);
    const ConversionResult result = convert("first.avif", "first.png");
    ASSERT_TRUE(result.converted()) << result.detail.toStdString();
    expectClose(testpics::load(file("first.png")), decodedBy("heif-convert", "first.avif"), 2, "transforms first");

    // heif-enc's HEIC: `pixi` becomes a quarter turn; exiftool adds EXIF
    // orientation 6 (another quarter turn, the other way), which must not count.
    run("heif-enc", {"-q", "90", file("quadrants.png"), "-o", file("phone.heic")});
    writeFile(file("phone.heic"), withTransform(readFile(file("phone.heic")), "pixi", "irot", 1));
    run("exiftool", {"-q", "-overwrite_original", "-Orientation#=6", file("phone.heic")});
    const ConversionResult phone = convert("phone.heic", "phone.png");
    ASSERT_TRUE(phone.converted()) << phone.detail.toStdString();
    EXPECT_EQ(phone.source, (PictureSize{40, 64}));
    const VImage once = turned(testpics::quadrants(64, 40), 8); // irot 1: a quarter turn anticlockwise
    expectClose(testpics::load(file("phone.png")), once, 40, "HEIC with irot and EXIF");
    expectClose(testpics::load(file("phone.png")), decodedBy("heif-convert", "phone.heic"), 8, "HEIC by libheif");
}

// WebP's EXIF orientation is applied (libvips only reports it); JPEG XL's own
// orientation field is applied once, by the decoder, as djxl applies it; both
// fitted to the upright size.
TEST_F(NewerFormatConversion, WebpExifAndJpegXlOrientationAreApplied)
{
    run("cwebp", {"-quiet", "-lossless", file("quadrants.png"), "-o", file("plain.webp")});
    testpics::save(testpics::quadrants(64, 40), file("quadrants.jpg"), ".jpg[Q=95]");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const QString tag = QStringLiteral("-Orientation#=%1").arg(orientation);
        QFile::remove(file("o.webp"));
        QFile::copy(file("plain.webp"), file("o.webp"));
        run("exiftool", {"-q", "-overwrite_original", tag, file("o.webp")});
        const ConversionResult webp = convert("o.webp", "o-webp.png");
        ASSERT_TRUE(webp.converted()) << webp.detail.toStdString();
        const VImage upright = turned(decodedBy("dwebp", "o.webp"), orientation);
        EXPECT_EQ(webp.source, (PictureSize{upright.width(), upright.height()}));
        expectClose(testpics::load(file("o-webp.png")), upright, 1, "WebP");
        // Fitted into 32 x 32: the upright picture's proportions.
        const ConversionResult small = convert("o.webp", "o-small.webp", {32, 32});
        ASSERT_TRUE(small.converted()) << small.detail.toStdString();
        EXPECT_EQ(small.target, (upright.width() > upright.height() ? PictureSize{32, 20} : PictureSize{20, 32}));

        QFile::remove(file("o.jpg"));
        QFile::copy(file("quadrants.jpg"), file("o.jpg"));
        run("exiftool", {"-q", "-overwrite_original", tag, file("o.jpg")});
        run("cjxl", {file("o.jpg"), file("o.jxl"), "--lossless_jpeg=0", "-d", "0.5"});
        const ConversionResult jxl = convert("o.jxl", "o-jxl.png");
        ASSERT_TRUE(jxl.converted()) << jxl.detail.toStdString();
        const VImage byDjxl = decodedBy("djxl", "o.jxl");
        EXPECT_EQ(jxl.source, (PictureSize{byDjxl.width(), byDjxl.height()}));
        expectClose(testpics::load(file("o-jxl.png")), byDjxl, 6, "JPEG XL");
    }
}

// Transparency over the button face, 10-bit HEIF and AVIF, a grid, and the
// first frame of animated WebP and AVIF, each against an independent decoder.
TEST_F(NewerFormatConversion, AlphaDeepGridAndAnimatedSources)
{
    VImage alpha = testpics::quadrants(64, 40).bandjoin(VImage::xyz(64, 40)[0] * 4).cast(VIPS_FORMAT_UCHAR);
    testpics::save(alpha.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)), file("alpha.png"),
                   ".png");
    testpics::save((testpics::quadrants(64, 40).cast(VIPS_FORMAT_USHORT) * 257)
                       .cast(VIPS_FORMAT_USHORT)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16)),
                   file("deep.png"), ".png");
    testpics::save(testpics::quadrants(64, 40).flip(VIPS_DIRECTION_HORIZONTAL), file("second.png"), ".png");
    run("cwebp", {"-quiet", "-lossless", "-exact", file("alpha.png"), "-o", file("alpha.webp")});
    run("avifenc", {"-s", "10", "--lossless", file("alpha.png"), file("alpha.avif")});
    run("cjxl", {file("alpha.png"), file("alpha.jxl"), "-d", "0"});
    run("heif-enc", {"-b", "10", "-q", "90", file("deep.png"), "-o", file("deep.heic")});
    run("avifenc", {"-s", "10", "-d", "10", file("deep.png"), file("deep.avif")});
    // avifenc's grid cells are 64 x 64 at least.
    testpics::save(testpics::quadrants(256, 160), file("big.png"), ".png");
    run("avifenc", {"-s", "10", "--lossless", "--grid", "2x2", file("big.png"), file("grid.avif")});
    run("img2webp", {"-lossless", file("quadrants.png"), file("second.png"), "-o", file("animated.webp")});
    run("avifenc", {"-s", "10", "--lossless", file("quadrants.png"), file("second.png"), file("animated.avif")});
    ASSERT_EQ(readFile(file("animated.avif")).mid(8, 4), "avis");
    ASSERT_GT(readFile(file("deep.heic")).size(), 0);

    const VImage first = testpics::quadrants(64, 40);
    const struct {
        const char *name;
        VImage expected;
        double largest;
    } cases[] = {
        {"alpha.webp", decodedBy("dwebp", "alpha.webp"), 1},
        {"alpha.avif", decodedBy("heif-convert", "alpha.avif"), 2},
        {"alpha.jxl", decodedBy("djxl", "alpha.jxl"), 2},
        {"deep.heic", decodedBy("heif-convert", "deep.heic"), 6},
        {"deep.avif", decodedBy("avifdec", "deep.avif"), 6},
        {"grid.avif", decodedBy("heif-convert", "grid.avif"), 2},
        {"animated.webp", first, 1},
        {"animated.avif", first, 2},
    };
    // As BMP, which holds no alpha: transparency lands on the background, as
    // in the references.
    for (const auto &c : cases) {
        const QString name = QString::fromUtf8(c.name);
        const ConversionResult result = convert(name, name + ".bmp");
        ASSERT_TRUE(result.converted()) << c.name << ": " << result.detail.toStdString();
        expectClose(testpics::load(file(name + ".bmp")), c.expected, c.largest, c.name);
    }
    // The alpha really was there: the left edge is transparent, laid over
    // the background in BMP, and kept in PNG.
    EXPECT_EQ(testpics::pixel(testpics::load(file("alpha.webp.bmp")), 0, 0), (std::array<double, 3>{236, 233, 216}));
    ASSERT_TRUE(convert("alpha.webp", "alpha.webp.png").converted());
    const VImage kept = testpics::load(file("alpha.webp.png"));
    ASSERT_EQ(kept.bands(), 4);
    EXPECT_EQ(kept.getpoint(0, 0)[3], 0);
    EXPECT_EQ(kept.getpoint(63, 0)[3], 252);
}

// libjxl's test animation of a traffic light: its first frame (red) against
// the PNG libjxl's own decoder made of it, not the last (amber) that libvips'
// loader gives.
TEST_F(NewerFormatConversion, AnimatedJpegXlGivesItsFirstFrame)
{
    const QString data = "/usr/share/libjxl-testdata/jxl/blending/";
    ASSERT_TRUE(QFile::copy(data + "cropped_traffic_light.jxl", file("traffic.jxl")));
    const VImage first = flattened(testpics::load(data + "cropped_traffic_light_frame-0.png"));
    const VImage last = flattened(testpics::load(data + "cropped_traffic_light_frame-3.png"));
    ASSERT_GT(testpics::difference(first, last, 0).largest, 100);
    const ConversionResult result = convert("traffic.jxl", "traffic.png");
    ASSERT_TRUE(result.converted()) << result.detail.toStdString();
    expectClose(testpics::load(file("traffic.png")), first, 1, "first frame");
    // Cut short, it fails and writes nothing.
    writeFile(file("traffic-cut.jxl"), readFile(file("traffic.jxl")).left(300));
    EXPECT_FALSE(convert("traffic-cut.jxl", "traffic-cut.png").converted());
    EXPECT_FALSE(QFile::exists(file("traffic-cut.png")));
}

// Cut short anywhere: a named failure, and no file.
TEST_F(NewerFormatConversion, TruncatedFilesFailAndWriteNothing)
{
    run("cwebp", {"-quiet", "-q", "80", file("quadrants.png"), "-o", file("whole.webp")});
    run("heif-enc", {"-q", "60", file("quadrants.png"), "-o", file("whole.heic")});
    run("avifenc", {"-s", "10", file("quadrants.png"), file("whole.avif")});
    run("cjxl", {file("quadrants.png"), file("whole.jxl"), "-d", "1"});
    for (const char *name : {"whole.webp", "whole.heic", "whole.avif", "whole.jxl"}) {
        const QByteArray whole = readFile(file(name));
        for (const qsizetype cut : {whole.size() * 7 / 8, whole.size() / 2, qsizetype(40)}) {
            const QString source = file(QStringLiteral("cut.") + QString::fromUtf8(name).section('.', 1));
            writeFile(source, whole.left(cut));
            const QString target = file("cut-out.png");
            const ConversionResult result = imaging::convertPicture(*worker, source, target, {64, 64}, kBackground);
            EXPECT_TRUE(result.status == ConversionStatus::Damaged || result.status == ConversionStatus::NoSize)
                << name << " cut at " << cut << ": " << int(result.status);
            EXPECT_FALSE(QFile::exists(target)) << name;
        }
    }
}

// The program's own files: each format at exactly the size asked for, read
// by the other decoders close to the source; a WebP of a lossless source is
// lossless, of a JPEG lossy; a quality asked for changes the lossy ones.
TEST_F(NewerFormatConversion, WrittenFilesReadBackByOtherDecoders)
{
    testpics::save(testpics::gradient(300, 200), file("gradient.png"), ".png");
    testpics::save(testpics::gradient(300, 200), file("gradient.jpg"), ".jpg[Q=98]");
    const VImage expected = testpics::load(file("gradient.png")).resize(0.5);
    const struct {
        const char *target;
        const char *tool;
        double largest;
    } cases[] = {
        {"out.webp", "dwebp", 12},        {"out.heic", "heif-convert", 16}, {"out.HIF", "heif-convert", 16},
        {"out.avif", "heif-convert", 16}, {"out.jxl", "djxl", 12},          {"odd.avif", "heif-convert", 16},
        {"odd.heic", "heif-convert", 16},
    };
    for (const auto &c : cases) {
        const QString target = QString::fromUtf8(c.target);
        const bool odd = target.startsWith("odd");
        const ConversionResult result = imaging::convertPicture(*worker, file("gradient.png"), file(target),
                                                                odd ? 151 : 150, odd ? 101 : 100, kBackground);
        ASSERT_TRUE(result.converted()) << c.target << ": " << result.detail.toStdString();
        const VImage back = decodedBy(QString::fromUtf8(c.tool), target);
        EXPECT_EQ((PictureSize{back.width(), back.height()}), (odd ? PictureSize{151, 101} : PictureSize{150, 100}));
        if (!odd)
            expectClose(back, expected, c.largest, c.target);
    }
    // Lossless: the very pixels of the PNG the same conversion writes.
    EXPECT_EQ(readFile(file("out.webp")).mid(12, 4), "VP8L");
    ASSERT_TRUE(
        imaging::convertPicture(*worker, file("gradient.png"), file("out.png"), 150, 100, kBackground).converted());
    EXPECT_EQ(testpics::difference(decodedBy("dwebp", "out.webp"), testpics::load(file("out.png"))).largest, 0);
    ASSERT_TRUE(
        imaging::convertPicture(*worker, file("gradient.jpg"), file("photo.webp"), 150, 100, kBackground).converted());
    EXPECT_EQ(readFile(file("photo.webp")).mid(12, 4), "VP8 ");
    for (const char *name : {"photo.webp", "out.avif", "out.jxl"}) {
        const QString low = QStringLiteral("low.") + QString::fromUtf8(name).section('.', 1);
        ASSERT_TRUE(
            imaging::convertPicture(*worker, file("gradient.jpg"), file(low), 150, 100, kBackground, 20).converted())
            << name;
        EXPECT_LT(readFile(file(low)).size(), readFile(file(name)).size()) << name;
    }
}
