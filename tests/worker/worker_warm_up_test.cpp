// What the worker's warm-up leaves loaded: every picture's process is forked
// from it, and a fork copies every mapping.
#include "engine/vips_runtime.h"
#include "worker/worker_warm_up.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The ImageMagick coder modules this process has mapped, by file name.
QSet<QByteArray> mappedCoders()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    QSet<QByteArray> coders;
    if (!maps.open(QIODevice::ReadOnly))
        return coders;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype at = line.indexOf("/coders/");
        if (at >= 0 && line.contains("ImageMagick"))
            coders.insert(line.mid(at + 8));
    }
    return coders;
}

} // namespace

// libvips' ImageMagick loader would load all of ImageMagick's coders (110 of
// them, and the libraries they pull in: 600 mappings); the worker needs its
// BMP coder only, for the bitmap layouts the program does not decode itself.
TEST(WorkerWarmUp, LoadsEveryDecoderButNoImageMagickCoderBeyondBitmaps)
{
    // In a fresh copy of this program: other tests here load ImageMagick
    // through libvips.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            imaging::allowUntrustedLoaders();
            const std::string problems = imaging::warmUpEngine();
            const QSet<QByteArray> coders = mappedCoders();
            std::fprintf(stderr, "problems: %s; coders: %s\n", problems.c_str(),
                         QList<QByteArray>(coders.begin(), coders.end()).join(' ').constData());
            std::_Exit(problems.empty() && coders == QSet<QByteArray>{"bmp.so"} ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "problems: ; coders: bmp.so");
}
