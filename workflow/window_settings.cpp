#include "workflow/window_settings.h"

#include "platform/file_system.h"
#include "workflow/presets.h"
#include "workflow/settings_json.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace workflow {

namespace {

QString tr(const char *text, const char *comment = nullptr)
{
    return QCoreApplication::translate("workflow", text, comment);
}

constexpr int kFileVersion = 1;

} // namespace

QByteArray formatWindowSettings(const WindowSettings &settings)
{
    QJsonObject root{{QLatin1String("version"), kFileVersion},
                     {QLatin1String("settings"), settingsToJson(settings.settings)}};
    if (!settings.preset.isEmpty())
        root.insert(QLatin1String("preset"), settings.preset);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Parsed<WindowSettings> parseWindowSettings(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return {{}, tr("不是 JSON 文件（第 %1 个字节处：%2）", "a damaged preset file").arg(error.offset).arg(error.errorString())};
    const QJsonObject root = document.object();
    const QJsonValue preset = root.value(QLatin1String("preset"));
    if (!document.isObject() || root.value(QLatin1String("version")).toInt() != kFileVersion
        || !root.value(QLatin1String("settings")).isObject() || (!preset.isUndefined() && !preset.isString()))
        return {{}, tr("不是本程序的设置文件", "a JSON file that holds no window settings")};
    const Parsed<ConversionSettings> settings = settingsFromJson(root.value(QLatin1String("settings")).toObject());
    if (!settings.value)
        return {{}, settings.problem};
    return {WindowSettings{*settings.value, root.value(QLatin1String("preset")).toString()}, {}};
}

QString windowSettingsPath() { return QFileInfo(presetsPath()).dir().filePath(QStringLiteral("window.json")); }

LoadedWindowSettings loadWindowSettings(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, tr("无法读取设置文件 %1：%2", "a settings file and why it cannot be read").arg(path, file.errorString())};
    const Parsed<WindowSettings> parsed = parseWindowSettings(file.readAll());
    if (!parsed.value)
        return {{}, tr("设置文件 %1 已损坏，改用默认设置：%2", "a damaged settings file").arg(path, parsed.problem)};
    return {*parsed.value, {}};
}

QString storeWindowSettings(const QString &path, const WindowSettings &settings)
{
    if (!platform::makeFolders(QFileInfo(path).path())
        || !platform::writeFileAtomically(path, formatWindowSettings(settings)))
        return tr("无法写入设置文件 %1", "a settings file that cannot be written").arg(path);
    return {};
}

} // namespace workflow
