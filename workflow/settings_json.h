// A conversion's settings as a JSON object, the form presets are stored and
// exported in. Names, not numbers, for every choice ("fill", "top-left",
// "50K"), so that a person can read and edit a preset file.
#pragma once

#include "workflow/conversion_settings.h"

#include <QJsonObject>

namespace workflow {

// Only what differs from the defaults is written.
QJsonObject settingsToJson(const ConversionSettings &settings);

// The settings an object holds (what it leaves out keeps its default), or why
// it holds none: a key of the wrong type, a value its parser refuses, an
// unknown key, or settings that settingsProblem refuses.
Parsed<ConversionSettings> settingsFromJson(const QJsonObject &object);

} // namespace workflow
