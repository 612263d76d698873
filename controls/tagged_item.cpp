#include "controls/tagged_item.h"

namespace controls {

QString trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

TaggedItem splitTaggedItem(QStringView item)
{
    const QString trimmed = trimSpaces(item);
    auto untagged = [](const QString &rest) { return TaggedItem{rest, rest, false}; };
    if (trimmed.startsWith(u'='))
        return untagged(trimmed.mid(1));
    if (trimmed.endsWith(u'='))
        return untagged(trimmed.chopped(1));
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals < 0)
        return untagged(trimmed);
    return TaggedItem{trimSpaces(QStringView(trimmed).left(equals)), trimSpaces(QStringView(trimmed).mid(equals + 1)),
                      true};
}

} // namespace controls
