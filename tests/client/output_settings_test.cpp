// What outputs are encoded with besides their size, read back by other
// programs: the resolution tag.
#include "client/save_scaled_picture.h"

#include "engine/vips_runtime.h"
#include "support/file_bytes.h"
#include "support/programs.h"
#include "support/temp_dir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <vips/vips8>

using namespace imaging;

TEST(OutputSettings, TheDpiIsATagInEveryFormatThatCarriesOneAndThePixelsStay)
{
    ASSERT_TRUE(ensureVipsStarted());
    TempDir dir;
    const QString source = "/usr/share/backgrounds/Fossa_by_Jasper_Roks.jpg";
    ConversionWorker worker;
    const FitBox box{413, 579, false};
    QStringList tagged;
    for (const char *extension : {"jpg", "png", "tif", "bmp"}) {
        const QString plain = dir.file(QStringLiteral("plain.%1").arg(extension));
        const QString target = dir.file(QStringLiteral("tagged.%1").arg(extension));
        ASSERT_TRUE(convertPicture(worker, source, plain, box, 0, EncodeSettings{kOwnQuality, 0, {}}, {}).converted());
        const ConversionResult result = convertPicture(worker, source, target, box, 0, EncodeSettings{kOwnQuality, 300, {}}, {});
        ASSERT_TRUE(result.converted()) << extension << ' ' << result.detail.toStdString();
        tagged << target;
        if (QString(extension) == "bmp") {
            // The same file but for the pixels per metre of the info header.
            QByteArray a = readFile(plain), b = readFile(target);
            ASSERT_EQ(a.size(), b.size());
            EXPECT_NE(a, b);
            a.replace(38, 8, QByteArray(8, '\0'));
            b.replace(38, 8, QByteArray(8, '\0'));
            EXPECT_EQ(a, b);
            continue;
        }
        // The same pixels as without the tag.
        const vips::VImage a = vips::VImage::new_from_file(plain.toUtf8().constData());
        const vips::VImage b = vips::VImage::new_from_file(target.toUtf8().constData());
        EXPECT_EQ(b.width(), a.width()) << extension;
        EXPECT_EQ(b.height(), a.height()) << extension;
        EXPECT_EQ((a - b).abs().max(), 0.0) << extension;
    }
    EXPECT_EQ(runProgram(PILLOW_DPI, tagged).split('\n', Qt::SkipEmptyParts),
              QStringList({"300 300", "300 300", "300 300", "300 300"}));
}

TEST(OutputSettings, AFileSizeRangeIsMetUnderBothReadingsOfAKilobyteOrNothingIsWritten)
{
    TempDir dir;
    ConversionWorker worker;
    const char *photos[] = {"/usr/share/backgrounds/Fossa_by_Jasper_Roks.jpg",
                            "/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg",
                            "/usr/share/backgrounds/friends_by_Aitzol_Berasategi.jpg"};
    // An exam photo's exact size at 20-50 KB, and a fitted picture at 100-200 KB.
    FitBox exam{295, 413, false};
    exam.fit = BoxFit::Fill;
    const FitBox shared{1024, 1024, false};
    struct Aim {
        FitBox box;
        ByteRange range;
    };
    const Aim aims[] = {{exam, {20 * 1024, 50 * 1000}}, {shared, {100 * 1024, 200 * 1000}}};
    int n = 0, met = 0;
    for (const char *photo : photos) {
        for (const char *extension : {"jpg", "webp", "avif"}) {
            for (const Aim &aim : aims) {
                const QString target = dir.file(QStringLiteral("%1.%2").arg(++n).arg(extension));
                const ConversionResult result
                    = convertPicture(worker, photo, target, aim.box, 0, EncodeSettings{kOwnQuality, 0, aim.range}, {});
                // A floor that even the best quality misses (a smooth photo
                // in WebP or AVIF) fails, saying so; a JPEG reaches these.
                if (!result.converted() && QString(extension) != "jpg") {
                    EXPECT_EQ(result.status, ConversionStatus::SizeOutOfRange);
                    EXPECT_TRUE(result.detail.contains("100")) << result.detail.toStdString();
                    EXPECT_FALSE(QFileInfo::exists(target));
                    continue;
                }
                ASSERT_TRUE(result.converted()) << photo << ' ' << extension << ' ' << result.detail.toStdString();
                ++met;
                const qint64 length = QFileInfo(target).size();
                EXPECT_EQ(result.bytes, length);
                EXPECT_LE(length, aim.range.ceiling) << photo << ' ' << extension;
                EXPECT_GE(length, aim.range.floor) << photo << ' ' << extension;
                // The dimensions stay those of the settings.
                EXPECT_EQ(result.target, fitIntoBox(result.source, aim.box));
            }
        }
    }
    EXPECT_GE(met, 12); // of 18

    // Beyond reach: an exam photo under 1 KB, a lossless PNG under 10 KB, a
    // floor above what the best quality gives. Each fails naming the nearest
    // size, and leaves no file.
    struct Unreachable {
        const char *extension;
        ByteRange range;
        const char *says;
    };
    for (const Unreachable &u : {Unreachable{"jpg", {0, 1000}, "1000"}, Unreachable{"png", {0, 10'000}, "10000"},
                                 Unreachable{"jpg", {5'000'000, 0}, "5000000"}}) {
        const QString target = dir.file(QStringLiteral("unreachable.%1").arg(u.extension));
        const ConversionResult result
            = convertPicture(worker, photos[0], target, exam, 0, EncodeSettings{kOwnQuality, 0, u.range}, {});
        EXPECT_EQ(result.status, ConversionStatus::SizeOutOfRange) << u.extension;
        EXPECT_TRUE(result.detail.contains(u.says)) << result.detail.toStdString();
        EXPECT_TRUE(result.detail.contains("295")) << result.detail.toStdString();
        EXPECT_FALSE(QFileInfo::exists(target));
    }
}
