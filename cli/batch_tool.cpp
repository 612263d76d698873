#include "cli/batch_tool.h"

#include "cli/batch_text.h"
#include "cli/batch_tool_help.h"
#include "cli/batch_tool_options.h"
#include "cli/terminal_text.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "workflow/batch_workflow.h"
#include "workflow/conversion_rules.h"
#include "workflow/saved_limits.h"
#include "workflow/size_text.h"
#include "workflow/source_selection.h"

#include <QFile>
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

// What a run will do with every entry of the source folder, and the pictures
// it hands to the workers, in the order they start.
struct Plan {
    std::vector<FileReport> reports;         // every entry, in the walk's order
    workflow::WorkList pictures;             // relative paths and sizes
    std::vector<std::size_t> pictureReports; // the report of each picture
    int candidates = 0;                      // pictures found, before any was skipped
};

// `listed`: the names of --files-from, in place of the folder's own entries.
Plan makePlan(const BatchToolOptions &options, const std::optional<std::vector<QString>> &listed, int width, int height,
              const std::atomic<bool> *stop)
{
    Plan plan;
    const std::vector<workflow::SourceEntry> entries
        = listed ? workflow::listedEntries(options.sourceFolder, options.outputFolder, *listed)
                 : workflow::walkSourceFolder(options.sourceFolder, options.outputFolder, options.recursive, stop);
    for (const workflow::SourceEntry &entry : entries) {
        if (stop && stop->load())
            break;
        // Every entry falls to one shard, skipped ones too, so that the
        // shards' reports add up to the whole run's.
        if (options.shard && !workflow::inShard(entry.path, *options.shard))
            continue;
        FileReport report{entry.path, FileReport::Skipped, entry.skip, {}, {}, {}};
        if (entry.skip == workflow::SkipReason::None) {
            ++plan.candidates;
            const workflow::WorkItem picture = workflow::readWorkItem(options.sourceFolder, entry.path);
            report.size = picture.size;
            report.target
                = workflow::fitTargetSize(picture.size.Width, picture.size.Height, width, height, options.enlarge);
            const long long pixels = qint64(report.size->Width) * report.size->Height;
            if (options.skipExisting && platform::exists(workflow::pathInFolder(options.outputFolder, entry.path))) {
                report.skip = workflow::SkipReason::OutputExists;
            } else if (options.dryRun && (report.target->width < 1 || report.target->height < 1)) {
                // A real run hands these to the workers too, like the window,
                // and lists them as failed; a dry run says so beforehand.
                report.skip = workflow::SkipReason::NoSize;
            } else if (options.dryRun && pixels > imaging::kMaxSourcePixels) {
                report.skip = workflow::SkipReason::TooLarge;
            } else {
                report.outcome = FileReport::WouldConvert;
                plan.pictureReports.push_back(plan.reports.size());
                plan.pictures.push_back(picture);
            }
        }
        plan.reports.push_back(report);
    }
    return plan;
}

// What became of a picture handed to the workers. Its sizes are those of the
// file as it was converted, which a file replaced since it was listed changes.
void takeResult(FileReport &report, const std::optional<workflow::ConversionResult> &result)
{
    report.result = result;
    report.outcome = outcomeOf(result);
    if (!result)
        return;
    if (result->target != imaging::PictureSize{}) {
        report.size = result->source;
        report.target = workflow::TargetSize{result->target.Width, result->target.Height};
    } else if (result->status == workflow::ConversionStatus::NoSize) {
        report.size = result->source;
        report.target.reset();
    }
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

// The sub-folders of the output that the pictures of a recursive run go to.
void makeOutputSubfolders(const BatchToolOptions &options, const workflow::WorkList &pictures, std::FILE *err)
{
    QSet<QString> made;
    for (const workflow::WorkItem &item : pictures) {
        const QString &picture = item.name;
        const qsizetype slash = picture.lastIndexOf(u'/');
        if (slash < 0 || made.contains(picture.left(slash)))
            continue;
        made.insert(picture.left(slash));
        const QString folder = workflow::pathInFolder(options.outputFolder, picture.left(slash));
        if (!platform::makeFolders(folder))
            printText(err, BatchText::tr("tarvel-batch：无法创建文件夹 %1：%2\n").arg(shown(folder), systemError()));
    }
}

QJsonObject settingsJson(const BatchToolOptions &options, int width, int height)
{
    QJsonObject settings{
        {"width", width},
        {"height", height},
        {"enlarge", options.enlarge},
        {"recursive", options.recursive},
        {"jpeg_quality", options.quality == imaging::kOwnQuality ? imaging::kBestJpegQuality : options.quality},
        {"quality", options.quality == imaging::kOwnQuality ? QJsonValue() : QJsonValue(options.quality)},
        {"keep_dates", options.keepDates},
        {"keep_metadata", options.keepMetadata},
        {"keep_location", options.keepLocation},
        {"no_larger", options.noLarger}};
    if (options.shard) {
        settings.insert("shard_index", options.shard->index);
        settings.insert("shard_count", options.shard->count);
    }
    if (options.filesFrom)
        settings.insert("files_from", shown(*options.filesFrom));
    return settings;
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

int dryRun(const BatchToolOptions &options, const Plan &plan, const BatchToolStreams &streams, int width, int height)
{
    RunTotals totals;
    totals.dryRun = true;
    QString lines;
    for (const FileReport &report : plan.reports) {
        totals.count(report);
        lines += options.json ? fileJson(report) : dryRunLine(report);
    }
    printText(streams.out, lines);
    printText(streams.out, options.json ? summaryJson(totals, settingsJson(options, width, height))
                                        : totalsLine(totals, options.skipExisting));
    return totals.missing ? kSomeFailed : kAllConverted;
}

int convert(const BatchToolOptions &options, Plan &plan, const BatchToolStreams &streams, int width, int height,
            BatchInterrupts *interrupts)
{
    const qsizetype count = qsizetype(plan.pictures.size());
    printText(streams.err,
              BatchText::tr("转换 %1 张图片，限宽 %2，限高 %3%4%5\n")
                  .arg(count)
                  .arg(width)
                  .arg(height)
                  .arg(options.enlarge ? BatchText::tr("，小图放大") : QString(),
                       options.quality != imaging::kOwnQuality ? BatchText::tr("，质量 %1").arg(options.quality)
                                                               : QString()));
    if (options.recursive || options.filesFrom)
        makeOutputSubfolders(options, plan.pictures, streams.err);
    if (options.json) {
        for (const FileReport &report : plan.reports) {
            if (report.outcome == FileReport::Skipped)
                printText(streams.out, fileJson(report));
        }
    }

    workflow::ConversionOptions conversion;
    conversion.jobs = options.jobs ? options.jobs : workflow::defaultJobCount();
    conversion.quality = options.quality;
    conversion.worker.abandon = interrupts ? &interrupts->abandon : nullptr;
    conversion.keep = {options.keepDates, options.keepMetadata, options.keepLocation, options.noLarger};
    workflow::ConversionResults results;
    BatchProgress progress(streams, options.json, int(count), interrupts);
    const workflow::BatchSummary summary
        = workflow::runBatch({options.sourceFolder, options.outputFolder}, plan.pictures,
                             {width, height, options.enlarge}, [&](const std::vector<workflow::ConversionJob> &jobs) {
                                 workflow::ConversionRun run = workflow::convertInParallel(
                                     jobs, conversion,
                                     [&](std::size_t i, const workflow::ConversionResult &result) {
                                         FileReport report = plan.reports[plan.pictureReports[i]];
                                         takeResult(report, result);
                                         progress.pictureDone(report);
                                     },
                                     interrupts ? &interrupts->stop : nullptr);
                                 results = run.results;
                                 return run;
                             });
    progress.finish();

    RunTotals totals;
    totals.interrupted = interrupts && interrupts->stop;
    for (std::size_t i = 0; i < plan.pictureReports.size(); ++i) {
        FileReport &report = plan.reports[plan.pictureReports[i]];
        takeResult(report, i < results.size() ? results[i] : std::nullopt);
        // The others were written as they finished.
        if (options.json && (report.outcome == FileReport::NotStarted || report.outcome == FileReport::Stopped))
            printText(streams.out, fileJson(report));
    }
    for (const FileReport &report : plan.reports)
        totals.count(report);

    // The peaks of this process and of every worker, summed: an upper bound
    // of the memory the run took at any moment.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = (usage.ru_maxrss + summary.workersPeakKb) / 1024.0;
    const double seconds = progress.seconds();
    const double perSecond = seconds > 0 ? double(count) / seconds : 0;
    if (options.json) {
        QJsonObject extra = settingsJson(options, width, height);
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
        printText(streams.out, totalsLine(totals, options.skipExisting));
        if (!failures.isEmpty())
            printText(streams.out, BatchText::tr("以下文件未能转换：\n") + failures.join(u'\n') + u'\n');
        if (options.stats)
            printText(streams.out,
                      QStringLiteral("bench: pictures=%1 failed=%2 seconds=%3 per_second=%4 peak_rss_mb=%5\n")
                          .arg(count)
                          .arg(totals.failed)
                          .arg(seconds, 0, 'f', 2)
                          .arg(perSecond, 0, 'f', 2)
                          .arg(peakMb, 0, 'f', 1));
    }
    if (totals.interrupted)
        return interruptedStatus(*interrupts);
    return totals.failed || totals.missing ? kSomeFailed : kAllConverted;
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
    const BatchToolOptions &options = *parsed.options;
    if (options.help || options.version || options.manPage) {
        printText(streams.out, options.help      ? batchToolHelp()
                               : options.version ? batchToolVersion()
                                                 : batchToolManPage());
        return kAllConverted;
    }

    const workflow::SavedLimits remembered = workflow::readSavedLimits(settingsPath);
    const int width = options.width.value_or(remembered.Width);
    const int height = options.height.value_or(remembered.Height);
    if (width < 1 || width > workflow::kMaxSizeLimit || height < 1 || height > workflow::kMaxSizeLimit)
        return refuse(BatchText::tr("记住的限制 %1 × %2 超出 1 到 %3 的范围，请用 --width 和 --height 指定")
                          .arg(width)
                          .arg(height)
                          .arg(workflow::kMaxSizeLimit));
    if (!platform::isFolder(options.sourceFolder))
        return refuse(BatchText::tr("源文件夹不存在：%1").arg(shown(options.sourceFolder)));
    if (const QString problem = prepareOutputFolder(options, streams.err); !problem.isEmpty())
        return refuse(problem);
    if (workflow::isSameFolder(options.sourceFolder, options.outputFolder) && !options.overwriteOriginals)
        return refuse(BatchText::tr("输出文件夹与源文件夹相同，转换后的图片将覆盖原图。"
                                    "确定要这样做时请加上 --overwrite-originals"));

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
    Plan plan = makePlan(options, listed, width, height, stop);
    if (stop && stop->load()) {
        printText(streams.err, BatchText::tr("tarvel-batch：已中断，还没有开始转换。\n"));
        return interruptedStatus(*interrupts);
    }
    if (options.dryRun)
        return dryRun(options, plan, streams, width, height);
    // A share of a larger run may hold nothing; that is no error.
    if (plan.candidates == 0 && !options.shard && !options.filesFrom)
        return refuse(BatchText::tr("没有找到可以转换的文件"));
    return convert(options, plan, streams, width, height, interrupts);
}

} // namespace cli
