#include "workflow/rename_pattern.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <numeric>

namespace workflow {

namespace {

QString tr(const char *text, const char *comment = nullptr)
{
    return QCoreApplication::translate("workflow", text, comment);
}

// The longest file name Linux file systems take, in bytes.
constexpr qsizetype kLongestName = 255;

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString folderOf(const QString &path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

// The source's extension as written, without the dot; empty without one.
QString extensionOf(const QString &path)
{
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QString baseNameOf(const QString &path)
{
    const QString name = fileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

std::optional<PatternPart> field(const QString &inside)
{
    using Kind = PatternPart::Kind;
    if (inside == QLatin1String("name"))
        return PatternPart{Kind::Name, {}, 0};
    if (inside == QLatin1String("w"))
        return PatternPart{Kind::Width, {}, 0};
    if (inside == QLatin1String("h"))
        return PatternPart{Kind::Height, {}, 0};
    if (inside == QLatin1String("ext"))
        return PatternPart{Kind::Extension, {}, 0};
    if (inside == QLatin1String("n"))
        return PatternPart{Kind::Number, {}, 0};
    if (inside.size() == 3 && inside.startsWith(QLatin1String("n:")) && inside[2] >= u'1' && inside[2] <= u'9')
        return PatternPart{Kind::Number, {}, inside[2].digitValue()};
    return std::nullopt;
}

} // namespace

Parsed<RenamePattern> RenamePattern::parse(const QString &pattern)
{
    if (pattern.isEmpty())
        return {{}, tr("命名规则是空的")};
    RenamePattern parsed;
    QString text;
    const auto endText = [&] {
        if (!text.isEmpty())
            parsed.m_parts.push_back({PatternPart::Kind::Text, text, 0});
        text.clear();
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'/' || c == QChar(0))
            return {{}, tr("命名规则“%1”含有“/”：只能给出文件名，不能含文件夹", "a rename pattern with a slash")
                            .arg(pattern)};
        if ((c == u'{' || c == u'}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
            text += c;
            ++i;
        } else if (c == u'}') {
            return {{}, tr("命名规则“%1”有多余的“}”", "a rename pattern with an unmatched closing brace").arg(pattern)};
        } else if (c == u'{') {
            const qsizetype end = pattern.indexOf(u'}', i + 1);
            if (end < 0)
                return {{}, tr("命名规则“%1”的“{”没有对应的“}”", "a rename pattern with an open brace").arg(pattern)};
            const QString inside = pattern.mid(i + 1, end - i - 1);
            const std::optional<PatternPart> part = field(inside);
            if (!part)
                return {{}, tr("命名规则里没有“{%1}”这一项：可用 {name}、{w}、{h}、{n}、{n:3}、{ext}",
                               "an unknown field of a rename pattern")
                                .arg(inside)};
            endText();
            parsed.m_parts.push_back(*part);
            i = end;
        } else {
            text += c;
        }
    }
    endText();
    return {parsed, {}};
}

QString RenamePattern::expand(const QString &source, imaging::PictureSize size, int number) const
{
    QString name;
    for (const PatternPart &part : m_parts) {
        switch (part.kind) {
        case PatternPart::Kind::Text: name += part.text; break;
        case PatternPart::Kind::Name: name += baseNameOf(source); break;
        case PatternPart::Kind::Width: name += QString::number(size.Width); break;
        case PatternPart::Kind::Height: name += QString::number(size.Height); break;
        case PatternPart::Kind::Number: name += QStringLiteral("%1").arg(number, part.digits, 10, QLatin1Char('0')); break;
        case PatternPart::Kind::Extension: name += extensionOf(source); break;
        }
    }
    return name;
}

RenamedRun renamedOutputNames(const RenamePattern &pattern, const std::vector<RenamedSource> &sources,
                              const QString &format)
{
    // Numbered in the order of the names, as output_names orders its clashes.
    std::vector<std::size_t> byName(sources.size());
    std::iota(byName.begin(), byName.end(), std::size_t(0));
    std::stable_sort(byName.begin(), byName.end(),
                     [&](std::size_t a, std::size_t b) { return sources[a].name < sources[b].name; });

    // Each picture as if it had been called by the pattern, its own extension
    // kept, so that a change of format then names them as it names pictures.
    QStringList called(qsizetype(sources.size()));
    QHash<QString, std::size_t> first;
    for (std::size_t rank = 0; rank < byName.size(); ++rank) {
        const std::size_t i = byName[rank];
        const RenamedSource &source = sources[i];
        const QString stem = pattern.expand(source.name, source.size, int(rank + 1));
        if (stem.isEmpty())
            return {{}, tr("命名规则给“%1”的名称是空的", "a rename pattern that gives an empty name").arg(source.name)};
        if (stem.startsWith(u'.'))
            return {{}, tr("命名规则给“%1”的名称“%2”以“.”开头，会成为隐藏文件", "a rename pattern that gives a hidden name")
                            .arg(source.name, stem)};
        const QString extension = extensionOf(source.name);
        const QString name = extension.isEmpty() ? stem : stem + u'.' + extension;
        const QString output = format.isEmpty() ? name : stem + u'.' + format;
        if (name.toUtf8().size() > kLongestName || output.toUtf8().size() > kLongestName)
            return {{}, tr("命名规则给“%1”的名称太长", "a rename pattern that gives a name over 255 bytes").arg(source.name)};
        const QString path = folderOf(source.name) + name;
        const auto clash = first.constFind(path);
        if (clash != first.cend())
            return {{}, tr("命名规则给“%1”和“%2”的名称相同（%3）：请加入 {name} 或 {n}", "a rename pattern that names two pictures alike")
                            .arg(sources[*clash].name, source.name, path)};
        first.insert(path, i);
        called[qsizetype(i)] = path;
    }
    // Pictures the pattern names apart but the format does not (a.jpg and
    // a.png as a_1x1.webp) are told apart as output_names tells them.
    return {batchOutputNames(called, format), {}};
}

} // namespace workflow
