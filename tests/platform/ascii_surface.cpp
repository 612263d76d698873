#include "platform/ascii_surface.h"

#include <sstream>
#include <vector>

std::string asciiMap(const platform::Surface &surface, const std::map<platform::ColourValue, char> &legend)
{
    // Starts with a line break so that expectations read well as raw strings.
    std::string out = "\n";
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const auto it = legend.find(surface.pixel(x, y));
            out += it == legend.end() ? '?' : it->second;
        }
        out += '\n';
    }
    return out;
}

platform::Surface surfaceFromMap(const std::string &map, const std::map<char, platform::ColourValue> &legend)
{
    std::vector<std::string> rows;
    std::istringstream in(map);
    for (std::string row; std::getline(in, row);)
        if (!row.empty())
            rows.push_back(row);
    platform::Surface surface(int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < int(rows[y].size()); ++x)
            surface.SetPixelV(x, y, legend.at(rows[y][x]));
    return surface;
}
