#include "workflow/conversion_settings.h"

#include "imaging/fit_into_box.h"

#include <QCoreApplication>

#include <array>
#include <limits>
#include <utility>

namespace workflow {

namespace {

QString tr(const char *text, const char *comment = nullptr)
{
    return QCoreApplication::translate("workflow", text, comment);
}

// The largest byte count a size may give: a count of megabytes times 1024²
// must not overflow.
constexpr std::int64_t kLargestCount = std::numeric_limits<std::int64_t>::max() / (1024 * 1024);

constexpr std::array<std::pair<const char *, imaging::Anchor>, 9> kAnchorNames{{
    {"centre", imaging::Anchor::Centre},
    {"top", imaging::Anchor::Top},
    {"bottom", imaging::Anchor::Bottom},
    {"left", imaging::Anchor::Left},
    {"right", imaging::Anchor::Right},
    {"top-left", imaging::Anchor::TopLeft},
    {"top-right", imaging::Anchor::TopRight},
    {"bottom-left", imaging::Anchor::BottomLeft},
    {"bottom-right", imaging::Anchor::BottomRight},
}};

constexpr std::array<std::pair<const char *, SizeMode>, 6> kModeNames{{
    {"inside", SizeMode::FitInside},
    {"long-edge", SizeMode::LongEdge},
    {"percent", SizeMode::Percent},
    {"fill", SizeMode::Fill},
    {"pad", SizeMode::Pad},
    {"stretch", SizeMode::Stretch},
}};

std::int64_t bytesOf(const FileSize &size, std::int64_t kilo)
{
    switch (size.unit) {
    case FileSize::Unit::Bytes: return size.count;
    case FileSize::Unit::Kilo: return size.count * kilo;
    case FileSize::Unit::Mega: return size.count * kilo * kilo;
    }
    return size.count;
}

} // namespace

bool isExactMode(SizeMode mode)
{
    return mode == SizeMode::Fill || mode == SizeMode::Pad || mode == SizeMode::Stretch;
}

std::int64_t ceilingBytes(const FileSize &size)
{
    return bytesOf(size, 1000);
}

std::int64_t floorBytes(const FileSize &size)
{
    return bytesOf(size, 1024);
}

Parsed<FileSize> parseFileSize(const QString &text)
{
    QString digits = text.trimmed();
    FileSize size;
    if (digits.endsWith(QLatin1Char('k'), Qt::CaseInsensitive))
        size.unit = FileSize::Unit::Kilo;
    else if (digits.endsWith(QLatin1Char('m'), Qt::CaseInsensitive))
        size.unit = FileSize::Unit::Mega;
    if (size.unit != FileSize::Unit::Bytes)
        digits.chop(1);
    bool ok = !digits.isEmpty();
    for (const QChar c : std::as_const(digits))
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    size.count = ok ? digits.toLongLong(&ok) : 0;
    if (!ok)
        return {{}, tr("“%1”不是文件大小：请写字节数，或带 K、M 的数，如 50K、2M", "a file size typed wrongly")
                        .arg(text)};
    if (size.count < 1 || size.count > kLargestCount)
        return {{}, tr("文件大小“%1”超出范围", "a file size of 0 or too large").arg(text)};
    return {size, {}};
}

QString fileSizeText(const FileSize &size)
{
    const QString count = QString::number(size.count);
    switch (size.unit) {
    case FileSize::Unit::Bytes: return count;
    case FileSize::Unit::Kilo: return count + QLatin1Char('K');
    case FileSize::Unit::Mega: return count + QLatin1Char('M');
    }
    return count;
}

Parsed<imaging::Anchor> parseAnchor(const QString &text)
{
    const QString name = text.trimmed().toLower();
    if (name == QLatin1String("center"))
        return {imaging::Anchor::Centre, {}};
    for (const auto &[known, anchor] : kAnchorNames)
        if (name == QLatin1String(known))
            return {anchor, {}};
    return {{}, tr("“%1”不是位置：可选 centre、top、bottom、left、right、top-left、top-right、bottom-left、"
                   "bottom-right", "an anchor of a crop or a border typed wrongly")
                    .arg(text)};
}

QString anchorName(imaging::Anchor anchor)
{
    for (const auto &[name, known] : kAnchorNames)
        if (known == anchor)
            return QLatin1String(name);
    return {};
}

Parsed<Rgb> parseColour(const QString &text)
{
    const QString name = text.trimmed();
    bool ok = name.size() == 7 && name.front() == QLatin1Char('#');
    for (qsizetype i = 1; ok && i < name.size(); ++i)
        ok = name[i].isDigit() || QStringLiteral("abcdefABCDEF").contains(name[i]);
    if (!ok)
        return {{}, tr("“%1”不是颜色：请写 #RRGGBB，如 #FFFFFF", "a colour typed wrongly").arg(text)};
    return {Rgb(name.mid(1).toUInt(nullptr, 16)), {}};
}

QString colourName(Rgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

Parsed<SizeMode> parseSizeMode(const QString &text)
{
    const QString name = text.trimmed().toLower();
    for (const auto &[known, mode] : kModeNames)
        if (name == QLatin1String(known))
            return {mode, {}};
    return {{}, tr("“%1”不是尺寸方式：可选 inside、long-edge、percent、fill、pad、stretch",
                   "a size mode typed wrongly")
                    .arg(text)};
}

QString sizeModeName(SizeMode mode)
{
    for (const auto &[name, known] : kModeNames)
        if (known == mode)
            return QLatin1String(name);
    return {};
}

QString settingsProblem(const ConversionSettings &s)
{
    const auto side = [](std::int32_t value) { return value >= 1 && value <= kLargestSide; };
    switch (s.sizeMode) {
    case SizeMode::FitInside:
        // No box: the window's size fields, or tarvel-batch's remembered limits.
        if ((s.width != 0 || s.height != 0) && (!side(s.width) || !side(s.height)))
            return tr("宽和高须在 1 到 %1 之间").arg(kLargestSide);
        break;
    case SizeMode::Fill:
    case SizeMode::Pad:
    case SizeMode::Stretch:
        if (!side(s.width) || !side(s.height))
            return tr("宽和高须在 1 到 %1 之间").arg(kLargestSide);
        break;
    case SizeMode::LongEdge:
        if (!side(s.longEdge))
            return tr("长边须在 1 到 %1 之间").arg(kLargestSide);
        break;
    case SizeMode::Percent:
        // From 0.01 % (a scale of 100 millionths) to 100 times the size.
        if (s.scale < 100 || s.scale > 100 * imaging::kWholeScale)
            return tr("百分比须在 0.01 到 10000 之间");
        break;
    }
    if (s.quality < 0 || s.quality > 100)
        return tr("质量须在 1 到 100 之间");
    if (s.dpi && (*s.dpi < 1 || *s.dpi > kLargestDpi))
        return tr("DPI 须在 1 到 %1 之间").arg(kLargestDpi);
    for (const std::optional<FileSize> &size : {s.maxSize, s.minSize})
        if (size && (size->count < 1 || size->count > kLargestCount))
            return tr("文件大小超出范围");
    if (s.maxSize && s.minSize && floorBytes(*s.minSize) > ceilingBytes(*s.maxSize))
        return tr("文件大小下限（至少 %1 字节）高于上限（至多 %2 字节）", "a file-size floor above the ceiling")
            .arg(floorBytes(*s.minSize))
            .arg(ceilingBytes(*s.maxSize));
    return {};
}

} // namespace workflow
