#include "controls/xp_combo_list_file.h"

#include "controls/tagged_item.h"
#include "platform/file_system.h"
#include "platform/text_lines.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace controls {

namespace {

// Cuts at 80 characters without splitting a character outside the basic plane.
QString cutLine(QStringView line)
{
    qsizetype units = 0;
    for (int characters = 0; units < line.size() && characters < kListFileLineLength; ++characters)
        units += line[units].isHighSurrogate() && units + 1 < line.size() && line[units + 1].isLowSurrogate() ? 2 : 1;
    return line.left(units).toString();
}

bool isComment(const QString &line) { return line.startsWith(u';'); }

bool isBlank(const QString &line) { return trimSpaces(line).isEmpty(); }

} // namespace

QString listFileText(const XPComboList &list)
{
    QString text;
    for (int i = 0; i < list.count(); ++i) {
        // item() gives "tag=text" exactly for the positions that carry a tag.
        text += list.item(i);
        text += u"\r\n";
    }
    return text;
}

bool readListFileText(XPComboList &list, QStringView content)
{
    QStringList lines = platform::splitLines(content);
    for (QString &line : lines)
        line = cutLine(line);
    const auto first = std::find_if(lines.begin(), lines.end(), [](const QString &line) {
        return line.size() >= 2 && !isComment(line) && !isBlank(line);
    });
    if (first == lines.end())
        return false;

    list.clearItems();
    list.setTagCode(splitTaggedItem(*first).hasTag);
    list.addItem(*first);
    for (auto it = first + 1; it != lines.end(); ++it) {
        if (!isComment(*it) && !isBlank(*it))
            list.addItem(*it);
    }
    return true;
}

QString listFilePath(const QString &fileName, const QString &folder, const QString &instanceName)
{
    const QString trimmed = trimSpaces(fileName);
    if (!trimmed.isEmpty())
        return trimmed;
    return folder + u'/' + instanceName + QStringLiteral(".Txt");
}

bool saveListFile(const XPComboList &list, const QString &path)
{
    return platform::writeFileAtomically(path, listFileText(list).toUtf8());
}

bool loadListFile(XPComboList &list, const QString &path)
{
    // Only a regular file: a FIFO or device named by mistake would never end.
    if (!platform::isRegularFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QString content = QString::fromUtf8(bytes);
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    return readListFileText(list, content);
}

} // namespace controls
