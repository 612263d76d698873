#include "cli/batch_plan.h"

#include "platform/file_system.h"
#include "workflow/conversion_rules.h"
#include "workflow/settings_conversion.h"
#include "workflow/source_selection.h"

namespace cli {

workflow::ConversionSettings conversionSettings(const BatchToolOptions &options, int width, int height)
{
    workflow::ConversionSettings settings;
    settings.sizeMode = options.longEdge ? workflow::SizeMode::LongEdge
                        : options.scale  ? workflow::SizeMode::Percent
                                         : options.fit;
    settings.width = width;
    settings.height = height;
    settings.longEdge = options.longEdge.value_or(0);
    settings.scale = options.scale.value_or(0);
    settings.anchor = options.anchor;
    settings.padColour = options.background.value_or(workflow::kWhite);
    settings.enlarge = options.enlarge;
    settings.format = options.format;
    settings.quality = options.quality;
    settings.maxSize = options.maxSize;
    settings.minSize = options.minSize;
    settings.background = options.background;
    settings.dpi = options.dpi;
    settings.keepDates = options.keepDates;
    settings.keepCameraData = options.keepMetadata;
    settings.keepLocation = options.keepLocation;
    settings.neverLarger = options.noLarger;
    return settings;
}

BatchToolOptions withPreset(BatchToolOptions options, const workflow::ConversionSettings &preset)
{
    const auto given = [&](const char *name) { return options.given.contains(QLatin1String(name)); };
    const bool sized = given("width") || given("height") || given("long-edge") || given("scale") || given("size")
                       || given("fit");
    if (!sized) {
        switch (preset.sizeMode) {
        case workflow::SizeMode::LongEdge: options.longEdge = preset.longEdge; break;
        case workflow::SizeMode::Percent: options.scale = preset.scale; break;
        default:
            options.fit = preset.sizeMode;
            if (preset.width > 0 && preset.height > 0) {
                options.width = preset.width;
                options.height = preset.height;
            }
        }
    }
    if (!given("anchor"))
        options.anchor = preset.anchor;
    if (!given("background") && workflow::isExactMode(options.fit) && preset.padColour != workflow::kWhite)
        options.background = preset.padColour;
    if (!given("background") && preset.background)
        options.background = preset.background;
    if (!given("format"))
        options.format = preset.format;
    if (!given("quality") && !given("jpeg-quality"))
        options.quality = preset.quality;
    if (!given("max-size"))
        options.maxSize = preset.maxSize;
    if (!given("min-size"))
        options.minSize = preset.minSize;
    if (!given("dpi"))
        options.dpi = preset.dpi;
    options.enlarge = options.enlarge || preset.enlarge;
    options.keepDates = options.keepDates || preset.keepDates;
    options.keepMetadata = options.keepMetadata || preset.keepCameraData;
    options.keepLocation = options.keepLocation || (preset.keepCameraData && preset.keepLocation);
    options.noLarger = options.noLarger || preset.neverLarger;
    return options;
}

QString presetList(const std::vector<workflow::Preset> &presets)
{
    QString list;
    for (const workflow::Preset &preset : presets) {
        const workflow::ConversionSettings &s = preset.settings;
        QStringList parts{workflow::sizeModeName(s.sizeMode)};
        if (s.sizeMode == workflow::SizeMode::LongEdge)
            parts << QString::number(s.longEdge);
        else if (s.sizeMode == workflow::SizeMode::Percent)
            parts << QStringLiteral("%1%").arg(double(s.scale) / 10'000, 0, 'g', 8);
        else if (s.width > 0)
            parts << QStringLiteral("%1x%2").arg(s.width).arg(s.height);
        if (!s.format.isEmpty())
            parts << s.format;
        if (s.quality != imaging::kOwnQuality)
            parts << QStringLiteral("q%1").arg(s.quality);
        if (s.minSize || s.maxSize)
            parts << QStringLiteral("%1-%2").arg(s.minSize ? workflow::fileSizeText(*s.minSize) : QString(),
                                                 s.maxSize ? workflow::fileSizeText(*s.maxSize) : QString());
        if (s.dpi)
            parts << QStringLiteral("%1dpi").arg(*s.dpi);
        list += QStringLiteral("%1\t%2\t%3\n")
                    .arg(preset.key.isEmpty() ? preset.name : preset.key, preset.name, parts.join(u' '));
    }
    return list;
}

std::vector<workflow::SizedOutput> outputsOf(const BatchToolOptions &options, int width, int height)
{
    std::vector<workflow::SizedOutput> outputs;
    for (const OutputSize &size : options.sizes)
        outputs.push_back({workflow::pathInFolder(options.outputFolder, size.folder),
                           workflow::settingsBox(conversionSettings(options, size.width, size.height))});
    if (!outputs.empty())
        return outputs;
    return {{options.outputFolder, workflow::settingsBox(conversionSettings(options, width, height))}};
}

Plan makePlan(const BatchToolOptions &options, const std::optional<std::vector<QString>> &listed,
              const std::vector<workflow::SizedOutput> &outputs, const std::atomic<bool> *stop)
{
    Plan plan;
    const std::vector<workflow::SourceEntry> entries
        = listed ? workflow::listedEntries(options.sourceFolder, options.outputFolder, *listed)
                 : workflow::walkSourceFolder(options.sourceFolder, options.outputFolder, options.recursive, stop);
    // The output names are settled over every picture found, before the
    // shards take theirs, so that the ones skipped take part too: a picture
    // gets the same name whatever others skip, and every shard the names of
    // the whole run.
    QStringList candidates;
    for (const workflow::SourceEntry &entry : entries) {
        if (entry.skip == workflow::SkipReason::None)
            candidates << entry.path;
    }
    const std::vector<workflow::OutputName> names = workflow::batchOutputNames(candidates, options.format);
    plan.overwritesSources = workflow::overwritesSources(candidates, names);
    std::size_t candidate = 0;
    for (const workflow::SourceEntry &entry : entries) {
        if (stop && stop->load())
            break;
        if (entry.skip == workflow::SkipReason::None)
            ++candidate;
        // Every entry falls to one shard, skipped ones too, so that the
        // shards' reports add up to the whole run's.
        if (options.shard && !workflow::inShard(entry.path, *options.shard))
            continue;
        FileReport report{entry.path, FileReport::Skipped, entry.skip, {}, {}, {}};
        if (entry.skip == workflow::SkipReason::None) {
            ++plan.candidates;
            const workflow::OutputName &output = names[candidate - 1];
            if (output.name != entry.path) {
                report.output = output.name;
                report.renamed = output.renamed;
            }
            const workflow::WorkItem picture = workflow::readWorkItem(options.sourceFolder, entry.path);
            report.size = picture.size;
            bool outputsExist = true;
            for (std::size_t i = 0; i < outputs.size(); ++i) {
                const workflow::TargetSize target
                    = workflow::fitTargetSize(picture.size.Width, picture.size.Height, outputs[i].box);
                if (i == 0)
                    report.target = target;
                if (!options.sizes.empty())
                    report.sizes.push_back({options.sizes[i].folder, target});
                outputsExist = outputsExist && platform::exists(workflow::pathInFolder(outputs[i].folder, output.name));
            }
            const long long pixels = qint64(report.size->Width) * report.size->Height;
            if (options.skipExisting && outputsExist) {
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
                plan.outputs.push_back(output);
            }
        }
        plan.reports.push_back(report);
    }
    return plan;
}

void takeResult(FileReport &report, const std::optional<workflow::ConversionResult> &result)
{
    report.result = result;
    report.outcome = outcomeOf(result);
    if (!result)
        return;
    for (std::size_t i = 0; i < report.sizes.size() && i < result->sizes.size(); ++i) {
        const imaging::PictureSize target = result->sizes[i].target;
        if (target != imaging::PictureSize{})
            report.sizes[i].target = workflow::TargetSize{target.Width, target.Height};
    }
    if (!result->sizes.empty() && result->sizes.front().target != imaging::PictureSize{}) {
        report.size = result->source;
        report.target = workflow::TargetSize{result->sizes.front().target.Width, result->sizes.front().target.Height};
    } else if (result->target != imaging::PictureSize{}) {
        report.size = result->source;
        report.target = workflow::TargetSize{result->target.Width, result->target.Height};
    } else if (result->status == workflow::ConversionStatus::NoSize) {
        report.size = result->source;
        report.target.reset();
    }
}

} // namespace cli
