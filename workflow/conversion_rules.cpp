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

NewNameProblem newNameProblem(const QString &newName)
{
    const QString name = RemoveSpaces(newName);
    if (name.isEmpty())
        return NewNameProblem::Empty;
    if (name.count(u'.') == name.size())
        return NewNameProblem::OnlyDots;
    if (name.startsWith(u'.'))
        return NewNameProblem::LeadingDot;
    if (name.contains(u'/'))
        return NewNameProblem::Slash;
    if (name.contains(QChar(0)))
        return NewNameProblem::Nul;
    return NewNameProblem::None;
}

QString singleOutputPath(const QString &sourcePath, const QString &newName, const QString &extension)
{
    const qsizetype slash = sourcePath.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : sourcePath.left(slash + 1);
    return folder + RemoveSpaces(newName) + extension;
}

bool isSameFolder(const QString &a, const QString &b) { return platform::isFolder(a) && platform::isSameFile(a, b); }

namespace {

void appendNames(QString &text, const QStringList &failedNames)
{
    for (qsizetype i = 0; i < failedNames.size() && i < kMaxListedFailures; ++i)
        text += QLatin1Char('\n') + failedNames[i];
    if (failedNames.size() > kMaxListedFailures)
        text += QCoreApplication::translate("workflow", "\n……", "more failed names follow");
}

} // namespace

QString batchFailureNotice(int converted, const QStringList &failedNames)
{
    QString text = QCoreApplication::translate("workflow", "转换完成：成功 %1 个，失败 %2 个。\n以下文件未能转换：")
                       .arg(converted)
                       .arg(failedNames.size());
    appendNames(text, failedNames);
    return text;
}

QString batchStoppedNotice(int converted, int notStarted, const QStringList &failedNames)
{
    QString text = QCoreApplication::translate("workflow", "转换已停止：成功 %1 个，失败 %2 个，未开始 %3 个。")
                       .arg(converted)
                       .arg(failedNames.size())
                       .arg(notStarted);
    if (!failedNames.isEmpty()) {
        text += QCoreApplication::translate("workflow", "\n以下文件未能转换：");
        appendNames(text, failedNames);
    }
    return text;
}

} // namespace workflow
