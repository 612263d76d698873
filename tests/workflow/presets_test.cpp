// Presets kept, exported and imported whole, and a damaged preset file named,
// left as it is, with the built-ins still there.
#include "workflow/presets.h"
#include "workflow/settings_json.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QJsonDocument>

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using namespace workflow;

namespace {

// Settings that differ from the defaults in every field.
ConversionSettings everyField()
{
    ConversionSettings s;
    s.sizeMode = SizeMode::Pad;
    s.width = 16383;
    s.height = 1;
    s.longEdge = 1920;
    s.scale = 333'333;
    s.anchor = imaging::Anchor::BottomLeft;
    s.padColour = 0x102030;
    s.enlarge = true;
    s.format = "webp";
    s.quality = 61;
    s.maxSize = FileSize{2, FileSize::Unit::Mega};
    s.minSize = FileSize{51'200, FileSize::Unit::Bytes};
    s.background = 0xFFFFFF;
    s.dpi = 300;
    s.renamePattern = "{name}_{n:3}";
    s.keepDates = s.keepCameraData = s.keepLocation = s.neverLarger = true;
    return s;
}

} // namespace

TEST(Presets, SettingsAndPresetFilesComeBackAsTheyWereStored)
{
    for (const ConversionSettings &settings : {ConversionSettings{}, everyField()})
        EXPECT_EQ(settingsFromJson(settingsToJson(settings)).value, settings);
    for (const Preset &preset : builtInPresets()) {
        EXPECT_EQ(settingsProblem(preset.settings), "") << preset.key.toStdString();
        EXPECT_EQ(settingsFromJson(settingsToJson(preset.settings)).value, preset.settings);
    }

    TempDir dir;
    const QString path = dir.file("config/tarvel/presets.json");
    EXPECT_EQ(loadPresets(path).file, PresetFile{}); // none yet, nothing written
    EXPECT_FALSE(QFile::exists(path));
    PresetFile file;
    file = withPreset(file, {"我的证件照", everyField(), {}});
    file = withPreset(file, {"web", ConversionSettings{}, {}});
    file.start = "exam-295x413";
    ASSERT_EQ(storePresets(path, file), "");
    const LoadedPresets loaded = loadPresets(path);
    EXPECT_EQ(loaded.problem, "");
    EXPECT_EQ(loaded.file, file);
    // A preset saved again under its name replaces it.
    EXPECT_EQ(withPreset(file, {"WEB", everyField(), {}}).presets.size(), 2u);

    const QString exported = dir.file("mine.json");
    ASSERT_EQ(exportPresets(exported, file.presets), "");
    EXPECT_EQ(importPresets(exported).value, file.presets);

    // Built-ins are found by their name or their key, in any case, and
    // user presets may not take their names.
    const std::vector<Preset> all = allPresets(loaded.file);
    ASSERT_TRUE(findPreset(all, "EXAM-295x413"));
    EXPECT_EQ(findPreset(all, "exam-295x413")->settings.width, 295);
    EXPECT_EQ(findPreset(all, builtInPresets()[0].name), findPreset(all, "exam-295x413"));
    EXPECT_EQ(findPreset(all, "我的证件照")->settings, everyField());
    EXPECT_EQ(findPreset(all, "none"), nullptr);
    EXPECT_NE(presetNameProblem("share-1920"), "");
    EXPECT_NE(presetNameProblem("  "), "");
}

TEST(Presets, ADamagedFileIsNamedKeptAsItIsAndTheBuiltInsStillWork)
{
    TempDir dir;
    const QString path = dir.file("presets.json");
    const QByteArray good = formatPresetFile(withPreset({}, {"mine", everyField(), {}}));
    // Cut short, not JSON of presets, a value of the wrong kind, a value out of
    // range, a bad size, an unknown key: each names the file and what is wrong.
    QByteArray outOfRange = good;
    outOfRange.replace("16383", "16384");
    QByteArray floorAbove = good;
    floorAbove.replace("51200", "3000000");
    QByteArray badSize = good;
    badSize.replace("\"2M\"", "\"2G\"");
    QByteArray unknown = good;
    unknown.replace("\"keepDates\"", "\"keepTimes\"");
    QByteArray wrongKind = good;
    wrongKind.replace("\"enlarge\": true", "\"enlarge\": \"yes\"");
    for (const auto &[bytes, names] : {std::pair{good.left(good.size() / 2), QString()}, {QByteArray("[1, 2]"), QString()},
                                       {outOfRange, QString("16383")}, {floorAbove, QString("3000000")},
                                       {badSize, QString("2G")}, {unknown, QString("keepTimes")},
                                       {wrongKind, QString("enlarge")}}) {
        ASSERT_NE(bytes, good);
        writeFile(path, bytes);
        const LoadedPresets loaded = loadPresets(path);
        EXPECT_TRUE(loaded.damaged) << bytes.toStdString();
        EXPECT_TRUE(loaded.problem.contains(path)) << loaded.problem.toStdString();
        EXPECT_TRUE(loaded.problem.contains(names)) << loaded.problem.toStdString();
        EXPECT_TRUE(loaded.file.presets.empty());
        EXPECT_EQ(allPresets(loaded.file).size(), builtInPresets().size());
        EXPECT_TRUE(findPreset(allPresets(loaded.file), "exam-295x413"));
        // Storing does not overwrite it, and says why.
        EXPECT_TRUE(storePresets(path, withPreset({}, {"new", ConversionSettings{}, {}})).contains(path));
        EXPECT_EQ(readFile(path), bytes);
        EXPECT_FALSE(importPresets(path).value);
    }
    writeFile(path, good);
    EXPECT_FALSE(loadPresets(path).damaged);
}
