#include "imaging/test_pictures.h"

#include "engine/codecs/tga_file.h"
#include "engine/vips_runtime.h"

#include "support/temp_dir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

using vips::VImage;

namespace testpics {

VImage gradient(int width, int height)
{
    imaging::allowUntrustedLoaders();
    const VImage xy = VImage::xyz(width, height);
    const VImage red = xy[0] * (255.0 / std::max(1, width - 1));
    const VImage green = xy[1] * (255.0 / std::max(1, height - 1));
    const VImage blue = VImage::black(width, height) + 80;
    return red.bandjoin(green)
        .bandjoin(blue)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

VImage solid(int width, int height, std::vector<double> bands, VipsBandFormat format)
{
    imaging::allowUntrustedLoaders();
    VImage out = (VImage::black(width, height, VImage::option()->set("bands", int(bands.size()))) + bands).cast(format);
    const VipsInterpretation interpretation
        = bands.size() >= 3 ? (format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB)
                            : (format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W);
    return out.copy(VImage::option()->set("interpretation", interpretation));
}

VImage quadrants(int width, int height)
{
    const int hw = width / 2, hh = height / 2;
    const VImage top = solid(hw, hh, {255, 0, 0}).join(solid(width - hw, hh, {0, 255, 0}), VIPS_DIRECTION_HORIZONTAL);
    const VImage bottom = solid(hw, height - hh, {0, 0, 255})
                              .join(solid(width - hw, height - hh, {255, 255, 0}), VIPS_DIRECTION_HORIZONTAL);
    return top.join(bottom, VIPS_DIRECTION_VERTICAL);
}

void save(const VImage &picture, const QString &path, const char *suffix)
{
    void *buffer = nullptr;
    size_t size = 0;
    picture.write_to_buffer(suffix, &buffer, &size);
    writeFile(path, QByteArray(static_cast<const char *>(buffer), qsizetype(size)));
    g_free(buffer);
}

VImage load(const QString &path)
{
    imaging::allowUntrustedLoaders();
    const QByteArray bytes = readFile(path);
    VipsBlob *blob = vips_blob_copy(bytes.constData(), size_t(bytes.size()));
    VImage out;
    const char *loader = vips_foreign_find_load_buffer(bytes.constData(), size_t(bytes.size()));
    const auto tga = path.endsWith(".tga", Qt::CaseInsensitive) ? imaging::parseTgaHeader(bytes) : std::nullopt;
    if (tga) {
        // ImageMagick 6.9.11 shows bottom-up TGAs upside down; the program's
        // own decoder, tested byte by byte, reads the origin as it is stored.
        std::vector<unsigned char> pixels(size_t(tga->width) * size_t(tga->height) * size_t(tga->bands()));
        if (imaging::decodeTga(bytes, *tga, pixels.data()))
            out = VImage(vips_image_new_from_memory_copy(pixels.data(), pixels.size(), tga->width, tga->height,
                                                         tga->bands(), VIPS_FORMAT_UCHAR));
    } else if (!loader) {
        out = VImage::magickload_buffer(blob);
    } else {
        out = VImage::new_from_buffer(bytes.constData(), size_t(bytes.size()), "");
    }
    vips_area_unref(VIPS_AREA(blob));
    // Decode now, while the bytes are alive.
    return out.copy_memory();
}

std::array<double, 3> pixel(const VImage &picture, int x, int y)
{
    const std::vector<double> p = picture.getpoint(x, y);
    if (p.size() < 3)
        return {p.at(0), p.at(0), p.at(0)};
    return {p[0], p[1], p[2]};
}

double psnr(const VImage &a, const VImage &b)
{
    const VImage diff = a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT);
    const double mse = (diff * diff).avg();
    return mse == 0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

Difference difference(const VImage &a, const VImage &b, int margin)
{
    const VImage inner[] = {a.crop(margin, margin, a.width() - 2 * margin, a.height() - 2 * margin),
                            b.crop(margin, margin, b.width() - 2 * margin, b.height() - 2 * margin)};
    const VImage diff = (inner[0].cast(VIPS_FORMAT_FLOAT) - inner[1].cast(VIPS_FORMAT_FLOAT)).abs();
    return {diff.max(), diff.avg()};
}

QByteArray runPython(const QString &script, const QStringList &arguments)
{
    QProcess python;
    python.start("/usr/bin/python3", QStringList{script} + arguments);
    EXPECT_TRUE(python.waitForFinished(120000)) << script.toStdString();
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput();
}

VImage pillowResize(const QString &source, int width, int height)
{
    // One Python for all the resizes of a test: starting it, with numpy and
    // Pillow, takes longer than most resizes. It ends with the test, when its
    // standard input closes.
    static QProcess *const python = [] {
        auto *process = new QProcess;
        process->start("/usr/bin/python3", {PILLOW_RESIZE, "--serve"});
        return process;
    }();
    TempDir dir;
    const QStringList request{source, dir.file("pillow.png"), QString::number(width), QString::number(height),
                              "236", "233", "216"};
    python->write((request.join(u'\t') + u'\n').toUtf8());
    while (!python->canReadLine() && python->waitForReadyRead(120000)) {
    }
    const QByteArray answer = python->readLine().trimmed();
    EXPECT_EQ(answer, "done") << source.toStdString() << python->readAllStandardError().toStdString();
    return load(dir.file("pillow.png"));
}

} // namespace testpics
