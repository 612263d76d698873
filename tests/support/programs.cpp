#include "support/programs.h"

#include <QProcess>

#include <gtest/gtest.h>

QString runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString vipsSays(const QString &path)
{
    QProcess header;
    header.start("vipsheader", {"-f", "vips-loader", path});
    header.waitForFinished(30000);
    const QString loader = QString::fromUtf8(header.readAllStandardOutput()).trimmed();
    header.start("vipsheader", {path});
    header.waitForFinished(30000);
    // "file: 150x100 uchar, 3 bands, srgb, tiffload"
    const QString line = QString::fromUtf8(header.readAllStandardOutput());
    return loader + u' ' + line.mid(line.indexOf(QStringLiteral(": ")) + 2).section(u' ', 0, 0);
}
