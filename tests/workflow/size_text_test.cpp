#include "workflow/size_text.h"

#include <gtest/gtest.h>

using namespace workflow;

TEST(SizeText, RoundTripsAPictureSize)
{
    for (const imaging::PictureSize size : {imaging::PictureSize{1024, 768}, {0, 0}, {70000, 3}}) {
        const QString text = sizeText(size);
        EXPECT_EQ(GetSizeWidth(text), size.Width) << text.toStdString();
        EXPECT_EQ(GetSizeHeight(text), size.Height) << text.toStdString();
    }
    EXPECT_EQ(sizeText({1024, 768}), "1024-768");
}

TEST(SizeText, FirstAndLastPieces)
{
    EXPECT_EQ(GetSizeWidth(" 640 - 480 "), 640);
    EXPECT_EQ(GetSizeHeight(" 640 - 480 "), 480);
    EXPECT_EQ(GetSizeWidth("1-2-3"), 1);
    EXPECT_EQ(GetSizeHeight("1-2-3"), 3);
    EXPECT_EQ(GetSizeWidth("512"), 512);
    EXPECT_EQ(GetSizeHeight("512"), 512);
}

TEST(SizeText, TextThatIsNoNumberReadsAsZero)
{
    struct Case {
        const char *text;
        std::int32_t width, height;
    };
    for (const Case c : {Case{"", 0, 0},
                         {"-", 0, 0},
                         {"abc-def", 0, 0},
                         {"12px-9", 0, 9},
                         {"0x10-7", 0, 7},
                         {"99999999999-5", 0, 5},
                         {"5-99999999999", 5, 0},
                         {"nan-inf", 0, 0},
                         {"12.5-3.5", 12, 4}}) {
        EXPECT_EQ(GetSizeWidth(c.text), c.width) << c.text;
        EXPECT_EQ(GetSizeHeight(c.text), c.height) << c.text;
    }
}
