#include "imaging/picture_formats.h"

#include <gtest/gtest.h>

using imaging::hasConvertibleExtension;
using imaging::OutputFormat;
using imaging::outputFormatForPath;

TEST(PictureFormats, ExtensionChoosesTheEncoderWhateverItsCase)
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

TEST(PictureFormats, OnlyWholeEntriesOfTheListAreAccepted)
{
    for (const char *path : {"/p/a.if", "/p/a.pn", "/p/a.g", "/p/a.", "/p/a", "/p/a.jpe", "/p/a.webp", "/p/a.ico",
                             "/p/a.png ", "/p/a.bmp|gif", "/my.pics/a", ""}) {
        EXPECT_EQ(outputFormatForPath(QString::fromUtf8(path)), std::nullopt) << path;
    }
}

TEST(PictureFormats, OnlyTheSixteenSpellingsQualifyForTheBatch)
{
    for (const char *name : {"a.bmp", "a.BMP", "a.gif", "a.GIF", "a.jpg", "a.JPG", "a.jpeg", "a.JPEG", "a.png", "a.PNG",
                             "a.tif", "a.TIF", "a.tiff", "a.TIFF", "a.tga", "a.TGA", "a,b.jpg", "/x.y/photo.JPG"})
        EXPECT_TRUE(hasConvertibleExtension(QString::fromUtf8(name))) << name;
    for (const char *name :
         {"photo.Jpg", "photo.Png", "notes.txt", "jpg", "photo.", "photo", "photo.jpg.bak", "photo.webp", ".png.", ""})
        EXPECT_FALSE(hasConvertibleExtension(QString::fromUtf8(name))) << name;
}
