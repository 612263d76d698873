// Presets: named conversion settings. A few are built in for common jobs; the
// user's own, and the one used at start, are kept in presets.json under
// ~/.config/tarvel/ (CULERT.txt keeps its two lines). Presets are exported to
// and imported from files of the same form.
#pragma once

#include "workflow/conversion_settings.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace workflow {

struct Preset {
    QString name; // as shown; a built-in's in the interface's language
    ConversionSettings settings;
    QString key;  // a built-in's name in any language ("exam-295x413"); empty for the user's own

    friend bool operator==(const Preset &, const Preset &) = default;
};

// The built-in presets, named for their use. The exact sizes are those exam
// and ID-photo forms ask for; they are filled at the centre and enlarged when
// the photo is smaller, since such forms refuse a photo with borders.
std::vector<Preset> builtInPresets();

// What presets.json holds.
struct PresetFile {
    std::vector<Preset> presets; // the user's own
    QString start;               // the name (or built-in key) of the preset used at start; empty: none

    friend bool operator==(const PresetFile &, const PresetFile &) = default;
};

QByteArray formatPresetFile(const PresetFile &file);
// The presets of a file's bytes, or why they are not a preset file (naming
// the preset at fault).
Parsed<PresetFile> parsePresetFile(const QByteArray &bytes);

// ~/.config/tarvel/presets.json.
QString presetsPath();

// What the program starts with: a missing file is no presets; a damaged or
// unreadable one is named in `problem` and `damaged` is set, the file being
// left as it is; the built-ins are there either way.
struct LoadedPresets {
    PresetFile file;
    QString problem;
    bool damaged = false;
};
LoadedPresets loadPresets(const QString &path);

// Writes `file` to `path` whole, or says why not. A file there that does not
// read as a preset file is never overwritten: the user may want it mended.
QString storePresets(const QString &path, const PresetFile &file);

// Every preset the user can choose: the built-ins, then the user's own.
std::vector<Preset> allPresets(const PresetFile &file);
// The preset of that name (or built-in key), compared without regard to case.
const Preset *findPreset(const std::vector<Preset> &presets, const QString &name);

// Why a name cannot be given to a preset of the user's: empty, or the name of
// a built-in. A user's preset of the same name is replaced, not refused.
QString presetNameProblem(const QString &name);
// `file` with `preset` added, or replacing the user's preset of its name.
PresetFile withPreset(PresetFile file, const Preset &preset);

// Export: `presets` to a file of their own (no start preset); import: the
// presets such a file holds, or why it holds none.
QString exportPresets(const QString &path, const std::vector<Preset> &presets);
Parsed<std::vector<Preset>> importPresets(const QString &path);

} // namespace workflow
