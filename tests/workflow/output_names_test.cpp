// The names a batch converting to one format writes, and how clashing names
// are kept apart.
#include "workflow/output_names.h"

#include "support/qt_printers.h"

#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

using namespace workflow;

namespace workflow {
void PrintTo(const OutputName &output, std::ostream *os)
{
    *os << '"' << output.name.toStdString() << '"' << (output.renamed ? " (renamed)" : "");
}
} // namespace workflow

namespace {

std::vector<OutputName> named(std::initializer_list<std::pair<const char *, bool>> outputs)
{
    std::vector<OutputName> names;
    for (const auto &[name, renamed] : outputs)
        names.push_back({QString::fromUtf8(name), renamed});
    return names;
}

} // namespace

TEST(OutputNames, TheFormatIsNamedByAnExtensionOfTheTableOrSame)
{
    EXPECT_EQ(parseBatchOutputFormat("same"), QString());
    EXPECT_EQ(parseBatchOutputFormat("SAME"), QString());
    EXPECT_EQ(parseBatchOutputFormat("jpg"), "jpg");
    EXPECT_EQ(parseBatchOutputFormat("JPEG"), "jpeg");
    EXPECT_EQ(parseBatchOutputFormat(".Tif"), "tif");
    EXPECT_EQ(parseBatchOutputFormat(" png "), "png");
    for (const char *refused : {"", ".", "jp", "txt", "jpg.png", "..jpg", "*.jpg", "original"})
        EXPECT_EQ(parseBatchOutputFormat(refused), std::nullopt) << refused;
    const QStringList formats = batchOutputFormats();
    EXPECT_EQ(formats.mid(0, 8), QStringList({"bmp", "gif", "jpg", "jpeg", "png", "tif", "tiff", "tga"}));
    for (const QString &format : formats)
        EXPECT_EQ(parseBatchOutputFormat(format.toUpper()), format);
}

TEST(OutputNames, SameFormatKeepsEveryNameAndAFormatReplacesTheExtension)
{
    const QStringList sources{"a.JPG", "a.jpg", "b.c.png", "sub.d/e.tif", QStringLiteral(u"照片.GIF")};
    EXPECT_EQ(
        batchOutputNames(sources, QString()),
        named({{"a.JPG", false}, {"a.jpg", false}, {"b.c.png", false}, {"sub.d/e.tif", false}, {"照片.GIF", false}}));
    EXPECT_EQ(
        batchOutputNames({"b.c.png", "sub.d/e.tif", QStringLiteral(u"照片.GIF"), "f.jpeg", "g.jpg"}, "jpg"),
        named({{"b.c.jpg", false}, {"sub.d/e.jpg", false}, {"照片.jpg", false}, {"f.jpg", false}, {"g.jpg", false}}));
    EXPECT_TRUE(batchOutputNames({}, "png").empty());
}

TEST(OutputNames, ClashingPicturesKeepTheirWholeNamesAndThenANumber)
{
    struct Case {
        QStringList sources;
        const char *format;
        std::vector<OutputName> outputs;
    };
    const Case cases[] = {
        // Both would be a.tga.
        {{"a.png", "a.jpg"}, "tga", named({{"a.png.tga", true}, {"a.jpg.tga", true}})},
        // The picture already so named keeps its name; the other one yields.
        {{"a.png", "a.jpg"}, "jpg", named({{"a.png.jpg", true}, {"a.jpg", false}})},
        {{"a.JPG", "a.jpg"}, "jpg", named({{"a.JPG.jpg", true}, {"a.jpg", false}})},
        // Names that differ only in case are one name on a memory card; the
        // whole names still differ only in case, so the second one by name
        // is numbered.
        {{"a.jpg", "a.JPG"}, "png", named({{"a.jpg (2).png", true}, {"a.JPG.png", true}})},
        {{"IMG_1.png", "img_1.jpg"}, "jpg", named({{"IMG_1.png.jpg", true}, {"img_1.jpg", false}})},
        // A picture whose name differs from its new one only in case is
        // already called so: it keeps its stem, the other one yields.
        {{"A.JPG"}, "jpg", named({{"A.jpg", false}})},
        {{"IMG_0004.JPG", "IMG_0004.HEIC"}, "jpg", named({{"IMG_0004.jpg", false}, {"IMG_0004.HEIC.jpg", true}})},
        {{"IMG_0004.HEIC", "img_0004.Jpg"}, "jpg", named({{"IMG_0004.HEIC.jpg", true}, {"img_0004.jpg", false}})},
        // Two so called: the first by name keeps the new name, the other is numbered.
        {{"a.Jpg", "a.JPG"}, "jpg", named({{"a (2).jpg", true}, {"a.jpg", false}})},
        // a.png.bmp is a.png.gif as well: its own new name wins, a.png is
        // numbered past the name "a.png (2).bmp" takes.
        {{"a.png", "a.jpg", "a.png.bmp", "a.png (2).bmp"},
         "gif",
         named({{"a.png (3).gif", true}, {"a.jpg.gif", true}, {"a.png.gif", false}, {"a.png (2).gif", false}})},
        // Other folders are other names.
        {{"sub/a.png", "a.jpg", "sub/a.bmp"},
         "tif",
         named({{"sub/a.png.tif", true}, {"a.tif", false}, {"sub/a.bmp.tif", true}})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(batchOutputNames(c.sources, QString::fromLatin1(c.format)), c.outputs)
            << c.sources.join(' ').toStdString();
}

TEST(OutputNames, EveryOrderGivesEachPictureTheSameNameAndNoTwoTheSame)
{
    // Every kind of clash at once, listed in each of the 5040 orders.
    QStringList sources{"a.png", "a.jpg", "a.JPG", "a.png.bmp", "a.png (2).tga", "b.gif", "B.tif"};
    std::sort(sources.begin(), sources.end());
    const QString format = "tga";
    QHash<QString, QString> first;
    int orders = 0;
    do {
        const std::vector<OutputName> outputs = batchOutputNames(sources, format);
        QSet<QString> seen;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            const QString &output = outputs[std::size_t(i)].name;
            EXPECT_TRUE(output.endsWith(".tga")) << output.toStdString();
            EXPECT_FALSE(seen.contains(output.toCaseFolded())) << output.toStdString();
            seen.insert(output.toCaseFolded());
            if (orders == 0)
                first.insert(sources[i], output);
            else
                ASSERT_EQ(output, first.value(sources[i])) << sources.join(' ').toStdString();
        }
        ++orders;
    } while (std::next_permutation(sources.begin(), sources.end()));
    EXPECT_EQ(orders, 5040);
    // The one picture already called so keeps its name.
    EXPECT_EQ(first.value("a.png (2).tga"), "a.png (2).tga");
}
