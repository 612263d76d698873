#include "cli/terminal_text.h"

#include "cli/batch_text.h"
#include "platform/text_lines.h"

#include <QStringList>

#include <algorithm>

namespace cli {

namespace {

// A control character inside $'…': the usual letter escapes, else octal.
QString escapedControl(QChar c)
{
    switch (c.unicode()) {
    case 0x07: return QStringLiteral("\\a");
    case 0x08: return QStringLiteral("\\b");
    case 0x09: return QStringLiteral("\\t");
    case 0x0A: return QStringLiteral("\\n");
    case 0x0B: return QStringLiteral("\\v");
    case 0x0C: return QStringLiteral("\\f");
    case 0x0D: return QStringLiteral("\\r");
    default:
        return c.unicode() > 0xFF ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                  : QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0'));
    }
}

// Characters that turn the text around them (U+202E shows "gpj.exe" as
// "exe.jpg"): the bidirectional embeddings, overrides, isolates and marks.
bool isBidiControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// What a name may not carry into a line as it is.
bool mustBeEscaped(QChar c)
{
    return platform::isControlCharacter(c) || isBidiControl(c);
}

bool isWide(char32_t c)
{
    // The wide and full-width ranges of Unicode's East Asian Width.
    static constexpr std::pair<char32_t, char32_t> kWide[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x2E80, 0x303E},
        {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
        {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
        {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF},
        {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    return std::any_of(std::begin(kWide), std::end(kWide),
                       [c](const auto &range) { return c >= range.first && c <= range.second; });
}

int columnsOf(char32_t c)
{
    if (c == 0x200B || c == 0x200C || c == 0x200D || c == 0xFEFF)
        return 0;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing: return 0;
    default: return isWide(c) ? 2 : 1;
    }
}

QString clock(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The longest beginning (or, `fromEnd`, ending) of the text in `columns`.
QString fitting(const QString &text, int columns, bool fromEnd)
{
    const QList<uint> chars = text.toUcs4();
    int used = 0;
    qsizetype count = 0;
    for (; count < chars.size(); ++count) {
        const char32_t c = chars[fromEnd ? chars.size() - 1 - count : count];
        if (used + columnsOf(c) > columns)
            break;
        used += columnsOf(c);
    }
    const QList<uint> kept = fromEnd ? chars.mid(chars.size() - count) : chars.first(count);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(kept.constData()), kept.size());
}

} // namespace

int terminalColumns(QStringView text)
{
    int columns = 0;
    for (const char32_t c : text.toUcs4())
        columns += columnsOf(c);
    return columns;
}

QString quotedName(const QString &name)
{
    if (std::none_of(name.begin(), name.end(), mustBeEscaped))
        return name;
    // Runs of ordinary characters go in '…' (a quote inside as '\''), runs of
    // control characters in $'…'.
    QString quoted;
    bool inControls = false;
    bool open = false;
    for (const QChar c : name) {
        const bool control = mustBeEscaped(c);
        if (!open || control != inControls) {
            if (open)
                quoted += u'\'';
            quoted += control ? QStringLiteral("$'") : QStringLiteral("'");
            open = true;
            inControls = control;
        }
        if (control)
            quoted += escapedControl(c);
        else if (c == u'\'')
            quoted += QStringLiteral("'\\''");
        else
            quoted += c;
    }
    return quoted + u'\'';
}

QString cutInMiddle(const QString &text, int columns)
{
    if (terminalColumns(text) <= columns)
        return text;
    if (columns < 3)
        return fitting(QStringLiteral("..."), columns, false);
    const int left = (columns - 3) / 2;
    return fitting(text, left, false) + QStringLiteral("...") + fitting(text, columns - 3 - left, true);
}

bool isClosingPunctuation(QChar c) { return QStringView(u"，。、；：！？）」』”’》").contains(c); }

bool isOpeningPunctuation(QChar c) { return QStringView(u"（「『“‘《").contains(c); }

QStringList wrapToColumns(const QString &text, int columns)
{
    // Units that stay together: a run of ASCII letters, digits and signs
    // (a word, an option, a number), a space, or any other character.
    const auto isWordChar = [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; };
    QStringList units;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i + 1;
        if (isWordChar(text[i])) {
            while (end < text.size() && isWordChar(text[end]))
                ++end;
        } else if (text[i].isHighSurrogate() && end < text.size()) {
            ++end;
        }
        units << text.mid(i, end - i);
        i = end;
    }
    QStringList lines{QString()};
    int used = 0;
    for (const QString &unit : std::as_const(units)) {
        const int width = terminalColumns(unit);
        const bool closing = unit.size() == 1 && isClosingPunctuation(unit.front());
        if (used + width > columns && used > 0 && !(closing && used <= columns)) {
            // No line starts with closing punctuation or ends with opening
            // punctuation: the characters next to them go down with them.
            QString carried;
            bool carry = closing;
            QString &line = lines.last();
            while (line.size() > 2 && (carry || isOpeningPunctuation(line.back()))) {
                const qsizetype take = line.back().isLowSurrogate() ? 2 : 1;
                carried.prepend(line.right(take));
                line.chop(take);
                carry
                    = isClosingPunctuation(carried.front()) || (isWordChar(carried.front()) && isWordChar(line.back()));
            }
            line = line.trimmed();
            lines << carried;
            used = terminalColumns(carried);
        }
        if (used == 0 && unit == QStringLiteral(" "))
            continue;
        lines.last() += unit;
        used += width;
    }
    lines.last() = lines.last().trimmed();
    return lines;
}

QString progressBarLine(const BarState &state, int columns)
{
    constexpr int kMaxBar = 20;
    constexpr int kMinName = 16;
    const int room = columns - 1;
    const QString count = QStringLiteral("%1/%2").arg(state.done).arg(state.total);
    // Nothing to tell the time left by until a picture has finished.
    const QString remaining
        = state.done ? clock(state.elapsedMs * (state.total - state.done) / state.done) : QStringLiteral("--:--");
    const QString times = BatchText::tr("  已用 %1  剩余 %2").arg(clock(state.elapsedMs), remaining);
    const QString name = platform::printableText(state.name);

    // The bar takes what is left after the count, the times and a fair part
    // of the name; on a narrow terminal the times, then the bar go.
    const auto barFor
        = [&](const QString &right) { return std::min(kMaxBar, room - 3 - terminalColumns(right) - 2 - kMinName); };
    QString right = count + times;
    int bar = barFor(right);
    if (bar < 6) {
        right = count;
        bar = barFor(right);
    }
    QString line;
    if (bar >= 5) {
        const int filled = state.total ? int(qint64(state.done) * bar / state.total) : bar;
        line = u'[' + QString(filled, u'#') + QString(bar - filled, u'.') + QStringLiteral("] ");
    }
    line += right;
    const int nameRoom = room - terminalColumns(line) - 2;
    if (!name.isEmpty() && nameRoom >= 4)
        line += QStringLiteral("  ") + cutInMiddle(name, nameRoom);
    return cutInMiddle(line, room);
}

} // namespace cli
