// Small surfaces as ASCII maps, one character per pixel and one line per row,
// so a failing comparison shows the off-by-one at a glance.
#pragma once

#include "platform/surface.h"

#include <map>
#include <string>

// Pixels whose colour is not in the legend show as '?'.
std::string asciiMap(const platform::Surface &surface, const std::map<platform::ColourValue, char> &legend);

// A surface of the map's size filled with the legend colour of each character.
platform::Surface surfaceFromMap(const std::string &map, const std::map<char, platform::ColourValue> &legend);
