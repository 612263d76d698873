#include "workflow/conversion_rules.h"

#include "workflow/path_names.h"

#include "platform/file_system.h"

#include <QCoreApplication>

namespace workflow {

QString defaultNewName(const QString &path)
{
    if (path.isEmpty())
        return QString();
    return GetBaseName(path) + QCoreApplication::translate("workflow", "副本", "added to the name of a converted copy");
}

bool isPlainNewName(const QString &newName)
{
    const QString name = RemoveSpaces(newName);
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') && !name.contains(QChar(0));
}

QString singleOutputPath(const QString &sourcePath, const QString &newName, const QString &extension)
{
    const qsizetype slash = sourcePath.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : sourcePath.left(slash + 1);
    return folder + RemoveSpaces(newName) + extension;
}

bool isSameFolder(const QString &a, const QString &b) { return platform::isFolder(a) && platform::isSameFile(a, b); }

QString batchFailureNotice(int converted, const QStringList &failedNames)
{
    QString text = QCoreApplication::translate("workflow", "转换完成：成功 %1 个，失败 %2 个。\n以下文件未能转换：")
                       .arg(converted)
                       .arg(failedNames.size());
    for (qsizetype i = 0; i < failedNames.size() && i < kMaxListedFailures; ++i)
        text += QLatin1Char('\n') + failedNames[i];
    if (failedNames.size() > kMaxListedFailures)
        text += QCoreApplication::translate("workflow", "\n……", "more failed names follow");
    return text;
}

} // namespace workflow
