// What the window remembers of its conversion settings between starts, in
// window.json under ~/.config/tarvel/ beside presets.json (CULERT.txt keeps
// the size limits as it always did): the settings and the preset they came
// from.
#pragma once

#include "workflow/conversion_settings.h"

#include <QByteArray>
#include <QString>

namespace workflow {

struct WindowSettings {
    // The box (width, height, enlarge) and the format live in the window's own
    // fields; the rest is here.
    ConversionSettings settings;
    QString preset; // the name or built-in key the settings were picked as; empty: the user's own

    friend bool operator==(const WindowSettings &, const WindowSettings &) = default;
};

QByteArray formatWindowSettings(const WindowSettings &settings);
Parsed<WindowSettings> parseWindowSettings(const QByteArray &bytes);

// ~/.config/tarvel/window.json.
QString windowSettingsPath();

// The remembered settings: the defaults when there is no file; a file that
// does not read is named in `problem`, and the defaults are used.
struct LoadedWindowSettings {
    WindowSettings settings;
    QString problem;
};
LoadedWindowSettings loadWindowSettings(const QString &path);
// Writes the file whole; why not, or an empty text.
QString storeWindowSettings(const QString &path, const WindowSettings &settings);

} // namespace workflow
