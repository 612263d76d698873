#include "support/file_bytes.h"

#include "platform/native_path.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Opens `file` on the path's own bytes; Qt's own file names would decode them.
bool openNative(QFile &file, const QString &path, int flags, QIODevice::OpenMode mode)
{
    const int fd = ::open(platform::nativePath(path).constData(), flags | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

} // namespace

QByteArray readFile(const QString &path)
{
    QFile file;
    return openNative(file, path, O_RDONLY, QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file;
    ASSERT_TRUE(openNative(file, path, O_WRONLY | O_CREAT | O_TRUNC, QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}
