#include "cli/batch_tool_options.h"

#include "cli/batch_text.h"
#include "workflow/output_names.h"
#include "workflow/parallel_conversion.h"
#include "workflow/source_selection.h"
#include "workflow/target_sizes.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <limits>
#include <utility>

namespace cli {

static_assert(kMostOutputSizes == imaging::kMostTargets, "one picture is made in every size");

namespace {

constexpr BatchToolOption kOptions[] = {
    {"width", 'w', "W",
     QT_TRANSLATE_NOOP("cli::BatchText", "最大宽度，1 到 16383 像素（默认：上次在窗口中使用的限宽，首次为 425）。"
                                         "16383 是每种输出格式都能容纳的最大边长（WebP 的上限）")},
    {"height", 'H', "H",
     QT_TRANSLATE_NOOP("cli::BatchText", "最大高度，1 到 16383 像素（默认：上次在窗口中使用的限高，首次为 321）")},
    {"long-edge", 0, "N",
     QT_TRANSLATE_NOOP("cli::BatchText", "按长边缩放：较长的一边变为 N 像素（1 到 16383），另一边按比例，"
                                         "与 --width N --height N 相同")},
    {"scale", 0, "P%",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "按百分比缩放：两边都乘以 P/100。P 大于 0、不超过 1000，最多四位小数（50%、12.5%，"
                       "百分号可省略）；每边按四舍五入取整，恰好一半时取偶数，至少 1 像素。"
                       "超过 100% 时须加 --enlarge；有一边会超过 16383 时改为缩放到 16383 × 16383 之内")},
    {"size", 0, "WxH:DIR",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "多个尺寸：把每张图片缩放到 W × H 之内，写入输出文件夹的子文件夹 DIR（按需创建）。"
                       "可重复，最多 16 次，如 --size 1920x1080:large --size 320x240:thumbs。"
                       "每张图片只读入一次，解码方式相同的尺寸共用一次解码（其他格式的所有尺寸共用一次；"
                       "JPEG 按解码时缩小的倍数 1、2、4、8 分组）。写出的文件与分别按各个尺寸转换的逐字节相同")},
    {"fit", 0, "MODE",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "inside（默认）：缩放到宽 × 高之内，保持比例；fill：正好宽 × 高，先铺满再按 --anchor 裁去多余部分；"
                       "pad：正好宽 × 高，先缩放到之内再按 --anchor 放置，四周补 --background 的颜色（默认白色）；"
                       "stretch：正好宽 × 高，不保持比例。与 --width/--height 或 --size 一起用。"
                       "不加 --enlarge 时比框小的图片不放大：fill 和 stretch 只缩小超出的边，不足的边补边，"
                       "pad 只补边，输出始终正好宽 × 高")},
    {"anchor", 0, "POS",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "fill 保留、pad 放置图片的位置：centre（默认，也可写 center）、top、bottom、left、right、"
                       "top-left、top-right、bottom-left、bottom-right")},
    {"background", 0, "#RRGGBB",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "pad 补边的颜色，也是透明部分在 JPEG 和 BMP 输出中铺底的颜色（默认：补边白色，铺底为窗口按钮的颜色）")},
    {"max-size", 0, "SIZE",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "输出文件不超过 SIZE：字节数，或带 K/k（千字节）、M（兆字节），如 50K。"
                       "K 按 1000 字节算（同时满足 1000 和 1024 两种理解）。有损格式降低质量（从 --quality 或 100 开始）"
                       "直到不超过，尺寸不变；无损格式（PNG、GIF、TIFF、BMP、TGA、无损 WebP）不改变尺寸，"
                       "超过时该图片失败。达不到时该图片失败，说明能做到的最接近的大小，不写入文件")},
    {"min-size", 0, "SIZE",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "输出文件不少于 SIZE（写法同 --max-size；K 按 1024 字节算）。不会为达到下限而提高质量或放大；"
                       "达不到时该图片失败")},
    {"dpi", 0, "N",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "在输出中写入分辨率 N dpi（1 到 65535），像素不变。JPEG、PNG、TIFF 和 BMP 带这个标记；"
                       "WebP、HEIC、AVIF、JPEG XL、GIF 和 TGA 没有")},
    {"preset", 0, "NAME",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "按预设转换：窗口中保存的预设或内置预设（名称或 --list-presets 列出的代号，不分大小写）。"
                       "命令行上给出的选项优先于预设中的设置")},
    {"list-presets", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "列出内置预设和窗口中保存的预设，每行一个：代号或名称、尺寸和其他设置")},
    {"enlarge", 'e', nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "小图放大：把比限制小的图片也放大到限制边缘（--scale 超过 100% 时也须加上）")},
    {"recursive", 'r', nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "也转换各级子文件夹中的图片，写入输出文件夹中相同的相对子文件夹（按需创建）。"
                                         "隐藏文件夹、指向文件夹的符号链接和源文件夹中的输出文件夹不进入。"
                                         "先按名称依次处理子文件夹，再按窗口的顺序处理文件")},
    {"dry-run", 'n', nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "试运行：不写入任何文件，每个文件一行，列出相对路径、文件头中的尺寸和将得到的尺寸，"
                       "或者“跳过”及原因，最后是合计")},
    {"json", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "以 JSON 输出结果：每个文件一行一个对象（\"type\":\"file\"），最后一行是合计"
                                         "（\"type\":\"summary\"）；试运行和实际转换都适用")},
    {"quality", 'q', "Q",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "有损格式（JPEG、有损 WebP、HEIC、AVIF、JPEG XL）输出的质量，1 到 100。默认与窗口相同："
                       "JPEG 为 100，其余格式用各自经过测量的设置；无损来源写成的 WebP 始终无损。"
                       "旧写法 --jpeg-quality 仍然有效")},
    {"jpeg-quality", 0, "Q", QT_TRANSLATE_NOOP("cli::BatchText", "同 --quality（旧写法）")},
    {"format", 0, "FMT",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "输出格式：same（默认，每张图片保持原来的格式和文件名）或 %1 之一，不分大小写。"
                       "输出文件名的扩展名换成 FMT；重名时的处理见上文")},
    {"skip-existing", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "输出文件已经存在的图片不转换，保留原样，计为跳过")},
    {"jobs", 'j', "N", QT_TRANSLATE_NOOP("cli::BatchText", "同时转换的图片数（默认：处理器核心数）")},
    {"stats", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "结束时多输出一行统计：bench: pictures=… failed=… seconds=… per_second=… peak_rss_mb=…")},
    {"verbose", 0, nullptr, QT_TRANSLATE_NOOP("cli::BatchText", "失败的图片后面附上解码库或系统给出的原文说明")},
    {"overwrite-originals", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "允许输出文件夹就是源文件夹（转换后的图片将覆盖原图）")},
    {"keep-dates", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "输出文件的修改时间和访问时间取源文件的（文件系统允许时精确到纳秒）")},
    {"keep-metadata", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "保留 EXIF 中的拍摄时间、相机和镜头、曝光参数、作者和版权（JPEG、PNG 和 TIFF 输出）。"
                       "方向改为 1（输出已经摆正），尺寸和色彩空间改为输出的；缩略图、GPS 位置、序列号、所有者姓名、"
                       "厂商注释和用户注释去掉；XMP、IPTC 和颜色配置文件不保留。默认什么元数据都不保留")},
    {"keep-location", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "与 --keep-metadata 一起用：GPS 位置也保留（序列号、所有者姓名和厂商注释仍然去掉）")},
    {"no-larger", 0, nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "转换结果比源文件大，而源文件已是同一格式、正好是目标尺寸、方向正、除图像外不带任何数据时，"
                       "整个复制源文件（同样原子写入），报告为“保留原文件”")},
    {"files-from", 0, "FILE",
     QT_TRANSLATE_NOOP("cli::BatchText", "只转换 FILE 列出的图片（- 为标准输入）：每行一个相对于源文件夹的路径。"
                                         "绝对路径和含 .. 的路径拒绝整个运行，不存在的文件报告为“不存在”")},
    {"null", '0', nullptr,
     QT_TRANSLATE_NOOP("cli::BatchText", "--files-from 的路径以 NUL 字节分隔（find -print0 的输出），可含换行")},
    {"shard", 0, "K/N",
     QT_TRANSLATE_NOOP("cli::BatchText",
                       "只处理 N 份中的第 K 份（K 从 0 数到 N-1）：相对路径字节的 FNV-1a 64 位哈希除以 N 余 K 的条目。"
                       "N 次运行（如 N 台机器）各取一份，每张图片恰好转换一次；份内没有图片时也正常结束。"
                       "见 docs/scale-out.md")},
    {"version", 0, nullptr, QT_TRANSLATE_NOOP("cli::BatchText", "显示程序名称和版本")},
    {"help", 'h', nullptr, QT_TRANSLATE_NOOP("cli::BatchText", "显示本说明")},
    {"man", 0, nullptr, QT_TRANSLATE_NOOP("cli::BatchText", "以 roff 格式输出手册页"), true},
};

// The integer value of an option, when it lies in [low, high].
std::optional<int> intValue(const QCommandLineParser &parser, const char *name, int low, int high)
{
    bool ok = false;
    const int value = parser.value(QLatin1String(name)).trimmed().toInt(&ok);
    return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

ParsedArguments refused(const QString &error) { return {std::nullopt, error}; }

// A percentage with at most four decimals ("12.5%", "50"), in millionths.
std::optional<std::int64_t> scaleValue(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,4})(?:\\.([0-9]{1,4}))?%?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const std::int64_t value
        = match.captured(1).toLongLong() * 10'000 + match.captured(2).leftJustified(4, u'0').toLongLong();
    return value > 0 && value <= 1000 * 10'000 ? std::optional(value) : std::nullopt;
}

// "1920x1080:large": a box and a folder, or nothing.
std::optional<OutputSize> sizeValue(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,5})[xX×]([0-9]{1,5}):(.+)$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    OutputSize size{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3)};
    if (size.width < 1 || size.width > workflow::kMaxBatchSizeLimit || size.height < 1
        || size.height > workflow::kMaxBatchSizeLimit)
        return std::nullopt;
    // A folder inside the output folder: relative, and no part that leads out
    // of it or back to it.
    if (size.folder.startsWith(u'/'))
        return std::nullopt;
    while (size.folder.endsWith(u'/'))
        size.folder.chop(1);
    for (const QString &part : size.folder.split(u'/')) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return std::nullopt;
    }
    return size;
}

} // namespace

std::span<const BatchToolOption> batchToolOptions() { return kOptions; }

QString formatList() { return workflow::batchOutputFormats().join(BatchText::tr("、")); }

QString optionDescription(const BatchToolOption &option)
{
    const QString text = BatchText::tr(option.description);
    return text.contains(QLatin1String("%1")) ? text.arg(formatList()) : text;
}

namespace {

// The size options into `options`: the limits, --long-edge, --scale or the
// --size list, one way only. The reason they are refused, or nothing.
QString readSizes(const QCommandLineParser &parser, BatchToolOptions &options)
{
    auto isSet = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    auto refuse = [](const QString &why) { return why; };
    for (auto [name, limit] : {std::pair{"width", &options.width}, std::pair{"height", &options.height},
                               std::pair{"long-edge", &options.longEdge}}) {
        if (!isSet(name))
            continue;
        *limit = intValue(parser, name, 1, workflow::kMaxBatchSizeLimit);
        if (!*limit)
            return refuse(BatchText::tr("--%1 必须是 1 到 %2 之间的整数：%3")
                               .arg(QLatin1String(name))
                               .arg(workflow::kMaxBatchSizeLimit)
                               .arg(parser.value(QLatin1String(name))));
    }
    if (isSet("scale")) {
        options.scale = scaleValue(parser.value(QStringLiteral("scale")));
        if (!options.scale)
            return refuse(BatchText::tr("--scale 必须是大于 0、不超过 1000 的百分数，最多四位小数：%1")
                               .arg(parser.value(QStringLiteral("scale"))));
        if (*options.scale > imaging::kWholeScale && !options.enlarge)
            return refuse(BatchText::tr("--scale %1 会放大图片，须同时加上 --enlarge")
                               .arg(parser.value(QStringLiteral("scale"))));
    }
    for (const QString &value : parser.values(QStringLiteral("size"))) {
        const std::optional<OutputSize> size = sizeValue(value);
        if (!size)
            return refuse(BatchText::tr("--size 必须写成 宽x高:子文件夹，宽和高是 1 到 %1 之间的整数，"
                                         "子文件夹是输出文件夹中的相对路径，不含 . 和 .. ：%2")
                               .arg(workflow::kMaxBatchSizeLimit)
                               .arg(value));
        for (const OutputSize &earlier : options.sizes) {
            if (earlier.folder == size->folder)
                return refuse(BatchText::tr("两个 --size 写入同一个子文件夹：%1").arg(size->folder));
        }
        options.sizes.push_back(*size);
    }
    if (options.sizes.size() > kMostOutputSizes)
        return refuse(BatchText::tr("--size 最多 %1 个").arg(kMostOutputSizes));
    // One way of giving the size: the first two given are named.
    QStringList ways;
    if (options.width || options.height)
        ways << (options.width ? QStringLiteral("--width") : QStringLiteral("--height"));
    if (options.longEdge)
        ways << QStringLiteral("--long-edge");
    if (options.scale)
        ways << QStringLiteral("--scale");
    if (!options.sizes.empty())
        ways << QStringLiteral("--size");
    if (ways.size() > 1)
        return refuse(BatchText::tr("尺寸只能用一种方式给出：%1 不能与 %2 同时使用").arg(ways[0], ways[1]));
    return QString();
}

// --jobs, --quality (--jpeg-quality) and --format into `options`. The reason
// they are refused, or nothing.
QString readConversionSettings(const QCommandLineParser &parser, BatchToolOptions &options)
{
    auto isSet = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    auto refuse = [](const QString &why) { return why; };
    if (isSet("jobs")) {
        const auto value = intValue(parser, "jobs", 1, std::numeric_limits<int>::max());
        if (!value)
            return refuse(BatchText::tr("--jobs 必须是正整数：%1").arg(parser.value(QStringLiteral("jobs"))));
        options.jobs = *value;
    }
    // --jpeg-quality is the older spelling of --quality; the newer wins.
    for (const char *name : {"jpeg-quality", "quality"}) {
        if (!isSet(name))
            continue;
        const auto value = intValue(parser, name, 1, 100);
        if (!value)
            return refuse(BatchText::tr("--%1 必须是 1 到 100 之间的整数：%2")
                               .arg(QLatin1String(name), parser.value(QLatin1String(name))));
        options.quality = *value;
    }
    if (isSet("format")) {
        const QString typed = parser.value(QStringLiteral("format"));
        const auto format = workflow::parseBatchOutputFormat(typed);
        if (!format)
            return refuse(BatchText::tr("--format 必须是 same 或 %1 之一：%2").arg(formatList(), typed));
        options.format = *format;
    }
    return QString();
}

// A file size, an anchor or a colour as the settings read it, or the reason.
template <typename T>
QString readValue(const QCommandLineParser &parser, const char *name, workflow::Parsed<T> (*parse)(const QString &),
                  std::optional<T> &into)
{
    if (!parser.isSet(QLatin1String(name)))
        return QString();
    const workflow::Parsed<T> parsed = parse(parser.value(QLatin1String(name)));
    if (!parsed.value)
        return BatchText::tr("--%1：%2").arg(QLatin1String(name), parsed.problem);
    into = parsed.value;
    return QString();
}

// --fit, --anchor, --background, --max-size, --min-size and --dpi into
// `options`. The reason they are refused, or nothing.
QString readOutputSettings(const QCommandLineParser &parser, BatchToolOptions &options)
{
    std::optional<workflow::SizeMode> fit;
    std::optional<imaging::Anchor> anchor;
    QString problem = readValue(parser, "fit", &workflow::parseSizeMode, fit);
    if (problem.isEmpty())
        problem = readValue(parser, "anchor", &workflow::parseAnchor, anchor);
    if (problem.isEmpty())
        problem = readValue(parser, "background", &workflow::parseColour, options.background);
    if (problem.isEmpty())
        problem = readValue(parser, "max-size", &workflow::parseFileSize, options.maxSize);
    if (problem.isEmpty())
        problem = readValue(parser, "min-size", &workflow::parseFileSize, options.minSize);
    if (!problem.isEmpty())
        return problem;
    options.anchor = anchor.value_or(imaging::Anchor::Centre);
    options.fit = fit.value_or(workflow::SizeMode::FitInside);
    if (options.fit == workflow::SizeMode::LongEdge || options.fit == workflow::SizeMode::Percent)
        return BatchText::tr("--fit 必须是 inside、fill、pad 或 stretch 之一：%1").arg(parser.value(QStringLiteral("fit")));
    if (workflow::isExactMode(options.fit) && (options.longEdge || options.scale))
        return BatchText::tr("--fit %1 要与 --width/--height 或 --size 一起使用，不能与 --long-edge 或 --scale 同时使用")
            .arg(workflow::sizeModeName(options.fit));
    if (parser.isSet(QStringLiteral("dpi"))) {
        options.dpi = intValue(parser, "dpi", 1, workflow::kLargestDpi);
        if (!options.dpi)
            return BatchText::tr("--dpi 必须是 1 到 %1 之间的整数：%2")
                .arg(workflow::kLargestDpi)
                .arg(parser.value(QStringLiteral("dpi")));
    }
    if (options.maxSize && options.minSize
        && workflow::floorBytes(*options.minSize) > workflow::ceilingBytes(*options.maxSize))
        return BatchText::tr("--min-size %1（%2 字节）大于 --max-size %3（%4 字节）")
            .arg(workflow::fileSizeText(*options.minSize))
            .arg(workflow::floorBytes(*options.minSize))
            .arg(workflow::fileSizeText(*options.maxSize))
            .arg(workflow::ceilingBytes(*options.maxSize));
    return QString();
}

} // namespace

ParsedArguments parseBatchToolArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const BatchToolOption &option : kOptions) {
        QStringList names;
        if (option.shortName)
            names << QString(QLatin1Char(option.shortName));
        names << QLatin1String(option.name);
        QCommandLineOption parsed(names);
        if (option.valueName)
            parsed.setValueName(QLatin1String(option.valueName));
        parser.addOption(parsed);
    }
    if (!parser.parse(QStringList{QStringLiteral("tarvel-batch")} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return refused(parser.errorText());
        const QString &name = unknown.first();
        return refused(
            BatchText::tr("未知选项：%1").arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name));
    }

    BatchToolOptions options;
    auto isSet = [&](const char *name) { return parser.isSet(QLatin1String(name)); };
    for (const BatchToolOption &option : kOptions) {
        if (isSet(option.name))
            options.given << QLatin1String(option.name);
    }
    options.preset = parser.value(QStringLiteral("preset"));
    options.listPresets = isSet("list-presets");
    options.help = isSet("help");
    options.version = isSet("version");
    options.manPage = isSet("man");
    options.enlarge = isSet("enlarge");
    options.recursive = isSet("recursive");
    options.dryRun = isSet("dry-run");
    options.json = isSet("json");
    options.skipExisting = isSet("skip-existing");
    options.stats = isSet("stats");
    options.verbose = isSet("verbose");
    options.overwriteOriginals = isSet("overwrite-originals");
    options.keepDates = isSet("keep-dates");
    options.keepMetadata = isSet("keep-metadata");
    options.keepLocation = isSet("keep-location");
    options.noLarger = isSet("no-larger");
    options.nulSeparated = isSet("null");
    if (isSet("files-from"))
        options.filesFrom = parser.value(QStringLiteral("files-from"));
    if (options.keepLocation && !options.keepMetadata)
        return refused(BatchText::tr("--keep-location 要与 --keep-metadata 一起使用"));
    if (options.nulSeparated && !options.filesFrom)
        return refused(BatchText::tr("-0 要与 --files-from 一起使用"));
    if (isSet("shard")) {
        options.shard = workflow::parseShard(parser.value(QStringLiteral("shard")).trimmed());
        if (!options.shard)
            return refused(BatchText::tr("--shard 必须是 K/N，N 为正整数，K 从 0 到 N-1：%1")
                               .arg(parser.value(QStringLiteral("shard"))));
    }
    if (const QString problem = readSizes(parser, options); !problem.isEmpty())
        return refused(problem);
    if (const QString problem = readConversionSettings(parser, options); !problem.isEmpty())
        return refused(problem);
    if (const QString problem = readOutputSettings(parser, options); !problem.isEmpty())
        return refused(problem);
    if (options.help || options.version || options.manPage || options.listPresets)
        return {options, QString()};

    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 2)
        return refused(BatchText::tr("需要两个文件夹：源文件夹和输出文件夹"));
    options.sourceFolder = folders[0];
    options.outputFolder = folders[1];
    return {options, QString()};
}

} // namespace cli
