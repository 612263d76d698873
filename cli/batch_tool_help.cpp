#include "cli/batch_tool_help.h"

#include "cli/batch_text.h"
#include "cli/batch_tool_options.h"
#include "cli/terminal_text.h"

#include <algorithm>

namespace cli {

namespace {

// The parts of the help besides the options, as source texts for
// BatchText::tr(); --help and the manual page lay them out each in its way.
const char *const kSummary = QT_TRANSLATE_NOOP("cli::BatchText", "把文件夹中的图片按比例缩放到限定的宽度和高度之内");
const char *const kSynopsis = QT_TRANSLATE_NOOP("cli::BatchText", "[选项] [--] 源文件夹 输出文件夹");
const char *const kDescription[] = {
    QT_TRANSLATE_NOOP(
        "cli::BatchText",
        "把源文件夹中的每张图片（bmp、gif、jpg、jpeg、png、tif、tiff、tga、webp、heic、heif、hif、avif、jxl，"
        "扩展名全小写或全大写，不含隐藏文件）按比例缩放到最大宽度和最大高度之内，以相同的文件名和格式写入输出文件夹。"
        "尺寸只用 --width、--height给出，且不加 --recursive、--quality、"
        "--skip-existing、--keep-dates、--keep-metadata、--no-larger、--files-from 和 --shard 时"
        "与图形界面的“批量转换”完全相同，写出的文件也逐字节相同。"),
    QT_TRANSLATE_NOOP("cli::BatchText",
                      "尺寸只能用一种方式给出：--width 和 --height（没给的一边用窗口记住的限制）、--long-edge、"
                      "--scale，或一个或多个 --size。任何一边最大 16383 像素：这是每种输出格式都能容纳的最大边长"
                      "（WebP 的上限；AVIF、HEIC 16384，JPEG、GIF、TGA 65535）。"),
    QT_TRANSLATE_NOOP(
        "cli::BatchText",
        "加 --format 时每张图片都转换为那种格式，文件名的扩展名随之换成它（IMG_0001.PNG 写为 IMG_0001.jpg）。"
        "两张图片会得到同一个名称时（a.png 和 a.bmp 都成为 a.jpg；名称不分大小写比较，如同存储卡的文件系统），"
        "本来就叫这个名称的图片保留它，其余的保留完整的原名再加上新扩展名（a.png.jpg、a.bmp.jpg），"
        "这样仍然重名时再加编号（a.png (2).jpg）。同样的图片不论以什么顺序列出都得到同样的名称；"
        "同一次转换写出的文件从不互相覆盖；改了名的图片在结果中列出。"),
    QT_TRANSLATE_NOOP("cli::BatchText",
                      "输出文件夹不存在时连同上级文件夹一起创建。每个输出文件都是先写入隐藏的临时文件再改名，"
                      "所以只会完整地出现或根本不出现。"),
    QT_TRANSLATE_NOOP("cli::BatchText",
                      "标准输出只有结果：不在终端上时每张图片一行，最后是汇总（加 --json 时是 JSON 行）。"
                      "进度条、警告和错误写到标准错误；进度条只在标准错误是终端时出现。"),
    QT_TRANSLATE_NOOP("cli::BatchText",
                      "按一次 Ctrl-C 或收到 SIGTERM 后不再开始新的图片，正在转换的图片完成后退出，并用一行说明有多少张"
                      "未开始转换。再按一次 Ctrl-C 立即停止：转换进程被结束，正在转换的图片不留下任何文件。"
                      "读取标准输出的程序提前退出时（如 tarvel-batch … | head -1），也像第一次 Ctrl-C 那样结束。"),
};
struct ExitStatus {
    int code;
    const char *meaning;
};
const ExitStatus kExitStatuses[] = {
    {0, QT_TRANSLATE_NOOP("cli::BatchText", "全部转换成功（--skip-existing 跳过的图片不算失败；"
                                            "--shard 或 --files-from 分到的图片为零时也是 0）")},
    {1, QT_TRANSLATE_NOOP("cli::BatchText", "有图片转换失败，或者 --files-from 列出的文件不存在")},
    {2, QT_TRANSLATE_NOOP("cli::BatchText", "参数或文件夹有误")},
    {130, QT_TRANSLATE_NOOP("cli::BatchText", "被 Ctrl-C（SIGINT）中断")},
    {141, QT_TRANSLATE_NOOP("cli::BatchText", "读取标准输出的程序已退出（SIGPIPE）")},
    {143, QT_TRANSLATE_NOOP("cli::BatchText", "被 SIGTERM 中断")},
};
const char *const kFiles = QT_TRANSLATE_NOOP(
    "cli::BatchText", "窗口记住的限宽和限高。在程序所在的文件夹可写时放在程序旁边，否则放在 ~/.config/tarvel/ 中。"
                      "tarvel-batch 只读取它，从不写入。");

// "-w, --width=W" or "    --enlarge".
QString optionLabel(const BatchToolOption &option)
{
    QString label
        = option.shortName ? QStringLiteral("-%1, ").arg(QLatin1Char(option.shortName)) : QStringLiteral("    ");
    label += QStringLiteral("--") + QLatin1String(option.name);
    if (option.valueName)
        label += u'=' + QLatin1String(option.valueName);
    return label;
}

// roff: a backslash is written \e, a minus \- (so that options copied from
// the page still work), and a line must not start with a control character.
// groff breaks lines at spaces only, which Chinese has none of: next to a
// Chinese character "\:" lets it break, but not before closing punctuation
// or after opening punctuation.
QString roff(QString line)
{
    line.replace(u'\\', QStringLiteral("\\e"));
    line.replace(u'-', QStringLiteral("\\-"));
    const auto isWide = [](QChar c) { return terminalColumns(QStringView(&c, 1)) == 2; };
    for (qsizetype i = line.size() - 1; i > 0; --i) {
        const QChar before = line[i - 1], after = line[i];
        if ((isWide(before) || isWide(after)) && !isClosingPunctuation(after) && !isOpeningPunctuation(before))
            line.insert(i, QStringLiteral("\\:"));
    }
    if (line.startsWith(u'.') || line.startsWith(u'\''))
        line.prepend(QStringLiteral("\\&"));
    return line;
}

} // namespace

QString batchToolHelp()
{
    // Laid out for 80 columns: a term, and its text wrapped beside it.
    constexpr int kWidth = 78;
    const auto item = [](const QString &term, int termWidth, const QString &description) {
        const QString indent(2 + termWidth + 2, u' ');
        QString lines = QStringLiteral("  %1  ").arg(term, -termWidth);
        lines += wrapToColumns(description, kWidth - int(indent.size())).join(u'\n' + indent);
        return lines + u'\n';
    };
    QString help
        = BatchText::tr("用法：") + QStringLiteral("tarvel-batch ") + BatchText::tr(kSynopsis) + QStringLiteral("\n\n");
    for (const char *paragraph : kDescription)
        help += wrapToColumns(BatchText::tr(paragraph), kWidth).join(u'\n') + QStringLiteral("\n\n");
    help += BatchText::tr("选项：") + u'\n';
    int labelWidth = 0;
    for (const BatchToolOption &option : batchToolOptions())
        labelWidth = std::max(labelWidth, int(optionLabel(option).size()));
    for (const BatchToolOption &option : batchToolOptions()) {
        if (!option.hidden)
            help += item(optionLabel(option), labelWidth, optionDescription(option));
    }
    help += u'\n' + BatchText::tr("退出状态：") + u'\n';
    for (const ExitStatus &status : kExitStatuses)
        help += item(QString::number(status.code), 3, BatchText::tr(status.meaning));
    help += u'\n' + BatchText::tr("文件：") + u'\n';
    help += item(QStringLiteral("CULERT.txt"), 10, BatchText::tr(kFiles));
    return help;
}

QString batchToolManPage()
{
    QString page = QStringLiteral(".TH TARVEL-BATCH 1 \"\" \"tarvel %1\"\n").arg(QStringLiteral(TARVEL_VERSION));
    // Ragged right: a Chinese line has no spaces to stretch.
    page += QStringLiteral(".ad l\n");
    page += QStringLiteral(".SH ") + BatchText::tr("名称") + u'\n';
    page += QStringLiteral("tarvel\\-batch \\- ") + roff(BatchText::tr(kSummary)) + u'\n';
    page += QStringLiteral(".SH ") + BatchText::tr("概要") + u'\n';
    page += QStringLiteral(".B tarvel\\-batch\n") + roff(BatchText::tr(kSynopsis)) + u'\n';
    page += QStringLiteral(".SH ") + BatchText::tr("描述") + u'\n';
    for (const char *paragraph : kDescription)
        page += QStringLiteral(".PP\n") + roff(BatchText::tr(paragraph)) + u'\n';
    page += QStringLiteral(".SH ") + BatchText::tr("选项") + u'\n';
    for (const BatchToolOption &option : batchToolOptions()) {
        if (option.hidden)
            continue;
        page += QStringLiteral(".TP\n");
        if (option.shortName)
            page += QStringLiteral("\\fB\\-%1\\fR, ").arg(QLatin1Char(option.shortName));
        page += QStringLiteral("\\fB\\-\\-%1\\fR").arg(roff(QLatin1String(option.name)));
        if (option.valueName)
            page += QStringLiteral("=\\fI%1\\fR").arg(QLatin1String(option.valueName));
        page += u'\n' + roff(optionDescription(option)) + u'\n';
    }
    page += QStringLiteral(".SH ") + BatchText::tr("退出状态") + u'\n';
    for (const ExitStatus &status : kExitStatuses)
        page += QStringLiteral(".TP\n.B %1\n%2\n").arg(status.code).arg(roff(BatchText::tr(status.meaning)));
    page += QStringLiteral(".SH ") + BatchText::tr("文件") + u'\n';
    page += QStringLiteral(".TP\n.I CULERT.txt\n") + roff(BatchText::tr(kFiles)) + u'\n';
    return page;
}

QString batchToolVersion() { return QStringLiteral("tarvel-batch %1\n").arg(QStringLiteral(TARVEL_VERSION)); }

} // namespace cli
