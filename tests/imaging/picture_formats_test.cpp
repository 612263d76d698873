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
    EXPECT_EQ(outputFormatForPath("/p/a.WebP"), OutputFormat::WebP);
    for (const char *heif : {"/p/a.heic", "/p/a.HEIF", "/p/a.hif"})
        EXPECT_EQ(outputFormatForPath(heif), OutputFormat::Heic) << heif;
    EXPECT_EQ(outputFormatForPath("/p/a.avif"), OutputFormat::Avif);
    EXPECT_EQ(outputFormatForPath("/p/a.JXL"), OutputFormat::JpegXl);
}

TEST(PictureFormats, OnlyWholeEntriesOfTheListAreAccepted)
{
    for (const char *path : {"/p/a.if", "/p/a.pn", "/p/a.g", "/p/a.", "/p/a", "/p/a.jpe", "/p/a.webpp", "/p/a.ico",
                             "/p/a.png ", "/p/a.bmp|gif", "/my.pics/a", ""}) {
        EXPECT_EQ(outputFormatForPath(QString::fromUtf8(path)), std::nullopt) << path;
    }
}

TEST(PictureFormats, OnlyTheTwentyEightSpellingsQualifyForTheBatch)
{
    for (const char *name :
         {"a.bmp",   "a.BMP",          "a.gif",  "a.GIF",  "a.jpg",         "a.JPG",  "a.jpeg", "a.JPEG",
          "a.png",   "a.PNG",          "a.tif",  "a.TIF",  "a.tiff",        "a.TIFF", "a.tga",  "a.TGA",
          "a,b.jpg", "/x.y/photo.JPG", "a.webp", "a.WEBP", "IMG_0001.HEIC", "a.heic", "a.heif", "a.HEIF",
          "a.hif",   "a.HIF",          "a.avif", "a.AVIF", "a.jxl",         "a.JXL"})
        EXPECT_TRUE(hasConvertibleExtension(QString::fromUtf8(name))) << name;
    for (const char *name : {"photo.Jpg", "photo.Png", "notes.txt", "jpg", "photo.", "photo", "photo.jpg.bak",
                             "photo.Heic", "photo.WebP", "a.avifs", ".png.", ""})
        EXPECT_FALSE(hasConvertibleExtension(QString::fromUtf8(name))) << name;
}
