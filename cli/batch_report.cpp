#include "cli/batch_report.h"

#include "cli/batch_text.h"
#include "cli/terminal_text.h"
#include "platform/native_path.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace cli {

namespace {

// The reasons as a program reads them, in the order of SkipReason.
const char *skipReasonCode(workflow::SkipReason reason)
{
    switch (reason) {
    case workflow::SkipReason::None: return "";
    case workflow::SkipReason::Hidden: return "hidden";
    case workflow::SkipReason::Extension: return "extension";
    case workflow::SkipReason::NotRegular: return "not_regular";
    case workflow::SkipReason::Subfolder: return "subfolder";
    case workflow::SkipReason::LinkToFolder: return "folder_link";
    case workflow::SkipReason::OutputFolder: return "output_folder";
    case workflow::SkipReason::NoSize: return "no_size";
    case workflow::SkipReason::TooLarge: return "too_large";
    case workflow::SkipReason::OutputExists: return "exists";
    case workflow::SkipReason::Missing: return "missing";
    }
    return "";
}

const char *statusCode(workflow::ConversionStatus status)
{
    switch (status) {
    case workflow::ConversionStatus::Converted: return "converted";
    case workflow::ConversionStatus::SourceUnreadable: return "source_unreadable";
    case workflow::ConversionStatus::UnsupportedTarget: return "unsupported_target";
    case workflow::ConversionStatus::NoSize: return "no_size";
    case workflow::ConversionStatus::SizeOutOfRange: return "size_out_of_range";
    case workflow::ConversionStatus::NotAPicture: return "not_a_picture";
    case workflow::ConversionStatus::TooLarge: return "too_large";
    case workflow::ConversionStatus::Damaged: return "damaged";
    case workflow::ConversionStatus::WriteFailed: return "write_failed";
    case workflow::ConversionStatus::OutOfMemory: return "out_of_memory";
    case workflow::ConversionStatus::TimedOut: return "timed_out";
    case workflow::ConversionStatus::Crashed: return "crashed";
    case workflow::ConversionStatus::WorkerUnavailable: return "worker_unavailable";
    case workflow::ConversionStatus::Stopped: return "stopped";
    case workflow::ConversionStatus::InvalidReply: return "invalid_reply";
    }
    return "";
}

const char *outcomeCode(FileReport::Outcome outcome)
{
    switch (outcome) {
    case FileReport::WouldConvert: return "would_convert";
    case FileReport::Converted: return "converted";
    case FileReport::Failed: return "failed";
    case FileReport::Skipped: return "skipped";
    case FileReport::NotStarted: return "not_started";
    case FileReport::Stopped: return "stopped";
    }
    return "";
}

QString sizeShown(int width, int height) { return QStringLiteral(u"%1×%2").arg(width).arg(height); }

QString jsonLine(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n';
}

} // namespace

FileReport::Outcome outcomeOf(const std::optional<workflow::ConversionResult> &result)
{
    if (!result)
        return FileReport::NotStarted;
    if (result->converted())
        return FileReport::Converted;
    return result->status == workflow::ConversionStatus::Stopped ? FileReport::Stopped : FileReport::Failed;
}

QString skipReasonText(workflow::SkipReason reason)
{
    switch (reason) {
    case workflow::SkipReason::None: return QString();
    case workflow::SkipReason::Hidden: return BatchText::tr("隐藏");
    case workflow::SkipReason::Extension: return BatchText::tr("扩展名不是可转换的写法");
    case workflow::SkipReason::NotRegular: return BatchText::tr("不是普通文件");
    case workflow::SkipReason::Subfolder: return BatchText::tr("子文件夹，加 --recursive 才转换");
    case workflow::SkipReason::LinkToFolder: return BatchText::tr("指向文件夹的符号链接，不跟随");
    case workflow::SkipReason::OutputFolder: return BatchText::tr("输出文件夹");
    case workflow::SkipReason::NoSize: return imaging::reasonText(workflow::ConversionStatus::NoSize);
    case workflow::SkipReason::TooLarge: return imaging::reasonText(workflow::ConversionStatus::TooLarge);
    case workflow::SkipReason::OutputExists: return BatchText::tr("输出文件已存在");
    case workflow::SkipReason::Missing: return BatchText::tr("列表中的文件不存在");
    }
    return QString();
}

QString dryRunLine(const FileReport &report)
{
    QString line = quotedName(platform::displayPath(report.path));
    if (report.size)
        line += QStringLiteral("  ") + sizeShown(report.size->Width, report.size->Height);
    if (report.outcome == FileReport::WouldConvert && !report.sizes.empty()) {
        QStringList sizes;
        for (const FileReport::Size &size : report.sizes) {
            if (size.target)
                sizes << sizeShown(size.target->width, size.target->height) + u' ' + platform::displayPath(size.folder);
        }
        line += QStringLiteral(u" → ") + sizes.join(QStringLiteral(", "));
    } else if (report.outcome == FileReport::WouldConvert && report.target)
        line += QStringLiteral(u" → ") + sizeShown(report.target->width, report.target->height);
    else
        line += BatchText::tr("  跳过（%1）").arg(skipReasonText(report.skip));
    return line + outputNote(report) + u'\n';
}

QString fileJson(const FileReport &report)
{
    QJsonObject object{
        {"type", "file"}, {"path", platform::displayPath(report.path)}, {"status", outcomeCode(report.outcome)}};
    if (report.size) {
        object.insert("width", report.size->Width);
        object.insert("height", report.size->Height);
    }
    if (report.target && report.outcome != FileReport::Skipped) {
        object.insert("target_width", report.target->width);
        object.insert("target_height", report.target->height);
    }
    if (!report.output.isEmpty()) {
        object.insert("output", platform::displayPath(report.output));
        object.insert("renamed", report.renamed);
    }
    if (report.outcome == FileReport::Converted && report.result && report.result->keptOriginal)
        object.insert("kept_original", true);
    if (report.outcome == FileReport::Converted && report.result && report.result->bytes > 0)
        object.insert("bytes", qint64(report.result->bytes));
    if (report.outcome == FileReport::Skipped) {
        object.insert("reason", skipReasonCode(report.skip));
        object.insert("message", skipReasonText(report.skip));
    } else if (report.result && !report.result->converted()) {
        object.insert("reason", statusCode(report.result->status));
        object.insert("message", imaging::reasonText(report.result->status));
        if (!report.result->detail.isEmpty())
            object.insert("detail", report.result->detail);
    }
    if (!report.sizes.empty() && report.outcome != FileReport::Skipped) {
        QJsonArray sizes;
        for (std::size_t i = 0; i < report.sizes.size(); ++i) {
            const FileReport::Size &size = report.sizes[i];
            QJsonObject entry{{"folder", platform::displayPath(size.folder)}};
            if (size.target) {
                entry.insert("target_width", size.target->width);
                entry.insert("target_height", size.target->height);
            }
            const workflow::ConversionResult *result
                = report.result && i < report.result->sizes.size() ? &report.result->sizes[i] : nullptr;
            if (result) {
                entry.insert("status", outcomeCode(outcomeOf(*result)));
                if (!result->converted())
                    entry.insert("reason", statusCode(result->status));
            } else {
                entry.insert("status", outcomeCode(report.outcome));
            }
            sizes.append(entry);
        }
        object.insert("sizes", sizes);
    }
    return jsonLine(object);
}

void RunTotals::count(const FileReport &report)
{
    ++files;
    renamed
        += report.renamed && (report.outcome == FileReport::WouldConvert || report.outcome == FileReport::Converted);
    switch (report.outcome) {
    case FileReport::WouldConvert:
    case FileReport::Converted:
        ++converted;
        keptOriginal += report.result && report.result->keptOriginal;
        break;
    case FileReport::Failed: ++failed; break;
    case FileReport::Skipped:
        ++skipped;
        skippedExisting += report.skip == workflow::SkipReason::OutputExists;
        missing += report.skip == workflow::SkipReason::Missing;
        break;
    case FileReport::NotStarted: ++notStarted; break;
    case FileReport::Stopped: ++stopped; break;
    }
}

QString totalsLine(const RunTotals &totals, bool skipExisting)
{
    if (totals.dryRun)
        return BatchText::tr("试运行：共 %1 项，将转换 %2 张图片，跳过 %3 项；没有写入任何文件。\n")
            .arg(totals.files)
            .arg(totals.converted)
            .arg(totals.skipped);
    QString line = totals.interrupted ? BatchText::tr("已中断：") : BatchText::tr("转换完成：");
    line += BatchText::tr("成功 %1 个，失败 %2 个").arg(totals.converted).arg(totals.failed);
    if (totals.keptOriginal)
        line += BatchText::tr("（其中 %1 个保留原文件）").arg(totals.keptOriginal);
    if (skipExisting)
        line += BatchText::tr("，跳过 %1 个（输出文件已存在）").arg(totals.skippedExisting);
    if (totals.missing)
        line += BatchText::tr("，列表中 %1 个文件不存在").arg(totals.missing);
    if (totals.stopped)
        line += BatchText::tr("，%1 张转换中被中止").arg(totals.stopped);
    if (totals.interrupted)
        line += BatchText::tr("，%1 张未开始转换").arg(totals.notStarted);
    return line + BatchText::tr("。\n");
}

QString outputNote(const FileReport &report)
{
    if (report.output.isEmpty())
        return QString();
    const QString name = quotedName(platform::displayPath(report.output));
    return report.renamed ? BatchText::tr("  写为 %1（避免重名）").arg(name) : BatchText::tr("  写为 %1").arg(name);
}

QString renamedLines(const std::vector<FileReport> &reports)
{
    QString lines;
    for (const FileReport &report : reports) {
        if (report.renamed && (report.outcome == FileReport::Converted || report.outcome == FileReport::WouldConvert))
            lines += QStringLiteral(u"  %1 → %2\n")
                         .arg(quotedName(platform::displayPath(report.path)),
                              quotedName(platform::displayPath(report.output)));
    }
    if (lines.isEmpty())
        return lines;
    return BatchText::tr("以下图片转换后会与别的图片同名，为了不互相覆盖，改用了新名称：\n") + lines;
}

QString summaryJson(const RunTotals &totals, const QJsonObject &extra)
{
    QJsonObject object{{"type", "summary"},         {"dry_run", totals.dryRun},
                       {"files", totals.files},     {totals.dryRun ? "would_convert" : "converted", totals.converted},
                       {"skipped", totals.skipped}, {"skipped_existing", totals.skippedExisting}};
    object.insert("missing", totals.missing);
    if (!totals.dryRun) {
        object.insert("failed", totals.failed);
        object.insert("not_started", totals.notStarted);
        object.insert("stopped", totals.stopped);
        object.insert("interrupted", totals.interrupted);
        object.insert("kept_original", totals.keptOriginal);
    }
    object.insert("renamed", totals.renamed);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        object.insert(it.key(), it.value());
    return jsonLine(object);
}

} // namespace cli
