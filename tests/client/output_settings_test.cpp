// What outputs are encoded with besides their size, read back by other
// programs: the resolution tag.
#include "client/save_scaled_picture.h"

#include "engine/vips_runtime.h"
#include "support/file_bytes.h"
#include "support/programs.h"
#include "support/temp_dir.h"

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
