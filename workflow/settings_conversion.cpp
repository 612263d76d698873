#include "workflow/settings_conversion.h"

#include "workflow/target_sizes.h"

namespace workflow {

imaging::FitBox settingsBox(const ConversionSettings &settings)
{
    imaging::FitBox box{settings.width, settings.height, settings.enlarge};
    switch (settings.sizeMode) {
    case SizeMode::FitInside: break;
    case SizeMode::LongEdge: box.width = box.height = settings.longEdge; break;
    case SizeMode::Percent:
        // The limits only cap a scaled picture at the largest side any output has.
        box.width = box.height = kMaxBatchSizeLimit;
        box.scale = settings.scale;
        break;
    case SizeMode::Fill: box.fit = imaging::BoxFit::Fill; break;
    case SizeMode::Pad: box.fit = imaging::BoxFit::Pad; break;
    case SizeMode::Stretch: box.fit = imaging::BoxFit::Stretch; break;
    }
    if (box.isExact()) {
        box.anchor = settings.anchor;
        box.padColour = settings.padColour;
    }
    return box;
}

ConversionOptions settingsOptions(const ConversionSettings &settings, ConversionOptions options)
{
    options.quality = settings.quality;
    options.fileSize = {settings.minSize ? floorBytes(*settings.minSize) : 0,
                        settings.maxSize ? ceilingBytes(*settings.maxSize) : 0};
    options.dpi = settings.dpi;
    if (settings.background)
        options.background = platform::rgbValue(int(*settings.background >> 16), int(*settings.background >> 8),
                                                int(*settings.background));
    options.keep.dates = settings.keepDates;
    options.keep.metadata = settings.keepCameraData;
    options.keep.location = settings.keepCameraData && settings.keepLocation;
    options.keep.noLarger = settings.neverLarger;
    return options;
}

} // namespace workflow
