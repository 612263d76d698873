// The settings' texts as a user types them, and the settings refused as a whole.
#include "workflow/conversion_settings.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using namespace workflow;
using Unit = FileSize::Unit;

TEST(ConversionSettings, FileSizesReadAsTypedAndEachSideOfTheRangeTakesItsStricterKilobyte)
{
    EXPECT_EQ(parseFileSize("50K").value, (FileSize{50, Unit::Kilo}));
    EXPECT_EQ(parseFileSize(" 50k ").value, (FileSize{50, Unit::Kilo}));
    EXPECT_EQ(parseFileSize("2M").value, (FileSize{2, Unit::Mega}));
    EXPECT_EQ(parseFileSize("51200").value, (FileSize{51200, Unit::Bytes}));
    EXPECT_EQ(ceilingBytes({50, Unit::Kilo}), 50'000);
    EXPECT_EQ(floorBytes({20, Unit::Kilo}), 20'480);
    EXPECT_EQ(ceilingBytes({2, Unit::Mega}), 2'000'000);
    EXPECT_EQ(floorBytes({2, Unit::Mega}), 2'097'152);
    EXPECT_EQ(ceilingBytes({51200, Unit::Bytes}), 51200);
    EXPECT_EQ(floorBytes({51200, Unit::Bytes}), 51200);
    for (const char *bad : {"", "K", "50KB", "-5K", "5.5K", "50 K", "0", "0K", "１２K", "99999999999999999999"}) {
        const Parsed<FileSize> parsed = parseFileSize(QString::fromUtf8(bad));
        EXPECT_FALSE(parsed.value) << bad;
        EXPECT_FALSE(parsed.problem.isEmpty()) << bad;
    }
}

TEST(ConversionSettings, AnchorsColoursAndModesReadBackTheirOwnNames)
{
    for (const imaging::Anchor anchor :
         {imaging::Anchor::Centre, imaging::Anchor::Top, imaging::Anchor::Bottom, imaging::Anchor::Left,
          imaging::Anchor::Right, imaging::Anchor::TopLeft, imaging::Anchor::TopRight, imaging::Anchor::BottomLeft,
          imaging::Anchor::BottomRight})
        EXPECT_EQ(parseAnchor(anchorName(anchor)).value, anchor);
    EXPECT_EQ(parseAnchor("Center").value, imaging::Anchor::Centre);
    EXPECT_EQ(parseAnchor("TOP-LEFT").value, imaging::Anchor::TopLeft);
    EXPECT_FALSE(parseAnchor("middle").value);
    EXPECT_TRUE(parseAnchor("topleft").problem.contains("top-left"));

    EXPECT_EQ(parseColour("#FFFFFF").value, kWhite);
    EXPECT_EQ(parseColour("#0a0B0c").value, Rgb(0x0A0B0C));
    EXPECT_EQ(colourName(0x0A0B0C), "#0a0b0c");
    for (const char *bad : {"FFFFFF", "#FFF", "#GGGGGG", "#FFFFFF0", "white", "#+12345"})
        EXPECT_FALSE(parseColour(bad).value) << bad;

    for (const SizeMode mode : {SizeMode::FitInside, SizeMode::LongEdge, SizeMode::Percent, SizeMode::Fill,
                                SizeMode::Pad, SizeMode::Stretch})
        EXPECT_EQ(parseSizeMode(sizeModeName(mode)).value, mode);
    EXPECT_FALSE(parseSizeMode("cover").value);
}

TEST(ConversionSettings, AFloorAboveTheCeilingAndSizesOutOfRangeAreRefusedWithTheReason)
{
    ConversionSettings exam;
    exam.sizeMode = SizeMode::Fill;
    exam.width = 295;
    exam.height = 413;
    exam.maxSize = FileSize{50, Unit::Kilo};
    exam.minSize = FileSize{20, Unit::Kilo};
    EXPECT_EQ(settingsProblem(exam), "");

    // 50 KB to 50 KB: at least 51 200 bytes and at most 50 000 cannot both hold.
    ConversionSettings same = exam;
    same.minSize = FileSize{50, Unit::Kilo};
    EXPECT_TRUE(settingsProblem(same).contains("51200"));
    EXPECT_TRUE(settingsProblem(same).contains("50000"));
    same.minSize = FileSize{50'000, Unit::Bytes};
    EXPECT_EQ(settingsProblem(same), "");

    ConversionSettings bad = exam;
    bad.width = kLargestSide + 1;
    EXPECT_NE(settingsProblem(bad), "");
    bad = exam;
    bad.quality = 101;
    EXPECT_NE(settingsProblem(bad), "");
    bad = exam;
    bad.dpi = 0;
    EXPECT_NE(settingsProblem(bad), "");
    bad = exam;
    bad.sizeMode = SizeMode::LongEdge; // its own number is missing
    EXPECT_NE(settingsProblem(bad), "");
    bad.longEdge = 1920;
    EXPECT_EQ(settingsProblem(bad), "");
    bad.sizeMode = SizeMode::Percent;
    EXPECT_NE(settingsProblem(bad), "");
    bad.scale = 500'000;
    EXPECT_EQ(settingsProblem(bad), "");

    EXPECT_EQ(ConversionSettings{}, ConversionSettings{});
    EXPECT_NE(exam, ConversionSettings{});
}
