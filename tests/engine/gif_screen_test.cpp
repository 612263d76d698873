// A GIF comes out as a viewer shows it still: its logical screen after the
// images of the first frame, against the reference pictures of gdk-pixbuf's
// GIF test suite (Debian's gdk-pixbuf-tests).
#include "client/save_scaled_picture.h"

#include "platform/colour.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using vips::VImage;

namespace {

const QString kSuite = QStringLiteral("/usr/libexec/installed-tests/gdk-pixbuf/test-images/gif-test-suite/");

// A test's description: "[section]" lines and "key = value" lines.
QMap<QString, QMap<QString, QString>> readConf(const QString &path)
{
    QMap<QString, QMap<QString, QString>> sections;
    QString section;
    for (const QByteArray &raw : readFile(path).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('#') || line.isEmpty())
            continue;
        if (line.startsWith('[') && line.endsWith(']'))
            section = line.mid(1, line.size() - 2);
        else if (const qsizetype eq = line.indexOf('='); eq > 0)
            sections[section][line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
    return sections;
}

} // namespace

TEST(GifScreen, EveryPictureOfTheGifTestSuiteThatHasAReferenceLooksLikeIt)
{
    // What differs, and why. libvips 8.14 decodes GIFs with libnsgif, which
    // takes an image of no width or height, or a file with no image, for a
    // damaged file, where gdk-pixbuf shows the empty screen; and which leaves
    // the last code of an image whose LZW data stop without an end code
    // undrawn.
    const QStringList knownDifferent{"image-zero-width.gif", "image-zero-height.gif",
                                     "image-zero-size.gif",  "no-data.gif",
                                     "no-eoi.gif",           "no-clear-and-eoi.gif"};
    const platform::ColourValue background = platform::rgbValue(236, 233, 216);
    const QDir suite(kSuite, "*.conf");
    ASSERT_GE(suite.count(), 70u) << "gdk-pixbuf-tests is not installed";
    TempDir dir;
    // One worker for the whole suite, as a batch has.
    imaging::ConversionWorker worker;
    QStringList different, compared;
    for (const QString &confName : suite.entryList()) {
        const auto conf = readConf(suite.filePath(confName));
        const QStringList frames = conf["config"]["frames"].split(',', Qt::SkipEmptyParts);
        if (frames.isEmpty())
            continue;
        // A still picture shows the screen once the images without a delay
        // between them are drawn. The suite marks the files whose images
        // have no delays but are meant as animations ("force-animation"): the
        // picture is then their last frame, not the first.
        const bool animation = conf["config"]["force-animation"] == "yes";
        const QString frame = (animation ? frames.last() : frames.first()).trimmed();
        const QString reference = kSuite + QString(conf[frame]["pixels"]).replace(".rgba", ".png");
        if (!QFile::exists(reference))
            continue;
        const QString gif = conf["config"]["input"];
        const int screenWidth = conf["config"]["width"].toInt(), screenHeight = conf["config"]["height"].toInt();
        // The two screens of 65535 x 1 are fitted into 1024 pixels.
        const double fit = std::min(1.0, 1024.0 / std::max(screenWidth, screenHeight));
        const int width = std::max(1, int(std::lround(screenWidth * fit)));
        const int height = std::max(1, int(std::lround(screenHeight * fit)));
        compared << gif;
        // As BMP, which holds no alpha: the transparent screen lands on the
        // background, as it does in Pillow's reference.
        const QString out = dir.file(gif + ".bmp");
        if (!imaging::convertPicture(worker, kSuite + gif, out, width, height, background).converted()) {
            different << gif;
            continue;
        }
        const VImage expected = testpics::pillowResize(reference, width, height);
        const VImage ours = testpics::load(out);
        if (ours.width() != width || ours.height() != height || testpics::difference(ours, expected).largest > 1)
            different << gif;
    }
    EXPECT_GE(compared.size(), 60);
    different.sort();
    QStringList expected = knownDifferent;
    expected.sort();
    EXPECT_EQ(different.join(' ').toStdString(), expected.join(' ').toStdString());
}
