#include "workflow/presets.h"

#include "platform/file_system.h"
#include "workflow/settings_json.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace workflow {

namespace {

QString tr(const char *text, const char *comment = nullptr)
{
    return QCoreApplication::translate("workflow", text, comment);
}

constexpr int kFileVersion = 1;

ConversionSettings exactPhoto(std::int32_t width, std::int32_t height, std::int64_t floorKb, std::int64_t ceilingKb)
{
    ConversionSettings s;
    s.sizeMode = SizeMode::Fill;
    s.width = width;
    s.height = height;
    s.enlarge = true;
    s.format = QStringLiteral("jpg");
    if (floorKb > 0)
        s.minSize = FileSize{floorKb, FileSize::Unit::Kilo};
    s.maxSize = FileSize{ceilingKb, FileSize::Unit::Kilo};
    s.dpi = 300;
    return s;
}

} // namespace

std::vector<Preset> builtInPresets()
{
    ConversionSettings sharing;
    sharing.sizeMode = SizeMode::LongEdge;
    sharing.longEdge = 1920;
    sharing.format = QStringLiteral("jpg");
    sharing.quality = 85;
    sharing.keepDates = true;
    sharing.keepCameraData = true;
    return {
        {tr("考试报名照 295×413，20–50 KB", "a built-in preset"), exactPhoto(295, 413, 20, 50),
         QStringLiteral("exam-295x413")},
        {tr("二寸证件照 413×579，20–100 KB", "a built-in preset"), exactPhoto(413, 579, 20, 100),
         QStringLiteral("photo-413x579")},
        {tr("小二寸证件照 390×567，20–100 KB", "a built-in preset"), exactPhoto(390, 567, 20, 100),
         QStringLiteral("photo-390x567")},
        {tr("网上报名小照 150×200，至多 50 KB", "a built-in preset"), exactPhoto(150, 200, 0, 50),
         QStringLiteral("small-150x200")},
        {tr("学籍照片 480×640，20–100 KB", "a built-in preset"), exactPhoto(480, 640, 20, 100),
         QStringLiteral("student-480x640")},
        {tr("分享：长边 1920", "a built-in preset"), sharing, QStringLiteral("share-1920")},
    };
}

QByteArray formatPresetFile(const PresetFile &file)
{
    QJsonArray presets;
    for (const Preset &preset : file.presets)
        presets.append(QJsonObject{{QLatin1String("name"), preset.name},
                                   {QLatin1String("settings"), settingsToJson(preset.settings)}});
    QJsonObject root{{QLatin1String("version"), kFileVersion}, {QLatin1String("presets"), presets}};
    if (!file.start.isEmpty())
        root.insert(QLatin1String("start"), file.start);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Parsed<PresetFile> parsePresetFile(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return {{}, tr("不是 JSON 文件（第 %1 个字节处：%2）", "a damaged preset file").arg(error.offset).arg(error.errorString())};
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QLatin1String("version")).toInt() != kFileVersion
        || !root.value(QLatin1String("presets")).isArray())
        return {{}, tr("不是本程序的预设文件", "a JSON file that holds no presets")};
    PresetFile file;
    file.start = root.value(QLatin1String("start")).toString();
    for (const QJsonValue &value : root.value(QLatin1String("presets")).toArray()) {
        const QString name = value.toObject().value(QLatin1String("name")).toString();
        QString problem = presetNameProblem(name);
        Parsed<ConversionSettings> settings;
        if (problem.isEmpty()) {
            settings = settingsFromJson(value.toObject().value(QLatin1String("settings")).toObject());
            problem = settings.problem;
        }
        if (!problem.isEmpty())
            return {{}, tr("预设“%1”：%2", "a preset's name and what is wrong with it").arg(name, problem)};
        file = withPreset(file, {name, *settings.value, {}});
    }
    return {file, {}};
}

QString presetsPath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("tarvel/presets.json"));
}

LoadedPresets loadPresets(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, tr("无法读取预设文件 %1：%2", "a preset file and why it cannot be read").arg(path, file.errorString()), true};
    const Parsed<PresetFile> parsed = parsePresetFile(file.readAll());
    if (!parsed.value)
        return {{}, tr("预设文件 %1 已损坏，未作改动：%2", "a damaged preset file, left as it is").arg(path, parsed.problem), true};
    return {*parsed.value, {}, false};
}

QString storePresets(const QString &path, const PresetFile &file)
{
    const LoadedPresets there = loadPresets(path);
    if (there.damaged)
        return there.problem;
    if (!platform::makeFolders(QFileInfo(path).path()) || !platform::writeFileAtomically(path, formatPresetFile(file)))
        return tr("无法写入预设文件 %1", "a preset file that cannot be written").arg(path);
    return {};
}

std::vector<Preset> allPresets(const PresetFile &file)
{
    std::vector<Preset> all = builtInPresets();
    all.insert(all.end(), file.presets.begin(), file.presets.end());
    return all;
}

const Preset *findPreset(const std::vector<Preset> &presets, const QString &name)
{
    for (const Preset &preset : presets)
        if (preset.name.compare(name, Qt::CaseInsensitive) == 0
            || (!preset.key.isEmpty() && preset.key.compare(name, Qt::CaseInsensitive) == 0))
            return &preset;
    return nullptr;
}

QString presetNameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return tr("预设的名称是空的");
    if (findPreset(builtInPresets(), name.trimmed()))
        return tr("“%1”是内置预设的名称", "a user's preset named like a built-in one").arg(name);
    return {};
}

PresetFile withPreset(PresetFile file, const Preset &preset)
{
    for (Preset &own : file.presets)
        if (own.name.compare(preset.name, Qt::CaseInsensitive) == 0) {
            own = preset;
            return file;
        }
    file.presets.push_back(preset);
    return file;
}

QString exportPresets(const QString &path, const std::vector<Preset> &presets)
{
    PresetFile file;
    for (const Preset &preset : presets)
        file.presets.push_back({preset.name, preset.settings, {}});
    if (!platform::writeFileAtomically(path, formatPresetFile(file)))
        return tr("无法写入预设文件 %1", "a preset file that cannot be written").arg(path);
    return {};
}

Parsed<std::vector<Preset>> importPresets(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, tr("无法读取预设文件 %1：%2", "a preset file and why it cannot be read").arg(path, file.errorString())};
    const Parsed<PresetFile> parsed = parsePresetFile(file.readAll());
    if (!parsed.value)
        return {{}, tr("%1：%2", "a preset file and what is wrong with it").arg(path, parsed.problem)};
    return {parsed.value->presets, {}};
}

} // namespace workflow
