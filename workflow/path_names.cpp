#include "workflow/path_names.h"

#include "platform/file_system.h"

namespace workflow {

QString GetFileName(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString GetBaseName(const QString &path)
{
    if (!path.contains(u'.'))
        return {};
    const QString name = GetFileName(path);
    return name.left(name.indexOf(u'.'));
}

QString GetExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? QString() : path.mid(dot + 1);
}

bool IsFolder(const QString &path) { return platform::isFolder(path); }

QString RemoveSpaces(const QString &text) { return QString(text).remove(u' '); }

QString TrimAtNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

} // namespace workflow
