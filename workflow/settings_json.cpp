#include "workflow/settings_json.h"

#include "imaging/fit_into_box.h"
#include "workflow/output_names.h"
#include "workflow/rename_pattern.h"

#include <QCoreApplication>
#include <QJsonValue>
#include <QSet>

#include <cmath>

namespace workflow {

namespace {

QString tr(const char *text, const char *comment = nullptr)
{
    return QCoreApplication::translate("workflow", text, comment);
}

// Reads the keys of one object, remembering the first problem met.
class Reader {
public:
    explicit Reader(const QJsonObject &object) : m_object(object) { }

    void integer(const char *key, std::int32_t &to)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return;
        const double number = value.toDouble(0.5);
        if (!value.isDouble() || number != std::floor(number) || std::abs(number) > 2e9)
            return fail(key);
        to = std::int32_t(number);
    }

    void flag(const char *key, bool &to)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return;
        if (!value.isBool())
            return fail(key);
        to = value.toBool();
    }

    // A text read by `parse` (a Parsed<T> from a text).
    template <typename T, typename Parse>
    void text(const char *key, Parse parse, std::optional<T> &to)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return;
        if (!value.isString())
            return fail(key);
        Parsed<T> parsed = parse(value.toString());
        if (!parsed.value)
            return fail(key, parsed.problem);
        to = parsed.value;
    }

    void string(const char *key, QString &to)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return;
        if (!value.isString())
            return fail(key);
        to = value.toString();
    }

    void number(const char *key, std::optional<double> &to)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return;
        if (!value.isDouble())
            return fail(key);
        to = value.toDouble();
    }

    void fail(const char *key, const QString &why = {})
    {
        if (m_problem.isEmpty())
            m_problem = why.isEmpty() ? tr("“%1”的值不对", "a key of a preset with a value of the wrong kind")
                                            .arg(QLatin1String(key))
                                      : QStringLiteral("%1: %2").arg(QLatin1String(key), why);
    }

    // What was wrong, an unknown key included.
    QString problem() const
    {
        if (!m_problem.isEmpty())
            return m_problem;
        for (const QString &key : m_object.keys())
            if (!m_read.contains(key))
                return tr("不认识“%1”这一项", "an unknown key in a preset").arg(key);
        return {};
    }

private:
    QJsonValue take(const char *key)
    {
        m_read.insert(QLatin1String(key));
        return m_object.value(QLatin1String(key));
    }

    QJsonObject m_object;
    QSet<QString> m_read;
    QString m_problem;
};

} // namespace

QJsonObject settingsToJson(const ConversionSettings &s)
{
    const ConversionSettings defaults;
    QJsonObject o;
    o.insert(QLatin1String("size"), sizeModeName(s.sizeMode));
    const auto put = [&](const char *key, const QJsonValue &value, bool differs) {
        if (differs)
            o.insert(QLatin1String(key), value);
    };
    put("width", s.width, s.width != defaults.width);
    put("height", s.height, s.height != defaults.height);
    put("longEdge", s.longEdge, s.longEdge != defaults.longEdge);
    put("percent", double(s.scale) / (imaging::kWholeScale / 100), s.scale != defaults.scale);
    put("anchor", anchorName(s.anchor), s.anchor != defaults.anchor);
    put("padColour", colourName(s.padColour), s.padColour != defaults.padColour);
    put("enlarge", s.enlarge, s.enlarge != defaults.enlarge);
    put("format", s.format, !s.format.isEmpty());
    put("quality", s.quality, s.quality != defaults.quality);
    put("maxSize", s.maxSize ? fileSizeText(*s.maxSize) : QString(), s.maxSize.has_value());
    put("minSize", s.minSize ? fileSizeText(*s.minSize) : QString(), s.minSize.has_value());
    put("background", s.background ? colourName(*s.background) : QString(), s.background.has_value());
    put("dpi", s.dpi.value_or(0), s.dpi.has_value());
    put("rename", s.renamePattern, !s.renamePattern.isEmpty());
    put("keepDates", s.keepDates, s.keepDates);
    put("keepCameraData", s.keepCameraData, s.keepCameraData);
    put("keepLocation", s.keepLocation, s.keepLocation);
    put("neverLarger", s.neverLarger, s.neverLarger);
    return o;
}

Parsed<ConversionSettings> settingsFromJson(const QJsonObject &object)
{
    ConversionSettings s;
    Reader read(object);
    std::optional<SizeMode> mode;
    read.text<SizeMode>("size", parseSizeMode, mode);
    s.sizeMode = mode.value_or(s.sizeMode);
    read.integer("width", s.width);
    read.integer("height", s.height);
    read.integer("longEdge", s.longEdge);
    std::optional<double> percent;
    read.number("percent", percent);
    if (percent) {
        if (!(*percent > 0 && *percent <= 10000))
            read.fail("percent");
        else
            s.scale = std::llround(*percent * double(imaging::kWholeScale / 100));
    }
    std::optional<imaging::Anchor> anchor;
    read.text<imaging::Anchor>("anchor", parseAnchor, anchor);
    s.anchor = anchor.value_or(s.anchor);
    std::optional<Rgb> padColour;
    read.text<Rgb>("padColour", parseColour, padColour);
    s.padColour = padColour.value_or(s.padColour);
    read.flag("enlarge", s.enlarge);
    QString format;
    read.string("format", format);
    if (!format.isEmpty()) {
        const std::optional<QString> known = parseBatchOutputFormat(format);
        if (!known || known->isEmpty())
            read.fail("format");
        else
            s.format = *known;
    }
    read.integer("quality", s.quality);
    read.text<FileSize>("maxSize", parseFileSize, s.maxSize);
    read.text<FileSize>("minSize", parseFileSize, s.minSize);
    read.text<Rgb>("background", parseColour, s.background);
    std::int32_t dpi = 0;
    read.integer("dpi", dpi);
    if (object.contains(QLatin1String("dpi")))
        s.dpi = dpi;
    read.string("rename", s.renamePattern);
    read.flag("keepDates", s.keepDates);
    read.flag("keepCameraData", s.keepCameraData);
    read.flag("keepLocation", s.keepLocation);
    read.flag("neverLarger", s.neverLarger);
    QString problem = read.problem();
    if (problem.isEmpty())
        problem = settingsProblem(s);
    if (problem.isEmpty() && !s.renamePattern.isEmpty())
        problem = RenamePattern::parse(s.renamePattern).problem;
    if (!problem.isEmpty())
        return {{}, problem};
    return {s, {}};
}

} // namespace workflow
