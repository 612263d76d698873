// The program writes only bytes its own probe reads as the picture it asked
// for. A worker taken over by one picture (forging_worker.cpp) gets nothing
// into the output folder, and is replaced, so the pictures after it convert.
#include "client/conversion_worker.h"
#include "probe/output_check.h"
#include "client/save_scaled_picture.h"
#include "engine/scale_and_encode.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

#include <zlib.h>

using imaging::ConversionStatus;
using imaging::OutputFormat;

namespace {

constexpr platform::ColourValue kBackground = 0xEFEFEF;

const std::vector<std::pair<OutputFormat, QString>> kFormats{
    {OutputFormat::Bmp, "bmp"},   {OutputFormat::Gif, "gif"},   {OutputFormat::Jpeg, "jpg"},
    {OutputFormat::Png, "png"},   {OutputFormat::Tiff, "tif"},  {OutputFormat::Tga, "tga"},
    {OutputFormat::WebP, "webp"}, {OutputFormat::Heic, "heic"}, {OutputFormat::Avif, "avif"},
    {OutputFormat::JpegXl, "jxl"}};

// Uniform noise, the hardest picture for every encoder to make small.
vips::VImage noise(int width, int height, int bands = 3)
{
    std::mt19937 random(7);
    std::vector<unsigned char> pixels(std::size_t(width) * height * bands);
    for (unsigned char &p : pixels)
        p = static_cast<unsigned char>(random());
    const vips::VImage image(
        vips_image_new_from_memory_copy(pixels.data(), pixels.size(), width, height, bands, VIPS_FORMAT_UCHAR));
    return image.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// Grey pictures stay grey in the formats that can hold them.
vips::VImage greyNoise(int width, int height)
{
    return noise(width, height)
        .extract_band(0)
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
}

QByteArray be32(std::uint32_t v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// The PNG with `extra` put at the end of its last IDAT chunk's data, behind
// the zlib stream, the chunk's length and CRC made to fit.
QByteArray pngWithBytesBehindItsPixels(const QByteArray &png, const QByteArray &extra)
{
    qsizetype at = 8;
    qsizetype lastIdat = -1;
    while (at + 8 <= png.size()) {
        const auto length = qsizetype(qFromBigEndian<std::uint32_t>(png.constData() + at));
        if (png.mid(at + 4, 4) == "IDAT")
            lastIdat = at;
        at += 12 + length;
    }
    const auto length = qsizetype(qFromBigEndian<std::uint32_t>(png.constData() + lastIdat));
    const QByteArray body = png.mid(lastIdat + 4, 4 + length) + extra;
    const auto crc = std::uint32_t(::crc32(0, reinterpret_cast<const Bytef *>(body.data()), uInt(body.size())));
    return png.left(lastIdat) + be32(std::uint32_t(length + extra.size())) + body + be32(crc)
           + png.mid(lastIdat + 12 + length);
}

QByteArray box(const char *type, const QByteArray &contents)
{
    return be32(std::uint32_t(8 + contents.size())) + type + contents;
}

QByteArray jxlContainer(const QByteArray &boxes)
{
    return box("JXL ", QByteArray("\r\n\x87\n", 4)) + box("ftyp", QByteArray("jxl \0\0\0\0jxl ", 12)) + boxes;
}

// The codestream the encoder wrote, in a container: taken whole in one box
// or in pieces, refused with anything more in a box or after the last.
void expectContainersReadToTheirEnd(const QByteArray &codestream, int w, int h, const std::string &name)
{
    const OutputFormat jxl = OutputFormat::JpegXl;
    const QByteArray whole = jxlContainer(box("jxlc", codestream));
    EXPECT_EQ(imaging::outputDefect(whole, jxl, w, h), QString()) << name;
    const qsizetype half = codestream.size() / 2;
    const QByteArray pieces = jxlContainer(box("jxlp", be32(0) + codestream.left(half))
                                           + box("jxlp", be32(0x80000001) + codestream.mid(half)));
    EXPECT_EQ(imaging::outputDefect(pieces, jxl, w, h), QString()) << name;
    const QByteArray exif = box("Exif", QByteArray(4, '\0') + "II*\0private");
    for (const QByteArray &forged :
         {whole + exif, jxlContainer(exif + box("jxlc", codestream)), jxlContainer(box("jxlc", codestream + "x")),
          whole + "x", jxlContainer(box("jxlc", codestream.chopped(1))),
          jxlContainer(box("jxlp", be32(0) + codestream.left(half)) + box("jxlp", be32(1) + codestream.mid(half)))})
        EXPECT_NE(imaging::outputDefect(forged, jxl, w, h), QString()) << name;
}

} // namespace

TEST(ForgedReplies, NeverReachTheOutputFolderAndTheNextPictureGetsANewWorker)
{
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("clean.png"), ".png");
    const QByteArray clean = readFile(dir.file("clean.png"));
    imaging::WorkerSettings settings;
    settings.executable = QStringLiteral(FORGING_WORKER);
    std::vector<pid_t> workers;
    settings.pictureSent = [&](pid_t pid) { workers.push_back(pid); };
    imaging::ConversionWorker worker(settings);

    const std::vector<std::pair<QString, QStringList>> forgeries{
        {"text", {"png"}},
        {"oversize", {"tga", "jpg"}},
        {"failure", {"png"}},
        {"size", {"bmp", "gif", "jpg", "png", "tif", "tga", "jxl"}},
        {"format", {"bmp", "gif", "jpg", "png", "tif", "tga"}},
        {"trailer", {"bmp", "gif", "jpg", "png", "tif", "tga", "jxl"}},
        {"metadata", {"jpg", "png"}},
        {"boxes", {"jxl"}},
        {"inside", {"jxl"}}};
    QStringList written{"clean.png"};
    for (const auto &[forgery, extensions] : forgeries) {
        // Appended after IEND, where every PNG reader ignores it.
        const QString marked = dir.file("marked-" + forgery + ".png");
        writeFile(marked, clean + "FORGE:" + forgery.toLatin1());
        written << "marked-" + forgery + ".png";
        for (const QString &extension : extensions) {
            const QString name = forgery + '.' + extension;
            const imaging::ConversionResult forged
                = imaging::convertPicture(worker, marked, dir.file(name), 20, 15, kBackground);
            EXPECT_EQ(forged.status, ConversionStatus::InvalidReply) << name.toStdString();
            EXPECT_FALSE(forged.detail.isEmpty()) << name.toStdString();
            const pid_t forger = workers.back();

            const QString after = "after-" + name;
            ASSERT_EQ(
                imaging::convertPicture(worker, dir.file("clean.png"), dir.file(after), 20, 15, kBackground).status,
                ConversionStatus::Converted)
                << after.toStdString();
            EXPECT_NE(workers.back(), forger) << "the forging worker was kept for " << after.toStdString();
            EXPECT_EQ(testpics::load(dir.file(after)).width(), 20);
            written << after;
        }
    }
    written.sort();
    EXPECT_EQ(dir.entries(), written);
}

TEST(ForgedReplies, WhatTheEncodersWriteIsAcceptedAndTheSmallestChangeIsNot)
{
    // Shapes of one row or column, odd sizes, and noise at the largest size
    // in the best JPEG quality, noise with alpha in colour and in grey: the
    // encoders' worst cases stay in bounds.
    struct Case {
        vips::VImage picture;
        int quality;
    };
    const std::vector<Case> cases{{testpics::gradient(1, 1), 100},   {testpics::gradient(1, 300), 100},
                                  {testpics::gradient(300, 1), 100}, {testpics::gradient(123, 77), 75},
                                  {noise(1024, 1024), 100},          {noise(77, 1024), 1},
                                  {greyNoise(301, 203), 100},        {noise(257, 131, 4), 100},
                                  {greyNoise(64, 48).bandjoin(testpics::gradient(64, 48)[0]), 75}};
    TempDir dir;
    for (const Case &c : cases) {
        const QString source = dir.file("source.png");
        testpics::save(c.picture, source, ".png");
        const QByteArray bytes = readFile(source);
        const int w = c.picture.width();
        const int h = c.picture.height();
        for (const auto &[format, extension] : kFormats) {
            const std::string name = QStringLiteral("%1x%2.%3").arg(w).arg(h).arg(extension).toStdString();
            const auto encoded = imaging::scaleAndEncode({bytes}, w, h, format, kBackground, c.quality);
            ASSERT_TRUE(encoded) << name;
            EXPECT_EQ(imaging::outputDefect(*encoded, format, w, h), QString()) << name;
            EXPECT_LE(std::uint64_t(encoded->size()), imaging::largestOutputBytes(format, w, h)) << name;
            EXPECT_NE(imaging::outputDefect(*encoded + '\0', format, w, h), QString()) << name;
            EXPECT_NE(imaging::outputDefect(encoded->chopped(1), format, w, h), QString()) << name;
            if (format == OutputFormat::JpegXl)
                expectContainersReadToTheirEnd(*encoded, w, h, name);
            // Every format read to its end: no bytes hidden behind a PNG's
            // pixels or in a broken CRC, no second JPEG after the first.
            if (format == OutputFormat::Png) {
                EXPECT_NE(imaging::outputDefect(pngWithBytesBehindItsPixels(*encoded, "PRIVATE"), format, w, h),
                          QString())
                    << name;
                QByteArray badCrc = *encoded;
                badCrc[badCrc.size() - 13] = char(badCrc[badCrc.size() - 13] ^ 1);
                EXPECT_NE(imaging::outputDefect(badCrc, format, w, h), QString()) << name;
            }
            if (format == OutputFormat::Jpeg) {
                EXPECT_NE(imaging::outputDefect(*encoded + *encoded, format, w, h), QString()) << name;
            }
            EXPECT_NE(imaging::outputDefect(*encoded, format, w + 1, h), QString()) << name;
            EXPECT_NE(imaging::outputDefect(*encoded, format, w, h + 1), QString()) << name;
            for (const auto &[other, otherExtension] : kFormats) {
                if (other == format)
                    continue;
                EXPECT_NE(imaging::outputDefect(*encoded, other, w, h), QString())
                    << name << " as " << otherExtension.toStdString();
            }
        }
    }
}
