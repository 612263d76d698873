// The settings as a run converts by them: the box each mode sizes pictures by
// and the options every output is encoded with.
#include "workflow/settings_conversion.h"

#include "support/qt_printers.h"
#include "workflow/target_sizes.h"

#include <gtest/gtest.h>

using namespace workflow;

TEST(SettingsConversion, EachSizeModeGivesTheBoxItsPicturesComeOutOf)
{
    ConversionSettings settings;
    settings.width = 295;
    settings.height = 413;
    settings.anchor = imaging::Anchor::Top;
    settings.padColour = 0x102030;
    const imaging::PictureSize photo{4000, 3000};

    // Fit inside keeps the proportions and ignores the exact modes' anchor and colour.
    const imaging::FitBox inside = settingsBox(settings);
    EXPECT_FALSE(inside.isExact());
    EXPECT_EQ(imaging::fitIntoBox(photo, inside), (imaging::PictureSize{295, 221}));
    EXPECT_EQ(inside, (imaging::FitBox{295, 413, false}));

    for (const SizeMode mode : {SizeMode::Fill, SizeMode::Pad, SizeMode::Stretch}) {
        settings.sizeMode = mode;
        const imaging::FitBox box = settingsBox(settings);
        EXPECT_TRUE(box.isExact());
        EXPECT_EQ(box.anchor, imaging::Anchor::Top);
        EXPECT_EQ(box.padColour, 0x102030u);
        // Every picture, larger or smaller, comes out exactly the box's size.
        EXPECT_EQ(imaging::fitIntoBox(photo, box), (imaging::PictureSize{295, 413})) << sizeModeName(mode).toStdString();
        EXPECT_EQ(imaging::fitIntoBox({100, 50}, box), (imaging::PictureSize{295, 413})) << sizeModeName(mode).toStdString();
    }
    settings.sizeMode = SizeMode::Fill;
    const imaging::ExactGeometry fill = imaging::exactGeometryIn(photo, settingsBox(settings));
    EXPECT_EQ(fill.scaled, (imaging::PictureSize{551, 413}));
    EXPECT_EQ(fill.kept.y, 0);

    settings.sizeMode = SizeMode::LongEdge;
    settings.longEdge = 1920;
    EXPECT_EQ(imaging::fitIntoBox(photo, settingsBox(settings)), (imaging::PictureSize{1920, 1440}));
    EXPECT_EQ(imaging::fitIntoBox({1000, 3000}, settingsBox(settings)), (imaging::PictureSize{640, 1920}));

    settings.sizeMode = SizeMode::Percent;
    settings.scale = imaging::kWholeScale / 4;
    EXPECT_EQ(imaging::fitIntoBox(photo, settingsBox(settings)), (imaging::PictureSize{1000, 750}));
}

TEST(SettingsConversion, OptionsTakeTheSettingsAndLeaveTheRunsOwn)
{
    ConversionOptions base;
    base.jobs = 3;
    base.resultsInListOrder = false;
    base.background = platform::rgbValue(1, 2, 3);

    ConversionSettings settings;
    settings.quality = 85;
    settings.maxSize = FileSize{50, FileSize::Unit::Kilo};
    settings.minSize = FileSize{20, FileSize::Unit::Kilo};
    settings.dpi = 300;
    settings.keepDates = true;
    settings.keepLocation = true; // without the camera data there is no place to keep
    settings.neverLarger = true;

    ConversionOptions options = settingsOptions(settings, base);
    EXPECT_EQ(options.jobs, 3);
    EXPECT_FALSE(options.resultsInListOrder);
    EXPECT_EQ(options.background, base.background);
    EXPECT_EQ(options.quality, 85);
    EXPECT_EQ(options.fileSize.ceiling, 50'000);
    EXPECT_EQ(options.fileSize.floor, 20'480);
    EXPECT_EQ(options.dpi, 300);
    EXPECT_TRUE(options.keep.dates);
    EXPECT_FALSE(options.keep.metadata);
    EXPECT_FALSE(options.keep.location);
    EXPECT_TRUE(options.keep.noLarger);

    settings.background = 0xFF8000; // #RRGGBB lands as the program's 0x00BBGGRR
    settings.keepCameraData = true;
    settings.maxSize.reset();
    settings.minSize.reset();
    options = settingsOptions(settings, base);
    EXPECT_EQ(options.background, platform::rgbValue(0xFF, 0x80, 0x00));
    EXPECT_TRUE(options.keep.metadata);
    EXPECT_TRUE(options.keep.location);
    EXPECT_EQ(options.fileSize.ceiling, 0);
    EXPECT_EQ(options.fileSize.floor, 0);
}
