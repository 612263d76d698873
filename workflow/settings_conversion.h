// The one way from a set of conversion settings to what a run converts by:
// the window and tarvel-batch both go through here, so that the same settings
// give the same files from either.
#pragma once

#include "imaging/fit_into_box.h"
#include "workflow/conversion_settings.h"
#include "workflow/parallel_conversion.h"

namespace workflow {

// The box every picture of a run is sized by: the size mode, its numbers,
// anchor, pad colour, enlarge. FitInside takes settings.width x settings.height.
imaging::FitBox settingsBox(const ConversionSettings &settings);

// The settings' quality, file-size range, DPI, background and what is kept,
// laid on `options` (jobs, worker, result order untouched). With no background
// in the settings, options.background stays.
ConversionOptions settingsOptions(const ConversionSettings &settings, ConversionOptions options);

} // namespace workflow
