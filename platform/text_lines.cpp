#include "platform/text_lines.h"

namespace platform {

QStringList splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines << text.mid(start, i - start).toString();
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start).toString();
    return lines;
}

QString printableText(QString text)
{
    for (QChar &c : text) {
        if (isControlCharacter(c))
            c = u'?';
    }
    return text;
}

} // namespace platform
