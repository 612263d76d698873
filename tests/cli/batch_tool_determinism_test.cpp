// Whether a picture converts, and the bytes written, depend on the picture
// and the settings alone: damaged and fuzzed pictures come out the same in
// every run, one picture at a time (two libvips threads each on two cores) or
// two at once, in workers new or reused. bench/determinism.sh runs the same
// over all of gdk-pixbuf's test pictures, more often.
#include "support/temp_dir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>

namespace {

// gdk-pixbuf's pictures that its loaders must refuse or survive, as Debian's
// gdk-pixbuf-tests installs them.
const QString kPixbufTests = QStringLiteral("/usr/libexec/installed-tests/gdk-pixbuf/test-images");
constexpr int kRuns = 20;

// Each file's outcome and the checksum of what was written for it.
std::map<QString, QString> runBatch(const QString &source, const QString &output, int jobs)
{
    QProcess batch;
    batch.start(QStringLiteral(TARVEL_BATCH_EXECUTABLE),
                {"--json", "-j", QString::number(jobs), "-w", "64", "-H", "48", source, output});
    EXPECT_TRUE(batch.waitForFinished(60'000));
    std::map<QString, QString> outcomes;
    for (const QByteArray &line : batch.readAllStandardOutput().split('\n')) {
        const QJsonObject file = QJsonDocument::fromJson(line).object();
        if (file.value("type") != QLatin1String("file"))
            continue;
        const QString name = file.value("path").toString();
        QFile written(output + '/' + name);
        const QByteArray sum = written.open(QIODevice::ReadOnly)
                                   ? QCryptographicHash::hash(written.readAll(), QCryptographicHash::Md5).toHex()
                                   : QByteArray("nothing written");
        outcomes[name] = file.value("status").toString() + ' ' + file.value("reason").toString() + ' ' + sum;
    }
    return outcomes;
}

} // namespace

TEST(BatchToolDeterminism, DamagedPicturesComeOutTheSameInEveryRun)
{
    if (!QDir(kPixbufTests).exists())
        GTEST_SKIP() << "gdk-pixbuf-tests is not installed";
    TempDir dir;
    const QString source = dir.file("in");
    QDir().mkpath(source);
    int copied = 0;
    for (const char *folder : {"fail", "randomly-modified", "gif-test-suite"}) {
        for (QDirIterator it(kPixbufTests + '/' + folder,
                             {"*.bmp", "*.gif", "*.jpg", "*.jpeg", "*.png", "*.tga", "*.tif", "*.tiff"}, QDir::Files);
             it.hasNext();) {
            it.next();
            // The valid pictures of the GIF suite convert the same anyway.
            if (QByteArray(folder) == "gif-test-suite" && !it.fileName().contains(QLatin1String("invalid")))
                continue;
            copied += QFile::copy(it.filePath(), source + '/' + QString(folder) + '-' + it.fileName());
        }
    }
    // A PNG whose pixels lost a byte: their chunk's CRC no longer matches,
    // found when libpng reaches the chunk's end, with the picture's last rows.
    QFile png(source + "/bad-crc.png");
    QImage picture(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    ASSERT_TRUE(picture.save(&png, "PNG"));
    png.close();
    ASSERT_TRUE(png.open(QIODevice::ReadWrite));
    QByteArray bytes = png.readAll();
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
    png.seek(0);
    png.write(bytes);
    png.close();
    ASSERT_GT(copied, 30);

    const std::map<QString, QString> first = runBatch(source, dir.file("first"), 1);
    ASSERT_EQ(first.size(), std::size_t(copied) + 1);
    EXPECT_EQ(first.at("bad-crc.png").left(14), QStringLiteral("failed damaged"));
    for (int run = 0; run < kRuns; ++run) {
        for (const int jobs : {1, 2}) {
            if (run == 0 && jobs == 1)
                continue;
            const QString output = dir.file(QStringLiteral("out-%1-%2").arg(jobs).arg(run));
            const std::map<QString, QString> again = runBatch(source, output, jobs);
            for (const auto &[name, outcome] : first)
                EXPECT_EQ(again.count(name) ? again.at(name) : QString(), outcome)
                    << name.toStdString() << " in run " << run << " with " << jobs << " at once";
            QDir(output).removeRecursively();
        }
    }
}
