#include "workflow/output_names.h"

#include "imaging/picture_formats.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace workflow {

namespace {

// The name with `format` in place of its file name's extension.
QString withExtension(const QString &name, const QString &format)
{
    const qsizetype slash = name.lastIndexOf(u'/');
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > slash ? name.left(dot) : name) + u'.' + format;
}

// Two names that a case-blind file system takes for one have the same key.
QString key(const QString &name) { return name.toCaseFolded(); }

QHash<QString, int> keyCounts(const std::vector<OutputName> &outputs)
{
    QHash<QString, int> counts;
    for (const OutputName &output : outputs)
        ++counts[key(output.name)];
    return counts;
}

} // namespace

QStringList batchOutputFormats()
{
    QStringList formats;
    for (const imaging::FileType &type : imaging::fileTypes())
        formats << QString::fromUtf16(type.extension);
    return formats;
}

std::optional<QString> parseBatchOutputFormat(const QString &text)
{
    QString wanted = text.trimmed().toLower();
    if (wanted == QLatin1String("same"))
        return QString();
    if (wanted.startsWith(u'.'))
        wanted.remove(0, 1);
    if (batchOutputFormats().contains(wanted))
        return wanted;
    return std::nullopt;
}

std::vector<OutputName> batchOutputNames(const QStringList &names, const QString &format)
{
    std::vector<OutputName> outputs;
    outputs.reserve(std::size_t(names.size()));
    for (const QString &name : names)
        outputs.push_back({format.isEmpty() ? name : withExtension(name, format), false});
    if (format.isEmpty())
        return outputs;

    // Rules 1 and 2: of the pictures sharing a name, those not already called
    // so keep their whole names. Called so is the very name where a picture
    // of the clash has it, else the name up to case (IMG_1.JPG for jpg).
    const QHash<QString, int> natural = keyCounts(outputs);
    QSet<QString> calledSoExactly;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (outputs[std::size_t(i)].name == names[i])
            calledSoExactly.insert(key(names[i]));
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        OutputName &output = outputs[std::size_t(i)];
        const QString k = key(output.name);
        const bool calledSo
            = calledSoExactly.contains(k) ? output.name == names[i] : k == key(names[i]);
        if (natural.value(k) > 1 && !calledSo)
            output = {names[i] + u'.' + format, true};
    }

    // Rule 3: a name still shared stays with one picture (its own name before
    // its own up to case, that before a new one, a new one before a kept whole
    // name, then the first name in order); the others are numbered, in the
    // order of their names.
    std::vector<qsizetype> byName(std::size_t(names.size()));
    std::iota(byName.begin(), byName.end(), 0);
    std::stable_sort(byName.begin(), byName.end(), [&](qsizetype a, qsizetype b) { return names[a] < names[b]; });
    const auto rank = [&](qsizetype i) {
        const OutputName &output = outputs[std::size_t(i)];
        if (output.name == names[i])
            return 0;
        if (output.renamed)
            return 3;
        return key(output.name) == key(names[i]) ? 1 : 2;
    };
    QHash<QString, qsizetype> holder; // of every shared name, the picture that keeps it
    const QHash<QString, int> counts = keyCounts(outputs);
    for (const qsizetype i : byName) {
        const QString k = key(outputs[std::size_t(i)].name);
        if (counts.value(k) < 2)
            continue;
        const auto held = holder.constFind(k);
        if (held == holder.cend() || rank(i) < rank(*held))
            holder.insert(k, i);
    }
    QSet<QString> taken;
    for (const OutputName &output : outputs)
        taken.insert(key(output.name));
    const QString dotted = u'.' + format;
    for (const qsizetype i : byName) {
        OutputName &output = outputs[std::size_t(i)];
        const QString k = key(output.name);
        if (counts.value(k) < 2 || holder.value(k) == i)
            continue;
        const QString stem = output.name.chopped(dotted.size());
        QString numbered;
        int n = 1;
        do
            numbered = QStringLiteral("%1 (%2)%3").arg(stem, QString::number(++n), dotted);
        while (taken.contains(key(numbered)));
        taken.insert(key(numbered));
        output = {numbered, true};
    }
    return outputs;
}

bool overwritesSources(const QStringList &names, const std::vector<OutputName> &outputs)
{
    for (qsizetype i = 0; i < names.size() && std::size_t(i) < outputs.size(); ++i) {
        if (key(names[i]) == key(outputs[std::size_t(i)].name))
            return true;
    }
    return false;
}

} // namespace workflow
