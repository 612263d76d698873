#include "imaging/output_format.h"

#include <gtest/gtest.h>

using imaging::OutputFormat;
using imaging::outputFormatForPath;

TEST(OutputFormat, ExtensionChoosesTheEncoderWhateverItsCase)
{
    EXPECT_EQ(outputFormatForPath("/p/a.jpg"), OutputFormat::Jpeg);
    EXPECT_EQ(outputFormatForPath("/p/a.JPG"), OutputFormat::Jpeg);
    EXPECT_EQ(outputFormatForPath("/p/a.JpEg"), OutputFormat::Jpeg);
    EXPECT_EQ(outputFormatForPath("/p/a.png"), OutputFormat::Png);
    EXPECT_EQ(outputFormatForPath("/p/a.gif"), OutputFormat::Gif);
    EXPECT_EQ(outputFormatForPath("/p/a.tif"), OutputFormat::Tiff);
    EXPECT_EQ(outputFormatForPath("/p/a.TIFF"), OutputFormat::Tiff);
    EXPECT_EQ(outputFormatForPath("/p/a.bmp"), OutputFormat::Bmp);
    EXPECT_EQ(outputFormatForPath("/p/a.Tga"), OutputFormat::Tga);
    EXPECT_EQ(outputFormatForPath("/p/a.b.c.png"), OutputFormat::Png);
}

TEST(OutputFormat, OnlyWholeEntriesOfTheListAreAccepted)
{
    for (const char *path : {"/p/a.if", "/p/a.pn", "/p/a.g", "/p/a.", "/p/a", "/p/a.jpe",
                             "/p/a.webp", "/p/a.ico", "/p/a.png ", "/p/a.bmp|gif", "/my.pics/a",
                             ""}) {
        EXPECT_EQ(outputFormatForPath(QString::fromUtf8(path)), std::nullopt) << path;
    }
}
