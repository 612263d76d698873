#include "workflow/saved_limits.h"

#include "platform/file_system.h"
#include "platform/numeric.h"
#include "platform/text_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>

namespace workflow {

namespace {

const QString kFileName = QStringLiteral("CULERT.txt");

QByteArray numberField(std::int32_t value)
{
    // A positive number is written with a leading space where a sign would go.
    const QByteArray digits = QByteArray::number(value);
    return (value < 0 ? digits : QByteArray(" ") + digits) + ' ';
}

} // namespace

QByteArray formatSavedLimits(const SavedLimits &limits)
{
    return numberField(limits.Width) + "\r\n" + numberField(limits.Height);
}

SavedLimits parseSavedLimits(const QByteArray &content)
{
    QStringList lines = platform::splitLines(QString::fromUtf8(content));
    lines.removeIf([](const QString &line) { return line.isEmpty(); });

    SavedLimits limits;
    if (lines.isEmpty())
        return limits;
    auto valueOf = [](const QString &line, std::int32_t fallback) {
        return platform::roundToInt32(platform::numericValue(line)).value_or(fallback);
    };
    limits.Width = valueOf(lines.constFirst(), limits.Width);
    limits.Height = valueOf(lines.constLast(), limits.Height);
    return limits;
}

QString savedLimitsPath()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    // An installed program (its desktop entry under share/ beside bin/) keeps
    // the limits with the user's settings, even when root could write /usr/bin.
    const bool installed = QFileInfo::exists(programFolder + QStringLiteral("/../share/applications/")
                                             + QStringLiteral(TARVEL_APP_ID) + QStringLiteral(".desktop"));
    if (!installed && !programFolder.isEmpty() && QFileInfo(programFolder).isWritable())
        return QDir(programFolder).filePath(kFileName);
    // One place for the window and the command-line tool, whatever each is called.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("tarvel/") + kFileName);
}

SavedLimits readSavedLimits(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SavedLimits{};
    return parseSavedLimits(file.readAll());
}

SavedLimits LoadSavedLimits(const QString &path)
{
    if (!QFile::exists(path)) {
        const SavedLimits defaults;
        StoreSavedLimits(path, defaults);
        return defaults;
    }
    return readSavedLimits(path);
}

bool StoreSavedLimits(const QString &path, const SavedLimits &limits)
{
    // Written whole or not at all, so a crash mid-write cannot leave half a
    // number behind.
    QDir().mkpath(QFileInfo(path).absolutePath());
    return platform::writeFileAtomically(path, formatSavedLimits(limits));
}

} // namespace workflow
