#include "cli/batch_tool.h"

#include "cli/batch_text.h"
#include "cli/batch_tool_help.h"
#include "cli/batch_plan.h"
#include "cli/batch_tool_options.h"
#include "cli/terminal_text.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "workflow/batch_workflow.h"
#include "workflow/settings_conversion.h"
#include "workflow/conversion_rules.h"
#include "workflow/saved_limits.h"
#include "workflow/size_text.h"
#include "workflow/source_selection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace cli {

namespace {

QString shown(const QString &path) { return platform::displayPath(path); }

// 128 + the signal that stopped the run, as a shell reports it.
int interruptedStatus(const BatchInterrupts &interrupts)
{
    return kSignalBase + (interrupts.firstSignal ? interrupts.firstSignal.load() : SIGINT);
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A folder's path with links resolved as far as it exists, for comparing.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString parent = info.absolutePath();
    return parent == info.absoluteFilePath() ? parent : resolvedPath(parent) + u'/' + info.fileName();
}

// Whether `folder` (resolved) lies strictly inside `outer`.
bool isInside(const QString &folder, const QString &outer)
{
    const QString base = resolvedPath(outer);
    return folder.startsWith(base.endsWith(u'/') ? base : base + u'/');
}

// Checks the output folder and, for a real run, makes it; an error message
// when it cannot be used.
QString prepareOutputFolder(const BatchToolOptions &options, std::FILE *err)
{
    const QString &output = options.outputFolder;
    if (platform::isFolder(output))
        return QString();
    if (platform::exists(output))
        return BatchText::tr("输出路径已存在，但不是文件夹：%1").arg(shown(output));
    if (options.dryRun) {
        printText(err, BatchText::tr("tarvel-batch：输出文件夹不存在，实际转换时将创建：%1\n").arg(shown(output)));
        return QString();
    }
    if (!platform::makeFolders(output))
        return BatchText::tr("无法创建输出文件夹 %1：%2").arg(shown(output), systemError());
    return QString();
}

// The folders that the pictures go to besides the output folder: those of
// --size, and the sub-folders of a recursive run in each.
void makeOutputSubfolders(const BatchToolOptions &options, const std::vector<workflow::SizedOutput> &outputs,
                          const workflow::WorkList &pictures, std::FILE *err)
{
    QSet<QString> made;
    auto make = [&](const QString &folder) {
        if (made.contains(folder))
            return;
        made.insert(folder);
        if (!platform::makeFolders(folder))
            printText(err, BatchText::tr("tarvel-batch：无法创建文件夹 %1：%2\n").arg(shown(folder), systemError()));
    };
    for (const workflow::SizedOutput &output : outputs) {
        if (output.folder != options.outputFolder)
            make(output.folder);
        if (!options.recursive && !options.filesFrom)
            continue;
        for (const workflow::WorkItem &item : pictures) {
            const qsizetype slash = item.name.lastIndexOf(u'/');
            if (slash >= 0)
                make(workflow::pathInFolder(output.folder, item.name.left(slash)));
        }
    }
}

// The sizes as --help names them: "1024 × 768", "长边 2000", "缩放 50%",
// "1920 × 1080 → large，320 × 240 → thumbs".
QString sizeDescription(const BatchToolOptions &options, int width, int height)
{
    if (options.longEdge)
        return BatchText::tr("长边 %1").arg(*options.longEdge);
    if (options.scale)
        return BatchText::tr("缩放 %1%").arg(double(*options.scale) / 10'000, 0, 'g', 8);
    if (options.sizes.empty() && workflow::isExactMode(options.fit))
        return BatchText::tr("正好 %1 × %2（%3）").arg(width).arg(height).arg(workflow::sizeModeName(options.fit));
    if (options.sizes.empty())
        return BatchText::tr("限宽 %1，限高 %2").arg(width).arg(height);
    QStringList sizes;
    for (const OutputSize &size : options.sizes)
        sizes << QStringLiteral(u"%1 × %2 → %3").arg(size.width).arg(size.height).arg(shown(size.folder));
    return sizes.join(BatchText::tr("，"));
}

// The bytes of the --files-from list; nothing when it cannot be read.
std::optional<QByteArray> readList(const QString &name, std::FILE *in)
{
    std::FILE *file = name == QStringLiteral("-") ? in : std::fopen(platform::nativePath(name).constData(), "rb");
    if (!file)
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, qsizetype(n));
    const bool ok = !std::ferror(file);
    if (file != in)
        std::fclose(file);
    return ok ? std::optional(bytes) : std::nullopt;
}

QJsonObject settingsJson(const BatchToolOptions &options, const std::vector<workflow::SizedOutput> &outputs)
{
    QJsonObject settings{
        {"width", outputs.front().box.width},
        {"height", outputs.front().box.height},
        {"enlarge", options.enlarge},
        {"recursive", options.recursive},
        {"jpeg_quality", options.quality == imaging::kOwnQuality ? imaging::kBestJpegQuality : options.quality},
        {"quality", options.quality == imaging::kOwnQuality ? QJsonValue() : QJsonValue(options.quality)},
        {"keep_dates", options.keepDates},
        {"keep_metadata", options.keepMetadata},
        {"keep_location", options.keepLocation},
        {"no_larger", options.noLarger},
        {"format", options.format.isEmpty() ? QStringLiteral("same") : options.format}};
    if (options.shard) {
        settings.insert("shard_index", options.shard->index);
        settings.insert("shard_count", options.shard->count);
    }
    if (options.filesFrom)
        settings.insert("files_from", shown(*options.filesFrom));
    settings.insert("fit", workflow::sizeModeName(options.fit));
    if (workflow::isExactMode(options.fit))
        settings.insert("anchor", workflow::anchorName(options.anchor));
    if (options.background)
        settings.insert("background", workflow::colourName(*options.background));
    if (options.maxSize)
        settings.insert("max_bytes", qint64(workflow::ceilingBytes(*options.maxSize)));
    if (options.minSize)
        settings.insert("min_bytes", qint64(workflow::floorBytes(*options.minSize)));
    if (options.dpi)
        settings.insert("dpi", *options.dpi);
    if (options.longEdge)
        settings.insert("long_edge", *options.longEdge);
    if (options.scale)
        settings.insert("scale_percent", double(*options.scale) / 10'000);
    if (!options.sizes.empty()) {
        QJsonArray sizes;
        for (const OutputSize &size : options.sizes)
            sizes.append(QJsonObject{
                {"width", size.width}, {"height", size.height}, {"folder", platform::displayPath(size.folder)}});
        settings.insert("sizes", sizes);
    }
    return settings;
}

int dryRun(const BatchToolOptions &options, const Plan &plan, const BatchToolStreams &streams,
           const std::vector<workflow::SizedOutput> &outputs)
{
    RunTotals totals;
    totals.dryRun = true;
    QString lines;
    for (const FileReport &report : plan.reports) {
        totals.count(report);
        lines += options.json ? fileJson(report) : dryRunLine(report);
    }
    printText(streams.out, lines);
    printText(streams.out, options.json ? summaryJson(totals, settingsJson(options, outputs))
                                        : totalsLine(totals, options.skipExisting) + renamedLines(plan.reports));
    return totals.missing ? kSomeFailed : kAllConverted;
}

// What a run did in the run's time: how many pictures and how long it took.
struct RunTime {
    int pictures = 0;
    double seconds = 0;
};

// The run's last lines: the totals, the renamed pictures and the failed ones,
// and with --stats the speed and memory; or the summary object with --json.
void printSummary(const BatchToolOptions &options, const workflow::BatchSummary &summary, const Plan &plan,
                  const RunTotals &totals, const std::vector<workflow::SizedOutput> &outputs, RunTime run,
                  const BatchToolStreams &streams)
{
    // The peaks of this process and of every worker, summed: an upper bound
    // of the memory the run took at any moment.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = (usage.ru_maxrss + summary.workersPeakKb) / 1024.0;
    const double seconds = run.seconds;
    const double perSecond = seconds > 0 ? double(run.pictures) / seconds : 0;
    if (options.json) {
        QJsonObject extra = settingsJson(options, outputs);
        if (options.stats) {
            extra.insert("seconds", seconds);
            extra.insert("per_second", perSecond);
            extra.insert("peak_rss_mb", peakMb);
        }
        printText(streams.out, summaryJson(totals, extra));
    } else {
        QStringList failures;
        for (const workflow::BatchFailure &failure : summary.failures) {
            if (outcomeOf(failure.result) == FileReport::Failed)
                failures << QStringLiteral("  ")
                                + workflow::failureLine(quotedName(shown(failure.name)), failure.result,
                                                        options.verbose);
        }
        printText(streams.out, totalsLine(totals, options.skipExisting) + renamedLines(plan.reports));
        if (!failures.isEmpty())
            printText(streams.out, BatchText::tr("以下文件未能转换：\n") + failures.join(u'\n') + u'\n');
        if (options.stats)
            printText(streams.out,
                      QStringLiteral("bench: pictures=%1 failed=%2 seconds=%3 per_second=%4 peak_rss_mb=%5\n")
                          .arg(run.pictures)
                          .arg(totals.failed)
                          .arg(seconds, 0, 'f', 2)
                          .arg(perSecond, 0, 'f', 2)
                          .arg(peakMb, 0, 'f', 1));
    }
}

int convert(const BatchToolOptions &options, Plan &plan, const BatchToolStreams &streams,
            const std::vector<workflow::SizedOutput> &outputs, const QString &sizes, BatchInterrupts *interrupts)
{
    const qsizetype count = qsizetype(plan.pictures.size());
    printText(
        streams.err,
        BatchText::tr("转换 %1 张图片，%2%3%4%5\n")
            .arg(QString::number(count), sizes, options.enlarge ? BatchText::tr("，小图放大") : QString(),
                 options.quality != imaging::kOwnQuality ? BatchText::tr("，质量 %1").arg(options.quality) : QString(),
                 options.format.isEmpty() ? QString() : BatchText::tr("，转换为 %1 格式").arg(options.format)));
    makeOutputSubfolders(options, outputs, plan.pictures, streams.err);
    if (options.json) {
        for (const FileReport &report : plan.reports) {
            if (report.outcome == FileReport::Skipped)
                printText(streams.out, fileJson(report));
        }
    }

    workflow::ConversionOptions conversion;
    conversion.jobs = options.jobs ? options.jobs : workflow::defaultJobCount();
    conversion.worker.abandon = interrupts ? &interrupts->abandon : nullptr;
    // The sizes are the outputs'; the rest as the window converts by the same settings.
    conversion = workflow::settingsOptions(conversionSettings(options, 0, 0), conversion);
    BatchProgress progress(streams, options.json, int(count), interrupts);
    // Each picture's report takes its result as the picture ends (one call at
    // a time), and the progress tells it.
    auto pictureDone = [&](std::size_t i, const workflow::ConversionResult &result) {
        FileReport &report = plan.reports[plan.pictureReports[i]];
        takeResult(report, result);
        progress.pictureDone(report);
    };
    const workflow::BatchSummary summary
        = workflow::runBatch({options.sourceFolder, options.outputFolder, plan.outputs}, plan.pictures, outputs,
                             conversion, {pictureDone, interrupts ? &interrupts->stop : nullptr});
    progress.finish();

    RunTotals totals;
    totals.interrupted = interrupts && interrupts->stop;
    for (std::size_t i = 0; i < plan.pictureReports.size(); ++i) {
        FileReport &report = plan.reports[plan.pictureReports[i]];
        if (i >= summary.results.size() || !summary.results[i])
            takeResult(report, std::nullopt);
        // The others were written as they finished.
        if (options.json && (report.outcome == FileReport::NotStarted || report.outcome == FileReport::Stopped))
            printText(streams.out, fileJson(report));
    }
    for (const FileReport &report : plan.reports)
        totals.count(report);

    printSummary(options, summary, plan, totals, outputs, {int(count), progress.seconds()}, streams);
    if (totals.interrupted)
        return interruptedStatus(*interrupts);
    return totals.failed || totals.missing ? kSomeFailed : kAllConverted;
}

struct PresetChoice {
    BatchToolOptions options;
    QString list; // --list-presets
    QString problem;
};

// The options with the preset's settings where --preset names one; the
// presets are the built-ins and those in presets.json beside CULERT.txt.
PresetChoice choosePreset(const BatchToolOptions &options, const QString &settingsPath)
{
    if (options.preset.isEmpty() && !options.listPresets)
        return {options, {}, {}};
    const workflow::LoadedPresets loaded
        = workflow::loadPresets(QFileInfo(settingsPath).dir().filePath(QStringLiteral("presets.json")));
    const std::vector<workflow::Preset> presets = workflow::allPresets(loaded.file);
    if (options.listPresets)
        return {options, presetList(presets), {}};
    const workflow::Preset *preset = workflow::findPreset(presets, options.preset);
    if (!preset)
        return {options, {},
                BatchText::tr("没有名为 %1 的预设（--list-presets 列出所有预设）%2")
                    .arg(options.preset, loaded.damaged ? BatchText::tr("；%1").arg(loaded.problem) : QString())};
    BatchToolOptions merged = withPreset(options, preset->settings);
    if (const QString problem = workflow::settingsProblem(conversionSettings(merged, merged.width.value_or(1),
                                                                             merged.height.value_or(1)));
        !problem.isEmpty())
        return {options, {}, BatchText::tr("预设 %1：%2").arg(options.preset, problem)};
    return {merged, {}, {}};
}

} // namespace

int runBatchTool(const QStringList &arguments, const BatchToolStreams &streams, const QString &settingsPath,
                 BatchInterrupts *interrupts)
{
    const auto refuse = [&](const QString &message) {
        printText(streams.err, BatchText::tr("tarvel-batch：%1\n").arg(message));
        return kBadArguments;
    };
    const ParsedArguments parsed = parseBatchToolArguments(arguments);
    if (!parsed.options)
        return refuse(parsed.error + BatchText::tr("（用法见 tarvel-batch --help）"));
    const PresetChoice chosen = choosePreset(*parsed.options, settingsPath);
    if (!chosen.problem.isEmpty())
        return refuse(chosen.problem);
    if (parsed.options->listPresets) {
        printText(streams.out, chosen.list);
        return kAllConverted;
    }
    const BatchToolOptions &options = chosen.options;
    if (options.help || options.version || options.manPage) {
        printText(streams.out, options.help      ? batchToolHelp()
                               : options.version ? batchToolVersion()
                                                 : batchToolManPage());
        return kAllConverted;
    }

    // The window's remembered limits, in the window's range, stand in for a
    // side not given when the size is a box.
    const bool box = !options.longEdge && !options.scale && options.sizes.empty();
    const workflow::SavedLimits remembered = workflow::readSavedLimits(settingsPath);
    const int width = options.width.value_or(remembered.Width);
    const int height = options.height.value_or(remembered.Height);
    const auto outOfRange = [](int limit) { return limit < 1 || limit > workflow::kMaxSizeLimit; };
    if (box && ((!options.width && outOfRange(width)) || (!options.height && outOfRange(height))))
        return refuse(BatchText::tr("记住的限制 %1 × %2 超出 1 到 %3 的范围，请用 --width 和 --height 指定")
                          .arg(remembered.Width)
                          .arg(remembered.Height)
                          .arg(workflow::kMaxSizeLimit));
    if (!platform::isFolder(options.sourceFolder))
        return refuse(BatchText::tr("源文件夹不存在：%1").arg(shown(options.sourceFolder)));
    if (const QString problem = prepareOutputFolder(options, streams.err); !problem.isEmpty())
        return refuse(problem);
    const std::vector<workflow::SizedOutput> outputs = outputsOf(options, width, height);
    // Converted to another format, the pictures get other names: only those
    // that keep theirs would replace the originals (checked once they are
    // listed).
    bool sameFolder = false;
    const auto refuseSameFolder = [&] {
        return refuse(BatchText::tr("输出文件夹与源文件夹相同，转换后的图片将覆盖原图。"
                                    "确定要这样做时请加上 --overwrite-originals"));
    };
    for (const workflow::SizedOutput &output : outputs) {
        const QString folder = resolvedPath(output.folder);
        sameFolder = sameFolder || folder == resolvedPath(options.sourceFolder);
        if (folder == resolvedPath(options.sourceFolder) && !options.overwriteOriginals && options.format.isEmpty())
            return refuseSameFolder();
        // A recursive run leaves out the output folder within the source
        // folder, not a folder of --size that lies there otherwise: a later
        // run would convert the outputs again.
        if (options.recursive && output.folder != options.outputFolder && isInside(folder, options.sourceFolder)
            && !isInside(resolvedPath(options.outputFolder), options.sourceFolder))
            return refuse(BatchText::tr("--size 的子文件夹 %1 在源文件夹中，加 --recursive 时会被当作源图片再次转换")
                              .arg(shown(output.folder)));
    }

    std::optional<std::vector<QString>> listed;
    if (options.filesFrom) {
        const std::optional<QByteArray> list = readList(*options.filesFrom, streams.in);
        if (!list)
            return refuse(BatchText::tr("无法读取列表 %1：%2").arg(shown(*options.filesFrom), systemError()));
        workflow::NameList names = workflow::parseNameList(*list, options.nulSeparated);
        if (names.refused)
            return refuse(BatchText::tr("列表中的路径不在源文件夹之内：%1").arg(shown(*names.refused)));
        listed = std::move(names.names);
    }

    const std::atomic<bool> *stop = interrupts ? &interrupts->stop : nullptr;
    Plan plan = makePlan(options, listed, outputs, stop);
    if (stop && stop->load()) {
        printText(streams.err, BatchText::tr("tarvel-batch：已中断，还没有开始转换。\n"));
        return interruptedStatus(*interrupts);
    }
    if (sameFolder && !options.overwriteOriginals && plan.overwritesSources)
        return refuseSameFolder();
    if (options.dryRun)
        return dryRun(options, plan, streams, outputs);
    // A share of a larger run may hold nothing; that is no error.
    if (plan.candidates == 0 && !options.shard && !options.filesFrom)
        return refuse(BatchText::tr("没有找到可以转换的文件"));
    return convert(options, plan, streams, outputs, sizeDescription(options, width, height), interrupts);
}

} // namespace cli
