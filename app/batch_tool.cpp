#include "app/batch_tool.h"

#include "app/batch_plan.h"
#include "app/batch_workflow.h"
#include "app/conversion_rules.h"
#include "app/saved_limits.h"
#include "platform/system_colours.h"
#include "platform/file_system.h"
#include "platform/native_path.h"

#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <mutex>

namespace app {

namespace {

constexpr int kMaxLimit = 1024;

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

std::optional<int> parseNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString clock(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Reads the remembered limits without creating or rewriting the file.
SavedLimits rememberedLimits(const QString &settingsPath)
{
    QFile file(settingsPath);
    if (!file.open(QIODevice::ReadOnly))
        return SavedLimits{};
    return parseSavedLimits(file.readAll());
}

class Progress {
public:
    Progress(std::FILE *out, bool terminal, int total) : m_out(out), m_terminal(terminal), m_total(total)
    {
        m_timer.start();
    }

    void pictureDone(const QString &name, const ConversionResult &result)
    {
        std::lock_guard lock(m_mutex);
        ++m_done;
        if (!m_terminal) {
            const QString outcome = result.converted()
                ? QStringLiteral(u"完成")
                : QStringLiteral(u"失败（%1）").arg(failureReason(result));
            print(m_out, QStringLiteral("[%1/%2] %3 %4\n").arg(m_done).arg(m_total).arg(outcome, platform::displayPath(name)));
            return;
        }
        constexpr int kBarWidth = 30;
        const int filled = m_total ? m_done * kBarWidth / m_total : kBarWidth;
        const qint64 elapsed = m_timer.elapsed();
        const qint64 remaining = m_done ? elapsed * (m_total - m_done) / m_done : 0;
        QString shown = platform::displayPath(name);
        if (shown.size() > 40)
            shown = shown.left(37) + QStringLiteral("...");
        print(m_out, QStringLiteral("\r\x1b[K[%1%2] %3/%4  已用 %5  剩余 %6  %7")
                         .arg(QString(filled, u'#'), QString(kBarWidth - filled, u'.'))
                         .arg(m_done)
                         .arg(m_total)
                         .arg(clock(elapsed), clock(remaining), shown));
    }

    void finish()
    {
        if (m_terminal)
            print(m_out, QStringLiteral("\n"));
    }

    double seconds() const { return m_timer.nsecsElapsed() / 1e9; }

private:
    std::FILE *m_out;
    bool m_terminal;
    int m_total;
    int m_done = 0;
    std::mutex m_mutex;
    QElapsedTimer m_timer;
};

} // namespace

QString batchToolHelp()
{
    return QStringLiteral(
        u"用法：tarvel-batch [选项] 源文件夹 输出文件夹\n"
        u"\n"
        u"把源文件夹中的每张图片（bmp、gif、jpg、jpeg、png、tif、tiff、tga，扩展名全小写或全大写，\n"
        u"不含隐藏文件和子文件夹）按比例缩放到最大宽度和最大高度之内，以相同的文件名和格式写入输出文件夹。\n"
        u"与图形界面的“批量转换”完全相同。\n"
        u"\n"
        u"选项：\n"
        u"  --width W              最大宽度，1 到 1024 像素（默认：上次在窗口中使用的限宽，首次为 425）\n"
        u"  --height H             最大高度，1 到 1024 像素（默认：上次在窗口中使用的限高，首次为 321）\n"
        u"  --enlarge              小图放大：把比限制小的图片也放大到限制边缘\n"
        u"  --jobs N               同时转换的图片数（默认：处理器核心数）\n"
        u"  --stats                结束时多输出一行统计：bench: pictures=… failed=… seconds=… per_second=… peak_rss_mb=…\n"
        u"  --verbose              失败的图片后面附上解码库或系统给出的原文说明\n"
        u"  --overwrite-originals  允许输出文件夹就是源文件夹（转换后的图片将覆盖原图）\n"
        u"  --help                 显示本说明\n"
        u"\n"
        u"设置文件 CULERT.txt 只读不写。\n"
        u"退出状态：0 全部转换成功；1 有图片转换失败；2 参数或文件夹有误。\n");
}

ParsedArguments parseBatchToolArguments(const QStringList &arguments)
{
    BatchToolOptions options;
    QStringList folders;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            options.help = true;
        } else if (a == QStringLiteral("--enlarge")) {
            options.enlarge = true;
        } else if (a == QStringLiteral("--stats")) {
            options.stats = true;
        } else if (a == QStringLiteral("--verbose")) {
            options.verbose = true;
        } else if (a == QStringLiteral("--overwrite-originals")) {
            options.overwriteOriginals = true;
        } else if (a == QStringLiteral("--width") || a == QStringLiteral("--height")
                   || a == QStringLiteral("--jobs")) {
            if (i + 1 >= arguments.size())
                return {std::nullopt, QStringLiteral(u"选项 %1 缺少数值").arg(a)};
            const auto value = parseNumber(arguments[++i]);
            if (a == QStringLiteral("--jobs")) {
                if (!value || *value < 1)
                    return {std::nullopt, QStringLiteral(u"--jobs 必须是正整数：%1").arg(arguments[i])};
                options.jobs = *value;
            } else {
                if (!value || *value < 1 || *value > kMaxLimit)
                    return {std::nullopt,
                            QStringLiteral(u"%1 必须是 1 到 1024 之间的整数：%2").arg(a, arguments[i])};
                (a == QStringLiteral("--width") ? options.width : options.height) = *value;
            }
        } else if (a.startsWith(QStringLiteral("--"))) {
            return {std::nullopt, QStringLiteral(u"未知选项：%1").arg(a)};
        } else {
            folders << a;
        }
    }
    if (options.help)
        return {options, QString()};
    if (folders.size() != 2)
        return {std::nullopt, QStringLiteral(u"需要两个文件夹：源文件夹和输出文件夹")};
    options.sourceFolder = folders[0];
    options.outputFolder = folders[1];
    return {options, QString()};
}

int runBatchTool(const QStringList &arguments, std::FILE *out, std::FILE *err, bool terminal,
                 const QString &settingsPath, const std::atomic<bool> *stop)
{
    const ParsedArguments parsed = parseBatchToolArguments(arguments);
    if (!parsed.options) {
        print(err, QStringLiteral(u"tarvel-batch：%1\n请用 --help 查看用法。\n").arg(parsed.error));
        return kBadArguments;
    }
    const BatchToolOptions &options = *parsed.options;
    if (options.help) {
        print(out, batchToolHelp());
        return kAllConverted;
    }

    const SavedLimits remembered = rememberedLimits(settingsPath);
    const int width = options.width.value_or(remembered.Width);
    const int height = options.height.value_or(remembered.Height);
    if (width < 1 || width > kMaxLimit || height < 1 || height > kMaxLimit) {
        print(err, QStringLiteral(u"tarvel-batch：记住的限制 %1 × %2 超出 1 到 1024 的范围，请用 --width 和 --height 指定\n")
                       .arg(width)
                       .arg(height));
        return kBadArguments;
    }
    if (!platform::isFolder(options.sourceFolder)) {
        print(err, QStringLiteral(u"tarvel-batch：源文件夹不存在：%1\n").arg(platform::displayPath(options.sourceFolder)));
        return kBadArguments;
    }
    if (!platform::isFolder(options.outputFolder)) {
        print(err, QStringLiteral(u"tarvel-batch：输出文件夹不存在：%1\n").arg(platform::displayPath(options.outputFolder)));
        return kBadArguments;
    }
    if (isSameFolder(options.sourceFolder, options.outputFolder) && !options.overwriteOriginals) {
        print(err, QStringLiteral(u"tarvel-batch：输出文件夹与源文件夹相同，转换后的图片将覆盖原图。"
                                  u"确定要这样做时请加上 --overwrite-originals\n"));
        return kBadArguments;
    }
    const BatchListing listing = scanBatchFolder(options.sourceFolder);
    const QStringList &names = listing.names;
    if (names.isEmpty()) {
        print(err, QStringLiteral(u"tarvel-batch：没有找到可以转换的文件\n"));
        return kBadArguments;
    }

    print(out, QStringLiteral(u"转换 %1 张图片，限宽 %2，限高 %3%4\n")
                   .arg(names.size())
                   .arg(width)
                   .arg(height)
                   .arg(options.enlarge ? QStringLiteral(u"，小图放大") : QString()));
    Progress progress(out, terminal, int(names.size()));
    const ConversionOptions conversion{options.jobs ? options.jobs : defaultJobCount(), platform::buttonFaceColour(),
                                       {}};
    const BatchSummary summary = runBatch(
        {options.sourceFolder, options.outputFolder, width, height, options.enlarge}, listing,
        [&](const std::vector<ConversionJob> &jobs) {
            return convertInParallel(
                jobs, conversion,
                [&](std::size_t i, const ConversionResult &result) { progress.pictureDone(names[qsizetype(i)], result); },
                stop);
        });
    progress.finish();

    QStringList failures;
    for (const BatchFailure &failure : summary.failures)
        failures << QStringLiteral("  ") + failureLine(failure, options.verbose);
    print(out, QStringLiteral(u"转换完成：成功 %1 个，失败 %2 个。\n").arg(summary.converted).arg(failures.size()));
    if (!failures.isEmpty())
        print(out, QStringLiteral(u"以下文件未能转换：\n") + failures.join(u'\n') + u'\n');
    if (options.stats) {
        // The peaks of this process and of every worker, summed: an upper
        // bound of the memory the run took at any moment.
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double peakMb = (usage.ru_maxrss + summary.workersPeakKb) / 1024.0;
        const double seconds = progress.seconds();
        print(out, QStringLiteral("bench: pictures=%1 failed=%2 seconds=%3 per_second=%4 peak_rss_mb=%5\n")
                       .arg(names.size())
                       .arg(failures.size())
                       .arg(seconds, 0, 'f', 2)
                       .arg(names.size() / seconds, 0, 'f', 2)
                       .arg(peakMb, 0, 'f', 1));
    }
    return failures.isEmpty() ? kAllConverted : kSomeFailed;
}

} // namespace app
